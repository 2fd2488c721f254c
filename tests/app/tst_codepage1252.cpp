#include "services/codepage1252.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "services/inifile.h"

using namespace tavelon;

TEST(Codepage1252, DecodesTheWholeByteRange)
{
    EXPECT_EQ(decode1252("H\xF6he \xA9 \x80 \x8A\x9F"), QStringLiteral(u"Höhe © € ŠŸ"));
    // The undefined bytes keep their value as code point, so every byte round-trips.
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString text = decode1252(all);
    EXPECT_EQ(text[0x81], QChar(0x81));
    EXPECT_EQ(encode1252(text), all);
}

TEST(Codepage1252, RefusesCharactersWithoutAByte)
{
    EXPECT_FALSE(encode1252(QStringLiteral(u"Ω")));
    EXPECT_FALSE(encode1252(QStringLiteral(u"日本")));
    EXPECT_FALSE(encode1252(QString(QChar(0x80)))); // byte 0x80 is the euro sign
    EXPECT_FALSE(encode1252(QStringLiteral(u"😀")));
    EXPECT_EQ(encode1252(QStringLiteral(u"€…")), QByteArray("\x80\x85"));
}

// A settings file is read as UTF-8 only when its bytes are strictly valid UTF-8, else as 1252.
TEST(Codepage1252, IniTextIsUtf8OnlyWhenStrictlyValid)
{
    struct Row
    {
        const char *name;
        QByteArray bytes;
        bool valid;
    };
    const Row rows[] = {
        {"ascii", "abc", true},
        {"two three four bytes", "\xC3\xB6\xE2\x82\xAC\xF0\x9F\x98\x80", true},
        {"1252 umlaut", "H\xF6he", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three bytes", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut sequence", "\xE2\x82", false},
        {"lone continuation", "\x80", false},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.ini"));
    for (const Row &r : rows) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[S]\r\nK=x" + r.bytes + "x\r\n");
        file.close();
        const QString expected =
            r.valid ? QString::fromUtf8("x" + r.bytes + "x") : decode1252("x" + r.bytes + "x");
        EXPECT_EQ(GetIniString(QStringLiteral("S"), QStringLiteral("K"), path, QString()), expected)
            << r.name;
    }
}
