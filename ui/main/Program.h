#pragma once
// The windowed program from start to end: the toolkit's look, the settings
// store, start-up with its messages, and the main window over the real
// dialogs, clock, screen and help.

#include "state/ProgramState.h"
#include "ui/common/Clock.h"
#include "ui/common/FileChooser.h"
#include "ui/common/Help.h"
#include "ui/common/Launcher.h"
#include "ui/common/MessageBoxes.h"
#include "ui/common/Screen.h"
#include "ui/common/UiServices.h"

#include <QStringList>
#include <filesystem>
#include <memory>
#include <optional>

class QApplication;

namespace settings {
class SettingsStore;
}

namespace ui {

class MainWindow;

// The list named on the command line: "--list <file>", "--list=<file>", or
// a file named alone ("dozuzezo KEN_ALL.CSV", as a file manager opens it),
// made absolute.
std::optional<std::filesystem::path> listArgument(const QStringList& arguments);

class Program
{
public:
    // Sets the look every window shares; call once the application exists.
    explicit Program(QApplication& application);
    ~Program();

    // Runs start-up and shows the main window. A list named on the command
    // line (listArgument) is loaded for this run only; nothing about it is stored.
    MainWindow& start(const QStringList& arguments);
    // The event loop until the program ends; then the settings are flushed.
    int exec();

private:
    void settleLook(bool withIcon);

    bool lookSettled_ = false;
    std::unique_ptr<settings::SettingsStore> store_;
    QtMessageBoxes messages_;
    QtFileChooser files_;
    SystemClock clock_;
    QtScreen screen_;
    HelpViewer help_;
    DesktopLauncher launcher_;
    std::unique_ptr<UiServices> services_;
    std::optional<state::ProgramState> state_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace ui
