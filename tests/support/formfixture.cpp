#include "formfixture.h"

#include <QDir>
#include <QFile>

#include "form/uitext.h"

namespace tavelon::test {

FormFixture::FormFixture()
{
    form.state.setProgramFolder(m_dir.path());
    logic = std::make_unique<FormLogic>(form, messages, chooser);
}

FormFixture::~FormFixture() = default;

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
        names << QStringLiteral("f%1.%2").arg(i, 3, 10, QLatin1Char('0')).arg(QLatin1String(format));
    writeFrames(clipPath(clip), names, size);
}

void FormFixture::writeClipIni(const QString &clip, const QString &body)
{
    QDir().mkpath(clipPath(clip));
    QFile f(clipPath(clip) + QStringLiteral("Clip.ini"));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(QStringLiteral("[ClipSettings]\r\n").toUtf8() + body.toUtf8());
}

void FormFixture::start()
{
    FillLanguageList(form);
    logic->clipList.InitMyself();
}

void FormFixture::useFixedCompressor()
{
    chooser.choice = CompressOptions();
}

void FormFixture::makeVideo()
{
    form.txtWidth.setText(QStringLiteral("32"));
    form.txtHeight.setText(QStringLiteral("24"));
    logic->command.Command1_Click(0);
}

QStringList FormFixture::errors() const
{
    QStringList texts;
    for (const RecordedMessage &m : messages.messages()) {
        if (m.buttons == MessageButtons::Ok)
            texts << m.text;
    }
    return texts;
}

void writeFrames(const QString &folder, const QStringList &names, QSize size)
{
    QDir().mkpath(folder);
    for (int i = 0; i < names.size(); ++i) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(FormFixture::frameColor(i));
        const bool jpeg = names.at(i).endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
        img.save(folder + QLatin1Char('/') + names.at(i), jpeg ? "JPG" : "BMP");
    }
}

} // namespace tavelon::test
