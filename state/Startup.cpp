#include "Startup.h"

#include "platform/FileSystem.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace state {

namespace {

using settings::SettingsStore;

constexpr float kWindowWidth = 12000.0f; // the main window, in twips
constexpr float kWindowHeight = 9000.0f;

// The stored text, or `fallback` written back and used when it is empty.
std::string readOrWrite(SettingsStore& store, std::string_view section, std::string_view key,
                        std::string_view fallback)
{
    std::string value = store.read(section, key);
    if (!value.empty())
        return value;
    store.write(section, key, fallback);
    return std::string(fallback);
}

// A stored position stays unless it is empty or below zero; its default is
// never stored, so the window goes on being centred until it is moved.
std::string positionOr(const std::string& stored, float centred)
{
    if (!stored.empty() && settings::leadingNumber(stored) >= 0)
        return stored;
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, centred, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

// Paths travel through the store as UTF-8 text.
std::filesystem::path pathFromText(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string textFromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

StartupResult runStartup(SettingsStore& store, const StartupOptions& options, StartupUi& ui)
{
    using namespace settings;
    StartupResult result;
    SettingCopies& copies = result.copies;

    copies.optLogo = readOrWrite(store, kConfig, "OptLogo", "1");
    if (isOn(copies.optLogo))
        ui.showSplash();

    copies.folderName =
        readOrWrite(store, kConfig, "FolderName", textFromPath(options.programFolder));
    copies.yubinFile = readOrWrite(store, kConfig, "Yubin_File", "ken_all.csv");

    const std::filesystem::path asked = options.listOverride
                                            ? *options.listOverride
                                            : pathFromText(copies.folderName) / pathFromText(copies.yubinFile);
    // As published, the list is KEN_ALL.CSV; the default name is ken_all.csv.
    const platform::FoundFile found = platform::findFileIgnoringCase(asked.parent_path(), asked.filename());
    result.listPath = found.path;
    if (!found.found) {
        result.listMissing = true;
        ui.warn(missingListText(), kMissingListTitle);
    } else {
        postal::LoadResult loaded = postal::PostalList::load(result.listPath);
        if (loaded.list) {
            result.table = std::move(loaded.list);
        } else {
            // A damaged list is not half-loaded: the user is told what is wrong
            // and the program goes on as without a list.
            result.loadError = loaded.error.value_or(postal::LoadError{});
            ui.warn(refusedListText(*result.loadError, result.listPath), kRefusedListTitle);
        }
    }
    ui.closeSplash();

    copies.optDbl = readOrWrite(store, kConfig, "OptDbl", "0");
    copies.optCent = readOrWrite(store, kPosition, "OptCent", "0");

    const float screenWidth = static_cast<float>(options.screen.width);
    const float screenHeight = static_cast<float>(options.screen.height);
    copies.kLeft = positionOr(store.read(kPosition, "K_Left"), (screenWidth - kWindowWidth) / 2);
    copies.kTop = positionOr(store.read(kPosition, "K_Top"), (screenHeight - kWindowHeight) / 2);

    copies.optLAct = readOrWrite(store, kConfig, "OptLAct", "1");
    copies.optLATab = readOrWrite(store, kConfig, "OptLATab", "0");

    for (int i = 0; i < static_cast<int>(copies.kenOnOff.size()); ++i)
        copies.kenOnOff[i] = readOrWrite(store, kKenOnOff, kenOnOffKey(i), "1");

    return result;
}

std::string missingListText()
{
    return "指定されたフォルダに 「全国版の郵便番号一覧 KEN_ALL.CSV」 が存在しません。　"
           "\n\n"
           "各種設定画面 「ken_all.csv 保存先」 タブから、フォルダを設定して下さい。  ";
}

std::string refusedListText(const postal::LoadError& error, const std::filesystem::path& list)
{
    return "全国版の郵便番号一覧 「" + textFromPath(list) + "」 を読み込めませんでした。　"
           "\n\n" +
           error.message() +
           "\n\n"
           "各種設定画面 「ken_all.csv 保存先」 "
           "タブから、正しい一覧のあるフォルダを設定して下さい。  ";
}

} // namespace state
