// The grid model's rows, clamps, events, cell kinds, drag-selection and keyboard movement.
#include <gtest/gtest.h>

#include "HexTestSupport.h"

namespace {

using hextest::EventLog;
using hextest::memoryStream;
using Kind = HexGridModel::CellKind;
using Move = HexGridModel::Move;
using Events = std::vector<std::string>;

TEST(HexGridModelRows, HeaderRowAndOneRowPerSixteenBytesBegun) {
    HexGridModel model;
    EXPECT_EQ(model.RowCount(), 1);
    for (const auto& [size, rows] :
         std::vector<std::pair<size_t, int64_t>>{{0, 1}, {16, 2}, {17, 3}, {32, 3}}) {
        model.SetStream(memoryStream(hextest::counting(size)), 0);
        EXPECT_EQ(model.RowCount(), rows) << size;
        EXPECT_EQ(model.DataRowCount(), rows - 1) << size;
    }
}

TEST(HexGridModelRows, EmptyStreamReadsNothingAndReportsNoAddress) {
    HexGridModel model;
    EventLog log(model);
    model.SetStream(memoryStream({}, "EMPTY.BIN"), 5);
    EXPECT_EQ(model.Cursor(), 0);
    EXPECT_EQ(log.take(), (Events{"file EMPTY.BIN", "selection 0 -1"}));
    model.GotoOffset(3);
    model.MoveCursor(Move::Right);
    model.SelectAll();
    EXPECT_FALSE(model.HasBlock());
    EXPECT_EQ(model.Cursor(), 0);
    EXPECT_EQ(log.take(), (Events{"selection 0 -1"}));
}

TEST(HexGridModelClamps, CursorNeverPassesTheLastByte) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(100)), 0);
    EventLog log(model);
    model.GotoOffset(100);
    EXPECT_EQ(model.Cursor(), 99);
    model.GotoOffset(101);
    EXPECT_EQ(model.Cursor(), 99);
    model.GotoOffset(-7);
    EXPECT_EQ(model.Cursor(), 0);
    EXPECT_EQ(log.take(), (Events{"address 99 99", "address 99 99", "address 0 0"}));
    // A stream shown at a position past its end starts on its last byte.
    model.SetStream(memoryStream(hextest::counting(20)), 20);
    EXPECT_EQ(model.Cursor(), 19);
}

TEST(HexGridModelClamps, BlockEndsAtTheLastByteAndAStartPastTheEndBecomesTheEnd) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(100)), 0);
    model.SetBlock(true, 10, 200);
    EXPECT_EQ(model.BlockStart(), 10);
    EXPECT_EQ(model.BlockEnd(), 99);
    model.SetBlock(false, 90, 50);
    EXPECT_EQ(model.BlockStart(), 50);
    EXPECT_EQ(model.BlockEnd(), 50);
    EXPECT_FALSE(model.SelectionInHex());
    model.SetBlock(true, 150, 100);
    EXPECT_EQ(model.BlockStart(), 99);
    EXPECT_EQ(model.BlockEnd(), 99);
    EXPECT_EQ(model.Cursor(), 99);
    model.SetBlock(true, 5, -1);
    EXPECT_FALSE(model.HasBlock());
}

TEST(HexGridModelClamps, BlockStartAndEndPushEachOther) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(100)), 0);
    EventLog log(model);
    model.SetBlockEnd(20);
    EXPECT_EQ(model.BlockStart(), 0);
    EXPECT_EQ(model.BlockEnd(), 20);
    model.SetBlockStart(30);
    EXPECT_EQ(model.BlockStart(), 30);
    EXPECT_EQ(model.BlockEnd(), 30);
    model.GotoOffset(12);
    model.MarkBlockStart();
    model.GotoOffset(140);
    model.MarkBlockEnd();
    EXPECT_EQ(model.BlockStart(), 12);
    EXPECT_EQ(model.BlockEnd(), 99);
    model.SelectAll();
    EXPECT_EQ(model.BlockEnd(), 99);
    model.SelectNone();
    EXPECT_EQ(log.take(), (Events{"address 20 20", "selection 0 20", "address 30 30", "selection 30 30",
                                  "address 12 12", "address 12 12", "selection 12 30", "address 99 99",
                                  "address 99 99", "selection 12 99", "selection 0 99", "selection 0 -1"}));
}

