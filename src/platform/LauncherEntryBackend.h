// The taskbar backend of Linux desktops: the launcher entry D-Bus signal
// (com.canonical.Unity.LauncherEntry "Update"), which task managers and docks show as a progress bar and
// an urgent mark on the program's entry. Without a session bus it is unavailable.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

#include "platform/TaskBar.h"

class LauncherEntryBackend : public TaskbarBackend {
public:
    // appId: the desktop file's name without ".desktop" (the application's desktop file name, else
    // "strovane"); bus: the session bus unless a test names another connection.
    explicit LauncherEntryBackend(QString appId = {}, QDBusConnection bus = QDBusConnection::sessionBus());

    bool Available() const override { return available_; }
    void SetProgressState(TaskBarProgressStyle state) override;
    void SetProgressValue(int completed, int total) override;
    // Launchers have no overlay icons; the call is accepted and ignored.
    void SetOverlayIcon(const QIcon&, const QString&) override {}
    void SetUrgent(bool urgent) override;

    // "application://<appId>.desktop".
    const QString& AppUri() const { return appUri_; }
    static QString ObjectPath(const QString& appUri);
    // The properties sent for a state, a percentage (clamped to 0..100) and the urgent mark: progress
    // (0..1), progress-visible (Normal, Error and Paused), urgent.
    static QVariantMap Properties(TaskBarProgressStyle state, int percent, bool urgent);

private:
    void send();

    QDBusConnection bus_;
    bool available_ = false;
    QString appUri_;
    TaskBarProgressStyle state_ = TaskBarProgressStyle::None;
    int percent_ = 0;
    bool urgent_ = false;
};
