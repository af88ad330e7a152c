#include "ExportCommand.h"
#include "platform/FileSystem.h"
#include "settings/QtSettingsStore.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv)
{
#ifdef SIGXFSZ
    // Past a file-size limit a write must fail and be reported, not kill us
    // half-way through the file.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    // The list the windowed program would load; read-only here, so missing
    // settings are not written back.
    auto defaultList = [] {
        auto store = settings::openUserStore();
        std::string folder = store->read(settings::kConfig, "FolderName");
        std::string file = store->read(settings::kConfig, "Yubin_File");
        const std::filesystem::path dir = folder.empty() ? platform::programFolder()
                                                         : std::filesystem::path(folder);
        return dir / (file.empty() ? std::string("ken_all.csv") : file);
    };
    return cli::runExport(args, defaultList, std::cout, std::cerr);
}
