// Loaded by dozuzezo-export only when no list is named on its command line:
// reading the settings needs Qt, and most runs are spared loading it.

#include "platform/FileSystem.h"
#include "settings/QtSettingsStore.h"

#include <cstring>
#include <string>

#ifdef _WIN32
#define BRIDGE_EXPORT __declspec(dllexport)
#else
#define BRIDGE_EXPORT __attribute__((visibility("default")))
#endif

// The list the windowed program would load: FolderName/Yubin_File, with the
// same defaults. Read only: missing settings are not written back here.
// Returns the path's length, or -1 when `size` is too small.
extern "C" BRIDGE_EXPORT int dozuzezo_configured_list(char* buffer, int size)
{
    auto store = settings::openUserStore();
    const std::string folder = store->read(settings::kConfig, "FolderName");
    const std::string file = store->read(settings::kConfig, "Yubin_File");
    const std::filesystem::path dir = folder.empty() ? platform::programFolder()
                                                     : std::filesystem::path(folder);
    const std::string path = (dir / (file.empty() ? std::string("ken_all.csv") : file)).string();
    if (static_cast<int>(path.size()) >= size)
        return -1;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<int>(path.size());
}
