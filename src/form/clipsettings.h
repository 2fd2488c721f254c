#pragma once

#include <QString>

#include "form/clipoptions.h"
#include "services/inifile.h"

namespace tavelon {

class MainForm;

// A clip's Clip.ini: section "ClipSettings" in the clip folder, read whole once when constructed
// and written once per save. A clip.ini in another letter case is the one read and rewritten.
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
        Fit,       // "stretch", "pad" or "crop"; missing or unknown: stretch
        Deflicker, // the deflicker window in frames; 0, missing or not a number: off
        Audio      // the soundtrack's audio file; empty or missing: none
    };

    explicit ClipSettings(const QString &clipPath);

    QString path() const { return m_document.path(); }
    static QString keyName(Key key);

    QString read(Key key, const QString &defaultValue) const;
    // Changes the key in memory; save() writes it.
    bool write(Key key, const QString &value);
    bool save() const { return m_document.save(); }

    // The stored options over base: a key that is missing takes its default (the format and its
    // texts, and whether the text box is shown, keep base's), a value that cannot stand for an
    // option keeps base's.
    ClipOptions options(const ClipOptions &base) const;
    // Stores the options of clip clipName, one key after another in the file's key order, and
    // writes the file once. False when any key could not be stored or the file not written.
    bool write(const ClipOptions &options, const QString &clipName);
    // The options the form holds now.
    bool writeFrom(const MainForm &form);

private:
    IniDocument m_document;
};

// The list index stored for a combo box's text: the last item equal to it, 0 when none is.
int storedListIndex(const QStringList &items, const QString &text);

} // namespace tavelon
