#include "testsupport.h"

#include "form/uitext.h"
#include "image/bmpwriter.h"
#include "image/cdib.h"
#include "video/avifile.h"

namespace tavelon::test {

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

QByteArray patched(QByteArray bytes, std::initializer_list<std::pair<int, qint64>> values, bool bits16)
{
    for (const auto &[offset, value] : values)
        bits16 ? qToLittleEndian<quint16>(quint16(value), bytes.data() + offset)
               : qToLittleEndian<quint32>(quint32(value), bytes.data() + offset);
    return bytes;
}

QByteArray bmp(int width, int height, int bitCount, int paletteEntries)
{
    const int imageSize = (width * bitCount + 31) / 32 * 4 * std::abs(height);
    const int bitOffset = 54 + 4 * paletteEntries;
    QByteArray b(bitOffset + imageSize, '\0');
    b.replace(0, 2, "BM");
    for (int i = 54; i < b.size(); ++i)
        b[i] = char(i * 7 + 3);
    b = patched(b, {{2, b.size()}, {10, bitOffset}, {14, 40}, {18, width}, {22, height}, {34, imageSize}});
    b = patched(b, {{38, 2835}, {42, 3780}, {46, paletteEntries}, {50, paletteEntries / 2}});
    return patched(b, {{26, 1}, {28, bitCount}}, true);
}

QByteArray cameraJpeg(const QImage &image, int orientation)
{
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    image.save(&jpeg, "JPEG", 95);
    // TIFF header, one IFD with one entry (tag 0x0112, SHORT, count 1), no next IFD.
    const QByteArray exif = QByteArray::fromHex("ffe10022") + QByteArray("Exif\0\0", 6) +
                            QByteArray::fromHex("4d4d002a000000080001011200030000000100") +
                            char(orientation) + QByteArray::fromHex("000000000000");
    return QByteArray(jpeg.data()).insert(2, exif);
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage stripes(QSize size, const QList<QColor> &colours)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    const int width = size.width() / int(colours.size());
    for (int i = 0; i < colours.size(); ++i)
        p.fillRect(i * width, 0, i + 1 == colours.size() ? size.width() - i * width : width, size.height(),
                   colours[i]);
    return image;
}

int colourDistance(QColor a, QColor b)
{
    return std::max(
        {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

void makeTone(const QString &path, double seconds)
{
    runProgram(u"ffmpeg"_s,
               {"-v", "error", "-y", "-f", "lavfi", "-i",
                u"sine=frequency=440:sample_rate=48000:duration=%1"_s.arg(seconds), "-ac", "1", path});
}

MessageAnswer ScriptedMessages::show(const QString &title, const QString &text, MessageButtons buttons,
                                     MessageIcon icon, MessageAnswer defaultAnswer)
{
    messages.append({title, text, buttons, icon, defaultAnswer});
    if (buttons != MessageButtons::YesNo)
        return MessageAnswer::Ok;
    return answers.isEmpty() ? defaultAnswer : answers.dequeue();
}

QStringList ScriptedMessages::errors() const
{
    QStringList texts;
    for (const Message &m : messages)
        if (m.buttons == MessageButtons::Ok)
            texts << m.text;
    return texts;
}

FormFixture::FormFixture()
{
    form.state.setProgramFolder(m_dir.path());
    logic = std::make_unique<FormLogic>(form, messages, chooser);
}

QColor FormFixture::frameColor(int i)
{
    static const QColor colors[] = {
        Qt::red,     Qt::green, Qt::blue,           Qt::yellow,         Qt::cyan,
        Qt::magenta, Qt::white, QColor(128, 64, 0), QColor(0, 128, 64), QColor(64, 0, 128)};
    return colors[i % 10];
}

void FormFixture::makeClip(const QString &clip, int count, QSize size, const char *format)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << u"f%1.%2"_s.arg(i, 3, 10, QChar(u'0')).arg(QLatin1String(format));
    writeFrames(clipPath(clip), names, size);
}

void FormFixture::writeClipIni(const QString &clip, const QString &body)
{
    QDir().mkpath(clipPath(clip));
    writeFile(clipPath(clip) + u"Clip.ini"_s, "[ClipSettings]\r\n" + body.toUtf8());
}

bool FormFixture::addFrame(const QString &clip, const QString &name, const QByteArray &bytes)
{
    return QDir().mkpath(clipPath(clip)) && writeFile(clipPath(clip) + name, bytes);
}

bool FormFixture::addFrame(const QString &clip, const QString &name, const QImage &image)
{
    const bool jpeg = name.endsWith(u".jpg"_s, Qt::CaseInsensitive);
    return QDir().mkpath(clipPath(clip)) &&
           image.save(clipPath(clip) + name, jpeg ? "JPG" : "BMP", jpeg ? 90 : -1);
}

void FormFixture::setVideoSize(int width, int height)
{
    form.widthBox.setText(QString::number(width));
    form.heightBox.setText(QString::number(height));
}

void FormFixture::start()
{
    FillLanguageList(form);
    logic->clipList.InitMyself();
}

void FormFixture::makeVideo()
{
    setVideoSize(32, 24);
    runCommand();
}

bool FormFixture::runCommand(int timeoutMs)
{
    logic->command.Command1_Click(0);
    if (!logic->command.isRunning())
        return true;
    QEventLoop loop;
    QObject::connect(&logic->command, &VideoCommand::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return !logic->command.isRunning();
}

void writeFrames(const QString &folder, const QStringList &names, QSize size)
{
    QDir().mkpath(folder);
    for (int i = 0; i < names.size(); ++i) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(FormFixture::frameColor(i));
        const bool jpeg = names.at(i).endsWith(u".jpg"_s, Qt::CaseInsensitive);
        img.save(folder + u'/' + names.at(i), jpeg ? "JPG" : "BMP");
    }
}

RunResult runProgram(const QString &program, const QStringList &args, const QProcessEnvironment &env,
                     const QString &workingFolder)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workingFolder);
    p.start(program, args);
    const bool finished = p.waitForFinished(120000);
    return {finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

Probe probe(const QString &path)
{
    QProcess p;
    p.start(
        u"ffprobe"_s,
        {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
         "stream=codec_name,width,height,r_frame_rate,nb_read_frames,codec_tag_string,has_b_frames,"
         "sample_aspect_ratio,pix_fmt,color_space,color_primaries,color_transfer,color_range:packet=flags",
         "-of", "json", path});
    const bool finished = p.waitForFinished(30000);
    Probe r;
    r.errors = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    const QJsonObject json = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    const QJsonArray streams = json.value("streams").toArray(), packets = json.value("packets").toArray();
    if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || streams.isEmpty())
        return r;
    const QJsonObject s = streams.first().toObject();
    r.ok = r.errors.isEmpty();
    r.codecName = s.value("codec_name").toString();
    r.codecTag = s.value("codec_tag_string").toString();
    r.frameRate = s.value("r_frame_rate").toString();
    r.width = s.value("width").toInt();
    r.height = s.value("height").toInt();
    r.frames = s.value("nb_read_frames").toString().toInt();
    r.hasBFrames = s.value("has_b_frames").toInt();
    r.sampleAspect = s.value("sample_aspect_ratio").toString();
    r.pixelFormat = s.value("pix_fmt").toString();
    QStringList tags;
    for (const char *key : {"color_space", "color_primaries", "color_transfer", "color_range"})
        tags << s.value(QLatin1String(key)).toString(u"-"_s);
    r.colourTags = tags.join(u' ');
    for (int i = 0; i < packets.size(); ++i)
        if (packets[i].toObject().value("flags").toString().startsWith(u'K'))
            r.keyFrames << i;
    return r;
}

std::pair<QString, double> streamOf(const QString &path, const char *kind)
{
    const QList<QByteArray> fields =
        runProgram(u"ffprobe"_s, {"-v", "error", "-select_streams", QLatin1String(kind) + ":0",
                                  "-show_entries", "stream=codec_name,duration", "-of", "csv=p=0", path})
            .out.trimmed()
            .split(',');
    return {QString::fromLatin1(fields.value(0)), fields.value(1).toDouble()};
}

QByteArray decodeRgb24(const QString &path)
{
    QProcess p;
    p.start(u"ffmpeg"_s, {"-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
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
    return colourDistance(QColor(px[0], px[1], px[2]), colour);
}

QList<int> frameColours(const QString &path)
{
    const Probe p = probe(path);
    const QByteArray rgb = p.frames > 0 ? decodeRgb24(path) : QByteArray();
    QList<int> order;
    for (int f = 0; !rgb.isEmpty() && f < p.frames; ++f) {
        int index = -1;
        for (int i = 0; i < 10 && index < 0; ++i) {
            if (colourDistance(rgb, p.width, p.height, f, p.width / 2, p.height / 2,
                               FormFixture::frameColor(i)) < 40)
                index = i;
        }
        order << index;
    }
    return order;
}

int writeAvi(const QString &aviPath, const QString &tempPath, const CompressOptions &options,
             const QList<QImage> &frames, int rate, const QString &soundtrack)
{
    AviFilePtr file;
    AviStreamPtr source;
    AviStreamPtr compressed;
    ScriptedMessages messages;
    cDIB dib{messages};
    int result = aviFileOpen(file, aviPath, options.container);
    if (result == 0 && !soundtrack.isEmpty())
        result = aviFileSetSoundtrack(file.get(), soundtrack, int(frames.size()));
    if (result == 0 && !(writeBmp24(frames.first(), tempPath) && dib.CreateFromFile(tempPath)))
        result = -1;
    const AviStreamInfo info{.fccType = kStreamTypeVideo,
                             .scale = 1,
                             .rate = std::uint32_t(rate),
                             .suggestedBufferSize = std::uint32_t(dib.SizeImage()),
                             .frame = AviRect{0, 0, dib.Width(), dib.Height()},
                             .name = {}};
    if (result == 0)
        result = aviFileCreateStream(file.get(), source, info);
    if (result == 0)
        result = aviMakeCompressedStream(compressed, source.get(), options);
    if (result == 0)
        result = aviStreamSetFormat(compressed.get(), 0, dib.PointerToBitmapInfo(), dib.SizeBitmapInfo());
    for (int i = 0; i < frames.size() && result == 0; ++i) {
        writeBmp24(frames[i], tempPath);
        dib.CreateFromFile(tempPath);
        result = aviStreamWrite(compressed.get(), i, 1, dib.PointerToBits(), dib.SizeImage(), kAviKeyFrame);
    }
    for (const int r : {aviStreamRelease(source), aviStreamRelease(compressed), aviFileRelease(file)})
        result = result ? result : r;
    return result;
}

} // namespace tavelon::test
