#pragma once
// The status bar's date and time texts.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace ui {

// "2007/03/05"
QString dateText(const QDate& date);
// "<AM/PM designator of the locale> hh:mm", 12-hour clock 01-12: 00:30 -> "午前 12:30".
QString timeText(const QTime& time, const QLocale& locale);

} // namespace ui
