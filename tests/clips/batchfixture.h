#pragma once

#include "services/inifile.h"
#include "testsupport.h"

namespace tavelon::test {

// The program in batch mode on a program folder with the clip "Garten" of three frames; Row is the
// row type of a value-parameterised test.
template <typename Row = int> class BatchFixture : public ::testing::TestWithParam<Row>
{
protected:
    void SetUp() override { fx.makeClip(u"Garten"_s, 3); }
    // The program on the fixture's folder, in the given locale (the C locale's German texts unless
    // one is named, whatever the machine's locale is).
    RunResult run(QStringList args, const char *locale = "C.UTF-8")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"LANG"_s, u"LC_CTYPE"_s, u"LC_MESSAGES"_s})
            env.remove(name);
        env.insert(u"LC_ALL"_s, QString::fromLatin1(locale));
        return runProgram(QStringLiteral(TAVELON_BIN), QStringList{u"--root"_s, fx.root()} + args, env);
    }
    // The values of keys in a clip's Clip.ini.
    QStringList clipIni(const QStringList &keys, const QString &clip = u"Garten"_s) const
    {
        QStringList values;
        for (const QString &key : keys)
            values << GetIniString("ClipSettings", key, fx.clipPath(clip) + "Clip.ini", QString());
        return values;
    }
    QString mp4(const QString &clip) const { return fx.root() + u"Clips/"_s + clip + u".mp4"_s; }

    FormFixture fx;
};

} // namespace tavelon::test
