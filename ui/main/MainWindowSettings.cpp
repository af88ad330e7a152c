#include "MainWindowSettings.h"

#include "ui/common/Twips.h"

#include <cctype>
#include <cmath>

namespace ui {

namespace {

// Whether a text starts with a number at all ("  -15", "1500.5", ".5x").
bool holdsNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i < text.size() && text[i] == '.')
        ++i;
    return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
}

} // namespace

bool tickFromText(const std::string& text)
{
    return std::lround(settings::leadingNumber(text)) != 0;
}

QPointF centredTwips(const Screen& screen)
{
    const TwipsScale scale(screen.logicalDpiX(), screen.logicalDpiY());
    const QSizeF size = scale.twips(screen.sizePixels());
    return {(size.width() - kMainWidthTwips) / 2, (size.height() - kMainHeightTwips) / 2};
}

QPointF initialPositionTwips(const settings::SettingCopies& copies, const Screen& screen)
{
    const QPointF centred = centredTwips(screen);
    if (settings::isOn(copies.optCent))
        return centred;
    const double left =
        holdsNumber(copies.kLeft) ? settings::leadingNumber(copies.kLeft) : centred.x();
    const double top =
        holdsNumber(copies.kTop) ? settings::leadingNumber(copies.kTop) : centred.y();
    return {left, top};
}

std::string twipsText(double twips)
{
    return std::to_string(std::lround(twips));
}

void savePosition(state::ProgramState& state, QPointF positionTwips)
{
    state.copies.kTop = twipsText(positionTwips.y());
    state.copies.kLeft = twipsText(positionTwips.x());
    state.store->write(settings::kPosition, "K_Top", state.copies.kTop);
    state.store->write(settings::kPosition, "K_Left", state.copies.kLeft);
}

void saveTicks(state::ProgramState& state, const Ticks& ticks)
{
    for (int i = 0; i < postal::kPrefectureCount; ++i) {
        state.copies.kenOnOff[i].assign(1, ticks[i] ? '1' : '0');
        state.store->write(settings::kKenOnOff, settings::kenOnOffKey(i), state.copies.kenOnOff[i]);
    }
}

} // namespace ui
