#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>
#include <memory>

#include "app/centerform.h"
#include "app/commandline.h"
#include "services/instancelock.h"
#include "form/mainform.h"
#include "app/batchjob.h"
#include "services/clipscan.h"
#include "app/formlogic.h"
#include "app/windowconnections.h"
#include "form/uitext.h"
#include "ui/compressiondialog.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"
#include "video/compressors.h"

using namespace tavelon;

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// The program folder: --root when given, else the executable's folder.
QString programFolder(const CommandLine &cl, const char *argv0)
{
    if (!cl.root.isEmpty())
        return QDir(cl.root).absolutePath();
    // Before a QCoreApplication exists: resolve the executable through /proc where possible.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists())
        return QFileInfo(self.canonicalFilePath()).absolutePath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
}

int runWindow(int argc, char **argv, const QString &root)
{
    InstanceLock lock(root);
    if (!lock.tryLock())
        return 0; // another copy runs on this program folder: end at once, silently

    QApplication app(argc, argv);
    MainForm form;
    form.state.setProgramFolder(root);
    // The window shows the form; its dialogs are the services the logic asks.
    MainWindow window(form);
    MessageBoxService messages(form, &window);
    DialogCompressionChooser chooser(form, &window);
    FormLogic logic(form, messages, chooser);
    FillLanguageList(form);

    connectWindow(window, logic);

    // Centre in twips, as the classic rule is written, then back to pixels.
    constexpr int kTwips = 15;
    const QRect screen = window.screen() ? window.screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize frame = window.frameGeometry().size();
    const QPoint at = CenterForm(frame * kTwips, screen.size() * kTwips) / kTwips;
    window.move(screen.topLeft() + at);
    window.show();

    logic.startBackgroundWork();
    logic.clipList.InitMyself();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QString error;
    const std::optional<CommandLine> cl = parseCommandLine(args, &error);
    if (!cl) {
        printLine(stderr, QStringLiteral("brimholt-tavelon: ") + error);
        return 2;
    }
    const QString root = programFolder(*cl, argv[0]);

    switch (cl->mode) {
    case CommandLine::Mode::Help:
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Mode::Version:
        printLine(stdout, QStringLiteral("Brimholt Tavelon " TAVELON_VERSION));
        return 0;
    case CommandLine::Mode::ListClips: {
        AppState state;
        state.setProgramFolder(root);
        for (const QString &clip : listClips(state.FramesPath))
            printLine(stdout, clip);
        return 0;
    }
    case CommandLine::Mode::ListCompressors:
        for (const CompressorInfo &c : availableCompressors())
            printLine(stdout, c.id.leftJustified(14) + QLatin1Char(' ') + c.description);
        return 0;
    case CommandLine::Mode::MakeVideo:
        return runBatchJob(argc, argv, root, cl->batch);
    case CommandLine::Mode::CheckClip:
        return runClipCheck(argc, argv, root, cl->checkClip);
    case CommandLine::Mode::Window:
        break;
    }
    return runWindow(argc, argv, root);
}
