// The hex viewer window in the real main window: docked as the tab before Map (shown only with a
// stream), floated to the main window's right edge with its height, snapping when moved near that
// edge, following the main window, and docked back by its close box.
#include <QTabWidget>
#include <QTest>

#include "HexWindowTestSupport.h"
#include "hexview/HexViewerActions.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"

using namespace hexwindowtest;

namespace {

class HexViewerDockingTest : public HexWindowTest {
protected:
    HexViewerDockingTest() {
        main.SetHexViewer(&hexWindow);
        main.move(100, 50);
        main.resize(900, 600);
        main.show();
    }
    ~HexViewerDockingTest() override {
        // The viewer outlives the main window in the program; here it is given back first.
        hexWindow.Dock();
    }

    QTabWidget* tabs() const { return windowtest::tabsOf(main); }
    // Moves the floating window and lets the window system report the move.
    void moveTo(int x, int y) {
        const QPoint before = hexWindow.frameGeometry().topLeft();
        hexWindow.move(x, y);
        // The window system reports the move (and a snap moves the window once more).
        windowtest::waitUntil([&] { return hexWindow.frameGeometry().topLeft() != before; }, 2000);
        QTest::qWait(10);
    }
    int mainRight() const { return main.frameGeometry().x() + main.frameGeometry().width(); }

    HexViewerWindow hexWindow{services, dialogs};
    MainWindow main{services, &mapView};
};

TEST_F(HexViewerDockingTest, DocksAsTheTabBeforeMapShownOnlyWithAStream) {
    const int index = tabs()->indexOf(&hexWindow);
    ASSERT_GE(index, 0);
    EXPECT_EQ(index + 1, tabs()->indexOf(main.MapCommands().Page()));
    EXPECT_FALSE(hexWindow.Floating());
    EXPECT_FALSE(tabs()->isTabVisible(index));
    EXPECT_EQ(hexWindow.Actions().docking->toolTip(), "Открыть в отдельном окне");
    // Docked, the caption is the file's name alone.
    hexWindow.SetStream(hextest::memoryStream(hextest::counting(64), "/disc/ALLDATA1.KWI"), 0);
    EXPECT_EQ(hexWindow.windowTitle(), "ALLDATA.KWI");
    EXPECT_EQ(tabs()->tabText(index), "ALLDATA.KWI");
    // The dialogs of a docked viewer sit over the main window.
    hexWindow.GoToCommand();
    EXPECT_EQ(dialogs.parents.back(), &main);
}

TEST_F(HexViewerDockingTest, FloatsAtTheMainWindowsRightEdgeAndDocksBackWhenClosed) {
    hexWindow.SetStream(hextest::memoryStream(hextest::counting(64), "DATA.KWI"), 0);
    const int index = tabs()->indexOf(&hexWindow);
    tabs()->setTabVisible(index, true);
    tabs()->setCurrentIndex(index);

    hexWindow.Actions().docking->trigger();
    ASSERT_TRUE(hexWindow.Floating());
    EXPECT_TRUE(hexWindow.isWindow());
    EXPECT_TRUE(hexWindow.Snapped());
    EXPECT_EQ(tabs()->indexOf(&hexWindow), -1);
    // The main window shows the Data tab, the one before the viewer's place.
    EXPECT_EQ(tabs()->currentIndex(), index - 1);
    EXPECT_EQ(hexWindow.windowTitle(), "Hex Viewer  DATA.KWI");
    windowtest::waitUntil([&] { return hexWindow.frameGeometry().x() == mainRight(); }, 2000);
    EXPECT_EQ(hexWindow.frameGeometry().x(), mainRight());
    EXPECT_EQ(hexWindow.frameGeometry().y(), main.frameGeometry().y());
    EXPECT_EQ(hexWindow.height(), main.height());
    // Floating, the dialogs sit over the viewer.
    hexWindow.GoToCommand();
    EXPECT_EQ(dialogs.parents.back(), &hexWindow);

    // The close box docks it again, in its old place, shown since it has a stream.
    EXPECT_FALSE(hexWindow.close());
    EXPECT_FALSE(hexWindow.Floating());
    EXPECT_EQ(tabs()->indexOf(&hexWindow), index);
    EXPECT_TRUE(tabs()->isTabVisible(index));
    EXPECT_EQ(tabs()->tabText(index), "DATA.KWI");
}

// Pixels of the hex rows' tint (#CDFCFC, the odd rows' hex cells) in a picture.
int hexTintPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == QColor(0xCD, 0xFC, 0xFC);
    return count;
}

