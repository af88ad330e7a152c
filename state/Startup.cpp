#include "Startup.h"

#include "platform/FileSystem.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace state {

namespace {

using settings::Fallback;
using settings::SettingsStore;

// A stored position stays unless it is empty or below zero; its default is
// never stored, so the window goes on being centred until it is moved.
std::string positionOr(const std::string& stored, double centred)
{
    if (!stored.empty() && settings::leadingNumber(stored) >= 0)
        return stored;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(centred),
                                      std::chars_format::fixed);
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

// Reads one setting and settles its default: written back where the table
// says so, kept in memory only for the positions.
void settle(SettingsStore& store, Setting setting, const StartupOptions& options,
            SettingCopies& copies)
{
    const settings::SettingKey& key = settings::keyOf(setting);
    std::string value = settings::read(store, setting);
    if (key.fallbackKind == Fallback::Centred) {
        const PositionTwips centred = centredPosition(options.screen);
        copies.setText(setting, positionOr(value, setting == Setting::KLeft ? centred.left
                                                                            : centred.top));
        return;
    }
    if (value.empty()) {
        value = key.fallbackKind == Fallback::ProgramFolder ? textFromPath(options.programFolder)
                                                            : std::string(key.fallback);
        settings::write(store, setting, value);
    }
    copies.setText(setting, std::move(value));
}

void settleRange(SettingsStore& store, Setting first, Setting last, const StartupOptions& options,
                 SettingCopies& copies)
{
    for (int s = static_cast<int>(first); s <= static_cast<int>(last); ++s)
        settle(store, static_cast<Setting>(s), options, copies);
}

} // namespace

PositionTwips centredPosition(ScreenTwips screen)
{
    const float width = static_cast<float>(screen.width);
    const float height = static_cast<float>(screen.height);
    return {(width - static_cast<float>(kMainWidthTwips)) / 2,
            (height - static_cast<float>(kMainHeightTwips)) / 2};
}

StartupResult runStartup(SettingsStore& store, const StartupOptions& options, StartupUi& ui)
{
    StartupResult result;
    SettingCopies& copies = result.copies;

    settle(store, Setting::OptLogo, options, copies);
    if (copies.isOn(Setting::OptLogo))
        ui.showSplash();

    settleRange(store, Setting::FolderName, Setting::YubinFile, options, copies);
    const std::filesystem::path asked = options.listOverride
                                            ? *options.listOverride
                                            : pathFromText(copies.text(Setting::FolderName)) /
                                                  pathFromText(copies.text(Setting::YubinFile));
    // As published, the list is KEN_ALL.CSV (the default name is
    // ken_all.csv), packed in ken_all.zip, which is read where no list is.
    const platform::FoundFile found =
        options.listOverride ? platform::findFileIgnoringCase(asked.parent_path(), asked.filename())
                             : platform::findList(asked.parent_path(), asked.filename());
    result.listPath = found.path;
    if (!found.found) {
        result.listMissing = true;
        ui.warn(missingListText(), kMissingListTitle);
    } else {
        postal::ListFileLoad loaded = postal::loadListFile(found);
        result.listEntry = loaded.entry;
        if (loaded.list) {
            result.table = std::move(loaded.list);
        } else {
            // A damaged list is not half-loaded: the user is told what is wrong
            // and the program goes on as without a list.
            result.zipError = loaded.zipError;
            if (!loaded.zipError)
                result.loadError = loaded.error.value_or(postal::LoadError{});
            ui.warn(refusedListText(loaded), kRefusedListTitle);
        }
    }
    ui.closeSplash();

    settleRange(store, Setting::OptDbl, Setting::OptLATab, options, copies);
    for (int i = 0; i < kTickCount; ++i) {
        const std::string tick = settings::readTick(store, i);
        if (tick.empty())
            settings::writeTick(store, i, settings::kTickFallback);
        copies.setTickText(i, tick.empty() ? std::string(settings::kTickFallback) : tick);
    }
    return result;
}

std::string missingListText()
{
    return "指定されたフォルダに 「全国版の郵便番号一覧 KEN_ALL.CSV」 が存在しません。　"
           "\n\n"
           "各種設定画面 「ken_all.csv 保存先」 タブから、フォルダを設定して下さい。  ";
}

namespace {

std::string refusedText(const std::string& shown, const std::string& problem)
{
    return "全国版の郵便番号一覧 " + shown + " を読み込めませんでした。　"
           "\n\n" +
           problem +
           "\n\n"
           "各種設定画面 「ken_all.csv 保存先」 "
           "タブから、正しい一覧のあるフォルダを設定して下さい。  ";
}

} // namespace

std::string refusedListText(const postal::LoadError& error, const std::filesystem::path& list)
{
    return refusedText("「" + textFromPath(list) + "」", error.message());
}

std::string refusedListText(const postal::ListFileLoad& load)
{
    std::string shown = "「" + textFromPath(load.file) + "」";
    if (!load.entry.empty())
        shown += " の 「" + load.entry + "」";
    return refusedText(shown, load.problem());
}

} // namespace state
