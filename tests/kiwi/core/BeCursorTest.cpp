// Bounded big-endian decoding: values inside the span, zeros and a sticky flag outside it.
#include <gtest/gtest.h>

#include "kiwi/core/BeCursor.h"

TEST(BeCursor, ReadsInsideAndFlagsOutside) {
    const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0x80, 0x00, 0x05, 0xEE, 'A', 'B', 0, 'C'};
    const BeCursor c(bytes, sizeof bytes);
    EXPECT_EQ(c.u16(0), 0x1234);
    EXPECT_EQ(c.u24(1), 0x345678u);
    EXPECT_EQ(c.u32(0), 0x12345678u);
    EXPECT_EQ(c.coordinate(4), -5);
    EXPECT_EQ(c.fixedString(8, 4), "AB");
    EXPECT_FALSE(c.bad());
    EXPECT_EQ(c.u32(9), 0u);
    EXPECT_TRUE(c.bad());
    EXPECT_EQ(c.u8(0), 0x12); // the flag stays, reads inside still work
    EXPECT_TRUE(c.bad());
}

TEST(BeCursor, EmptySpansAndNegativeOffsets) {
    const BeCursor empty;
    EXPECT_EQ(empty.fixedString(0, 0), "");
    EXPECT_FALSE(empty.bad());
    EXPECT_EQ(empty.u8(-1), 0);
    EXPECT_TRUE(empty.bad());
    const uint8_t one = 7;
    const BeCursor c(&one, 1);
    EXPECT_FALSE(c.fits(-1, 1));
    EXPECT_FALSE(c.fits(0, 2));
    EXPECT_TRUE(c.fits(1, 0));
    EXPECT_EQ(c.sub(1, 0).size(), 0u);
    EXPECT_FALSE(c.bad());
    EXPECT_EQ(c.sub(0, 5).size(), 0u);
    EXPECT_TRUE(c.bad());
}
