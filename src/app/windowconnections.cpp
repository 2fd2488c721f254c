#include "app/windowconnections.h"

#include "app/formlogic.h"
#include "form/mainform.h"
#include "services/sound.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"

namespace tavelon {

void connectWindow(MainWindow &window, FormLogic &logic)
{
    QObject::connect(&window, &MainWindow::closed, &logic, [&logic] {
        logic.shutdown();
        // The program ends with the window: a video being written ends here, its file closed.
        logic.writer.finishNow();
    });
    QObject::connect(&logic.writer, &VideoWriter::writingChanged, &window, &MainWindow::setTopMost);
    QObject::connect(&logic.command, &VideoCommand::busyChanged, &window, &MainWindow::setBusy);
    QObject::connect(&logic.writer, &VideoWriter::progress, &window,
                     [&window](int i, int n) { window.showProgress(i, n); });
    QObject::connect(&logic.command, &VideoCommand::finished, &window,
                     [&window] { window.setProgressText({}); });
    QObject::connect(&logic.command, &VideoCommand::framesRepeated, &window,
                     [&window, &logic](const QString &text) {
                         MessageBoxService(logic.form, &window)
                             .inform(logic.form.state.AppTitle, text, MessageIcon::Information);
                     });
    QObject::connect(&logic.command, &VideoCommand::videoCompleted, &window, [&window](const QString &path) {
        PlayResourceSound(QStringLiteral("BEEP"));
        window.showFinishNotice(path);
    });
    QObject::connect(&window, &MainWindow::foldersDropped, &logic.linker, &ClipLinker::linkFolders);
    QObject::connect(&window, &MainWindow::languageChosen, &logic, &FormLogic::chooseLanguage);
}

} // namespace tavelon
