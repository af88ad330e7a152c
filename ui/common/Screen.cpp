#include "Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace ui {

QPoint centredOnScreen(const Screen& screen, QSize frameSize)
{
    const QSize free = screen.sizePixels() - frameSize;
    return {free.width() / 2, free.height() / 2};
}

QSize QtScreen::sizePixels() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(800, 600);
}

double QtScreen::logicalDpiX() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double QtScreen::logicalDpiY() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

QList<QRect> QtScreen::screenGeometries() const
{
    QList<QRect> geometries;
    for (const QScreen* screen : QGuiApplication::screens())
        geometries.append(screen->geometry());
    return geometries;
}

} // namespace ui
