// Tells every running instance that the shared reopen list changed, and hears when another one says so.
// Each instance listens on a local socket of its own in the user's runtime folder; a broadcast connects to
// every socket there (waiting at most 100 ms for each), removes those nobody listens on any more, and
// tells this instance too.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class ReopenNotifier : public QObject {
    Q_OBJECT
public:
    explicit ReopenNotifier(QObject* parent = nullptr);
    ~ReopenNotifier() override;

    // The folder every instance's socket lies in: "strovane-reopen" in the user's runtime folder.
    static QString Folder();
    // This instance's socket path; empty when it could not listen (the instance then only broadcasts).
    QString SocketPath() const { return socketPath_; }

    // Reaches every live instance (this one by a queued call) and removes stale sockets.
    void Broadcast();

signals:
    // The reopen list changed (another instance's broadcast or this one's). Always delivered queued.
    void Changed();

private:
    QLocalServer* server_ = nullptr;
    QString socketPath_;
};
