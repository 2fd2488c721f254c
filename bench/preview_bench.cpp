// Preview figures: showing one frame (slPre_Change: load, scale, draw) from 640×480 up to
// 24-megapixel camera frames, selecting a clip of 10,000 Full-HD or 2,000 camera frames, how long
// played frames last against their delay, and the peak memory of playing camera frames.
//
//   preview_bench [folder]     works in folder (default: a new temporary folder)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "form/mainform.h"
#include "app/formlogic.h"
#include "form/uitext.h"
#include "services/stderrmessages.h"
#include "video/compressionchooser.h"

using namespace tavelon;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double mean(const std::vector<double> &v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return v.empty() ? 0 : s / double(v.size());
}

// A detailed synthetic frame: gradients, shapes and text change from frame to frame.
QImage pattern(QSize size, int i)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor::fromHsv((i * 5) % 360, 180, 220));
    g.setColorAt(1, QColor::fromHsv((i * 5 + 120) % 360, 200, 90));
    p.fillRect(img.rect(), g);
    for (int k = 0; k < 40; ++k) {
        p.setBrush(QColor::fromHsv((k * 37 + i) % 360, 200, 200));
        p.drawEllipse(QPoint((k * 97 + i * 3) % size.width(), (k * 53) % size.height()), size.width() / 30,
                      size.height() / 20);
    }
    p.setPen(Qt::white);
    p.drawText(img.rect(), Qt::AlignCenter, QString::number(i));
    return img;
}

