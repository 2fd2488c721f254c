#pragma once

#include <QString>

namespace tavelon {

// Private-profile (INI) settings files: "[Section]" lines and "Key=Value" lines.
// Section and key names match without regard to letter case; blanks around keys and values are
// trimmed; a present but empty value reads as the default; values are cut to 2,047 characters.
QString GetIniString(const QString &section, const QString &key, const QString &file,
                     const QString &defaultValue);

// Replaces the key's value in place, keeping every other line, and creates the file, the section
// and the key as needed. The file is replaced atomically. A damaged file (a NUL byte, or larger
// than 16 MB) is renamed to <file>.bak (.bak2, .bak3 … when earlier backups exist; none is
// overwritten), and a fresh file takes its place. False when the file cannot be written or is a folder or
// unreadable.
bool WriteIniString(const QString &section, const QString &key, const QString &value, const QString &file);

// A whole settings file in memory: read once, read and changed key by key under the rules above,
// and written back once, atomically. Lines it does not change (comments, unknown keys, other
// sections, line ends) stay as they were.
class IniDocument
{
public:
    explicit IniDocument(const QString &file);

    QString path() const { return m_file; }
    QString value(const QString &section, const QString &key, const QString &defaultValue) const;
    // Changes the text in memory; false for a name or value that would not read back as written.
    bool setValue(const QString &section, const QString &key, const QString &value);
    // Writes the text (a damaged file is kept as <file>.bak first, as above). False when the file
    // cannot be written or is a folder or unreadable.
    bool save() const;

private:
    enum class State { Text, Missing, Damaged, Unusable };

    QString m_file;
    State m_state = State::Unusable;
    QString m_text;
};

} // namespace tavelon
