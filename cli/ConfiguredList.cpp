#include "ConfiguredList.h"

#include "platform/PrivateModule.h"
#include "platform/SafeFileWriter.h"

namespace cli {

namespace {

constexpr const char* kBridge = "dozuzezo-settings-bridge";

} // namespace

std::optional<std::filesystem::path> configuredList(std::string& error)
{
    using Query = int (*)(char*, int);
    std::string why;
    const auto query = reinterpret_cast<Query>(platform::privateFunction(kBridge, "dozuzezo_configured_list", why));
    if (!query) {
        error = "設定を読めないため一覧の場所が分かりません（" + platform::pathText(platform::privateModule(kBridge)) +
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
