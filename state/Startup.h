#pragma once
// The start-up sequence up to showing the main window: settings with their
// defaults written back, the splash, and the list load with its warning.

#include "postal/ListFile.h"
#include "postal/PostalList.h"
#include "state/Settings.h"

#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>

namespace state {

struct ScreenTwips
{
    double width = 0;
    double height = 0;
};

// The main window's size, in twips.
inline constexpr double kMainWidthTwips = 12000;
inline constexpr double kMainHeightTwips = 9000;

struct PositionTwips
{
    double left = 0;
    double top = 0;
};

// Left and top that centre the main window on a screen of this size, in
// single precision as they have always been computed.
PositionTwips centredPosition(ScreenTwips screen);

// What start-up shows; the windowed program fills these in, tests record them.
class StartupUi
{
public:
    virtual ~StartupUi() = default;
    virtual void showSplash() = 0;   // modal; returns once the splash has closed
    virtual void closeSplash() = 0;  // closing one that is not open does nothing
    // A modal OK box with the warning icon.
    virtual void warn(const std::string& text, const std::string& title) = 0;
};

// A list looked for and, where found, loaded and checked whole.
struct ListLoad
{
    // Null when no list was loaded (missing or refused); a loaded list may be empty.
    std::shared_ptr<const postal::PostalList> table;
    std::filesystem::path listPath;              // the file read, or the one asked for
    std::string listEntry;                       // the list's name in ken_all.zip, when read from it
    bool listMissing = false;                    // no plain file there
    bool named = false;                          // a file the user chose, not the settings' list
    std::optional<postal::LoadError> loadError;  // the list was refused
    std::optional<platform::ZipError> zipError;  // the archive holding it was refused
};

// The list the settings name: FolderName/Yubin_File, found without regard
// to case, or ken_all.zip there.
ListLoad loadConfiguredList(const SettingCopies& copies);
// A list named by the user (command line, a dropped file); it may be an archive.
ListLoad loadNamedList(const std::filesystem::path& file);

struct ListWarning
{
    std::string text;
    std::string title;
};
// What a load that found no usable list tells the user. A file the user
// chose is named with what is wrong with it, never sending them to the
// settings; `keptLoadedList`: the list loaded before stays (a refused drop).
std::optional<ListWarning> listWarning(const ListLoad& load, bool keptLoadedList = false);

struct StartupResult : ListLoad
{
    SettingCopies copies;
};

struct StartupOptions
{
    std::filesystem::path programFolder;  // full path, no trailing separator
    ScreenTwips screen;
    // Load this list instead of the one the settings name, for this run only
    // (the shipped sample, scripts); nothing about it is stored. It may be a
    // zip archive; no ken_all.zip is looked for in its place.
    std::optional<std::filesystem::path> listOverride;
    // FolderName's default where it is empty: the user's own folder for an
    // installed program; the program's folder when left empty.
    std::filesystem::path defaultFolder;
};

StartupResult runStartup(settings::SettingsStore& store, const StartupOptions& options,
                         StartupUi& ui);

// The same in two halves, so that the windows can be built while the list is
// read and checked on a second thread. The constructor settles every setting,
// in the same order, showing the splash where it is on, and starts the load;
// finish() waits for it, then warns where there is no usable list and closes
// the splash: nothing is shown of a list before it has been checked whole.
class Startup
{
public:
    Startup(settings::SettingsStore& store, const StartupOptions& options, StartupUi& ui);
    Startup(const Startup&) = delete;
    Startup& operator=(const Startup&) = delete;

    const SettingCopies& copies() const { return copies_; }
    // Once.
    ListLoad finish();

private:
    StartupUi& ui_;
    SettingCopies copies_;
    std::optional<std::filesystem::path> listOverride_;
    std::future<ListLoad> load_;  // from std::async: its end is waited for
};

// The texts of the missing-list and refused-list warnings.
inline constexpr const char* kMissingListTitle = "フォルダ確認";
std::string missingListText();
inline constexpr const char* kRefusedListTitle = "ファイル確認";
std::string refusedListText(const postal::LoadError& error, const std::filesystem::path& list);
// Names the archive and its entry where the list came out of one.
std::string refusedListText(const postal::ListFileLoad& load);
// A list the user chose: missing, or refused for its problem; then whether
// the list loaded before stays.
std::string refusedNamedListText(const postal::ListFileLoad& load, bool missing,
                                 bool keptLoadedList);

// Paths travel through the store as UTF-8 text.
std::filesystem::path pathFromText(const std::string& text);
std::string textFromPath(const std::filesystem::path& path);

} // namespace state
