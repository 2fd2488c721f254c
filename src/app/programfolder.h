#pragma once

#include <QString>

namespace tavelon {

struct AppState;

// Where a run keeps its frames, clips, settings and scratch file, and where an installed copy's
// own language files are.
struct ProgramFolder
{
    QString folder;
    // Where language files the program folder lacks are looked for: share/brimholt-tavelon/Language/
    // of an installed copy, the source tree's language folder for any other copy.
    QString installedLanguages;
    // The per-user folder of an installed copy: created with Frames/ and Clips/ when missing.
    bool perUser = false;
};

// Where an installed copy's data folder lies, seen from its executable's folder, for the install
// directories this program was configured with ("../share/brimholt-tavelon").
QString installedDataFromBin();
// The source tree's language folder, for a copy run from its build folder.
QString sourceLanguages();

// The name of the per-user program folder in the home folder.
QString perUserFolderName();

// Works out the program folder. root (--root) wins when given. An installed copy (the executable's
// folder holds, dataFromBin up, a folder share/brimholt-tavelon/) uses the per-user folder in home,
// whatever its prefix; any other copy uses its executable's folder, as a copy in a build folder
// or unpacked anywhere does.
ProgramFolder locateProgramFolder(const QString &root, const QString &executableFolder, const QString &home,
                                  const QString &dataFromBin, const QString &sourceLanguages);

// Makes the per-user folder with Frames/ and Clips/ where any of them is missing. The home folder
// must exist already: nothing is made above the program folder. False when a level cannot be made
// (a read-only home, a file in the folder's place).
bool createProgramFolder(const QString &folder);

// Points state at where.folder and its language files, with language (empty: the key "Language"
// of Halvane.ini, else the desktop's locale) as this run's choice.
void applyProgramFolder(AppState &state, const ProgramFolder &where, const QString &language);

// The message shown when createProgramFolder fails: the UiText entry and the folder.
QString programFolderMessage(const QString &uiText, const QString &folder);

} // namespace tavelon