void makeClip(const QString &dir, QSize size, const char *format, int count)
{
    QDir().mkpath(dir);
    for (int i = 0; i < count; ++i)
        pattern(size, i).save(
            dir + QStringLiteral("/f%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(QLatin1String(format)),
            nullptr, 90);
}

struct Program
{
    explicit Program(const QString &root)
    {
        form.state.setProgramFolder(root);
        logic = std::make_unique<FormLogic>(form, messages, chooser);
        FillLanguageList(form);
    }
    MainForm form;
    StderrMessages messages;
    FixedCompressionChooser chooser;
    std::unique_ptr<FormLogic> logic;

    // Lists the clips and selects clip (the first frame shows).
    void select(const char *clip)
    {
        logic->clipList.InitMyself();
        form.clipList.setListIndex(int(form.clipList.items().indexOf(QLatin1String(clip))));
    }
};

// A clip of count hard links to one frame of the given size, quick to make at any length.
void makeLinkedClip(const QString &dir, QSize size, int count)
{
    makeClip(dir, size, "jpg", 1);
    const QByteArray first = QFile::encodeName(dir + QStringLiteral("/f00000.jpg"));
    for (int i = 1; i < count; ++i) {
        const QByteArray name =
            QFile::encodeName(dir + QStringLiteral("/f%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        if (::link(first.constData(), name.constData()) != 0)
            QFile::copy(QString::fromLocal8Bit(first), QString::fromLocal8Bit(name));
    }
}

// Plays the clip once at 25 frames/s with the overlay on and prints the process's peak RSS; run in
// a process of its own, so that making the frames does not count.
int playForMemory(const QString &root, const char *clip)
{
    Program prog(root);
    prog.select(clip);
    MainForm &f = prog.form;
    f.showOverlay.setValue(1);
    f.speedBar.setValue(25);
    f.directionBox.setListIndex(0);
    f.playButton.setValue(1);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("Peak RSS playing %d frames of %s: %ld MB\n", f.frameFiles.count(), clip,
                usage.ru_maxrss / 1024);
    return 0;
}

// Selecting clip after the first clip, until its first frame shows: the median of seven rounds.
void timeSelecting(const QString &root, const char *clip, const char *frameKind)
{
    Program prog(root);
    prog.select(clip);
    std::vector<double> times;
    for (int k = 0; k < 7; ++k) {
        prog.form.clipList.setListIndex(0);
        QElapsedTimer t;
        t.start();
        prog.form.clipList.setListIndex(int(prog.form.clipList.items().indexOf(QLatin1String(clip))));
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("Selecting a clip of %d%s frames: median %.1f ms (until the first frame shows)\n",
                int(prog.form.frameFiles.count()), frameKind, median(times));
}

void showFrames(const QString &root, const char *clip)
{
    Program prog(root);
    prog.select(clip);
    MainForm &f = prog.form;
    f.showOverlay.setValue(1);
    std::vector<double> times;
    const int n = f.frameFiles.count();
    for (int k = 0; k < 60; ++k) {
        QElapsedTimer t;
        t.start();
        f.frameSlider.setValue((k + 1) % n);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("  show one frame, %-22s median %6.2f ms\n", clip, median(times));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir tmp;
    if (argc > 2 && qstrcmp(argv[1], "--play") == 0)
        return playForMemory(QString::fromLocal8Bit(argv[2]), "jpg24mp");
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    const QString frames = root + QStringLiteral("/Frames/");

    std::printf("Preparing frames in %s ...\n", qPrintable(root));
    makeClip(frames + QStringLiteral("jpg640"), {640, 480}, "jpg", 8);
    makeClip(frames + QStringLiteral("bmp640"), {640, 480}, "bmp", 8);
    makeClip(frames + QStringLiteral("jpg1920"), {1920, 1080}, "jpg", 8);
    makeClip(frames + QStringLiteral("bmp1920"), {1920, 1080}, "bmp", 8);
    // 10,000 frames: hard links to one Full-HD JPEG, so the folder is quick to make.
    const QString big = frames + QStringLiteral("zz10000");
    makeClip(big, {1920, 1080}, "jpg", 1);
    const QByteArray first = QFile::encodeName(big + QStringLiteral("/f00000.jpg"));
    for (int i = 1; i < 10000; ++i) {
        const QByteArray name =
            QFile::encodeName(big + QStringLiteral("/f%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        if (::link(first.constData(), name.constData()) != 0)
            QFile::copy(QString::fromLocal8Bit(first), QString::fromLocal8Bit(name));
    }
    makeClip(frames + QStringLiteral("play1920"), {1920, 1080}, "jpg", 200);
    makeClip(frames + QStringLiteral("jpg4k"), {3840, 2160}, "jpg", 4);
    makeClip(frames + QStringLiteral("jpg24mp"), {6000, 4000}, "jpg", 4);
    makeLinkedClip(frames + QStringLiteral("zz2000camera"), {6000, 4000}, 2000);

    std::printf("Showing frames (slPre_Change with the overlay on):\n");
    for (const char *clip : {"jpg640", "bmp640", "jpg1920", "bmp1920", "jpg4k", "jpg24mp"})
        showFrames(root, clip);

    timeSelecting(root, "zz10000", "");
    timeSelecting(root, "zz2000camera", " 6000×4000");
    QProcess player;
    player.setProcessChannelMode(QProcess::ForwardedChannels);
    player.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--play"), root});
    player.waitForFinished(-1);

    {
        Program prog(root);
        prog.select("play1920");
        MainForm &f = prog.form;
        f.formatBox.setListIndex(int(f.formatBox.items().indexOf(QStringLiteral("DVD NTSC"))));
        // A frame starts when the slider moves (before it is shown) and lasts until the next one.
        QElapsedTimer clock;
        clock.start();
        std::vector<double> show;
        std::vector<double> frameTimes;
        double frameStart = -1;
        QObject::connect(&f.frameSlider, &ScrollBar::valueChanged, [&] {
            const double now = clock.nsecsElapsed() / 1e6;
            if (frameStart >= 0)
                frameTimes.push_back(now - frameStart);
            frameStart = now;
        });
        QObject::connect(&prog.logic->player, &Player::stepped,
                         [&] { show.push_back(clock.nsecsElapsed() / 1e6 - frameStart); });
        std::printf("Playback of 200 Full-HD JPEG frames:\n");
        for (int speed : {8, 25, 30}) {
            f.speedBar.setValue(speed);
            f.directionBox.setListIndex(0);
            show.clear();
            frameTimes.clear();
            frameStart = -1;
            f.playButton.setValue(1);
            const double delay = Player::frameDelay(speed) * 1000.0;
            const double showMedian = median(show);
            const double frameMean = mean(frameTimes);
            std::printf(
                "  speed %2d: delay %6.2f ms, median show %5.2f ms, mean frame %6.2f ms, slack %+5.2f ms "
                "(target <= +2)\n",
                speed, delay, showMedian, frameMean, frameMean - delay - showMedian);
        }
    }
    return 0;
}
