#include "ConfiguredList.h"
#include "ExportCommand.h"

#include "platform/SafeFileWriter.h"

#include <csignal>
#include <iostream>
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
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-l" || args[i] == "--list" || args[i] == "-o" || args[i] == "--output") {
            ++i;  // a file may be called anything
        } else if (args[i] == "--version") {
            std::cout << "dozuzezo-export (vevoz君) " DOZUZEZO_VERSION "\n";
            return std::cout.flush() ? 0 : 4;
        }
    }
    return cli::runExport(args, cli::configuredList, std::cout, std::cerr);
}
