#include "Startup.h"

#include "platform/FileReader.h"
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
    if (value.empty() && key.fallbackKind == Fallback::Unstored) {
        value = key.fallback;
    } else if (value.empty()) {
        const std::filesystem::path& folder =
            options.defaultFolder.empty() ? options.programFolder : options.defaultFolder;
        value = key.fallbackKind == Fallback::ProgramFolder ? textFromPath(folder)
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

ListLoad load(const platform::FoundFile& found)
{
    ListLoad result;
    result.listPath = found.path;
    if (!found.found) {
        result.listMissing = true;
        return result;
    }
    postal::ListFileLoad loaded = postal::loadListFile(found);
    result.listEntry = loaded.entry;
    // A damaged list is not half-loaded.
    result.table = std::move(loaded.list);
    if (!result.table) {
        result.zipError = loaded.zipError;
        if (!loaded.zipError)
            result.loadError = loaded.error.value_or(postal::LoadError{});
    }
    return result;
}

} // namespace

std::filesystem::path pathFromText(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string textFromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

ListLoad loadConfiguredList(const SettingCopies& copies)
{
    // As published, the list is KEN_ALL.CSV (the default name is
    // ken_all.csv), packed in ken_all.zip, which is read where no list is.
    return load(platform::findList(pathFromText(copies.text(Setting::FolderName)),
                                   pathFromText(copies.text(Setting::YubinFile))));
}

ListLoad loadNamedList(const std::filesystem::path& file)
{
    ListLoad result;
    // Told apart before opening: a pipe without a writer would hold the
    // window until one came.
    if (const std::optional<platform::NotAFile> what = platform::notAFile(file)) {
        result.listPath = file;
        result.loadError = postal::LoadError{postal::LoadError::Kind::NotAFile};
        result.loadError->notAFile = *what;
    } else {
        // No ken_all.zip is looked for in its place.
        result = load(platform::findFileIgnoringCase(file.parent_path(), file.filename()));
    }
    result.named = true;
    return result;
}

std::optional<ListWarning> listWarning(const ListLoad& load, bool keptLoadedList)
{
    if (load.table)
        return std::nullopt;
    if (load.listMissing && !load.named)
        return ListWarning{missingListText(), kMissingListTitle};
    postal::ListFileLoad refused;
    refused.file = load.listPath;
    refused.entry = load.listEntry;
    refused.error = load.loadError;
    refused.zipError = load.zipError;
    if (!load.named)
        return ListWarning{refusedListText(refused), kRefusedListTitle};
    return ListWarning{refusedNamedListText(refused, load.listMissing, keptLoadedList),
                       kRefusedListTitle};
}

PositionTwips centredPosition(ScreenTwips screen)
{
    const float width = static_cast<float>(screen.width);
    const float height = static_cast<float>(screen.height);
    return {(width - static_cast<float>(kMainWidthTwips)) / 2,
            (height - static_cast<float>(kMainHeightTwips)) / 2};
}

Startup::Startup(SettingsStore& store, const StartupOptions& options, StartupUi& ui)
    : ui_(ui), listOverride_(options.listOverride)
{
    settle(store, Setting::OptLogo, options, copies_);
    if (copies_.isOn(Setting::OptLogo))
        ui.showSplash();

    settleRange(store, Setting::FolderName, Setting::YubinFile, options, copies_);
    try {
        load_ = std::async(std::launch::async, [override = listOverride_, copies = copies_] {
            return override ? loadNamedList(*override) : loadConfiguredList(copies);
        });
    } catch (const std::system_error&) {
        // No second thread to be had: finish() reads it.
    }
    // The settings the load does not need are settled meanwhile; the store
    // sees the same reads and writes in the same order.
    settleRange(store, Setting::OptDbl, Setting::OptLATab, options, copies_);
    for (int i = 0; i < kTickCount; ++i) {
        const std::string tick = settings::readTick(store, i);
        if (tick.empty())
            settings::writeTick(store, i, settings::kTickFallback);
        copies_.setTickText(i, tick.empty() ? std::string(settings::kTickFallback) : tick);
    }
    settleRange(store, Setting::ListUrl, Setting::JigyosyoFetched, options, copies_);
}

ListLoad Startup::finish()
{
    ListLoad result = load_.valid() ? load_.get()
                      : listOverride_ ? loadNamedList(*listOverride_)
                                      : loadConfiguredList(copies_);
    // The program goes on without a list where there is none, or it was refused.
    if (const std::optional<ListWarning> warning = listWarning(result))
        ui_.warn(warning->text, warning->title);
    ui_.closeSplash();
    return result;
}

StartupResult runStartup(SettingsStore& store, const StartupOptions& options, StartupUi& ui)
{
    Startup startup(store, options, ui);
    StartupResult result;
    static_cast<ListLoad&>(result) = startup.finish();
    result.copies = startup.copies();
    return result;
}

std::string missingListText()
{
    return "指定されたフォルダに 「全国版の郵便番号一覧 KEN_ALL.CSV」 が存在しません。　"
           "\n\n"
           "各種設定画面 「ken_all.csv 保存先」 タブから、フォルダを設定して下さい。  ";
}

namespace {

std::string refusedText(const postal::ListFileLoad& load, const std::string& problem,
                        const char* ending)
{
    std::string shown = "「" + textFromPath(load.file) + "」";
    if (!load.entry.empty())
        shown += " の 「" + load.entry + "」";
    return "全国版の郵便番号一覧 " + shown + " を読み込めませんでした。　\n\n" + problem + "\n\n" +
           ending;
}

constexpr const char* kChooseFolder =
    "各種設定画面 「ken_all.csv 保存先」 タブから、正しい一覧のあるフォルダを設定して下さい。  ";

} // namespace

std::string refusedListText(const postal::LoadError& error, const std::filesystem::path& list)
{
    postal::ListFileLoad load;
    load.file = list;
    return refusedText(load, error.message(), kChooseFolder);
}

std::string refusedListText(const postal::ListFileLoad& load)
{
    return refusedText(load, load.problem(), kChooseFolder);
}

std::string refusedNamedListText(const postal::ListFileLoad& load, bool missing,
                                 bool keptLoadedList)
{
    return refusedText(load, missing ? "ファイルが存在しません。" : load.problem(),
                       keptLoadedList ? "これまでの一覧をそのまま使います。  "
                                      : "一覧は読み込まれていません。  ");
}

} // namespace state
