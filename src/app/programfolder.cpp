#include "app/programfolder.h"

#include <QDir>
#include <QFileInfo>

#include "form/appstate.h"
#include "services/desktoplanguage.h"

namespace tavelon {

QString installedDataFromBin()
{
    return QStringLiteral(TAVELON_DATA_FROM_BIN);
}

QString sourceLanguages()
{
    return QStringLiteral(TAVELON_SOURCE_LANGUAGES);
}

QString perUserFolderName()
{
    return QStringLiteral("Brimholt Tavelon");
}

ProgramFolder locateProgramFolder(const QString &root, const QString &executableFolder, const QString &home,
                                  const QString &dataFromBin, const QString &sourceLanguages)
{
    ProgramFolder result;
    const QString data = QDir::cleanPath(executableFolder + QLatin1Char('/') + dataFromBin);
    const bool installed = !dataFromBin.isEmpty() && QFileInfo(data).isDir();
    result.installedLanguages = installed ? data + QStringLiteral("/Language/") : sourceLanguages;
    if (!root.isEmpty()) {
        result.folder = QDir(root).absolutePath();
    } else if (installed) {
        // An empty home would put the folder at the file system's root: left empty, it cannot be
        // created and the start-up says so.
        if (!home.isEmpty())
            result.folder = QDir(home).absoluteFilePath(perUserFolderName());
        result.perUser = true;
    } else {
        result.folder = executableFolder;
    }
    return result;
}

bool createProgramFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (!info.absoluteDir().exists())
        return false;
    QDir dir(info.absoluteFilePath());
    if (!dir.exists() && !info.absoluteDir().mkdir(info.fileName()))
        return false;
    for (const QString &sub : {QStringLiteral("Frames"), QStringLiteral("Clips")}) {
        if (!QFileInfo(dir.filePath(sub)).isDir() && !dir.mkdir(sub))
            return false;
    }
    return true;
}

void applyProgramFolder(AppState &state, const ProgramFolder &where, const QString &language)
{
    state.setProgramFolder(where.folder);
    state.LanguageFallbackPath = where.installedLanguages;
    state.LanguageChoice = language;
    state.DesktopLanguage = languageForLocale(desktopLocaleName());
}

QString programFolderMessage(const QString &uiText, const QString &folder)
{
    const QString shown = folder.isEmpty() ? QStringLiteral("~/") + perUserFolderName() : folder;
    return uiText + QStringLiteral("\r\n") + QDir::toNativeSeparators(shown);
}

} // namespace tavelon
