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
    using settings::Setting;
    const std::string folder = settings::read(*store, Setting::FolderName);
    std::string file = settings::read(*store, Setting::YubinFile);
    if (file.empty())
        file = settings::keyOf(Setting::YubinFile).fallback;
    // Paths travel through the store, and across this bridge, as UTF-8.
    const std::filesystem::path dir =
        folder.empty() ? settings::defaultListFolder(platform::programFolder())
                       : std::filesystem::path(std::u8string(folder.begin(), folder.end()));
    const std::u8string utf8 = (dir / std::u8string(file.begin(), file.end())).u8string();
    const std::u8string& path = utf8;
    if (static_cast<int>(path.size()) >= size)
        return -1;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<int>(path.size());
}
