#include "DateTimeText.h"

namespace ui {

QString dateText(const QDate& date)
{
    return QStringLiteral("%1/%2/%3")
        .arg(date.year())
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString timeText(const QTime& time, const QLocale& locale)
{
    const int hour24 = time.hour();
    const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
    // Built by hand: the locale's "AP" format would change the designator's case.
    const QString designator = hour24 < 12 ? locale.amText() : locale.pmText();
    return QStringLiteral("%1 %2:%3")
        .arg(designator)
        .arg(hour12, 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'));
}

} // namespace ui
