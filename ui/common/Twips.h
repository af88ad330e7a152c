#pragma once
// Twips (1/1440 inch), the unit the layout and the stored positions are kept
// in, and pixels at the screen's logical DPI.

#include "postal/Catalogue.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <cmath>

namespace ui {

inline constexpr double kTwipsPerInch = 1440.0;

class TwipsScale
{
public:
    TwipsScale(double dpiX, double dpiY)
        : dpiX_(dpiX > 0 ? dpiX : 96.0), dpiY_(dpiY > 0 ? dpiY : 96.0)
    {
    }

    int x(double twips) const { return int(std::lround(twips * dpiX_ / kTwipsPerInch)); }
    int y(double twips) const { return int(std::lround(twips * dpiY_ / kTwipsPerInch)); }
    QPoint point(double left, double top) const { return {x(left), y(top)}; }
    QSize size(double width, double height) const { return {x(width), y(height)}; }
    QRect rect(const postal::TwipsRect& r) const
    {
        return {x(r.left), y(r.top), x(r.width), y(r.height)};
    }

    double twipsX(double px) const { return px * kTwipsPerInch / dpiX_; }
    double twipsY(double px) const { return px * kTwipsPerInch / dpiY_; }
    QSizeF twips(const QSize& px) const { return {twipsX(px.width()), twipsY(px.height())}; }

private:
    double dpiX_;
    double dpiY_;
};

} // namespace ui
