#pragma once

#include <QString>

#include "form/playingdirection.h"

namespace tavelon {

// The section of the program's settings file (AppState::IniFile) and its key for the language.
inline const QString kProgramSection = QStringLiteral("Orrin's Halvane");
inline const QString kLanguageKey = QStringLiteral("Language");

// The values the subsystems share: paths formed at start-up and the few flags the long loops and
// the event handlers use to see each other. One object, created with the form and handed to the
// subsystem classes.
struct AppState
{
    // Folder paths end in the platform's separator.
    QString AppPath;
    QString AppTitle = QStringLiteral("Brimholt Tavelon");
    QString IniFile;
    QString FramesPath;
    QString ClipsPath;
    QString LanguagePath;
    // An installed copy's own language files, looked in when LanguagePath lacks the file; empty
    // when the program runs from its build folder.
    QString LanguageFallbackPath;
    // The language named on the command line for this run, in place of the key "Language".
    QString LanguageChoice;
    // The language the desktop's locale calls for, used when neither the command line nor the key
    // "Language" names one; empty for the built-in German texts.
    QString DesktopLanguage;

    QString ClipPath;
    QString VideoName;
    QString CurrentFramePath;
    QString LanguageName;

    bool MakingVideo = false;
    PlayingDirection PlayDirection = PlayingDirection::Forward;
    int OverlayMargin = 0;
    int OverlayShadow = 0;

    // Sets AppPath (separator appended) and the paths formed from it; a fixed name that exists
    // only in another letter case is used in that spelling.
    void setProgramFolder(const QString &folder);
};

} // namespace tavelon
