#pragma once

#include <QtGui>
#include <gtest/gtest.h>

#include "app/formlogic.h"
#include "form/mainform.h"
#include "services/messages.h"
#include "video/compressionchooser.h"
#include "video/compressors.h"

namespace tavelon::test {

// A test that uses these helpers unqualified sees the program's names and Qt's string literals too.
using namespace ::tavelon;
using namespace Qt::StringLiterals;

// The fixture F of a value-parameterised test whose rows are of type Row.
template <class F, class Row> class WithRows : public F, public ::testing::WithParamInterface<Row>
{
};

// Names the rows of a value-parameterised test, Rows/Suite.Test/Name in ctest: a row's name member,
// or the first element of a tuple.
inline constexpr auto rowName = [](const auto &row) {
    if constexpr (requires { row.param.name; })
        return std::string(row.param.name);
    else
        return std::string(std::get<0>(row.param));
};

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// bytes with the little-endian values written at their offsets, 32 bits wide (16 with bits16).
QByteArray patched(QByteArray bytes, std::initializer_list<std::pair<int, qint64>> values,
                   bool bits16 = false);
// A BMP file image: file and info headers, paletteEntries palette entries, pixel bytes in a pattern.
QByteArray bmp(int width = 4, int height = 3, int bitCount = 24, int paletteEntries = 0);
// image as a camera's JPEG whose EXIF block gives orientation (big-endian, as many cameras write it).
QByteArray cameraJpeg(const QImage &image, int orientation);
// A picture of size in one colour, or in upright stripes of equal width, one per colour.
QImage filled(QSize size, QColor colour);
QImage stripes(QSize size, const QList<QColor> &colours);
// Largest channel difference between two colours.
int colourDistance(QColor a, QColor b);
// A 440 Hz tone of seconds made by ffmpeg into path.
void makeTone(const QString &path, double seconds);

// Records every message. Questions (Yes/No) take their answers from the queue, or the default
// answer when it is empty; OK messages are answered Ok.
class ScriptedMessages : public MessageService
{
public:
    struct Message
    {
        QString title;
        QString text;
        MessageButtons buttons;
        MessageIcon icon;
        MessageAnswer defaultAnswer;
    };
    MessageAnswer show(const QString &title, const QString &text, MessageButtons buttons, MessageIcon icon,
                       MessageAnswer defaultAnswer) override;
    void queueAnswer(MessageAnswer answer) { answers.enqueue(answer); }
    QStringList errors() const; // the texts of the OK messages

    QList<Message> messages;
    QQueue<MessageAnswer> answers;
};

// Answers the compression question with choice (the default compressor), or cancels without one.
class ScriptedCompressionChooser : public CompressionChooser
{
public:
    int chooseCompression(CompressOptions &options) override
    {
        if (choice)
            options = *choice;
        return choice ? 1 : 0;
    }
    std::optional<CompressOptions> choice = CompressOptions();
};

// A program folder in a temporary directory with a form and its logic, as the window has them.
class FormFixture
{
public:
    FormFixture();

    QString root() const { return m_dir.path() + u'/'; }
    QString framesPath() const { return root() + u"Frames/"_s; }
    QString clipPath(const QString &clip) const { return framesPath() + clip + u'/'; }
    QString video(const QString &clip) const { return root() + u"Clips/"_s + clip + ".avi"; }

    // count solid frames f000.bmp, f001.bmp … (or .jpg) in Frames/<clip>/, coloured frameColor(i).
    void makeClip(const QString &clip, int count, QSize size = QSize(64, 48), const char *format = "bmp");
    static QColor frameColor(int i);
    void writeClipIni(const QString &clip, const QString &body);
    // A file of Frames/<clip>/ with the bytes, or with the picture as BMP or JPEG after its extension.
    bool addFrame(const QString &clip, const QString &name, const QByteArray &bytes);
    bool addFrame(const QString &clip, const QString &name, const QImage &image);
    // The video's width and height boxes.
    void setVideoSize(int width, int height);
    // Fills the string table and runs the window's set-up.
    void start();
    // The make-video command, 32 × 24 frames, run to its end.
    void makeVideo();
    // The make-video command as the form stands, run to its end (the event loop runs meanwhile);
    // false when it did not end in time.
    bool runCommand(int timeoutMs = 120000);

    MainForm form;
    ScriptedMessages messages;
    ScriptedCompressionChooser chooser;
    std::unique_ptr<FormLogic> logic;

private:
    QTemporaryDir m_dir;
};

// names[i] as a solid picture in FormFixture::frameColor(i), BMP or JPEG after its extension.
void writeFrames(const QString &folder, const QStringList &names, QSize size = QSize(32, 24));

// A program run to its end: exit code (-1 for a crash), standard output bytes, standard error.
struct RunResult
{
    int code = -1;
    QByteArray out;
    QString err;
    QString text() const { return QString::fromLocal8Bit(out).trimmed(); }
};
RunResult runProgram(const QString &program, const QStringList &args,
                     const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
                     const QString &workingFolder = {});

// ffprobe's view of a video's first stream; ok only when ffprobe ran cleanly and printed no error
// (a truncated frame, a broken header).
struct Probe
{
    bool ok = false;
    QString errors;
    QString codecName;
    QString codecTag; // the fourcc as ffprobe spells it ("XVID")
    QString frameRate;
    int width = 0;
    int height = 0;
    int frames = 0;
    int hasBFrames = 0;
    QString sampleAspect; // "16:15"; "1:1", "0:1" or empty for square pixels
    QString pixelFormat;
    QString colourTags;   // matrix, primaries, transfer and range, "-" where the file says nothing
    QList<int> keyFrames; // the numbers of the packets that are key frames
};
Probe probe(const QString &path);
// The codec and the duration in seconds ffprobe gives the first stream of a kind ("v" or "a").
std::pair<QString, double> streamOf(const QString &path, const char *kind);
// All frames decoded by ffmpeg as RGB24 (empty when ffmpeg fails).
QByteArray decodeRgb24(const QString &path);
// Largest channel difference between the decoded pixel (x, y) of frame index and colour.
int colourDistance(const QByteArray &rgb, int width, int height, int frame, int x, int y, QColor colour);
// The FormFixture colour index of every frame of a video by its centre pixel (-1 where none is near).
QList<int> frameColours(const QString &path);

// Runs the calls of the video writer: each frame goes through tempPath (a BMP file) and a cDIB into
// the compressed stream, after the soundtrack when one is named. The first non-zero result, the
// releases included.
int writeAvi(const QString &aviPath, const QString &tempPath, const CompressOptions &options,
             const QList<QImage> &frames, int rate, const QString &soundtrack = {});

} // namespace tavelon::test

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
