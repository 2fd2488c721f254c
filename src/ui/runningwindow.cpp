#include "ui/runningwindow.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace tavelon {

namespace {

// The one request there is.
constexpr char kFront[] = "front\n";
constexpr int kWaitMs = 2000;

} // namespace

QString RunningWindow::socketName(const QString &programFolder)
{
    const QFileInfo info(programFolder);
    const QString path = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("brimholt-tavelon-") + QString::fromLatin1(hash);
}

RunningWindow::RunningWindow(const QString &programFolder, QObject *parent)
    : QObject(parent), m_name(socketName(programFolder)), m_server(new QLocalServer(this))
{
    // Only this user may ask the window anything.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kFront))
                    emit frontRequested();
                socket->disconnectFromServer();
            });
        }
    });
}

bool RunningWindow::listen()
{
    // The caller holds the program folder's lock: a socket of that name is a stale one.
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool RunningWindow::bringToFront(const QString &programFolder)
{
    QLocalSocket socket;
    socket.connectToServer(socketName(programFolder));
    if (!socket.waitForConnected(kWaitMs))
        return false;
    socket.write(kFront);
    const bool sent = socket.waitForBytesWritten(kWaitMs);
    // The window answers by closing the connection once it has read the request.
    socket.waitForDisconnected(kWaitMs);
    return sent;
}

} // namespace tavelon
