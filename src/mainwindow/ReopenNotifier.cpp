// The reopen broadcast over local sockets.
#include "mainwindow/ReopenNotifier.h"

#include <atomic>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
// How long a broadcast waits for one instance to answer (a hung instance must not hold this one up).
constexpr int kConnectTimeoutMs = 100;
// Several windows may live in one process (tests); each gets its own socket.
std::atomic<int> instanceCounter{0};
} // namespace

ReopenNotifier::ReopenNotifier(QObject* parent) : QObject(parent) {
    const QString folder = Folder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) return;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString path = folder + QStringLiteral("/%1-%2.sock")
                                      .arg(QCoreApplication::applicationPid())
                                      .arg(instanceCounter.fetch_add(1));
    // A socket left by a dead process whose id came round again.
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        delete server_;
        server_ = nullptr;
        return;
    }
    socketPath_ = path;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            peer->disconnectFromServer();
            peer->deleteLater();
        }
        QMetaObject::invokeMethod(this, &ReopenNotifier::Changed, Qt::QueuedConnection);
    });
}

ReopenNotifier::~ReopenNotifier() {
    if (server_) server_->close();
}

QString ReopenNotifier::Folder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : runtime + QStringLiteral("/strovane-reopen");
}

void ReopenNotifier::Broadcast() {
    const QString folder = Folder();
    const QStringList names =
        folder.isEmpty() ? QStringList()
                         : QDir(folder).entryList({QStringLiteral("*.sock")}, QDir::System | QDir::Files);
    for (const QString& name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        if (path == socketPath_) continue;
        QLocalSocket peer;
        peer.connectToServer(path);
        if (peer.waitForConnected(kConnectTimeoutMs)) {
            peer.disconnectFromServer();
            continue;
        }
        const QLocalSocket::LocalSocketError error = peer.error();
        // Nobody listens there any more: the instance ended without removing its socket.
        if (error == QLocalSocket::ConnectionRefusedError || error == QLocalSocket::ServerNotFoundError)
            QFile::remove(path);
    }
    // The broadcast reaches the sender too, so every instance reloads the list the same way.
    QMetaObject::invokeMethod(this, &ReopenNotifier::Changed, Qt::QueuedConnection);
}
