#pragma once
// What the main window reads from the setting copies when it loads and writes
// to the store when the program is asked to end.

#include "state/ProgramState.h"
#include "ui/common/Screen.h"

#include <QPoint>
#include <QPointF>
#include <array>
#include <string>

namespace ui {

inline constexpr double kMainWidthTwips = 12000;
inline constexpr double kMainHeightTwips = 9000;

using Ticks = std::array<bool, postal::kPrefectureCount>;

// A stored tick text: its leading number rounded; 0 clears, anything else
// ticks, as a missing tick does.
bool tickFromText(const std::string& text);

// Left and top, in twips, that centre the 12000 x 9000 window on the screen.
QPointF centredTwips(const Screen& screen);

// The window frame's top-left in twips: centred when OptCent is "1",
// otherwise K_Left/K_Top as stored (also off screen); a text that holds no
// number at all centres.
QPointF initialPositionTwips(const settings::SettingCopies& copies, const Screen& screen);

// Twips as decimal text: whole twips, "1500".
std::string twipsText(double twips);

// Writes K_Top, then K_Left, into the copies and the store.
void savePosition(state::ProgramState& state, QPointF positionTwips);

// Writes Ken_OnOff(0) ... Ken_OnOff(46), in that order, into the copies and the store.
void saveTicks(state::ProgramState& state, const Ticks& ticks);

} // namespace ui
