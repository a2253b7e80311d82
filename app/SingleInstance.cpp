#include "app/SingleInstance.h"

#include <unistd.h>

#include <QLocalSocket>

#include "link/Logger.h"

namespace lumetra {
namespace {

constexpr int kConnectWaitMs = 500;
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
    if (AskRunningInstance()) return false;
    // Nobody answered: a socket file left by a crashed instance would block listening.
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
