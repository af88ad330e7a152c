#include "ConfiguredList.h"
#include "ExportCommand.h"

#include "platform/SafeFileWriter.h"

#include <csignal>
#include <iostream>
#include <new>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

// The arguments as UTF-8 text, whatever the system's code page, so that
// Japanese names of files and prefectures pass unchanged.
std::vector<std::string> arguments(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc, (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(platform::pathText(std::filesystem::path(wide[i])));
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

#ifdef _WIN32
// Messages are UTF-8: a console shows them so while we run, and gets its
// own code page back afterwards.
struct Utf8Console
{
    UINT old = GetConsoleOutputCP();
    Utf8Console() { SetConsoleOutputCP(CP_UTF8); }
    ~Utf8Console() { SetConsoleOutputCP(old); }
};
#endif

} // namespace

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
    const Utf8Console console;
#endif
    try {
        return cli::runExport(arguments(argc, argv), cli::configuredList, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {  // before anything was read
        std::cerr << "dozuzezo-export: メモリが不足しています。\n";
        return cli::ListError;
    }
}
