// The taskbar's rules over a recording backend (percentages stored and sent, unchanged ones not re-sent
// during normal progress, nothing sent while loading or without a backend, a maximum of 0), the launcher
// entry's properties, and its Update signal seen on a real session bus when one exists.
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <string>
#include <vector>

#include "platform/LauncherEntryBackend.h"
#include "platform/TaskBar.h"

namespace {

class RecordingBackend : public TaskbarBackend {
public:
    bool Available() const override { return available; }
    void SetProgressState(TaskBarProgressStyle state) override {
        calls.push_back("state " + std::to_string(taskBarProgressFlag(state)));
    }
    void SetProgressValue(int completed, int total) override {
        calls.push_back("value " + std::to_string(completed) + "/" + std::to_string(total));
    }
    void SetOverlayIcon(const QIcon& icon, const QString& description) override {
        calls.push_back(std::string("overlay ") + (icon.isNull() ? "none" : "icon") + " " +
                        description.toStdString());
    }
    void SetUrgent(bool urgent) override { calls.push_back(urgent ? "urgent" : "not urgent"); }

    bool available = true;
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST(TaskBar, StartsEmptyAndSendsNothing) {
    RecordingBackend backend;
    TaskBar bar(&backend);
    EXPECT_TRUE(bar.InterfaceAvailable());
    EXPECT_EQ(bar.ProgressValue(), 0);
    EXPECT_EQ(bar.ProgressMax(), 100);
    EXPECT_EQ(bar.ProgressState(), TaskBarProgressStyle::None);
    EXPECT_TRUE(backend.calls.empty());
}

TEST(TaskBar, AnUnchangedPercentageIsNotSentAgainDuringNormalProgressButTheEndAlwaysIs) {
    RecordingBackend backend;
    TaskBar bar(&backend);
    bar.SetProgressState(TaskBarProgressStyle::Normal);
    bar.SetProgressValue(37);
    bar.SetProgressValue(37);
    bar.SetProgressValue(100);
    bar.SetProgressValue(100);
    EXPECT_EQ(backend.calls, (Calls{"state 2", "value 37/100", "value 100/100", "value 100/100"}));
    // In any other state every value is sent.
    bar.SetProgressState(TaskBarProgressStyle::Paused);
    bar.SetProgressValue(37);
    bar.SetProgressValue(37);
    EXPECT_EQ(backend.calls.size(), 7u);
}

TEST(TaskBar, StoresThePercentageOfTheMaximum) {
    RecordingBackend backend;
    TaskBar bar(&backend);
    bar.SetProgressMax(200);
    bar.SetProgressValue(50);
    EXPECT_EQ(bar.ProgressValue(), 25);
    EXPECT_EQ(backend.calls, (Calls{"value 25/100"}));
}

TEST(TaskBar, AMaximumOfZeroDividesNothing) {
    RecordingBackend backend;
    TaskBar bar(&backend);
    bar.SetProgressState(TaskBarProgressStyle::Normal);
    bar.SetProgressValue(40);
    bar.SetProgressMax(0);
    bar.SetProgressValue(7);
    EXPECT_EQ(bar.ProgressValue(), 0);
    bar.SetProgressMax(-5);
    bar.SetProgressValue(7);
    EXPECT_EQ(backend.calls, (Calls{"state 2", "value 40/100"}));
}

TEST(TaskBar, WhileLoadingTheStateAndOverlayAreStoredNotSent) {
    RecordingBackend backend;
    TaskBar bar(&backend);
    bar.SetLoading(true);
    bar.SetProgressState(TaskBarProgressStyle::Error);
    bar.SetShowOverlay(true);
    EXPECT_EQ(bar.ProgressState(), TaskBarProgressStyle::Error);
    EXPECT_TRUE(bar.ShowOverlay());
    EXPECT_TRUE(backend.calls.empty());
    bar.SetLoading(false);
    bar.SetOverlayDescription(QStringLiteral("busy"));
    bar.SetShowOverlay(true);
    bar.SetShowOverlay(false);
    EXPECT_EQ(backend.calls, (Calls{"overlay none busy", "overlay none "}));
}

TEST(TaskBar, WithoutABackendOrAnUnavailableOneEverySetterOnlyStores) {
    RecordingBackend unavailable;
    unavailable.available = false;
    for (TaskbarBackend* backend :
         {static_cast<TaskbarBackend*>(nullptr), static_cast<TaskbarBackend*>(&unavailable)}) {
        TaskBar bar(backend);
        EXPECT_FALSE(bar.InterfaceAvailable());
        bar.SetProgressState(TaskBarProgressStyle::Normal);
        bar.SetProgressValue(64);
        bar.SetShowOverlay(true);
        bar.SetThumbnailTooltip(QStringLiteral("tip"));
        bar.FlashTaskbarButton();
        EXPECT_EQ(bar.ProgressValue(), 64);
        EXPECT_EQ(bar.ProgressState(), TaskBarProgressStyle::Normal);
        EXPECT_EQ(bar.ThumbnailTooltip(), QStringLiteral("tip"));
    }
    EXPECT_TRUE(unavailable.calls.empty());
}

TEST(TaskBar, FlashingMarksTheEntryUrgent) {
    RecordingBackend backend;
    TaskBar bar(&backend);
    bar.FlashTaskbarButton();
    EXPECT_EQ(backend.calls, (Calls{"urgent"}));
}

TEST(LauncherEntry, PropertiesShowProgressOnlyInTheVisibleStates) {
    using S = TaskBarProgressStyle;
    for (S state : {S::None, S::Indeterminate, S::Normal, S::Error, S::Paused}) {
        const QVariantMap p = LauncherEntryBackend::Properties(state, 37, false);
        const bool visible = state == S::Normal || state == S::Error || state == S::Paused;
        EXPECT_EQ(p.value(QStringLiteral("progress-visible")).toBool(), visible)
            << taskBarProgressFlag(state);
        EXPECT_DOUBLE_EQ(p.value(QStringLiteral("progress")).toDouble(), 0.37);
        EXPECT_FALSE(p.value(QStringLiteral("urgent")).toBool());
    }
    EXPECT_DOUBLE_EQ(LauncherEntryBackend::Properties(S::Normal, 250, true).value("progress").toDouble(),
                     1.0);
    EXPECT_DOUBLE_EQ(LauncherEntryBackend::Properties(S::Normal, -3, true).value("progress").toDouble(), 0.0);
    EXPECT_TRUE(LauncherEntryBackend::Properties(S::Normal, 0, true).value("urgent").toBool());
    LauncherEntryBackend backend(QStringLiteral("strovane"), QDBusConnection(QStringLiteral("no such bus")));
    EXPECT_EQ(backend.AppUri(), QStringLiteral("application://strovane.desktop"));
    EXPECT_FALSE(backend.Available());
    EXPECT_TRUE(
        LauncherEntryBackend::ObjectPath(backend.AppUri()).startsWith("/com/canonical/unity/launcherentry/"));
}

// Collects the launcher signals a second connection sees.
class UpdateListener : public QObject {
    Q_OBJECT
public:
    QList<QDBusMessage> updates;
public slots:
    void onUpdate(const QDBusMessage& message) { updates << message; }
};

TEST(LauncherEntryBus, SendsUpdateSignalsThatAListenerSees) {
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no session bus (run under dbus-run-session)";
    QDBusConnection listenerBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("listener"));
    ASSERT_TRUE(listenerBus.isConnected());
    UpdateListener listener;
    ASSERT_TRUE(listenerBus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                    QStringLiteral("Update"), &listener, SLOT(onUpdate(QDBusMessage))));
    LauncherEntryBackend backend(QStringLiteral("strovane"));
    ASSERT_TRUE(backend.Available());
    TaskBar bar(&backend);
    bar.SetProgressState(TaskBarProgressStyle::Normal);
    bar.SetProgressValue(37);
    QElapsedTimer clock;
    clock.start();
    while (listener.updates.size() < 2 && clock.elapsed() < 5000) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    ASSERT_EQ(listener.updates.size(), 2);
    const QDBusMessage& last = listener.updates.last();
    EXPECT_EQ(last.path(),
              LauncherEntryBackend::ObjectPath(QStringLiteral("application://strovane.desktop")));
    ASSERT_EQ(last.arguments().size(), 2);
    EXPECT_EQ(last.arguments().at(0).toString(), QStringLiteral("application://strovane.desktop"));
    const QVariantMap properties = qdbus_cast<QVariantMap>(last.arguments().at(1));
    EXPECT_DOUBLE_EQ(properties.value(QStringLiteral("progress")).toDouble(), 0.37);
    EXPECT_TRUE(properties.value(QStringLiteral("progress-visible")).toBool());
    QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
}

} // namespace

#include "TaskBarTest.moc"