TEST(HexGridModelFound, AHitAtOffsetZeroIsSelected) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(64)), 30);
    model.SelectFound(4, 0);
    EXPECT_EQ(model.FoundStart(), 0);
    EXPECT_EQ(model.FoundEnd(), 3);
    EXPECT_EQ(model.Cursor(), 0);
    model.SelectFound(4, 62);
    EXPECT_EQ(model.FoundEnd(), 63);
    model.SelectFound(4, -1);
    EXPECT_EQ(model.FoundStart(), -1);
    EXPECT_EQ(model.FoundEnd(), -1);
    EXPECT_EQ(model.Cursor(), 62);
}

TEST(HexGridModelStream, NewStreamResetsAndReportsInOrder) {
    HexGridModel model;
    EventLog log(model);
    auto stream = memoryStream(hextest::counting(64), "DATA.KWI");
    model.SetStream(stream, 33);
    EXPECT_EQ(log.take(), (Events{"file DATA.KWI", "selection 0 -1", "address 33 33"}));
    model.SetBlock(true, 1, 2);
    model.SelectFound(2, 5);
    log.take();
    // The same stream object only moves the cursor.
    model.SetStream(stream, 40);
    EXPECT_EQ(log.take(), (Events{"address 40 40"}));
    EXPECT_TRUE(model.HasBlock());
    EXPECT_EQ(model.FoundStart(), 5);
    // Another stream starts afresh.
    model.SetOwnedStream(memoryStream(hextest::counting(64), "DATA.KWI"), 1);
    EXPECT_TRUE(model.OwnsStream());
    EXPECT_FALSE(model.HasBlock());
    EXPECT_EQ(model.FoundStart(), -1);
    EXPECT_EQ(log.take(), (Events{"file DATA.KWI", "selection 0 -1", "address 1 1"}));
    model.Clear();
    EXPECT_EQ(model.Stream(), nullptr);
    EXPECT_EQ(model.Size(), 0);
    EXPECT_EQ(log.take(), (Events{"file ----", "selection 0 -1"}));
}

TEST(HexGridModelCells, FirstMatchingRuleWins) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(64)), 0);
    model.SetBlock(true, 10, 20);
    model.SelectFound(4, 18);
    model.GotoOffset(40);
    EXPECT_EQ(model.KindOf(40, true), Kind::Cursor);
    EXPECT_EQ(model.KindOf(40, false), Kind::Cursor);
    EXPECT_EQ(model.KindOf(19, true), Kind::FoundInBlock);
    EXPECT_EQ(model.KindOf(21, false), Kind::FoundOutsideBlock);
    EXPECT_EQ(model.KindOf(12, true), Kind::BlockMarkedHalf);
    EXPECT_EQ(model.KindOf(12, false), Kind::BlockOtherHalf);
    EXPECT_EQ(model.KindOf(2, true), Kind::HexShadedRow);
    EXPECT_EQ(model.KindOf(34, true), Kind::HexShadedRow);
    EXPECT_EQ(model.KindOf(50, true), Kind::HexPlainRow);
    EXPECT_EQ(model.KindOf(2, false), Kind::Character);
    model.SetBlock(false, 10, 20);
    EXPECT_EQ(model.KindOf(12, false), Kind::BlockMarkedHalf);
    EXPECT_EQ(model.KindOf(12, true), Kind::BlockOtherHalf);
}

TEST(HexGridModelDrag, PressAndDragMarkABlockFromTheAnchor) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(64)), 0);
    EventLog log(model);
    model.PressByte(5, true);
    model.DragTo(5, true);
    EXPECT_FALSE(model.Dragging());
    model.DragTo(9, false);
    EXPECT_TRUE(model.Dragging());
    EXPECT_FALSE(model.SelectionInHex());
    EXPECT_EQ(model.BlockStart(), 5);
    EXPECT_EQ(model.BlockEnd(), 9);
    EXPECT_EQ(model.Cursor(), 9);
    model.DragTo(2, true);
    EXPECT_EQ(model.BlockStart(), 2);
    EXPECT_EQ(model.BlockEnd(), 5);
    // Back on the anchor the block stays.
    model.DragTo(5, true);
    EXPECT_EQ(model.BlockStart(), 2);
    model.Release();
    EXPECT_FALSE(model.Dragging());
    EXPECT_EQ(log.take(),
              (Events{"address 5 5", "selection 5 9", "address 9 9", "selection 2 5", "address 2 2"}));
}

