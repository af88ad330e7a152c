#include "ConfiguredList.h"
#include "ExportCommand.h"

#include "platform/SafeFileWriter.h"

#include <csignal>
#include <iostream>
#include <new>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
#ifdef SIGXFSZ
    // Past a file-size limit a write must fail and be reported, not kill us
    // half-way through the file.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Interrupted, we leave no half-written temporary file behind.
    platform::removeTemporaryFilesOnSignals();
#ifdef _WIN32
    // "-o -" writes the list's own CR LF, untranslated.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    try {
        return cli::runExport({argv + 1, argv + argc}, cli::configuredList, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {  // before anything was read
        std::cerr << "dozuzezo-export: メモリが不足しています。\n";
        return cli::ListError;
    }
}
