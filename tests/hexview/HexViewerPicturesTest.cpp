// Pictures of the hex viewer window for a person to review (saved when STROVANE_SCREENSHOT_DIR is set):
// docked in the main window over a record's bytes with a marked block and a found range, and floating
// beside the main window. Each must show something, and the block and found range their colours.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include "HexWindowTestSupport.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "support/fixtures/SourceFolderFixture.h"

using namespace hexwindowtest;

namespace {

void keep(const QImage& image, const char* name) {
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    image.save(QString::fromLocal8Bit(folder) + "/" + name);
}

QColor colourAt(const QImage& image, QPoint at) {
    return image.pixelColor(at * image.devicePixelRatio());
}

class HexViewerPicturesTest : public HexWindowTest {};

TEST_F(HexViewerPicturesTest, DockedWithABlockAndAFoundRangeThenFloating) {
    fixture::writeSourceFolder(spath("disc"));
    HexViewerWindow hexWindow(services, dialogs);
    MainWindow main(services, &mapView);
    main.SetHexViewer(&hexWindow);
    main.move(0, 0);
    main.resize(1100, 700);
    main.show();
    ASSERT_TRUE(main.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    const RecordNode* first = main.DataCommands().Tree().Roots().front().get();
    main.DataCommands().Page()->treeView->setCurrentIndex(main.DataCommands().TreeModel()->IndexOf(first));
    ASSERT_TRUE(windowtest::tabShown(main, &hexWindow));
    windowtest::tabsOf(main)->setCurrentWidget(&hexWindow);
    HexGrid& grid = *hexWindow.Grid();
    ASSERT_GT(grid.Size(), 0x40);
    grid.SetBlock(true, 0x12, 0x2D);
    grid.SelectFound(4, 0x28);
    grid.GotoOffset(0x05);
    // Pending layout requests (the scroll bars' visibility among them) are carried out as on screen.
    QTest::qWait(50);

    const QImage docked = main.grab().toImage();
    keep(docked, "hex-docked.png");
    const QPoint gridAt = grid.viewport()->mapTo(&main, QPoint(0, 0));
    auto cellColour = [&](const QImage& image, int64_t offset, bool hexHalf) {
        return colourAt(image, gridAt + grid.CellRect(offset, hexHalf).topLeft() + QPoint(2, 2));
    };
    // The block in its marking half, the found range inside the block.
    EXPECT_EQ(cellColour(docked, 0x14, true), grid.palette().color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(cellColour(docked, 0x14, false), QColor(0xC4, 0xE1, 0xFF));
    EXPECT_EQ(cellColour(docked, 0x29, true), QColor(0x01, 0xCF, 0xE0));

    hexWindow.Float();
    windowtest::waitUntil([&] { return hexWindow.frameGeometry().x() >= main.frameGeometry().right(); },
                          2000);
    QTest::qWait(50);
    const QRect both = main.frameGeometry().united(hexWindow.frameGeometry());
    QImage pair(both.size(), QImage::Format_RGB32);
    pair.fill(Qt::darkGray);
    {
        QPainter painter(&pair);
        painter.drawImage(main.geometry().topLeft() - both.topLeft(), main.grab().toImage());
        painter.drawImage(hexWindow.geometry().topLeft() - both.topLeft(), hexWindow.grab().toImage());
    }
    keep(pair, "hex-floating.png");
    EXPECT_EQ(hexWindow.frameGeometry().x(), main.frameGeometry().x() + main.frameGeometry().width());
    hexWindow.Dock();
}

} // namespace
