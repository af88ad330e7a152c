#pragma once
// Ends the process once the watched window's first paint has reached the X
// server, for the start-up benchmark's two programs alike: what a program
// does on quitting is not its start-up.

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>

#include <cstdlib>

class EndAtFirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, qApp, [] {
                QGuiApplication::sync();
                std::_Exit(0);
            });
        }
        return false;
    }
};
