#include "services/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>
#include <vector>

#include "services/codepage1252.h"
#include "services/fileservices.h"

namespace tavelon {

namespace {

// Settings files are a few kilobytes; anything beyond this is not one and is left alone.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
// The reader's buffer holds 2,048 characters including the terminating null.
constexpr qsizetype kMaxValueLength = 2047;
const QString kLineEnd = QStringLiteral("\r\n");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && isBlank(s[from]))
        ++from;
    while (to > from && isBlank(s[to - 1]))
        --to;
    return s.sliced(from, to - from);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

enum class FileState { Text, Missing, Damaged, Unusable };

// What a settings file holds. Damaged: a plain file that is no settings file (a NUL byte, or larger
// than any settings file); Unusable: a folder, a pipe or a file that cannot be read.
struct FileContents
{
    FileState state = FileState::Unusable;
    QByteArray bytes;
};

FileContents readFileBytes(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return {FileState::Missing, {}};
    if (!info.isFile())
        return {};
    if (info.size() > kMaxFileSize)
        return {FileState::Damaged, {}};
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // readAll() allocates what the file holds; read(kMaxFileSize + 1) would allocate 16 MB every time.
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return {};
    if (bytes.size() > kMaxFileSize || bytes.contains('\0'))
        return {FileState::Damaged, {}};
    return {FileState::Text, bytes};
}

// Keeps a damaged settings file as <file>.bak, or .bak2 … beside earlier backups, which stay as
// they are. False when the backup cannot be made, so the damaged file must stay.
bool keepDamagedFile(const QString &file)
{
    const QString backup = freeBackupPath(file);
    return !backup.isEmpty() && QFile::rename(file, backup);
}

QString decodeText(QByteArrayView bytes)
{
    QByteArrayView body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    // Strict: overlong forms, surrogates, values above U+10FFFF and cut sequences are not UTF-8.
    // QString::fromUtf8() would drop a second byte order mark too, which the writer keeps as text:
    // a file starting with two would lose one at each save and read other lines than were written.
    if (body.isValidUtf8())
        return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom)(body);
    return decode1252(bytes);
}

// 1252 when every character fits and the bytes read back as the same text (1252 bytes of text
// such as "Ã©" are also valid UTF-8 and would read as "é"), else UTF-8.
QByteArray encodeText(const QString &text)
{
    if (std::optional<QByteArray> ansi = encode1252(text); ansi && decodeText(*ansi) == text)
        return *ansi;
    QByteArray utf8 = text.toUtf8();
    // A leading U+FEFF would be taken for a byte order mark and dropped; a real one keeps it.
    if (text.startsWith(QChar(0xFEFF)))
        utf8.prepend("\xEF\xBB\xBF");
    return utf8;
}

// One line of the file: its text and its terminator (CR LF, LF, CR, or none on the last line).
struct Line
{
    QStringView text;
    QStringView end;
};

std::vector<Line> splitLines(QStringView text)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != u'\n' && text[i] != u'\r')
            continue;
        const qsizetype endLength = (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
        lines.push_back({text.sliced(start, i - start), text.sliced(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < n)
        lines.push_back({text.sliced(start), {}});
    return lines;
}

// The section name of a "[Name]" line; nullopt for any other line.
std::optional<QStringView> sectionName(QStringView line)
{
    const QStringView t = trimBlanks(line);
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimBlanks(t.sliced(1, close - 1));
}

struct KeyLine
{
    QStringView key;
    QStringView value;
};

// Key and value of a "Key=Value" line; nullopt for comments, section lines and junk.
std::optional<KeyLine> keyLine(QStringView line)
{
    const QStringView t = trimBlanks(line);
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'['))
        return std::nullopt;
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0)
        return std::nullopt;
    const QStringView key = trimBlanks(t.first(eq));
    if (key.isEmpty())
        return std::nullopt;
    return KeyLine{key, trimBlanks(t.sliced(eq + 1))};
}

// The first section of that name: its header line and the index after its last line. header is -1
// when there is no such section.
struct SectionRange
{
    qsizetype header = -1;
    qsizetype end = 0;
};

SectionRange findSection(const std::vector<Line> &lines, QStringView section)
{
    SectionRange range;
    const auto n = static_cast<qsizetype>(lines.size());
    range.end = n;
    for (qsizetype i = 0; i < n; ++i) {
        const std::optional<QStringView> name = sectionName(lines[i].text);
        if (!name)
            continue;
        if (range.header >= 0) {
            range.end = i;
            break;
        }
        if (sameName(*name, section))
            range.header = i;
    }
    return range;
}

qsizetype findKey(const std::vector<Line> &lines, const SectionRange &range, QStringView key)
{
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const std::optional<KeyLine> kl = keyLine(lines[i].text);
        if (kl && sameName(kl->key, key))
            return i;
    }
    return -1;
}

