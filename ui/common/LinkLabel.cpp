#include "LinkLabel.h"

#include <QMouseEvent>

namespace ui {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

QColor LinkLabel::textColour() const
{
    return palette().color(QPalette::WindowText);
}

void LinkLabel::setTextColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

// Accepted here, so the move does not also reach the window behind, which
// would take the hover colour back at once.
void LinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit pointerMoved();
}

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

// A click is a press and a release on the link itself.
void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace ui
