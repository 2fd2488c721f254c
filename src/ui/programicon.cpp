#include "ui/programicon.h"

#include <QIcon>

namespace tavelon {

QIcon programIcon()
{
    QIcon icon;
    for (int size : {TAVELON_ICON_SIZES})
        icon.addFile(QStringLiteral(":/icons/%1/" TAVELON_APP_ID ".png").arg(size), QSize(size, size));
    return icon;
}

const char *desktopId()
{
    return TAVELON_APP_ID;
}

} // namespace tavelon
