#pragma once

#include <QString>

namespace tavelon {

class MainForm;

// A clip's Clip.ini: section "ClipSettings" in the clip folder. A clip.ini in another letter case
// is the one read and rewritten.
class ClipSettings
{
public:
    enum Key {
        ClipName,
        Format,
        FrameRate,
        Width,
        Height,
        Speed,
        Direction,
        Copyright,
        Text,
        Border,
        Box,
        Pos,
        Size,
        Container, // "avi" or "mp4"; missing or unknown: avi
        Fit        // "stretch" or "pad"; missing or unknown: stretch
    };

    explicit ClipSettings(const QString &clipPath);

    QString path() const { return m_file; }
    static QString keyName(Key key);

    QString read(Key key, const QString &defaultValue) const;
    bool write(Key key, const QString &value) const;

    // Stores the options the form holds now, one key after another in the file's key order.
    // False when any key could not be written.
    bool writeFrom(const MainForm &form) const;

private:
    QString m_file;
};

// The list index stored for a combo box's text: the last item equal to it, 0 when none is.
int storedListIndex(const QStringList &items, const QString &text);

} // namespace tavelon
