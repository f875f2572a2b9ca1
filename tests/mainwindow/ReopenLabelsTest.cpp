// The reopen labels on the Open tab: shortened paths, the typewriter animation (stepped by the test hook
// and run by its timer), what happens off the Open tab, hover and click, and the list shared between
// running instances through their local sockets, stale sockets included.
#include <QEnterEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTabWidget>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "WindowTestSupport.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/ReopenLabel.h"
#include "mainwindow/ReopenNotifier.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "widgets/flat/FlatButton.h"

namespace {

using windowtest::waitUntil;
using windowtest::WindowTest;

// A socket file whose listener is gone, as a crashed instance leaves it.
QString makeStaleSocket(const QString& folder) {
    const QString path = folder + "/4000000-0.sock";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()) + 1);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
    return bound == 0 ? path : QString();
}

class ReopenLabelsTest : public WindowTest {
protected:
    ReopenLabelsTest() { window.show(); }

    ReopenLabel* label(int i) const { return window.Opening().Page()->reopenLabels[size_t(i)]; }
    int visibleLabels() const {
        int n = 0;
        for (int i = 0; i < 6; ++i)
            n += label(i)->isVisible() ? 1 : 0;
        return n;
    }
    void addPaths(int count) {
        for (int i = 0; i < count; ++i)
            ReopenListAdd(path(QStringLiteral("source-%1").arg(i)));
    }
    static void ReopenListAdd(const QString& path) {
        ReopenList list;
        list.Load();
        list.Add(path);
    }

    MainWindow window{services, &mapView};
};

TEST_F(ReopenLabelsTest, AnimationEndsWithEveryLabelShowingItsShortenedPath) {
    addPaths(3);
    const QString longPath = "/" + QString(300, QLatin1Char('x')) + "/ALLDATA.KWI";
    ReopenListAdd(longPath);
    window.Opening().OnReopenChanged();
    window.Opening().FinishReopenAnimation();
    EXPECT_FALSE(window.Opening().ReopenAnimationRunning());

    ASSERT_EQ(window.Opening().Presenter().DisplayTexts().size(), 4);
    EXPECT_EQ(visibleLabels(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(label(i)->text(), window.Opening().Presenter().DisplayTexts()[i]);
    // The long path is shortened in its middle to the label's width less 10 pixels.
    const QString shown = label(0)->text();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_TRUE(shown.endsWith("ALLDATA.KWI"));
    EXPECT_LE(label(0)->fontMetrics().horizontalAdvance(shown), label(0)->width() - 10);
    EXPECT_EQ(label(3)->text(), path("source-0"));
    EXPECT_EQ(label(0)->toolTip(), longPath);
}

TEST_F(ReopenLabelsTest, AnimationTypesTheLabelsOnItsTimer) {
    addPaths(6);
    window.Opening().OnReopenChanged();
    EXPECT_TRUE(window.Opening().ReopenAnimationRunning());
    // Partway: the first label typed in steps of nine characters.
    ASSERT_TRUE(waitUntil([&] { return label(0)->isVisible() && !label(0)->text().isEmpty(); }, 10000));
    EXPECT_TRUE(waitUntil([&] { return !window.Opening().ReopenAnimationRunning(); }, 10000));
    EXPECT_EQ(visibleLabels(), 6);
    EXPECT_EQ(label(5)->text(), path("source-0"));
}

TEST_F(ReopenLabelsTest, OffTheOpenTabTheLabelsShowWholeAtOnce) {
    addPaths(2);
    window.Opening().OnReopenChanged();
    windowtest::tabsOf(window)->setTabVisible(
        windowtest::tabsOf(window)->indexOf(window.DataCommands().Page()), true);
    windowtest::tabsOf(window)->setCurrentWidget(window.DataCommands().Page());
    window.Opening().OnReopenTimer();
    EXPECT_FALSE(window.Opening().ReopenAnimationRunning());
    EXPECT_EQ(label(0)->text(), path("source-1"));
    EXPECT_EQ(label(1)->text(), path("source-0"));
}

TEST_F(ReopenLabelsTest, LabelIsOpaqueUnderTheMouseAndOpensOnClick) {
    fixture::writeSourceFolder(spath("disc"));
    ReopenListAdd(path("disc"));
    window.Opening().Presenter().ShowAllLabels();
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(label(0), &enter);
    EXPECT_TRUE(label(0)->Opaque());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(label(0), &leave);
    EXPECT_FALSE(label(0)->Opaque());
    EXPECT_EQ(label(0)->focusPolicy(), Qt::TabFocus);
    windowtest::pressEnter(label(0));
    EXPECT_EQ(window.DataCommands().Tree().Roots().size(), 4u);

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label(0), &press);
    QApplication::sendEvent(label(0), &release);
    EXPECT_EQ(window.DataCommands().Tree().Roots().size(), 4u);
    EXPECT_EQ(windowtest::tabsOf(window)->currentWidget(), window.DataCommands().Page());
}

TEST_F(ReopenLabelsTest, AnotherInstancesOpeningShowsHereWithinTwoSeconds) {
    // Let the start-up animation run out first.
    ASSERT_TRUE(waitUntil([&] { return !window.Opening().ReopenAnimationRunning(); }, 10000));
    ASSERT_FALSE(window.Opening().Notifier()->SocketPath().isEmpty());

    // The other instance: its own notifier and its own copy of the list, over the same settings.
    ReopenNotifier other;
    ReopenList otherList;
    otherList.Load();
    otherList.Add(path("opened-elsewhere"));
    other.Broadcast();

    EXPECT_TRUE(waitUntil(
        [&] {
            return window.Opening().Presenter().Reopen().Paths().value(0) == path("opened-elsewhere") &&
                   label(0)->isVisible() &&
                   label(0)->text() == window.Opening().Presenter().DisplayTexts().value(0);
        },
        2000));
}

TEST_F(ReopenLabelsTest, BroadcastRemovesSocketsNobodyListensOn) {
    const QString stale = makeStaleSocket(ReopenNotifier::Folder());
    ASSERT_FALSE(stale.isEmpty());
    ASSERT_TRUE(QFileInfo::exists(stale));
    ReopenNotifier live;

    window.Opening().AddToReopenList(path("somewhere"));
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(live.SocketPath()));
    EXPECT_TRUE(QFileInfo::exists(window.Opening().Notifier()->SocketPath()));
}

TEST_F(ReopenLabelsTest, SocketIsRemovedWhenTheInstanceEnds) {
    QString socket;
    {
        ReopenNotifier notifier;
        socket = notifier.SocketPath();
        ASSERT_TRUE(QFileInfo::exists(socket));
    }
    EXPECT_FALSE(QFileInfo::exists(socket));
}

} // namespace
