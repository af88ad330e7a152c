#pragma once
// The program's main job: the rows of the ticked prefectures, in list order,
// written to a new list file that the user names.

#include "MainWindowSettings.h"
#include "state/ProgramState.h"

class QWidget;

namespace ui {

class CommonDialog;
class MessageBoxes;

void exportTicked(state::ProgramState& state, const Ticks& ticks, CommonDialog& dialog,
                  MessageBoxes& messages, QWidget* parent);

} // namespace ui
