#include "app/windowconnections.h"

#include <QCoreApplication>

#include "app/formlogic.h"
#include "services/sound.h"
#include "ui/mainwindow.h"

namespace tavelon {

void connectWindow(MainWindow &window, FormLogic &logic)
{
    QObject::connect(&window, &MainWindow::closed, &logic, &FormLogic::shutdown);
    QObject::connect(&logic.writer, &VideoWriter::writingChanged, &window, [&window](bool writing) {
        window.setTopMost(writing);
        QCoreApplication::processEvents();
    });
    QObject::connect(&logic.command, &VideoCommand::busyChanged, &window, &MainWindow::setBusy);
    QObject::connect(&logic.writer, &VideoWriter::progress, &window,
                     [&window](int i, int n) { window.showProgress(i, n); });
    QObject::connect(&logic.command, &VideoCommand::finished, &window,
                     [&window] { window.setProgressText({}); });
    QObject::connect(&logic.command, &VideoCommand::videoCompleted, &window,
                     [] { PlayResourceSound(QStringLiteral("BEEP")); });
}

} // namespace tavelon
