#include "InfoLayout.h"

#include "ui/common/JapaneseFont.h"
#include "ui/common/Pictures.h"

#include <QLabel>
#include <QVariant>
#include <QWidget>

namespace ui::info {

QFont minchoFont(double pointSize, bool bold)
{
    QFont font = japaneseFont(QStringLiteral("ＭＳ Ｐ明朝"), pointSize);
    font.setBold(bold);
    return font;
}

QFont gothicFont(double pointSize)
{
    return japaneseFont(QStringLiteral("ＭＳ Ｐゴシック"), pointSize);
}

QFont romanFont(double pointSize)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(pointSize);
    return font;
}

void paintGrey(QWidget* window)
{
    QPalette grey = window->palette();
    grey.setColor(QPalette::Window, kGrey);
    window->setPalette(grey);
    window->setAutoFillBackground(true);
}

QLabel* addIcon(QWidget* window, QPoint topLeft)
{
    auto* image = new QLabel(window);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(programIcon().pixmap(32, 32));
    image->setGeometry(QRect(topLeft, QSize(32, 32)));
    return image;
}

QWidget* addLine(QWidget* window, int index, QRect area)
{
    auto* line = new QWidget(window);
    line->setObjectName(QStringLiteral("Line1_%1").arg(index));
    QPalette white = line->palette();
    white.setColor(QPalette::Window, kWhite);
    line->setPalette(white);
    line->setAutoFillBackground(true);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setGeometry(area);
    return line;
}

QLabel* addText(QWidget* window, int index, const QString& text, const QFont& font,
                const QColor& colour, QPoint topLeft)
{
    auto* label = new QLabel(text, window);
    label->setObjectName(QStringLiteral("Label1_%1").arg(index));
    label->setProperty("index", index);
    label->setFont(font);
    setTextColour(label, colour);
    label->adjustSize();
    label->move(topLeft);
    return label;
}

QLabel* addShadowedText(QWidget* window, int shadowIndex, int colourIndex, const QString& text,
                        const QFont& font, const QColor& colour, QPoint topLeft, int offset)
{
    const QColor shadowColour = window->palette().color(QPalette::WindowText);
    QLabel* shadow =
        addText(window, shadowIndex, text, font, shadowColour, topLeft + QPoint(offset, offset));
    // Made second, so it lies over its shadow.
    QLabel* coloured = addText(window, colourIndex, text, font, colour, topLeft);
    coloured->setProperty("shadow", QVariant::fromValue<QObject*>(shadow));
    coloured->setProperty("shadowOffset", offset);
    return coloured;
}

void moveShadowedText(QLabel* coloured, QPoint topLeft)
{
    const int offset = coloured->property("shadowOffset").toInt();
    coloured->move(topLeft);
    if (auto* shadow = qobject_cast<QLabel*>(coloured->property("shadow").value<QObject*>()))
        shadow->move(topLeft + QPoint(offset, offset));
}

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

std::pair<QString, QString> splitAddress(const QString& address)
{
    const qsizetype scheme = address.indexOf(QStringLiteral("://"));
    const qsizetype hostStart = scheme < 0 ? 0 : scheme + 3;
    const qsizetype slash = address.indexOf(QLatin1Char('/'), hostStart);
    if (slash < 0)
        return {address, QString()};
    return {address.left(slash + 1), address.mid(slash + 1)};
}

} // namespace ui::info
