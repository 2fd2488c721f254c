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
#include "app/programfolder.h"
#include "app/windowconnections.h"
#include "form/uitext.h"
#include "ui/compressiondialog.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"
#include "ui/programicon.h"
#include "ui/runningwindow.h"
#include "video/compressors.h"

using namespace tavelon;

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// The executable's folder. Before a QCoreApplication exists: through /proc where possible.
QString executableFolder(const char *argv0)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists())
        return QFileInfo(self.canonicalFilePath()).absolutePath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
}

// Prints a usage error in the language the run would use (the one named by --language when there
// is one of that name, else Halvane.ini's key or the desktop's) and gives the exit status.
int usageError(const ProgramFolder &where, const QString &language, const UsageError &error)
{
    MainForm form;
    applyProgramFolder(form.state, where, language);
    if (!isKnownLanguage(form.state, language))
        form.state.LanguageChoice.clear();
    FillLanguageList(form);
    printLine(stderr, usageErrorLine(form, error));
    return 2;
}

int runWindow(int argc, char **argv, const ProgramFolder &where, const QString &language)
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(desktopId()));
    MainForm form;
    applyProgramFolder(form.state, where, language);
    FillLanguageList(form);
    if (where.perUser && !createProgramFolder(where.folder)) {
        MessageBoxService(form, nullptr)
            .inform(form.state.AppTitle, programFolderMessage(form.uiText(kUiProgramFolder), where.folder),
                    MessageIcon::Stop);
        return 1;
    }
    InstanceLock lock(where.folder);
    if (!lock.tryLock()) {
        // Another window runs on this program folder: it comes to the front, this copy ends.
        RunningWindow::bringToFront(where.folder);
        return 0;
    }
    RunningWindow running(where.folder);
    running.listen();

    // The window shows the form; its dialogs are the services the logic asks.
    MainWindow window(form);
    MessageBoxService messages(form, &window);
    DialogCompressionChooser chooser(form, &window);
    FormLogic logic(form, messages, chooser);

    connectWindow(window, logic);
    window.setOverlay(&logic.overlay);
    QObject::connect(&running, &RunningWindow::frontRequested, &window, [&window] {
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window.show();
        window.raise();
        window.activateWindow();
    });

    // Centre in twips, as the classic rule is written, then back to pixels.
    constexpr int kTwips = 15;
    const QRect screen = window.screen() ? window.screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize frame = window.frameGeometry().size();
    const QPoint at = CenterForm(frame * kTwips, screen.size() * kTwips) / kTwips;
    window.move(screen.topLeft() + at);
    window.restorePlace(form.state.IniFile);
    QObject::connect(&window, &MainWindow::closed, &window,
                     [&window, &form] { window.storePlace(form.state.IniFile); });
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
    UsageError error;
    const std::optional<CommandLine> cl = parseCommandLine(args, &error);
    const CommandLine named = cl ? *cl : rootAndLanguage(args);
    const ProgramFolder where =
        locateProgramFolder(named.root, executableFolder(argv[0]), qEnvironmentVariable("HOME"),
                            installedDataFromBin(), sourceLanguages());
    if (!cl)
        return usageError(where, named.language, error);

    // A language asked for by name must exist; the Halvane.ini key falls back to German silently.
    AppState state;
    applyProgramFolder(state, where, cl->language);
    if (!cl->language.isEmpty() && !isKnownLanguage(state, cl->language))
        return usageError(where, QString(),
                          {ShownText::CliUnknownLanguage,
                           {cl->language, availableLanguages(state).join(QStringLiteral(", "))}});
    // A folder named on the command line must be there: nothing would be listed or made in it.
    const bool needsFolder = cl->mode != CommandLine::Mode::Help && cl->mode != CommandLine::Mode::Version &&
                             cl->mode != CommandLine::Mode::ListCompressors;
    if (needsFolder && !cl->root.isEmpty() && !QFileInfo(where.folder).isDir())
        return usageError(where, cl->language,
                          {ShownText::CliMissingRoot, {QDir::toNativeSeparators(where.folder)}});

    switch (cl->mode) {
    case CommandLine::Mode::Help:
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Mode::Version:
        std::fputs(versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Mode::ListClips: {
        for (const QString &clip : listClips(state.FramesPath))
            printLine(stdout, clip);
        return 0;
    }
    case CommandLine::Mode::ListCompressors: {
        MainForm form;
        applyProgramFolder(form.state, where, cl->language);
        FillLanguageList(form);
        for (const QString &line : compressorLines(form))
            printLine(stdout, line);
        return 0;
    }
    case CommandLine::Mode::MakeVideo:
        return runBatchJob(argc, argv, where, cl->language, cl->batch);
    case CommandLine::Mode::CheckClip:
        return runClipCheck(argc, argv, where, cl->language, cl->checkClip);
    case CommandLine::Mode::Window:
        break;
    }
    return runWindow(argc, argv, where, cl->language);
}
