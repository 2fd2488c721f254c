#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace tavelon {

// The platform's folder separator, as one character of text.
QString pathSeparator();

// True when path names a file that can be opened for reading (a folder is false).
bool FileExists(const QString &path);
// True when path names an existing folder, with or without a trailing separator.
bool FolderExists(const QString &path);
// Creates every missing level of the folder path (path gets a trailing separator). False when a
// level cannot be made, e.g. through an existing file. Never changes the current folder.
bool CreatePath(QString &path);
// Appends the separator when the last character is not one (an empty text gets one).
void AddBackslash(QString &path);
// The text after the last separator, one trailing separator removed first.
QString LastPathPart(const QString &path);

// The entry called name among a folder's entries: name itself when it is there, otherwise the entry
// equal to it ignoring letter case (the first in byte order when several are); nullopt when none.
std::optional<QString> entryIgnoringCase(const QStringList &entries, const QString &name);
// The path of the entry called name in folder (ending in a separator), found as entryIgnoringCase
// finds it, so that files and folders copied from a system that ignores letter case are the ones
// read and rewritten. folder + name when no spelling of it exists.
QString pathIgnoringCase(const QString &folder, const QString &name);

// Where a copy of file can be kept without replacing an earlier one: <file>.bak, else the first free
// one of <file>.bak2, <file>.bak3 … (a dangling link counts as taken); empty when none is free.
QString freeBackupPath(const QString &file);

// Creates an empty file of a name no other entry of folder has, ".<name>-<six random
// characters><extension>", with the permissions any new file gets; returns its path, or an empty
// text when folder takes no new file. A hidden name: the file is a scratch copy until renamed.
QString createHiddenScratchFile(const QString &folder, const QString &name, const QString &extension);
// Renames from to to in one step, replacing a file to; a reader of to sees the old file or the new
// one, never none. False, nothing changed, when it cannot be done.
bool replaceFile(const QString &from, const QString &to);

} // namespace tavelon
