#pragma once
// The program as a test runs it: start-up over a memory store, then the real
// main window with scripted dialogs. Starting twice on one store is a restart.

#include "FakeUi.h"

#include "state/ProgramState.h"
#include "state/Startup.h"
#include "tests/support/MemorySettingsStore.h"
#include "tests/support/TempDir.h"
#include "ui/main/MainWindow.h"

#include <QAction>
#include <QToolButton>

#include <memory>
#include <optional>

namespace testsupport {

class QuietStartupUi : public state::StartupUi
{
public:
    void showSplash() override {}
    void closeSplash() override {}
    void warn(const std::string&, const std::string&) override {}
};

// Runs a command as the user does: a menu item by its name, or a toolbar
// button by its position's name ("Toolbar1_6").
inline void runCommand(QWidget& window, const QString& name)
{
    if (name.startsWith(QLatin1String("Toolbar1_")))
        window.findChild<QToolButton*>(name)->click();
    else
        window.findChild<QAction*>(name)->trigger();
}

struct RunningProgram
{
    FakeUi fake;
    std::optional<state::ProgramState> state;
    std::unique_ptr<ui::MainWindow> window;

    RunningProgram(MemorySettingsStore& store, const std::filesystem::path& folder,
                   std::optional<std::filesystem::path> list = std::nullopt)
    {
        QuietStartupUi startupUi;
        state::StartupOptions options;
        options.programFolder = folder;
        options.screen = {fake.screen.pixels.width() * 15.0, fake.screen.pixels.height() * 15.0};
        options.listOverride = std::move(list);
        state::StartupResult started = state::runStartup(store, options, startupUi);
        state.emplace(store, started.copies, folder);
        state->setList(started.table, started.listPath, started.listEntry);
    }

    // The setting copies the window will load; change them before open().
    void remember(settings::Setting setting, const std::string& text)
    {
        state->settings().remember(setting, text);
    }

    // Builds the window.
    ui::MainWindow& open()
    {
        window = std::make_unique<ui::MainWindow>(*state, fake.services);
        return *window;
    }
};

} // namespace testsupport