TEST(HexGridModelDrag, PressOnABlockEndGrabsThatEnd) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(64)), 0);
    model.SetBlock(true, 10, 20);
    model.PressByte(20, true);
    model.DragTo(30, true);
    EXPECT_EQ(model.BlockStart(), 10);
    EXPECT_EQ(model.BlockEnd(), 30);
    model.Release();
    model.PressByte(10, true);
    model.DragTo(4, true);
    EXPECT_EQ(model.BlockStart(), 4);
    EXPECT_EQ(model.BlockEnd(), 30);
    model.Release();
    // Without a block, a press on offset 0 is an anchor like any other.
    model.SelectNone();
    model.PressByte(0, true);
    model.DragTo(3, true);
    EXPECT_EQ(model.BlockStart(), 0);
    EXPECT_EQ(model.BlockEnd(), 3);
}

TEST(HexGridModelDrag, PressOutsideTheBytesKeepsTheCursorAndStartsNoDrag) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(64)), 7);
    model.PressOutsideBytes();
    model.DragTo(20, true);
    EXPECT_FALSE(model.Dragging());
    EXPECT_FALSE(model.HasBlock());
    EXPECT_EQ(model.Cursor(), 7);
    // A press beyond the last byte lands on it.
    model.PressByte(70, true);
    EXPECT_EQ(model.Cursor(), 63);
}

TEST(HexGridModelKeys, ArrowsRunOnAcrossRowEndsAndStopAtTheEnds) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(40)), 15);
    model.MoveCursor(Move::Right);
    EXPECT_EQ(model.Cursor(), 16);
    model.MoveCursor(Move::Left);
    EXPECT_EQ(model.Cursor(), 15);
    model.PressByte(16, false);
    model.Release();
    model.MoveCursor(Move::Left);
    EXPECT_EQ(model.Cursor(), 15);
    EXPECT_FALSE(model.CursorInHex());
    model.GotoOffset(0);
    model.MoveCursor(Move::Left);
    model.MoveCursor(Move::Up);
    EXPECT_EQ(model.Cursor(), 0);
    model.GotoOffset(30);
    model.MoveCursor(Move::Down);
    EXPECT_EQ(model.Cursor(), 39);
    model.MoveCursor(Move::Down);
    model.MoveCursor(Move::Right);
    EXPECT_EQ(model.Cursor(), 39);
    model.MoveCursor(Move::RowStart);
    EXPECT_EQ(model.Cursor(), 32);
    model.MoveCursor(Move::RowEnd);
    EXPECT_EQ(model.Cursor(), 39);
    model.MoveCursor(Move::FileStart);
    EXPECT_EQ(model.Cursor(), 0);
    model.MoveCursor(Move::FileEnd);
    EXPECT_EQ(model.Cursor(), 39);
    model.SetVisibleRows(1);
    model.MoveCursor(Move::PageUp);
    EXPECT_EQ(model.Cursor(), 23);
    model.MoveCursor(Move::PageDown);
    model.MoveCursor(Move::PageDown);
    EXPECT_EQ(model.Cursor(), 39);
}

TEST(HexGridModelScroll, RowsAboveBecomeTheTopRowAndTheEndShowsTheLastPage) {
    HexGridModel model;
    model.SetStream(memoryStream(hextest::counting(1600)), 0);
    model.SetVisibleRows(10);
    model.GotoOffset(500);
    EXPECT_EQ(model.TopRow(), 31);
    model.GotoOffset(16 * 35);
    EXPECT_EQ(model.TopRow(), 31);
    model.GotoOffset(1599);
    EXPECT_EQ(model.TopRow(), 90);
    model.GotoOffset(16 * 85);
    EXPECT_EQ(model.TopRow(), 85);
    model.GotoOffset(0);
    EXPECT_EQ(model.TopRow(), 0);
    model.SetTopRow(1000);
    EXPECT_EQ(model.TopRow(), model.MaxTopRow());
    EXPECT_EQ(model.MaxTopRow(), 90);
}

TEST(HexGridModelTexts, HeaderAndCharsetName) {
    HexGridModel model;
    EXPECT_EQ(model.AddressHeaderText(), "Offset");
    EXPECT_EQ(model.CharsetName(), "OEM");
    model.SetRussianTexts(true);
    EXPECT_EQ(model.AddressHeaderText(), "Address");
    model.SetCharsetName("UTF-8");
    EXPECT_EQ(model.CharsetName(), "UTF-8");
}

} // namespace
