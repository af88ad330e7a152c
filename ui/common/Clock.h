#pragma once
// The time of day, behind an interface so tests can fix it.

#include <QDateTime>

namespace ui {

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace ui
