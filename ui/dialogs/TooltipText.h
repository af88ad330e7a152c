#pragma once
// A control's tooltip: its caption without the access key, framed by one
// half-width space on each side ("適用(&A)" -> " 適用 ").

#include <QRegularExpression>
#include <QString>

namespace ui {

inline QString tooltipText(QString caption)
{
    static const QRegularExpression accessKey(QStringLiteral("\\(&.\\)$"));
    caption.remove(accessKey);
    return QLatin1Char(' ') + caption + QLatin1Char(' ');
}

} // namespace ui
