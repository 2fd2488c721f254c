#include "form/appstate.h"

#include "services/fileservices.h"

namespace tavelon {

void AppState::setProgramFolder(const QString &folder)
{
    AppPath = folder;
    AddBackslash(AppPath);
    IniFile = pathIgnoringCase(AppPath, QStringLiteral("Halvane.ini"));
    FramesPath = pathIgnoringCase(AppPath, QStringLiteral("Frames")) + pathSeparator();
    ClipsPath = pathIgnoringCase(AppPath, QStringLiteral("Clips")) + pathSeparator();
    LanguagePath = pathIgnoringCase(AppPath, QStringLiteral("Language")) + pathSeparator();
}

} // namespace tavelon
