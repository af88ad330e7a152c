#include "MainWindowSettings.h"

#include "state/Startup.h"
#include "ui/common/Twips.h"

namespace ui {

using settings::Setting;

QSizeF screenTwips(const Screen& screen)
{
    const TwipsScale scale(screen.logicalDpiX(), screen.logicalDpiY());
    return scale.twips(screen.sizePixels());
}

QPointF centredTwips(const Screen& screen)
{
    const QSizeF size = screenTwips(screen);
    const state::PositionTwips centred = state::centredPosition({size.width(), size.height()});
    return {centred.left, centred.top};
}

QPointF initialPositionTwips(const state::SettingCopies& copies, const Screen& screen)
{
    const QPointF centred = centredTwips(screen);
    if (copies.isOn(Setting::OptCent))
        return centred;
    const std::string& left = copies.text(Setting::KLeft);
    const std::string& top = copies.text(Setting::KTop);
    return {settings::holdsNumber(left) ? settings::leadingNumber(left) : centred.x(),
            settings::holdsNumber(top) ? settings::leadingNumber(top) : centred.y()};
}

bool topEdgeVisible(const QRect& frame, const QList<QRect>& screens)
{
    const QRect edge(frame.left(), frame.top(), frame.width(), 1);
    for (const QRect& screen : screens) {
        if (screen.intersects(edge))
            return true;
    }
    return false;
}

void savePosition(state::Settings& settings, QPointF positionTwips)
{
    settings.write(Setting::KTop, settings::twipsText(positionTwips.y()));
    settings.write(Setting::KLeft, settings::twipsText(positionTwips.x()));
}

void saveTicks(state::Settings& settings, const Ticks& ticks)
{
    for (int i = 0; i < postal::kPrefectureCount; ++i)
        settings.writeTick(i, ticks[i]);
}

} // namespace ui
