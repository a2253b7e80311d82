#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#include "base/Logger.h"

namespace lumetra {
namespace {

constexpr int kConnectWaitMs = 500;
// A first instance that has just taken the lock may not listen yet.
constexpr int kAskForMs = 3000;
const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

}  // namespace

CSingleInstance::CSingleInstance(QString name) : m_name(std::move(name)) {
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
}

QString CSingleInstance::DefaultName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = QString::number(getuid());
    return QStringLiteral("Lumetra-") + user;
}

bool CSingleInstance::FindRunningInstance() {
    m_lock = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(m_name + QStringLiteral(".lock")));
    // Held for as long as the instance runs, however long: only a dead owner makes it stale.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError)
            Logger().Log("single instance: the lock file cannot be written; starting anyway");
        else {
            QElapsedTimer asking;
            asking.start();
            while (!AskRunningInstance() && asking.elapsed() < kAskForMs) QThread::msleep(50);
            return false;
        }
    }
    // The lock is ours: a socket file left by a crashed instance would only block listening.
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_name))
        Logger().Log("single instance: cannot listen on %s: %s", qPrintable(m_name),
                     qPrintable(m_server.errorString()));
    return true;
}

bool CSingleInstance::AskRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectWaitMs)) return false;
    socket.write(kRaiseRequest);
    const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    return sent;
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains(kRaiseRequest.trimmed())) emit RaiseRequested();
        });
    }
}

}  // namespace lumetra
