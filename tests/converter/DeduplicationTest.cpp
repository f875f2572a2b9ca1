// Tests of the deduplication table and the old-to-new parcel address map.
#include <gtest/gtest.h>

#include "converter/levels/IntegrationChecker.h"
#include "converter/levels/ParcelAddressMap.h"

TEST(IntegrationChecker, ClearedTableFindsNothing) {
    TLN_IntegtationChecker table(4);
    table.Add(100, 8192, 64);
    table.Clear();
    int64_t value = 7;
    uint32_t size = 9;
    EXPECT_FALSE(table.Find(100, value, size));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(size, 9u);
}

TEST(IntegrationChecker, FirstEntryOfAKeyWins) {
    TLN_IntegtationChecker table(4);
    table.Add(100, 1, 10);
    table.Add(100, 2, 20);
    int64_t value = 0;
    uint32_t size = 0;
    ASSERT_TRUE(table.Find(100, value, size));
    EXPECT_EQ(value, 1);
    EXPECT_EQ(size, 10u);
}

TEST(IntegrationChecker, UpperHalvesDistinguishKeys) {
    TLN_IntegtationChecker table(1);
    table.Add(0x100000005, 1, 1);
    int64_t value = 0;
    uint32_t size = 0;
    EXPECT_FALSE(table.Find(5, value, size));
    EXPECT_TRUE(table.Find(0x100000005, value, size));
}

TEST(IntegrationChecker, GrowsPastItsCapacity) {
    TLN_IntegtationChecker table(2);
    for (int64_t k = 0; k < 5000; ++k)
        table.Add(k * 32, k, uint32_t(k));
    EXPECT_EQ(table.Count(), 5000);
    int64_t value = 0;
    uint32_t size = 0;
    ASSERT_TRUE(table.Find(4999 * 32, value, size));
    EXPECT_EQ(value, 4999);
    EXPECT_EQ(size, 4999u);
}

TEST(ParcelAddressMap, FirstRegistrationWinsAndEveryFrameIsListed) {
    ParcelAddressMap map;
    map.Register(300, 9000, 64);
    map.Register(100, 8192, 32);
    map.Register(300, 9999, 64);
    EXPECT_EQ(map.FindNewParcelOffset(300), 9000);
    EXPECT_EQ(map.FindNewParcelOffset(100), 8192);
    EXPECT_EQ(map.FindNewParcelOffset(200), -1);
    const auto sorted = map.SortedEntries();
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(sorted[0].oldOffset, 100);
    EXPECT_EQ(sorted[1].newOffset, 9000);
    EXPECT_EQ(sorted[2].newOffset, 9999);
    map.Clear();
    EXPECT_EQ(map.FindNewParcelOffset(100), -1);
}
