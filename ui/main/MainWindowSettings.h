#pragma once
// What the main window reads from the setting copies when it loads and writes
// to the store when the program is asked to end.

#include "postal/Catalogue.h"
#include "state/Settings.h"
#include "ui/common/Screen.h"

#include <QList>
#include <QPointF>
#include <QRect>
#include <array>

namespace ui {

using Ticks = std::array<bool, postal::kPrefectureCount>;

// The primary screen's size in twips.
QSizeF screenTwips(const Screen& screen);

// Left and top, in twips, that centre the 12000 x 9000 window on the screen.
QPointF centredTwips(const Screen& screen);

// The window frame's top-left in twips: centred when OptCent is "1",
// otherwise K_Left/K_Top as stored (partly off screen too); a text that holds
// no number at all centres.
QPointF initialPositionTwips(const state::SettingCopies& copies, const Screen& screen);

// Whether some part of a frame's top edge lies on one of the screens: the
// edge the user grabs to move the window.
bool topEdgeVisible(const QRect& frame, const QList<QRect>& screens);

// Writes K_Top, then K_Left, into the copies and the store.
void savePosition(state::Settings& settings, QPointF positionTwips);

// Writes Ken_OnOff(0) ... Ken_OnOff(46), in that order, into the copies and the store.
void saveTicks(state::Settings& settings, const Ticks& ticks);

} // namespace ui
