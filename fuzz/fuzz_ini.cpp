// GetIniString and WriteIniString on the input as a settings file. The bytes before the first NUL
// are the file (the reader refuses files with NUL bytes anyway); after it may follow the write's
// section, key and value as UTF-8, separated by byte 0x01. A write that returns true must read
// back as written and leave every other key as it was; one that returns false must leave the file
// untouched.

#include "fuzzsupport.h"
#include "services/inifile.h"

using namespace tavelon;
using namespace tavelon::fuzz;

namespace {

const QString kDefault = QStringLiteral("<default>");
constexpr qsizetype kMaxValueLength = 2047; // the reader's longest value

struct Query
{
    QString section, key;
};

// What the reader gives for a value written as value: blanks trimmed, cut to the longest value
// without splitting a surrogate pair.
QString readBack(const QString &value)
{
    QStringView v = value;
    while (!v.isEmpty() && (v.front() == u' ' || v.front() == u'\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == u' ' || v.back() == u'\t'))
        v.chop(1);
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
    const QByteArray input = bytesOf(data, size);
    const qsizetype nul = input.indexOf('\0');
    const QByteArray fileBytes = nul < 0 ? input : input.first(nul);
    const QByteArrayList parts = nul < 0 ? QByteArrayList() : input.sliced(nul + 1).split('\x01');
    const Query written = nul < 0
                              ? Query{QStringLiteral("ClipSettings"), QStringLiteral("Text")}
                              : Query{QString::fromUtf8(parts.value(0)), QString::fromUtf8(parts.value(1))};
    const QString value =
        nul < 0 ? QStringLiteral("\u00A9 BRIMHOLT \t") : QString::fromUtf8(parts.mid(2).join('\x01'));

    static const QString original = scratchPath(QStringLiteral("Halvane.ini"));
    static const QString copy = scratchPath(QStringLiteral("Clip.ini"));
    require(writeFile(original, fileBytes) && writeFile(copy, fileBytes));

    const QList<Query> queries = {{QStringLiteral("Orrin's Halvane"), QStringLiteral("Language")},
                                  {QStringLiteral("clipsettings"), QStringLiteral("FORMAT")},
                                  {QStringLiteral(" ClipSettings\t"), QStringLiteral(" Width ")},
                                  written};
    QStringList before;
    for (const Query &q : queries)
        before.append(GetIniString(q.section, q.key, original, kDefault));

    if (!WriteIniString(written.section, written.key, value, copy)) {
        require(readFile(copy) == fileBytes);
        return 0;
    }
    for (qsizetype i = 0; i < queries.size(); ++i) {
        const QString now = GetIniString(queries[i].section, queries[i].key, copy, kDefault);
        if (i >= 3)
            require(now == readBack(value));
        else if (!mayBeSame(queries[i], written))
            require(now == before[i]);
    }
    return 0;
}