// Line breaks would split the entry; a NUL makes the reader refuse the whole file.
bool hasBreakingChar(const QString &s)
{
    return s.contains(u'\n') || s.contains(u'\r') || s.contains(QChar(0));
}

// The text with the key's line replaced, or the key (and its section) inserted: after the last
// non-blank line of the section, or at the end. A line without terminator that gets a successor
// gets CR LF.
QString withValue(const QString &oldText, const QString &sectionText, const QString &keyText,
                  const QString &value)
{
    const std::vector<Line> lines = splitLines(oldText);
    const SectionRange range = findSection(lines, sectionText);
    const QString newKeyLine = keyText + u'=' + value + kLineEnd;

    qsizetype replace = -1;
    qsizetype insertAfter = -1;
    QString insertion;
    if (range.header < 0) {
        insertAfter = static_cast<qsizetype>(lines.size()) - 1;
        insertion = u'[' + sectionText + u']' + kLineEnd + newKeyLine;
    } else {
        replace = findKey(lines, range, keyText);
        if (replace < 0) {
            insertAfter = range.header;
            for (qsizetype i = range.end - 1; i > range.header; --i) {
                if (!trimBlanks(lines[i].text).isEmpty()) {
                    insertAfter = i;
                    break;
                }
            }
            insertion = newKeyLine;
        }
    }

    QString text;
    text.reserve(oldText.size() + newKeyLine.size() + sectionText.size() + 4);
    if (insertAfter < 0)
        text += insertion;
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines.size()); ++i) {
        if (i == replace) {
            text += newKeyLine;
            continue;
        }
        text += lines[i].text;
        if (i == insertAfter) {
            text += lines[i].end.isEmpty() ? QStringView(kLineEnd) : lines[i].end;
            text += insertion;
        } else {
            text += lines[i].end;
        }
    }
    return text;
}

} // namespace

IniDocument::IniDocument(const QString &file) : m_file(file)
{
    if (file.isEmpty())
        return;
    const FileContents contents = readFileBytes(file);
    m_state = State(int(contents.state)); // the same four states, in the same order
    m_text = decodeText(contents.bytes);
}

QString IniDocument::value(const QString &section, const QString &key, const QString &defaultValue) const
{
    if (m_state != State::Text)
        return defaultValue;
    const std::vector<Line> lines = splitLines(m_text);
    const SectionRange range = findSection(lines, trimBlanks(section));
    if (range.header < 0)
        return defaultValue;
    const qsizetype at = findKey(lines, range, trimBlanks(key));
    if (at < 0)
        return defaultValue;
    QStringView value = keyLine(lines[at].text)->value;
    if (value.isEmpty())
        return defaultValue;
    if (value.size() > kMaxValueLength) {
        // Never leave half of a surrogate pair at the cut.
        const bool splitsPair = value[kMaxValueLength - 1].isHighSurrogate();
        value = value.first(splitsPair ? kMaxValueLength - 1 : kMaxValueLength);
    }
    return value.toString();
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionText = trimBlanks(section).toString();
    const QString keyText = trimBlanks(key).toString();
    // Names and values that would not read back as written (or would break other lines) are refused.
    if (m_file.isEmpty() || sectionText.isEmpty() || keyText.isEmpty() || sectionText.contains(u']') ||
        keyText.contains(u'=') || keyText.startsWith(u';') || keyText.startsWith(u'[') ||
        hasBreakingChar(sectionText) || hasBreakingChar(keyText) || hasBreakingChar(value))
        return false;
    if (m_state == State::Unusable)
        return false;
    m_text = withValue(m_text, sectionText, keyText, value);
    return true;
}

bool IniDocument::save() const
{
    // A damaged file is kept once beside the new one, which starts afresh.
    if (m_state == State::Unusable || (m_state == State::Damaged && !keepDamagedFile(m_file)))
        return false;
    // QSaveFile writes a temporary file beside the target and renames it over the old one only
    // when everything was written, so a failure leaves the old file as it was.
    QSaveFile out(m_file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray encoded = encodeText(m_text);
    // commit() does not see a failed flush of the write buffer (a full disk) and would put the
    // short file in place of the old one, so the buffer is flushed and checked here.
    if (out.write(encoded) != encoded.size() || !out.flush()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

QString GetIniString(const QString &section, const QString &key, const QString &file,
                     const QString &defaultValue)
{
    return IniDocument(file).value(section, key, defaultValue);
}

bool WriteIniString(const QString &section, const QString &key, const QString &value, const QString &file)
{
    IniDocument document(file);
    return document.setValue(section, key, value) && document.save();
}

} // namespace tavelon
