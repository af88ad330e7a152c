#pragma once
// The delete command: the user picks a list file in the shared chooser,
// confirms, and it is removed outright.

namespace state {
class ProgramState;
}

class QWidget;

namespace ui {

class CommonDialog;
struct UiServices;

void runDeleteCommand(state::ProgramState& state, CommonDialog& chooser, UiServices& services,
                      QWidget* parent);

} // namespace ui
