#include "platform/qt/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace plimsa {
namespace {

constexpr int kTimeoutMs = 1000;
const QByteArray kShowRequest = QByteArrayLiteral("show-panel\n");

}  // namespace

QString SingleInstance::defaultName() {
    // $XDG_RUNTIME_DIR, or a private folder Qt makes for this user (never a name in the shared /tmp,
    // where another user could answer in our place).
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) return QStringLiteral("plimsa-%1").arg(::getuid());
    return QDir(folder).filePath(QStringLiteral("plimsa.socket"));
}

SingleInstance::SingleInstance(const QString& name) {
    if (askRunningInstance(name)) {
        primary_ = false;
        return;
    }
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) {
        // Nobody answered on it, so the socket is what a crashed process left behind.
        QLocalServer::removeServer(name);
        if (!server_->listen(name)) return;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            auto answer = [this, socket] {
                if (!socket->canReadLine()) return;
                const bool asked = socket->readLine(64) == kShowRequest;
                socket->disconnectFromServer();
                if (asked && onShowRequest_) onShowRequest_();
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, answer);
            answer();  // the request may have arrived with the connection
        }
    });
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningInstance(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kTimeoutMs)) return false;
    socket.write(kShowRequest);
    socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kTimeoutMs);
    return true;
}

}  // namespace plimsa
