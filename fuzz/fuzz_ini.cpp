// GetIniString and WriteIniString on the input as a settings file. The bytes before the first NUL
// are the file (the reader refuses files with NUL bytes anyway); after it may follow the write's
// section, key and value as UTF-8, separated by byte 0x01. A write that returns true must read
// back as written (in any letter case of ASCII names) and leave every other key as it was; one
// that returns false must leave the file untouched.

#include <QByteArrayList>
#include <QList>

#include "services/inifile.h"
#include "fuzzsupport.h"

using namespace tavelon;
using namespace tavelon::fuzz;

namespace {

const QString kDefault = QStringLiteral("<default>");
// The reader's longest value.
constexpr qsizetype kMaxValueLength = 2047;

struct Query
{
    QString section;
    QString key;
};

QString swapAsciiCase(QString s)
{
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z')
            c = QChar(u - 32);
        else if (u >= u'A' && u <= u'Z')
            c = QChar(u + 32);
    }
    return s;
}

QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && (s.front() == u' ' || s.front() == u'\t'))
        s = s.sliced(1);
    while (!s.isEmpty() && (s.back() == u' ' || s.back() == u'\t'))
        s.chop(1);
    return s;
}

// What the reader gives for a value written as value.
QString readBack(const QString &value)
{
    QStringView v = trimBlanks(value);
    if (v.size() > kMaxValueLength)
        v = v.first(v[kMaxValueLength - 1].isHighSurrogate() ? kMaxValueLength - 1 : kMaxValueLength);
    return v.isEmpty() ? kDefault : v.toString();
}

// Conservative: names that may address the same entry (other whitespace trimmed too).
bool mayBeSame(const Query &a, const Query &b)
{
    return a.section.trimmed().compare(b.section.trimmed(), Qt::CaseInsensitive) == 0 &&
           a.key.trimmed().compare(b.key.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype nul = input.indexOf('\0');
    const QByteArray fileBytes = nul < 0 ? input : input.first(nul);

    QString section = QStringLiteral("ClipSettings");
    QString key = QStringLiteral("Text");
    QString value = QStringLiteral("\u00A9 BRIMHOLT \t");
    if (nul >= 0) {
        const QByteArrayList parts = input.sliced(nul + 1).split('\x01');
        section = QString::fromUtf8(parts.value(0));
        key = QString::fromUtf8(parts.value(1));
        value = QString::fromUtf8(parts.mid(2).join('\x01'));
    }

    static const QString original = scratchPath(QStringLiteral("Halvane.ini"));
    static const QString copy = scratchPath(QStringLiteral("Clip.ini"));
    require(writeFile(original, fileBytes) && writeFile(copy, fileBytes));

    const Query written{section, key};
    const QList<Query> queries = {
        {QStringLiteral("Orrin's Halvane"), QStringLiteral("Language")},
        {QStringLiteral("ORRIN'S HALVANE"), QStringLiteral("language")},
        {QStringLiteral("ClipSettings"), QStringLiteral("Format")},
        {QStringLiteral("clipsettings"), QStringLiteral("FORMAT")},
        {QStringLiteral(" ClipSettings\t"), QStringLiteral(" Width ")},
        {QStringLiteral("ClipSettings"), QStringLiteral("Text")},
        written,
        {swapAsciiCase(section), swapAsciiCase(key)},
    };
    QStringList before;
    std::size_t sum = 0;
    for (const Query &q : queries) {
        before.append(GetIniString(q.section, q.key, original, kDefault));
        sum += std::size_t(before.last().size());
    }
    consume(sum);
    require(before.at(6) == before.at(7));

    if (!WriteIniString(section, key, value, copy)) {
        require(sameBytes(readFile(copy), reinterpret_cast<const std::uint8_t *>(fileBytes.constData()),
                          std::size_t(fileBytes.size())));
        return 0;
    }
    const QString expected = readBack(value);
    for (qsizetype i = 0; i < queries.size(); ++i) {
        const Query &q = queries.at(i);
        const QString now = GetIniString(q.section, q.key, copy, kDefault);
        if (i >= 6)
            require(now == expected);
        else if (!mayBeSame(q, written))
            require(now == before.at(i));
    }
    return 0;
}
