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
    auto fromText = [](const std::string& text) {
        return std::filesystem::path(std::u8string(text.begin(), text.end()));
    };
    const std::filesystem::path dir = folder.empty() ? platform::programFolder() : fromText(folder);
    const std::u8string path = (dir / (file.empty() ? std::filesystem::path("ken_all.csv") : fromText(file))).u8string();
    if (static_cast<int>(path.size()) >= size)
        return -1;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<int>(path.size());
}
