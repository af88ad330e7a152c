#pragma once
// The program's main job: the rows of the ticked prefectures, in list order,
// written to a new list file that the user names.

#include "MainWindowSettings.h"
#include "state/ProgramState.h"

class QWidget;

namespace ui {

class CommonDialog;
class FetchCommand;
class MessageBoxes;

void exportTicked(state::ProgramState& state, const Ticks& ticks, CommonDialog& dialog,
                  MessageBoxes& messages, QWidget* parent);

// The same for the business-office list, read from the list folder at the
// moment of the save; where the folder holds none, it is offered, fetched,
// and the save goes on.
void exportTickedOffices(state::ProgramState& state, const Ticks& ticks, CommonDialog& dialog,
                         MessageBoxes& messages, FetchCommand& fetch, QWidget* parent);

} // namespace ui
