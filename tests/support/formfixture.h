#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

#include "app/mainform.h"
#include "app/scriptedmessages.h"
#include "clips/formlogic.h"

namespace tavelon::test {

// A program folder in a temporary directory with a form and its logic, as the window has them.
class FormFixture
{
public:
    FormFixture();
    ~FormFixture();

    QString root() const { return m_dir.path() + QLatin1Char('/'); }
    QString framesPath() const { return root() + QStringLiteral("Frames/"); }
    QString clipPath(const QString &clip) const { return framesPath() + clip + QLatin1Char('/'); }

    // Writes frame files into Frames/<clip>/: count solid frames of the given size, named
    // f000.bmp, f001.bmp … (or .jpg), each a distinct colour (frameColor).
    void makeClip(const QString &clip, int count, QSize size = QSize(64, 48), const char *format = "bmp");
    static QColor frameColor(int i);
    void writeClipIni(const QString &clip, const QString &body);

    // Fills the string table and runs the window's set-up.
    void start();

    MainForm form;
    ScriptedMessages messages;
    std::unique_ptr<FormLogic> logic;

private:
    QTemporaryDir m_dir;
};

} // namespace tavelon::test

// Readable QString values in test failures.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