TEST_F(HexViewerDockingTest, DockedBackItDrawsNothingOverOtherPagesAndKeepsItsPicture) {
    hexWindow.SetStream(hextest::memoryStream(hextest::counting(4096), "DATA.KWI"), 0);
    const int index = tabs()->indexOf(&hexWindow);
    const QImage picture = tabs()->tabIcon(index).pixmap(16).toImage();
    ASSERT_FALSE(picture.isNull());
    hexWindow.Float();
    ASSERT_TRUE(hexWindow.Floating());
    tabs()->setCurrentIndex(0);
    hexWindow.Dock();
    ASSERT_EQ(tabs()->indexOf(&hexWindow), index);
    // The Open tab stays in front, with nothing of the viewer over it.
    EXPECT_EQ(tabs()->currentIndex(), 0);
    EXPECT_FALSE(hexWindow.isVisible());
    const QImage open = main.grab().toImage();
    EXPECT_EQ(hexTintPixels(open), 0);
    EXPECT_EQ(tabs()->tabIcon(index).pixmap(16).toImage(), picture);
    // Its own tab still shows its rows.
    tabs()->setCurrentIndex(index);
    EXPECT_TRUE(hexWindow.isVisible());
    const QImage hexPage = main.grab().toImage();
    EXPECT_GT(hexTintPixels(hexPage), 1000);
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        open.save(QString::fromLocal8Bit(folder) + "/hex-redocked-open-tab.png");
        hexPage.save(QString::fromLocal8Bit(folder) + "/hex-redocked-hex-tab.png");
    }
}

TEST_F(HexViewerDockingTest, SnapsWhenMovedNearTheEdge) {
    hexWindow.SetStream(hextest::memoryStream(hextest::counting(64), "DATA.KWI"), 0);
    hexWindow.Float();
    const int top = main.frameGeometry().y();
    // Far away: no longer snapped.
    moveTo(mainRight() + 200, top + 100);
    EXPECT_FALSE(hexWindow.Snapped());
    // 20 pixels right of the edge: snapped onto it.
    moveTo(mainRight() + 20, top + 10);
    windowtest::waitUntil([&] { return hexWindow.frameGeometry().x() == mainRight(); }, 2000);
    EXPECT_TRUE(hexWindow.Snapped());
    EXPECT_EQ(hexWindow.frameGeometry().topLeft(), QPoint(mainRight(), top));
    // Exactly on the edge the flag stays as it was.
    moveTo(mainRight() + 200, top);
    ASSERT_FALSE(hexWindow.Snapped());
    moveTo(mainRight(), top + 5);
    EXPECT_FALSE(hexWindow.Snapped());

    // A snapped window follows the main window.
    moveTo(mainRight() + 10, top);
    ASSERT_TRUE(hexWindow.Snapped());
    main.move(main.pos() + QPoint(40, 30));
    EXPECT_TRUE(windowtest::waitUntil(
        [&] { return hexWindow.frameGeometry().topLeft() == QPoint(mainRight(), main.frameGeometry().y()); },
        2000));
}

TEST_F(HexViewerDockingTest, ClosingTheMainWindowTakesTheFloatingViewerAlong) {
    hexWindow.Float();
    ASSERT_TRUE(hexWindow.isVisible());
    main.close();
    EXPECT_FALSE(hexWindow.Floating());
    EXPECT_FALSE(hexWindow.isWindow());
    // No window of the program is left open to keep it running.
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible()) << widget->metaObject()->className();
}

} // namespace
