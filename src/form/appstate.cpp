#include "form/appstate.h"

#include "services/fileservices.h"

namespace tavelon {

void AppState::setProgramFolder(const QString &folder)
{
    AppPath = folder;
    AddBackslash(AppPath);
    IniFile = AppPath + QStringLiteral("Halvane.ini");
    FramesPath = AppPath + QStringLiteral("Frames") + pathSeparator();
    ClipsPath = AppPath + QStringLiteral("Clips") + pathSeparator();
    LanguagePath = AppPath + QStringLiteral("Language") + pathSeparator();
}

} // namespace tavelon
