#include "ConfiguredList.h"

#include "PrivateModule.h"

#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace cli {

namespace {

#ifdef _WIN32
constexpr const char* kBridge = "dozuzezo-settings-bridge.dll";
#else
constexpr const char* kBridge = "libdozuzezo-settings-bridge.so";
#endif

} // namespace

std::optional<std::filesystem::path> configuredList(std::string& error)
{
    using Query = int (*)(char*, int);
    const std::filesystem::path module = privateModule(kBridge);
#ifdef _WIN32
    HMODULE handle = LoadLibraryW(module.c_str());
    Query query = handle ? reinterpret_cast<Query>(GetProcAddress(handle, "dozuzezo_configured_list")) : nullptr;
#else
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    Query query = handle ? reinterpret_cast<Query>(dlsym(handle, "dozuzezo_configured_list")) : nullptr;
#endif
    if (!query) {
        error = "設定を読めないため一覧の場所が分かりません（" + platform::pathText(module) +
                "）。-l で一覧ファイルを指定して下さい。";
        return std::nullopt;
    }
    char buffer[8192];
    const int n = query(buffer, sizeof buffer);
    if (n < 0) {
        error = "設定の一覧の場所が長すぎます。-l で一覧ファイルを指定して下さい。";
        return std::nullopt;
    }
    return std::filesystem::path(std::u8string(buffer, buffer + n));
}

} // namespace cli
