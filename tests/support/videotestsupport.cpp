#include "videotestsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>

namespace tavelon::test {

void put16(QByteArray &bytes, int offset, int value)
{
    bytes[offset] = char(value & 0xff);
    bytes[offset + 1] = char((value >> 8) & 0xff);
}

void put32(QByteArray &bytes, int offset, qint64 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xff);
}

QByteArray BmpBuilder::build() const
{
    const int stride = (width * bitCount + 31) / 32 * 4;
    const int imageSize = stride * std::abs(height);
    const int bitOffset = 54 + 4 * paletteEntries;
    QByteArray b(bitOffset + imageSize, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, b.size());
    put32(b, 10, bitOffset);
    put32(b, 14, 40);
    put32(b, 18, width);
    put32(b, 22, height);
    put16(b, 26, 1);
    put16(b, 28, bitCount);
    put32(b, 34, imageSize);
    put32(b, 38, 2835);
    put32(b, 42, 3780);
    put32(b, 46, paletteEntries);
    put32(b, 50, paletteEntries / 2);
    for (int i = 54; i < b.size(); ++i)
        b[i] = char(i * 7 + 3);
    return b;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage twoColourFrame(int width, int height, QColor top, QColor bottom)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width, height / 2, top);
    p.fillRect(0, height / 2, width, height - height / 2, bottom);
    return image;
}

bool haveFfmpegTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

std::optional<ProbeResult> probe(const QString &path, QString *errors)
{
    QProcess p;
    p.start(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
             QStringLiteral("v:0"), QStringLiteral("-count_frames"), QStringLiteral("-show_entries"),
             QStringLiteral(
                 "stream=codec_name,width,height,r_frame_rate,nb_read_frames,codec_tag_string,has_b_frames,"
                 "sample_aspect_ratio,pix_fmt"),
             QStringLiteral("-of"), QStringLiteral("json"), path});
    const bool finished = p.waitForFinished(30000);
    if (errors)
        *errors = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    const QJsonArray streams =
        QJsonDocument::fromJson(p.readAllStandardOutput()).object().value("streams").toArray();
    if (streams.isEmpty())
        return std::nullopt;
    const QJsonObject s = streams.first().toObject();
    return ProbeResult{s.value("codec_name").toString(),
                       s.value("width").toInt(),
                       s.value("height").toInt(),
                       s.value("r_frame_rate").toString(),
                       s.value("nb_read_frames").toString().toInt(),
                       s.value("codec_tag_string").toString(),
                       s.value("has_b_frames").toInt(),
                       s.value("sample_aspect_ratio").toString(),
                       s.value("pix_fmt").toString()};
}

QString codecSampleAspect(const QString &path, const QString &codecName)
{
    // MPEG-4 in MP4 keeps its headers out of band; dump_extra puts them back into the stream.
    const bool mpeg4 = codecName == QLatin1String("mpeg4");
    const QString copy = path + QStringLiteral(".es");
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"), path,
             QStringLiteral("-map"), QStringLiteral("0:v:0"), QStringLiteral("-c"), QStringLiteral("copy"),
             QStringLiteral("-bsf:v"), mpeg4 ? QStringLiteral("dump_extra") : QStringLiteral("null"),
             QStringLiteral("-f"), mpeg4 ? QStringLiteral("m4v") : codecName, copy});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("(copy failed)");
    const std::optional<ProbeResult> alone = probe(copy);
    QFile::remove(copy);
    return alone ? alone->sampleAspect : QStringLiteral("(probe failed)");
}

QStringList mp4TopLevelBoxes(const QByteArray &file)
{
    QStringList types;
    qint64 at = 0;
    while (at + 8 <= file.size()) {
        const auto *b = reinterpret_cast<const unsigned char *>(file.constData() + at);
        qint64 size = (qint64(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
        if (size == 1 && at + 16 <= file.size()) {
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = (size << 8) | b[i];
        }
        types << QString::fromLatin1(file.mid(at + 4, 4));
        if (size < 8)
            break;
        at += size;
    }
    return types;
}

QByteArray decodeRgb24(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-f"),
             QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"),
             QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

int colourDistance(const QByteArray &rgb, int width, int height, int frame, int x, int y, QColor colour)
{
    const qint64 offset = (qint64(frame) * width * height + qint64(y) * width + x) * 3;
    if (offset + 3 > rgb.size())
        return 256;
    const auto *px = reinterpret_cast<const unsigned char *>(rgb.constData() + offset);
    return std::max(
        {std::abs(px[0] - colour.red()), std::abs(px[1] - colour.green()), std::abs(px[2] - colour.blue())});
}

} // namespace tavelon::test
