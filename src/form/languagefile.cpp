#include "form/languagefile.h"

#include <algorithm>
#include <limits>

#include <QFile>
#include <QFileInfo>

#include "services/codepage1252.h"
#include "form/mainform.h"
#include "services/numbertext.h"

namespace tavelon {

namespace {

constexpr QChar kListMarker = u'#';
constexpr QChar kTabMarker = u'~';
constexpr QChar kHeaderMarker = u'+';
constexpr QChar kCaptionMarker = u'^';
constexpr QChar kToolTipMarker = u'\u00B0';
constexpr QChar kCaptionToolTipMarker = u'*';

// Counts beyond this are cut: no file has that many lines, and 2 × count must not overflow.
constexpr double kMaxCount = 1e15;
// The last item of a "#" block that the end of the file may leave to be filled with the last line
// read; missing items past it are dropped.
constexpr qint64 kMaxFilledItem = 10000;

// Reads lines one at a time. A read at the end of the text fails and leaves the target as it
// was, so a cut-off block sees the last line read in place of the missing ones.
class LineReader
{
public:
    explicit LineReader(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    bool read(QString &line)
    {
        if (atEnd())
            return false;
        qsizetype end = m_pos;
        while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n')
            ++end;
        line = m_text.sliced(m_pos, end - m_pos).toString();
        m_pos = end;
        if (m_pos < m_text.size()) {
            const bool crLf =
                m_text[m_pos] == u'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\n';
            m_pos += crLf ? 2 : 1;
        }
        return true;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

qint64 roundedValue(const QString &text)
{
    const double v = std::clamp(roundHalfEven(numberValueOf(text)), -kMaxCount, kMaxCount);
    return qint64(v);
}

} // namespace

QList<LanguageBlock> parseLanguage(QStringView text)
{
    QList<LanguageBlock> blocks;
    LineReader reader(text);
    QString line;
    qint64 count = 0;
    while (!reader.atEnd()) {
        reader.read(line);
        if (line.startsWith(QStringLiteral("---")))
            continue;
        LanguageBlock block;
        if (!line.isEmpty())
            block.marker = line.at(0);
        // A marker alone keeps the count of the block before.
        if (line.size() > 1)
            count = roundedValue(line.mid(1));
        reader.read(line);
        block.name = line;
        reader.read(line);
        block.index = roundedValue(line);

        if (block.marker == kListMarker) {
            // A block cut off by the end of the file gives its missing items the last line read,
            // but only up to item kMaxFilledItem: a count beyond that is no list anyone wrote.
            for (qint64 i = 0; i <= count; ++i) {
                if (!reader.read(line) && i > kMaxFilledItem)
                    break;
                block.lines.append(line);
            }
        } else if (block.marker == kTabMarker || block.marker == kHeaderMarker) {
            const qint64 n = block.marker == kTabMarker ? 2 * count : count;
            for (qint64 i = 0; i < n && reader.read(line); ++i) {
            }
        } else if (block.marker == kCaptionMarker || block.marker == kToolTipMarker) {
            reader.read(line);
            block.lines = {line};
        } else if (block.marker == kCaptionToolTipMarker) {
            reader.read(line);
            block.lines.append(line);
            reader.read(line);
            block.lines.append(line);
        }
        blocks.append(block);
    }
    return blocks;
}

void applyLanguage(MainForm &form, const QList<LanguageBlock> &blocks)
{
    for (const LanguageBlock &block : blocks) {
        if (block.index < std::numeric_limits<int>::min() || block.index > std::numeric_limits<int>::max())
            continue;
        Control *control = form.findControl(block.name, int(block.index));
        if (!control || block.lines.isEmpty())
            continue;
        if (block.marker == kListMarker) {
            // Index == count appends, a smaller one replaces, a larger one fails and is skipped.
            const qsizetype n = std::min<qsizetype>(block.lines.size(), std::numeric_limits<int>::max());
            for (qsizetype i = 0; i < n; ++i) {
                if (!block.lines.at(i).isEmpty())
                    control->setItem(int(i), block.lines.at(i));
            }
        } else if (block.marker == kCaptionMarker) {
            control->setCaption(block.lines.at(0));
        } else if (block.marker == kToolTipMarker) {
            control->setToolTip(block.lines.at(0));
        } else if (block.marker == kCaptionToolTipMarker && block.lines.size() == 2) {
            control->setCaption(block.lines.at(0));
            control->setToolTip(block.lines.at(1));
        }
    }
}

void LoadLanguage(MainForm &form, const QString &path)
{
    if (QFileInfo(path).isDir())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    file.close();
    applyLanguage(form, parseLanguage(decode1252(bytes)));
}

} // namespace tavelon
