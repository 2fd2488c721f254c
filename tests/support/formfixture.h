#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <ostream>

#include "form/mainform.h"
#include "scriptedmessages.h"
#include "app/formlogic.h"
#include "video/compressionchooser.h"

namespace tavelon::test {

// Answers the compression question with the options set, or cancels while none are set.
class ScriptedCompressionChooser : public CompressionChooser
{
public:
    int chooseCompression(CompressOptions &options) override
    {
        if (!choice)
            return 0;
        options = *choice;
        return 1;
    }
    std::optional<CompressOptions> choice;
};

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

    // The make-video command without dialog: the default compressor (cancelled until this is
    // called), 32 × 24 frames.
    void useFixedCompressor();
    void makeVideo();
    QString video(const QString &clip) const
    {
        return root() + QStringLiteral("Clips/") + clip + QStringLiteral(".avi");
    }
    // The texts of the error reports (OK messages) shown so far.
    QStringList errors() const;

    MainForm form;
    ScriptedMessages messages;
    ScriptedCompressionChooser chooser;
    std::unique_ptr<FormLogic> logic;

private:
    QTemporaryDir m_dir;
};

// Writes frame files into folder: names[i] is a solid picture in FormFixture::frameColor(i), as
// BMP or JPEG after its extension.
void writeFrames(const QString &folder, const QStringList &names, QSize size = QSize(32, 24));

} // namespace tavelon::test

// Readable QString values in test failures.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
