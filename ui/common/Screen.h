#pragma once
// The primary screen's size and logical DPI, behind an interface so tests can
// place windows on a screen of their choosing.

#include <QSize>

namespace ui {

class Screen
{
public:
    virtual ~Screen() = default;
    virtual QSize sizePixels() const = 0;
    virtual double logicalDpiX() const = 0;
    virtual double logicalDpiY() const = 0;
};

class QtScreen : public Screen
{
public:
    QSize sizePixels() const override;
    double logicalDpiX() const override;
    double logicalDpiY() const override;
};

} // namespace ui
