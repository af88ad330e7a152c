#pragma once
// Every stored setting in one table: section, key, kind and default. Values
// keep exactly the texts they are stored as, so a store written by any
// earlier run reads the same; the typed readers below interpret those texts
// as the program always has.

#include "SettingsStore.h"

#include <array>
#include <string>
#include <string_view>

namespace settings {

inline constexpr std::string_view kAppName = "DOZUZEZO";

// In the order start-up settles them.
enum class Setting
{
    OptLogo,    // "1" shows the splash at start
    FolderName, // folder of the list file, no trailing separator
    YubinFile,  // the list file's name in that folder
    OptDbl,     // "1": a double-click on the main window ends the program
    OptCent,    // "1": the main window opens centred
    KLeft,      // main window's left edge, twips
    KTop,       // main window's top edge, twips
    OptLAct,    // "1": the settings dialog remembers its tab
    OptLATab,   // the settings dialog's tab, "0" = first
    ListUrl,    // where the list is fetched from
    // The last fetch's validators, sent back to ask whether the list changed,
    // and the file that fetch wrote (size and time): they hold only while
    // that file is unchanged.
    ListETag,
    ListLastModified,
    ListFetched,
    // The same for the business-office list, fetched only where it is kept.
    JigyosyoUrl,
    JigyosyoETag,
    JigyosyoLastModified,
    JigyosyoFetched,
};
inline constexpr int kSettingCount = 17;

enum class Kind
{
    Flag,     // on only when exactly "1"
    Text,
    Folder,   // a path, as UTF-8 text
    Position, // twips, the leading number of the text
    Index,    // a small decimal number
};

// What a missing value becomes at start-up.
enum class Fallback
{
    Text,          // `fallback` below, written back
    ProgramFolder, // the program's own folder (or the user's, see StartupOptions), written back
    Centred,       // the centred position, kept in memory only
    Unstored,      // `fallback` below, kept in memory only: stored once changed
};

struct SettingKey
{
    Setting setting;
    std::string_view section;
    std::string_view key;
    Kind kind;
    Fallback fallbackKind;
    std::string_view fallback;
};

inline constexpr std::string_view kConfig = "Config";
inline constexpr std::string_view kPosition = "Position";

inline constexpr std::array<SettingKey, kSettingCount> kSettings{{
    {Setting::OptLogo, kConfig, "OptLogo", Kind::Flag, Fallback::Text, "1"},
    {Setting::FolderName, kConfig, "FolderName", Kind::Folder, Fallback::ProgramFolder, ""},
    {Setting::YubinFile, kConfig, "Yubin_File", Kind::Text, Fallback::Text, "ken_all.csv"},
    {Setting::OptDbl, kConfig, "OptDbl", Kind::Flag, Fallback::Text, "0"},
    {Setting::OptCent, kPosition, "OptCent", Kind::Flag, Fallback::Text, "0"},
    {Setting::KLeft, kPosition, "K_Left", Kind::Position, Fallback::Centred, ""},
    {Setting::KTop, kPosition, "K_Top", Kind::Position, Fallback::Centred, ""},
    {Setting::OptLAct, kConfig, "OptLAct", Kind::Flag, Fallback::Text, "1"},
    {Setting::OptLATab, kConfig, "OptLATab", Kind::Index, Fallback::Text, "0"},
    {Setting::ListUrl, kConfig, "ListUrl", Kind::Text, Fallback::Unstored,
     "https://www.post.japanpost.jp/zipcode/dl/kogaki/zip/ken_all.zip"},
    {Setting::ListETag, kConfig, "ListETag", Kind::Text, Fallback::Unstored, ""},
    {Setting::ListLastModified, kConfig, "ListLastModified", Kind::Text, Fallback::Unstored, ""},
    {Setting::ListFetched, kConfig, "ListFetched", Kind::Text, Fallback::Unstored, ""},
    {Setting::JigyosyoUrl, kConfig, "JigyosyoUrl", Kind::Text, Fallback::Unstored,
     "https://www.post.japanpost.jp/zipcode/dl/jigyosyo/zip/jigyosyo.zip"},
    {Setting::JigyosyoETag, kConfig, "JigyosyoETag", Kind::Text, Fallback::Unstored, ""},
    {Setting::JigyosyoLastModified, kConfig, "JigyosyoLastModified", Kind::Text, Fallback::Unstored,
     ""},
    {Setting::JigyosyoFetched, kConfig, "JigyosyoFetched", Kind::Text, Fallback::Unstored, ""},
}};

constexpr const SettingKey& keyOf(Setting setting)
{
    return kSettings[static_cast<std::size_t>(setting)];
}

// The 47 prefecture ticks: Ken_on_off/Ken_OnOff(0) ... Ken_OnOff(46).
inline constexpr std::string_view kTickSection = "Ken_on_off";
inline constexpr std::string_view kTickFallback = "1";
std::string tickKey(int prefectureIndex); // "Ken_OnOff(12)"

std::string read(const SettingsStore& store, Setting setting);
void write(SettingsStore& store, Setting setting, std::string_view text);
std::string readTick(const SettingsStore& store, int prefectureIndex);
void writeTick(SettingsStore& store, int prefectureIndex, std::string_view text);

// Typed readings of stored texts.
// A flag is on only when its text is exactly "1".
inline bool isOn(std::string_view flag)
{
    return flag == "1";
}
// The leading number of a text, as the stored positions and ticks are read:
// "1500.5" -> 1500.5, "12abc" -> 12, "abc" -> 0, "" -> 0.
double leadingNumber(std::string_view text);
// Whether a text starts with a number at all ("  -15", "1500.5", ".5x").
bool holdsNumber(std::string_view text);
// A tick text: its leading number rounded; 0 clears, anything else ticks.
bool isTicked(std::string_view text);
// The text a box's state is stored as: "1" or "0".
std::string_view tickText(bool ticked);
// Twips as decimal text: whole twips, "1500".
std::string twipsText(double twips);
// A stored tab index: 0 or 1 for the two tabs, -1 for anything else.
int tabIndex(std::string_view text);

} // namespace settings
