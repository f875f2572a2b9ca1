// The 64-bit top row on a 32-bit scroll bar: identity while rows fit, exact ends and monotonic above.
#include <gtest/gtest.h>

#include <climits>

#include "HexTestSupport.h"
#include "hexview/model/HexScrollMapping.h"

namespace {

TEST(HexScrollMapping, OneValuePerRowWhileTheRowsFit) {
    EXPECT_EQ(hexscroll::Maximum(0), 0);
    EXPECT_EQ(hexscroll::Maximum(1000), 1000);
    EXPECT_EQ(hexscroll::ValueForTop(123, 1000), 123);
    EXPECT_EQ(hexscroll::TopForValue(123, 1000), 123);
    EXPECT_EQ(hexscroll::ValueForTop(2000, 1000), 1000);
    EXPECT_EQ(hexscroll::TopForValue(-5, 1000), 0);
    EXPECT_EQ(hexscroll::Maximum(INT_MAX), INT_MAX);
}

TEST(HexScrollMapping, StreamsPastThirtyTwoGibibytesScaleAndKeepBothEnds) {
    for (const int64_t size : {int64_t(40) << 30, int64_t(1) << 50, INT64_MAX}) {
        const int64_t maxTop = size / 16 + (size % 16 != 0) - 30;
        EXPECT_EQ(hexscroll::Maximum(maxTop), INT_MAX);
        EXPECT_EQ(hexscroll::ValueForTop(0, maxTop), 0);
        EXPECT_EQ(hexscroll::ValueForTop(maxTop, maxTop), INT_MAX);
        EXPECT_EQ(hexscroll::TopForValue(INT_MAX, maxTop), maxTop);
        EXPECT_EQ(hexscroll::TopForValue(0, maxTop), 0);
        int64_t previous = -1;
        for (int value = 0; value < INT_MAX - 1000003; value += 1000003) {
            const int64_t top = hexscroll::TopForValue(value, maxTop);
            EXPECT_GT(top, previous);
            EXPECT_EQ(hexscroll::ValueForTop(top, maxTop), value);
            previous = top;
        }
    }
}

TEST(HexScrollMapping, ModelScrollsToTheLastRowOfAFortyGibibyteStream) {
    HexGridModel model;
    const int64_t size = int64_t(40) << 30;
    model.SetStream(std::make_shared<hextest::HugeZeroStream>(size), 0);
    model.SetVisibleRows(30);
    EXPECT_EQ(model.DataRowCount(), size / 16);
    model.GotoOffset(size - 1);
    EXPECT_EQ(model.TopRow(), size / 16 - 30);
    EXPECT_EQ(hexscroll::ValueForTop(model.TopRow(), model.MaxTopRow()), INT_MAX);
    EXPECT_EQ(model.Row(size / 16 - 1).offset, size - 16);
    EXPECT_EQ(model.Row(size / 16 - 1).count, 16);
}

} // namespace
