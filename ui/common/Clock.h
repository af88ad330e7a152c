#pragma once
// The time of day and timed calls, behind an interface so tests can fix the
// time and move it on without waiting.

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

namespace ui {

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Calls `then` once, `ms` from now, unless `context` is gone by then.
    virtual void singleShot(int ms, QObject* context, std::function<void()> then) = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    void singleShot(int ms, QObject* context, std::function<void()> then) override
    {
        QTimer::singleShot(ms, context, std::move(then));
    }
};

} // namespace ui
