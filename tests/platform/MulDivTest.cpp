// MulDiv: rounding, signs, overflow and division by zero, table-driven.
#include <gtest/gtest.h>

#include "platform/MulDiv.h"

TEST(MulDiv, TableOfCases) {
    struct Case {
        int32_t a, b, c, expected;
    } cases[] = {
        {10, 10, 3, 33},
        {10, 10, 6, 17},
        {-10, 10, 6, -17},
        {10, -10, -6, 17},
        {5, 1, 2, 3},
        {-5, 1, 2, -3},
        {7, 0, 5, 0},
        {1, 1, 0, -1},
        {0x7FFFFFFF, 2, 2, 0x7FFFFFFF},
        {0x7FFFFFFF, 2, 1, -1},
        {INT32_MIN, 1, 1, INT32_MIN},
        {4096, 10368000, 4096, 10368000},
        {1000000, 1000000, 1000, 1000000000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(MulDiv, SixtyFourBitTableOfCases) {
    struct Case {
        int64_t a, b, c, expected;
    } cases[] = {
        {5, 1, 2, 3},
        {-5, 1, 2, -3},
        {7, 1, -2, -4},
        {1, 1, 0, -1},
        // Products past 64 bits still divide exactly: 2^40 × 2^30 / 2^20 = 2^50.
        {int64_t(1) << 40, int64_t(1) << 30, int64_t(1) << 20, int64_t(1) << 50},
        {-(int64_t(1) << 40), int64_t(1) << 30, int64_t(1) << 20, -(int64_t(1) << 50)},
        {INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX},
        {INT64_MIN, 1, 1, INT64_MIN},
        // A result outside 64 bits is an error, as outside 32 bits for MulDiv.
        {INT64_MAX, 2, 1, -1},
        {6002000, 3600, 10000000, 2161},
        // The largest 64-bit products, either side of where the 128-bit division takes over.
        {INT64_MAX, 1, 2, int64_t(1) << 62},
        {INT64_MAX, -1, INT64_MIN, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv64(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}
