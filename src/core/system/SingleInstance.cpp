#include "core/system/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

// One line each way: "OPEN <file>" (the file may be empty), answered "OK".
constexpr char kOpen[] = "OPEN ";
constexpr char kOk[] = "OK\n";

} // namespace

namespace SingleInstance {

QString serverName(const QString& programFolder)
{
    QString folder = QDir(programFolder).canonicalPath();
    if (folder.isEmpty())
        folder = QDir(programFolder).absolutePath();
    const QByteArray digest = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("miniarca-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

bool handOver(const QString& name, const QString& file, std::chrono::milliseconds wait)
{
    const QDeadlineTimer deadline(wait);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false; // nobody there, or a socket nobody listens on
    socket.write(QByteArray(kOpen) + file.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false; // connected, but the program there does not answer
        answer += socket.readAll();
    }
    return answer == kOk;
}

} // namespace SingleInstance

TInstanceServer::TInstanceServer(const QString& name, QObject* parent)
    : QObject(parent), m_name(name), m_server(new QLocalServer(this))
{
    // Another user on the machine cannot reach this user's program.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TInstanceServer::takeConnection);
}

bool TInstanceServer::listen()
{
    if (m_server->listen(m_name))
        return true;
    // The name is held by a socket no program answers on (the caller tried
    // to hand over first): it is taken over.
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

void TInstanceServer::takeConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine().chopped(1);
            if (!line.startsWith(kOpen)) {
                socket->disconnectFromServer();
                return;
            }
            socket->write(kOk);
            socket->flush();
            emit handedOver(QString::fromUtf8(line.mid(int(sizeof kOpen) - 1)));
        });
    }
}
