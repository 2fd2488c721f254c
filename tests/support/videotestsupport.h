#pragma once

#include "services/messages.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavelon::test {

// Records every message instead of showing it.
class RecordingMessages : public MessageService
{
public:
    struct Message
    {
        QString title;
        QString text;
        MessageIcon icon;
    };
    MessageAnswer show(const QString &title, const QString &text, MessageButtons, MessageIcon icon,
                       MessageAnswer defaultAnswer) override
    {
        messages.append({title, text, icon});
        return defaultAnswer;
    }
    QList<Message> messages;
};

// A BMP file image: 14-byte file header, 40-byte info header, palette entries of 4 bytes, pixel
// bytes 0, 1, 2, … Fields can be overridden after building through the setters.
struct BmpBuilder
{
    int width = 4;
    int height = 3;
    int bitCount = 24;
    int paletteEntries = 0;
    QByteArray build() const;
};

// Little-endian field writes into a file image.
void put16(QByteArray &bytes, int offset, int value);
void put32(QByteArray &bytes, int offset, qint64 value);

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// A frame whose top half has colour top and bottom half colour bottom.
QImage twoColourFrame(int width, int height, QColor top, QColor bottom);

// ffprobe's view of the first video stream; nullopt when ffprobe is missing or fails.
struct ProbeResult
{
    QString codecName;
    int width = 0;
    int height = 0;
    QString frameRate;
    int frames = 0;
    QString codecTag; // the fourcc as ffprobe spells it ("XVID")
    int hasBFrames = 0;
    QString sampleAspect; // "16:15"; "1:1" or empty for square pixels
    QString pixelFormat;
};
// ffprobe's error output goes to errors when given.
std::optional<ProbeResult> probe(const QString &path, QString *errors = nullptr);
// The sample aspect ratio the codec's own bitstream gives (H.264, MPEG-4 Part 2, Motion JPEG): the
// video stream copied out of its container and probed alone.
QString codecSampleAspect(const QString &path, const QString &codecName);
// The types of the top-level boxes of an MP4 file, in file order ("ftyp", "moov", "mdat" …).
QStringList mp4TopLevelBoxes(const QByteArray &file);
// All frames decoded by ffmpeg as RGB24 (empty when ffmpeg fails).
QByteArray decodeRgb24(const QString &path);
bool haveFfmpegTools();

// Largest channel difference between the decoded pixel (x, y) of frame index and colour.
int colourDistance(const QByteArray &rgb, int width, int height, int frame, int x, int y, QColor colour);

} // namespace tavelon::test
