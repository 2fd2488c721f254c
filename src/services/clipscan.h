#pragma once

#include <QString>
#include <QStringList>

namespace tavelon {

// The clips: names of the direct sub-folders of framesPath (hidden ones included), in ascending
// name order without regard to letter case. Empty when the folder is missing.
QStringList listClips(const QString &framesPath);

// The frames of a clip: names of the files directly in clipPath that end in ".bmp" or ".jpg" (any
// letter case), in ascending name order without regard to letter case. Frame index i is entry i.
// Empty when the folder is missing.
QStringList listFrames(const QString &clipPath);

// Whether a file name is a frame's: it ends in ".bmp" or ".jpg", in any letter case.
bool isFrameName(const QString &name);

// Sorts ascending without regard to letter case, independent of the locale; names that differ
// only in case follow their exact text.
void sortNamesIgnoringCase(QStringList &names);

} // namespace tavelon
