// The launcher entry signal: one Update with every property at each change.
#include "platform/LauncherEntryBackend.h"

#include <QCryptographicHash>
#include <QDBusMessage>
#include <QGuiApplication>
#include <algorithm>

namespace {
const QString launcherInterface = QStringLiteral("com.canonical.Unity.LauncherEntry");
}

LauncherEntryBackend::LauncherEntryBackend(QString appId, QDBusConnection bus) : bus_(std::move(bus)) {
    if (appId.isEmpty()) appId = QGuiApplication::desktopFileName();
    if (appId.isEmpty()) appId = QStringLiteral("strovane");
    appUri_ = QStringLiteral("application://") + appId + QStringLiteral(".desktop");
    available_ = bus_.isConnected();
}

QString LauncherEntryBackend::ObjectPath(const QString& appUri) {
    const QByteArray digest = QCryptographicHash::hash(appUri.toUtf8(), QCryptographicHash::Md5).toHex();
    return QStringLiteral("/com/canonical/unity/launcherentry/") + QString::fromLatin1(digest);
}

QVariantMap LauncherEntryBackend::Properties(TaskBarProgressStyle state, int percent, bool urgent) {
    const bool visible = state == TaskBarProgressStyle::Normal || state == TaskBarProgressStyle::Error ||
                         state == TaskBarProgressStyle::Paused;
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), double(std::clamp(percent, 0, 100)) / 100.0);
    properties.insert(QStringLiteral("progress-visible"), visible);
    properties.insert(QStringLiteral("urgent"), urgent);
    return properties;
}

void LauncherEntryBackend::SetProgressState(TaskBarProgressStyle state) {
    state_ = state;
    send();
}

void LauncherEntryBackend::SetProgressValue(int completed, int total) {
    percent_ = total > 0 ? int(int64_t(completed) * 100 / total) : 0;
    send();
}

void LauncherEntryBackend::SetUrgent(bool urgent) {
    urgent_ = urgent;
    send();
}

void LauncherEntryBackend::send() {
    if (!available_) return;
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath(appUri_), launcherInterface, QStringLiteral("Update"));
    signal << appUri_ << Properties(state_, percent_, urgent_);
    bus_.send(signal);
}
