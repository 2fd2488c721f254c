// Draws a demo program folder: a few clips of frames with moving shapes and the frame number, in
// JPEG and BMP and in different sizes, so the program has something to show and to write.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtMath>

#include <cstdio>

namespace {

struct DemoClip
{
    const char *name;
    QSize size;
    int frames;
    const char *format;
};

void drawFrame(QImage &img, int i, int n)
{
    const double t = double(i) / n;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, img.height());
    sky.setColorAt(0, QColor::fromHsvF(0.55 + 0.1 * t, 0.6, 0.9));
    sky.setColorAt(1, QColor::fromHsvF(0.1, 0.5, 0.4));
    p.fillRect(img.rect(), sky);
    const int w = img.width();
    const int h = img.height();
    const double r = h / 8.0;
    p.setBrush(QColor(255, 210, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(r + t * (w - 2 * r), h / 3.0 + std::sin(t * 2 * M_PI) * h / 6.0), r, r);
    p.setBrush(QColor(40, 120, 200));
    p.save();
    p.translate(w * 0.7, h * 0.7);
    p.rotate(360 * t);
    p.drawRect(QRectF(-r, -r, 2 * r, 2 * r));
    p.restore();
    QFont f(QStringLiteral("Liberation Sans"));
    f.setBold(true);
    f.setPixelSize(h / 6);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(img.rect().adjusted(0, 0, -h / 20, -h / 40), Qt::AlignRight | Qt::AlignBottom,
               QString::number(i + 1));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavelon-makedemo PROGRAM_FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const DemoClip clips[] = {
        {"Garten", QSize(320, 240), 36, "jpg"},
        {"Uhrwerk", QSize(640, 480), 24, "bmp"},
        {"Zeitraffer HD", QSize(1280, 720), 30, "jpg"},
    };
    for (const DemoClip &c : clips) {
        const QString dir = root + QStringLiteral("/Frames/") + QLatin1String(c.name);
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
            return 1;
        }
        QImage img(c.size, QImage::Format_RGB32);
        for (int i = 0; i < c.frames; ++i) {
            drawFrame(img, i, c.frames);
            const QString file = dir + QStringLiteral("/frame%1.%2")
                                           .arg(i + 1, 4, 10, QLatin1Char('0'))
                                           .arg(QLatin1String(c.format));
            if (!img.save(file, nullptr, 90)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
