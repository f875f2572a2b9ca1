// The grid control: keys that run on across rows, clicks and drags, cell colours in a picture of it,
// scrolling a stream past 32 GiB of rows, repaints without new reads, balloons, and a picture to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QScrollBar>
#include <climits>

#include "HexGridTestSupport.h"
#include "hexview/HexGridPainter.h"
#include "hexview/model/HexGridLayout.h"
#include "hexview/model/HexScrollMapping.h"
#include "kiwi/display/WindowsColor.h"

namespace {

using gridtest::ShownGrid;
using hextest::memoryStream;

TEST(HexGridWidget, RightAndLeftRunOnAcrossRowEndsInTheirHalf) {
    ShownGrid s;
    s.grid.SetStream(memoryStream(hextest::counting(64)), 15);
    gridtest::key(s.grid, Qt::Key_Right);
    EXPECT_EQ(s.grid.Cursor(), 16);
    EXPECT_TRUE(s.grid.Model().CursorInHex());
    gridtest::key(s.grid, Qt::Key_Left);
    EXPECT_EQ(s.grid.Cursor(), 15);
    gridtest::click(s.grid, s.grid.CellRect(16, false).center());
    EXPECT_EQ(s.grid.Cursor(), 16);
    EXPECT_FALSE(s.grid.Model().CursorInHex());
    gridtest::key(s.grid, Qt::Key_Left);
    EXPECT_EQ(s.grid.Cursor(), 15);
    EXPECT_FALSE(s.grid.Model().CursorInHex());
    gridtest::key(s.grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(s.grid.Cursor(), 63);
    gridtest::key(s.grid, Qt::Key_Right);
    EXPECT_EQ(s.grid.Cursor(), 63);
}

TEST(HexGridWidget, ClicksOnTheAddressAndGapColumnsKeepTheCursor) {
    ShownGrid s;
    s.grid.SetStream(memoryStream(hextest::counting(64)), 21);
    const int y = s.grid.CellRect(16, true).center().y();
    for (const int x : {5, 135, hexlayout::ColumnLeft(18) + 4}) {
        gridtest::click(s.grid, QPoint(x, y));
        EXPECT_EQ(s.grid.Cursor(), 21) << x;
    }
    gridtest::click(s.grid, QPoint(hexlayout::ColumnLeft(3) + 5, 3)); // the header row
    EXPECT_EQ(s.grid.Cursor(), 21);
    gridtest::click(s.grid, s.grid.CellRect(33, true).center());
    EXPECT_EQ(s.grid.Cursor(), 33);
}

TEST(HexGridWidget, DragMarksABlockAndReportsIt) {
    ShownGrid s;
    s.grid.SetStream(memoryStream(hextest::counting(256)), 0);
    std::vector<std::pair<qint64, qint64>> blocks;
    QObject::connect(&s.grid, &HexGrid::selectionChanged, [&](qint64 a, qint64 b) {
        blocks.push_back({a, b});
    });
    gridtest::press(s.grid, s.grid.CellRect(3, true).center());
    gridtest::moveHeld(s.grid, s.grid.CellRect(9, true).center());
    gridtest::moveHeld(s.grid, s.grid.CellRect(20, false).center());
    gridtest::release(s.grid, s.grid.CellRect(20, false).center());
    EXPECT_EQ(s.grid.BlockStart(), 3);
    EXPECT_EQ(s.grid.BlockEnd(), 20);
    EXPECT_TRUE(s.grid.SelectionInHex()); // the half the drag began in
    EXPECT_EQ(blocks, (std::vector<std::pair<qint64, qint64>>{{3, 9}, {3, 20}}));
    // Over the address column the drag takes the row's first byte.
    gridtest::press(s.grid, s.grid.CellRect(40, true).center());
    gridtest::moveHeld(s.grid, QPoint(10, s.grid.CellRect(70, true).center().y()));
    gridtest::release(s.grid, QPoint(10, 0));
    EXPECT_EQ(s.grid.BlockStart(), 40);
    EXPECT_EQ(s.grid.BlockEnd(), 64);
}

TEST(HexGridWidget, CellColoursFollowCursorFoundRangeBlockAndRows) {
    ShownGrid s;
    s.grid.SetStream(memoryStream(hextest::counting(256)), 0);
    s.grid.SetBlock(true, 16, 40);
    s.grid.SelectFound(4, 38);
    s.grid.GotoOffset(100);
    const QImage image = s.picture();
    const QPalette& p = s.grid.palette();
    auto at = [&](int64_t offset, bool hex) {
        return gridtest::dominant(image, s.grid.CellRect(offset, hex));
    };
    EXPECT_EQ(at(100, true), p.color(QPalette::Active, QPalette::Link));
    EXPECT_EQ(at(100, false), p.color(QPalette::Active, QPalette::Link));
    EXPECT_EQ(at(38, true), QColor(0x01, 0xCF, 0xE0));
    EXPECT_EQ(at(39, false), QColor(0x01, 0xCF, 0xE0));
    EXPECT_EQ(at(41, true), QColor(0x40, 0xFF, 0x9F));
    EXPECT_EQ(at(20, true), p.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(at(20, false), QColor(0xC4, 0xE1, 0xFF));
    EXPECT_EQ(at(2, true), QColor(0xCD, 0xFC, 0xFC));
    EXPECT_EQ(at(60, true), p.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(at(60, false), p.color(QPalette::Active, QPalette::ToolTipBase));
    // Marked in the character half, the halves swap colours.
    s.grid.SetBlock(false, 16, 40);
    s.grid.GotoOffset(100);
    const QImage swapped = s.picture();
    EXPECT_EQ(gridtest::dominant(swapped, s.grid.CellRect(20, false)),
              p.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(gridtest::dominant(swapped, s.grid.CellRect(20, true)), QColor(0xC4, 0xE1, 0xFF));
}

TEST(HexGridWidget, AStreamPastThirtyTwoGibibytesOfRowsScrollsToItsEnd) {
    ShownGrid s;
    const int64_t size = int64_t(40) << 30;
    s.grid.SetStream(std::make_shared<hextest::HugeZeroStream>(size), 0);
    HexGridModel& model = s.grid.Model();
    QScrollBar* bar = s.grid.verticalScrollBar();
    EXPECT_EQ(bar->maximum(), INT_MAX);
    bar->setValue(INT_MAX);
    EXPECT_EQ(model.TopRow(), model.MaxTopRow());
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(model.TopRow(), model.MaxTopRow() - 1);
    s.grid.GotoOffset(size / 2);
    const int64_t top = model.TopRow();
    EXPECT_EQ(bar->value(), hexscroll::ValueForTop(top, model.MaxTopRow()));
    EXPECT_NEAR(double(bar->value()), INT_MAX / 2.0, INT_MAX * 1e-6);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(model.TopRow(), top + 1);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(model.TopRow(), top + 1 + model.VisibleRows());
    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(s.grid.viewport(), &wheel);
    EXPECT_EQ(model.TopRow(), top + 4 + model.VisibleRows());
    s.grid.GotoOffset(size - 1);
    EXPECT_EQ(bar->value(), INT_MAX);
    EXPECT_FALSE(s.grid.CellRect(size - 1, true).isEmpty());
    gridtest::key(s.grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 0);
}

TEST(HexGridWidget, ARepaintReadsNothingNew) {
    ShownGrid s;
    s.grid.SetStream(memoryStream(hextest::counting(1 << 20)), 500000);
    s.picture();
    const uint64_t reads = s.grid.Model().RowReads();
    s.picture();
    s.grid.Model().GotoOffset(500001);
    s.picture();
    EXPECT_EQ(s.grid.Model().RowReads(), reads);
}

TEST(HexGridWidget, BalloonsAndHeaderInBothLanguages) {
    ShownGrid s;
    s.grid.ShowSearchDone();
    EXPECT_TRUE(s.grid.BalloonVisible());
    EXPECT_EQ(s.grid.BalloonText(), "Search is completed");
    s.grid.SetRussianTexts(true);
    s.grid.ShowSearchDone();
    EXPECT_EQ(s.grid.BalloonText(), "Поиск завершен");
    EXPECT_EQ(s.grid.Model().AddressHeaderText(), "Address");
    s.grid.HideBalloon();
    EXPECT_FALSE(s.grid.BalloonVisible());
}

TEST(HexGridWidget, PictureWithBlockFoundRangeAndUtf8Characters) {
    ShownGrid s;
    std::vector<uint8_t> bytes = hextest::counting(4096);
    const std::string text = "KIWI \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 ALLDATA.KWI";
    std::copy(text.begin(), text.end(), bytes.begin() + 0x45);
    s.grid.SetDisplayCodePage(65001);
    s.grid.SetCharsetName("UTF-8");
    s.grid.SetStream(memoryStream(bytes, "ALLDATA.KWI"), 0);
    s.grid.SetBlock(true, 0x30, 0x5C);
    s.grid.SelectFound(6, 0x58);
    s.grid.GotoOffset(0x13);
    const QImage image = s.picture();
    const QColor first = image.pixelColor(0, 0);
    int differing = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            differing += image.pixelColor(x, y) != first;
    EXPECT_GT(differing, 1000);
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(folder));
        image.save(QString::fromLocal8Bit(folder) + "/hex-grid.png");
    }
}

} // namespace
