#include "formfixture.h"

#include <QDir>
#include <QFile>

#include "lang/uitext.h"

namespace tavelon::test {

FormFixture::FormFixture()
{
    form.state.setProgramFolder(m_dir.path());
    form.messages = &messages;
    logic = std::make_unique<FormLogic>(form);
}

FormFixture::~FormFixture() = default;

QColor FormFixture::frameColor(int i)
{
    static const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta, Qt::white,
                                    QColor(128, 64, 0), QColor(0, 128, 64), QColor(64, 0, 128)};
    return colors[i % 10];
}

void FormFixture::makeClip(const QString &clip, int count, QSize size, const char *format)
{
    QDir().mkpath(clipPath(clip));
    for (int i = 0; i < count; ++i) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(frameColor(i));
        img.save(clipPath(clip) + QStringLiteral("f%1.%2").arg(i, 3, 10, QLatin1Char('0')).arg(QLatin1String(format)));
    }
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

} // namespace tavelon::test
