#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace tavelon {

// One window per program folder: the running window listens on a local socket named after the
// program folder; a second start of the window finds it, asks it to come to the front and ends.
class RunningWindow : public QObject
{
    Q_OBJECT
public:
    // The socket's name for a program folder: the same for every spelling of one folder.
    static QString socketName(const QString &programFolder);

    explicit RunningWindow(const QString &programFolder, QObject *parent = nullptr);

    // Starts listening; a socket left by a copy that ended without closing it is replaced. False
    // when no socket can be made (the window then runs alone all the same).
    bool listen();

    // Asks the window running on the program folder to come to the front; false when none answers.
    static bool bringToFront(const QString &programFolder);

signals:
    // A second start asked for the window.
    void frontRequested();

private:
    QString m_name;
    QLocalServer *m_server;
};

} // namespace tavelon
