#pragma once
// The program as a test runs it: start-up over a memory store, then the real
// main window with scripted dialogs. Starting twice on one store is a restart.

#include "FakeUi.h"

#include "state/ProgramState.h"
#include "state/Startup.h"
#include "tests/support/MemorySettingsStore.h"
#include "tests/support/TempDir.h"
#include "ui/main/DateTimeText.h"
#include "ui/main/MainWindow.h"

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

struct RunningProgram
{
    FakeUi fake;
    state::ProgramState state;
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
        state.copies = started.copies;
        state.table = started.table;
        state.store = &store;
        state.programFolder = folder;
        ui::SetDateTime(state, fake.clock.now(), fake.services.locale);
    }

    // Builds the window; settings may be changed on `state.copies` before.
    ui::MainWindow& open()
    {
        window = std::make_unique<ui::MainWindow>(state, fake.services);
        return *window;
    }
};

} // namespace testsupport
