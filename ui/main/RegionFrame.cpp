#include "RegionFrame.h"

#include <QPainter>

namespace ui {

namespace {

const QColor kEtchLight(240, 240, 240);
const QColor kEtchDark(64, 64, 64);

} // namespace

RegionFrame::RegionFrame(const QString& title, int captionIndent, QWidget* parent)
    : QGroupBox(title, parent), captionIndent_(captionIndent)
{
}

QRect RegionFrame::captionRect() const
{
    const QFontMetrics metrics(font());
    return {captionIndent_, 0, metrics.horizontalAdvance(title()), metrics.height()};
}

void RegionFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect caption = captionRect();
    // The dark line, then the light one a pixel right and down of it.
    const int lineY = caption.center().y();
    const QRect dark(0, lineY, width() - 2, height() - lineY - 2);
    painter.setPen(kEtchLight);
    painter.drawRect(dark.translated(1, 1));
    painter.setPen(kEtchDark);
    painter.drawRect(dark);

    // The caption on the grey, breaking the top line.
    painter.fillRect(caption, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, title());
}

} // namespace ui
