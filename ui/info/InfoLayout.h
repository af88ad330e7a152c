#pragma once
// What the splash and the about window share: the grey face, the white
// lines, the icon, and texts drawn over a black shadow of themselves. Each
// piece is a child named after its control ("Label1_3", "Line1_0", "Image1").

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace ui::info {

inline const QColor kGrey(128, 128, 128);
inline const QColor kWhite(255, 255, 255);
inline const QColor kYellow(255, 255, 0);
inline const QColor kPaleYellow(255, 255, 192);
inline const QColor kGreen(0, 255, 0);
inline const QColor kPaleGreen(192, 255, 192);

// Faces the windows name, or the nearest installed ones.
QFont minchoFont(double pointSize, bool bold);
QFont gothicFont(double pointSize);
QFont romanFont(double pointSize);

void paintGrey(QWidget* window);
QLabel* addIcon(QWidget* window, QPoint topLeft);
// A white line of one pixel; pointer events pass through to the window.
QWidget* addLine(QWidget* window, int index, QRect area);
// One text on a transparent background, sized to fit.
QLabel* addText(QWidget* window, int index, const QString& text, const QFont& font,
                const QColor& colour, QPoint topLeft);
// The shadow in the default text colour, `offset` to the right and below,
// and the coloured copy over it. Returns the coloured copy.
QLabel* addShadowedText(QWidget* window, int shadowIndex, int colourIndex, const QString& text,
                        const QFont& font, const QColor& colour, QPoint topLeft, int offset);

// Moves a coloured copy and its shadow together.
void moveShadowedText(QLabel* coloured, QPoint topLeft);

QColor textColour(const QLabel* label);
void setTextColour(QLabel* label, const QColor& colour);

// "https://example.org/~me/" -> {"https://example.org/", "~me/"}: the
// address up to and including the host's closing slash, and its path.
std::pair<QString, QString> splitAddress(const QString& address);

} // namespace ui::info
