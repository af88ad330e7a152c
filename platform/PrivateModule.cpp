#include "PrivateModule.h"

#include "FileSystem.h"
#include "SafeFileWriter.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace platform {

std::filesystem::path privateModule(const char* name)
{
#ifdef _WIN32
    const std::string fileName = std::string(name) + ".dll";
#else
    const std::string fileName = "lib" + std::string(name) + ".so";
#endif
    const std::filesystem::path folder = programFolder();
    const std::filesystem::path beside = folder / fileName;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec))
        return beside;
    return (folder / DOZUZEZO_MODULE_FOLDER / fileName).lexically_normal();
}

void* privateFunction(const char* moduleName, const char* name, std::string& why)
{
    const std::filesystem::path module = privateModule(moduleName);
#ifdef _WIN32
    // The module's own libraries are looked for beside it first.
    HMODULE handle = LoadLibraryExW(module.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    void* function = handle ? reinterpret_cast<void*>(GetProcAddress(handle, name)) : nullptr;
    const std::string reason = function ? "" : "システムエラー " + std::to_string(GetLastError());
#else
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* function = handle ? dlsym(handle, name) : nullptr;
    const char* error = function ? nullptr : dlerror();
    const std::string reason = error ? error : "";
#endif
    if (!function)
        why = pathText(module) + (reason.empty() ? "" : ": " + reason);
    return function;
}

} // namespace platform
