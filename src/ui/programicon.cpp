#include "ui/programicon.h"

#include <QIcon>

namespace tavelon {

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1/" TAVELON_APP_ID ".png").arg(size), QSize(size, size));
    return icon;
}

const char *desktopId()
{
    return TAVELON_APP_ID;
}

} // namespace tavelon
