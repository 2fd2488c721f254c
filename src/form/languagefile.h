#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavelon {

class MainForm;

// One block of a language file: the first character of its marker line (null for an empty line),
// the control it addresses and the text lines it carries for that control.
struct LanguageBlock
{
    QChar marker;
    QString name;
    qint64 index = 0;
    // "#": the item lines as read (item i is line i); "^", "°": the caption or tooltip; "*": the
    // caption, then the tooltip. Empty for the other markers, whose lines are only consumed.
    QStringList lines;
};

// Splits a language file's text into its blocks. Lines end at CR LF, CR or LF. Separator lines
// ("---" and longer) are skipped where a block may begin. A file cut off inside a block gives the
// missing lines the last line read; for a "#" block only up to item 10,000, so a huge count in a
// cut-off file does not make millions of items.
QList<LanguageBlock> parseLanguage(QStringView text);

// Applies the blocks to the form's controls. A name or index the form does not know, or a
// property the control lacks, skips that one assignment silently.
void applyLanguage(MainForm &form, const QList<LanguageBlock> &blocks);

// Reads the Windows-1252 language file at path and applies it to the form. An unreadable file
// or a folder changes nothing.
void LoadLanguage(MainForm &form, const QString &path);

} // namespace tavelon
