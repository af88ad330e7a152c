#pragma once
// What the settings dialog reads when it opens and writes when it applies,
// as plain functions over the setting copies and the store.

#include "state/Settings.h"

#include <QPointF>
#include <QString>
#include <optional>
#include <string>

namespace ui {

// The four boxes of the first tab, in the order they stand.
struct OptionChoices
{
    bool logo = false;          // OptLogo
    bool doubleClickEnds = false; // OptDbl
    bool centred = false;       // OptCent
    bool rememberTab = false;   // OptLAct
};

OptionChoices optionChoices(const state::SettingCopies& copies);

// The tab the dialog opens on: the stored one, the first for anything but
// "0" or "1" (a hand-edited store), which is then left as it is.
int openingTab(const state::SettingCopies& copies);

// The folder the folder list opens at: the stored FolderName where that
// folder exists, otherwise the current folder.
QString openingFolder(const state::SettingCopies& copies, const QString& currentFolder);

// How a folder is stored: native separators, a drive's root with its
// trailing separator, any other folder without.
std::string folderText(const QString& folder);

// The main window's frame position before and after applying, in twips.
struct Placement
{
    QPointF current;
    QPointF centred; // where centring puts it
};

// Applies the first tab: OptLogo, OptDbl, OptCent, OptLAct, then OptLATab
// while OptLAct is "1", each into the copy and the store in that order.
// K_Top and K_Left take the main window's resulting position, in memory
// only. Returns where the main window is to move, if anywhere.
std::optional<QPointF> saveOptions(state::Settings& settings, const OptionChoices& choices,
                                   int currentTab, const Placement& window);

// Applies the second tab: the folder the user opened becomes FolderName.
// Where they opened none, the stored FolderName stays as it is, even when
// that folder is missing now (a drive not plugged in). Returns whether
// FolderName changed.
bool saveFolder(state::Settings& settings, const std::optional<QString>& chosenFolder);

} // namespace ui
