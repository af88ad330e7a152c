#include "PrivateModule.h"

#include "platform/FileSystem.h"

#include <system_error>

namespace cli {

std::filesystem::path privateModule(const char* fileName)
{
    const std::filesystem::path folder = platform::programFolder();
    const std::filesystem::path beside = folder / fileName;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec))
        return beside;
    return (folder / DOZUZEZO_MODULE_FOLDER / fileName).lexically_normal();
}

} // namespace cli
