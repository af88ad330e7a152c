#pragma once
// The screens' sizes and logical DPI, behind an interface so tests can place
// windows on screens of their choosing.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace ui {

class Screen
{
public:
    virtual ~Screen() = default;
    virtual QSize sizePixels() const = 0;
    virtual double logicalDpiX() const = 0;
    virtual double logicalDpiY() const = 0;
    // Every screen's area on the virtual desktop, in pixels.
    virtual QList<QRect> screenGeometries() const = 0;
};

// The top-left, in pixels, that centres a window of this frame size on the
// primary screen.
QPoint centredOnScreen(const Screen& screen, QSize frameSize);

class QtScreen : public Screen
{
public:
    QSize sizePixels() const override;
    double logicalDpiX() const override;
    double logicalDpiY() const override;
    QList<QRect> screenGeometries() const override;
};

} // namespace ui
