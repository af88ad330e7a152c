#include "Pictures.h"

namespace ui {

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 64, 128})
        icon.addFile(QStringLiteral(":/icons/app-%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon toolbarPicture(const char* name)
{
    // name@2x.png is found beside it.
    return QIcon(QStringLiteral(":/icons/") + QLatin1String(name) + QStringLiteral(".png"));
}

} // namespace ui
