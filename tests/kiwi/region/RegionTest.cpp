// Regions as the route planning overlay uses them: node counts, positions and links, the cache keyed by level
// and region and bounded in memory.
#include <gtest/gtest.h>

#include <memory>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/region/RegionCache.h"
#include "kiwi/region/RegionManager.h"
#include "support/fixtures/RegionFixture.h"

namespace {

std::unique_ptr<TLN_RegionManager> sampleManager(int64_t base = 0x800) {
    const std::vector<uint8_t> data = fixture::buildRegionData(fixture::sampleRegionPlan()).bytes;
    auto stream = std::make_shared<TLN_MemoryStream>(fixture::embedRegionData(data, base));
    return std::make_unique<TLN_RegionManager>(stream, base);
}

} // namespace

TEST(Region, NodeCountIsTheFirstRanksCount) {
    const auto manager = sampleManager();
    const auto region = manager->GetRegion(0, 0);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->NodeRecordCount(), 4);
    EXPECT_EQ(region->GetNodeCount(), 3); // rank 0 names 3 of the 4 nodes
    // A region without rank information draws no node.
    const auto noRanks = manager->GetRegion(0, 1);
    ASSERT_NE(noRanks, nullptr);
    EXPECT_EQ(noRanks->GetNodeCount(), 0);
    EXPECT_EQ(noRanks->NodeRecordCount(), 2);
}

TEST(Region, NodePositionsFromTheGrid) {
    const auto region = sampleManager()->GetRegion(0, 0);
    ASSERT_NE(region, nullptr);
    ASSERT_EQ(region->Grid().size(), 3u);
    EXPECT_EQ(region->Grid()[2], (TLN_Point{1000000, 3936000}));
    struct Case {
        int node;
        bool found;
        TLN_Point point;
    };
    const Case cases[] = {
        // Offsets of 1/4096 and 3/4096 of 48000 and 36000 round to 12 and 26 (truncation would give 11).
        {0, true, {1000012, 3900026}},
        // Grid cell 2 plus half the longitudinal and a quarter of the latitudinal width.
        {1, true, {1000000 + 24000, 3936000 + 9000}},
        {2, true, {1048000 + 47988, 3900000 + 35991}},
        {3, false, {}}, // grid cell 0xFF does not exist
        {4, false, {}}, // past the node coordinate table
        {-1, false, {}},
    };
    for (const Case& c : cases) {
        TLN_Point p;
        EXPECT_EQ(region->GetNodePosition(c.node, p), c.found) << c.node;
        if (c.found) {
            EXPECT_EQ(p, c.point) << c.node;
        }
    }
}

TEST(Region, NodeLinksForTheOverlay) {
    const auto manager = sampleManager();
    const auto region = manager->GetRegion(0, 0);
    ASSERT_NE(region, nullptr);
    std::array<TLN_RP_Node_Link, kRPMaxLinks> links{};
    ASSERT_EQ(region->GetNodeLinks(0, links), 2);
    EXPECT_EQ(links[0], (TLN_RP_Node_Link{1, 0, false}));
    EXPECT_EQ(links[1], (TLN_RP_Node_Link{2, 0, false}));
    // A boundary node's links carry the neighbouring region's number.
    ASSERT_EQ(region->GetNodeLinks(1, links), 2);
    EXPECT_EQ(links[0], (TLN_RP_Node_Link{0, 0, true}));
    EXPECT_EQ(links[1], (TLN_RP_Node_Link{1, 1, true}));
    EXPECT_EQ(region->GetNodeLinks(4, links), 0);
    EXPECT_EQ(region->GetNodeLinks(-1, links), 0);
}

TEST(Region, WholeNodeRecords) {
    const auto region = sampleManager()->GetRegion(0, 0);
    ASSERT_NE(region, nullptr);
    TLN_RP_Node_Record node;
    ASSERT_TRUE(region->ReadNode(0, node));
    EXPECT_TRUE(node.Complete);
    EXPECT_TRUE(node.TrafficLight);
    ASSERT_EQ(node.Links.size(), 2u);
    EXPECT_EQ(node.Links[0].Cost.LinkLength, 320);
    EXPECT_EQ(node.Links[0].Cost.AverageTravelingTime, 40); // rank 0 has the time flag
    EXPECT_EQ(node.Links[1].Cost.AverageTravelingTime, 1);  // 16 div 10
    ASSERT_EQ(node.Regulations.size(), 1u);
    ASSERT_EQ(node.BetweenLinks.size(), 1u);
    EXPECT_EQ(node.BetweenLinks[0].Position, node.Regulations[0].Position + 2);

    ASSERT_TRUE(region->ReadNode(2, node));
    ASSERT_EQ(node.Regulations.size(), 2u);
    EXPECT_EQ(node.Regulations[1].PassageCode, 7);

    // Node 3's link cost number lies past the link cost frame and its grid cell does not exist.
    ASSERT_TRUE(region->ReadNode(3, node));
    EXPECT_FALSE(node.Complete);
    EXPECT_FALSE(node.HasCoordinate);
    ASSERT_EQ(node.Links.size(), 1u);
    EXPECT_FALSE(node.Links[0].CostRead);
    EXPECT_FALSE(region->ReadNode(4, node));
}

TEST(Region, RegulationAndBetweenLinksStepsAreTheLevelsRecordSizes) {
    // Record sizes above the bytes read: a reader stepping by 2 and 4 bytes would read the padding.
    fixture::RegionFilePlan plan = fixture::sampleRegionPlan();
    fixture::RegionLevelPlan& level = plan.levels[0];
    level.regulationRecordSize = 2;
    level.betweenLinksRecordSize = 3;
    fixture::RegionNodePlan& n0 = level.regions[0].frame.nodes[0];
    n0.regulations = {0x320D, 0x1102};
    n0.betweenLinks = {{0x126E, 0x20, 0x05}, {0x2341, 0x07, 0x09}};
    const fixture::RegionImage image = fixture::buildRegionData(plan);
    TLN_RegionManager manager(std::make_shared<TLN_MemoryStream>(image.bytes), 0);
    const auto region = manager.GetRegion(0, 0);
    ASSERT_NE(region, nullptr);
    TLN_RP_Node_Record node;
    ASSERT_TRUE(region->ReadNode(0, node));
    EXPECT_TRUE(node.Complete);
    ASSERT_EQ(node.Regulations.size(), 2u);
    const int64_t links = image.regions[0][0].linkTables[0];
    EXPECT_EQ(node.Regulations[0].Position, links + 12);
    EXPECT_EQ(node.Regulations[1].Position, links + 16);
    EXPECT_EQ(node.Regulations[1].InNumber, 1);
    EXPECT_EQ(node.Regulations[1].PassageCode, 2);
    ASSERT_EQ(node.BetweenLinks.size(), 2u);
    EXPECT_EQ(node.BetweenLinks[0].Position, links + 20);
    EXPECT_EQ(node.BetweenLinks[1].Position, links + 26);
    EXPECT_EQ(node.BetweenLinks[1].InNumber, 2);
    EXPECT_EQ(node.BetweenLinks[1].OutNumber, 3);
    EXPECT_EQ(node.BetweenLinks[1].LinkLength, 7);
    EXPECT_EQ(node.BetweenLinks[1].AverageTravelingTime, 9);
}

TEST(Region, CacheIsKeyedByLevelAndRegion) {
    const auto manager = sampleManager();
    // Region number 1 exists on both levels with different contents.
    const auto low = manager->GetRegion(0, 1);
    const auto high = manager->GetRegion(1, 1);
    ASSERT_NE(low, nullptr);
    ASSERT_NE(high, nullptr);
    EXPECT_NE(low, high);
    EXPECT_EQ(low->Level(), 0);
    EXPECT_EQ(high->Level(), 1);
    EXPECT_EQ(low->RPHeader().PracticalCode, 0x00000001u);
    EXPECT_EQ(high->RPHeader().PracticalCode, 0xCAFE0002u);
    EXPECT_EQ(manager->GetRegion(0, 1), low);
    EXPECT_EQ(manager->GetRegion(1, 1), high);
    EXPECT_EQ(manager->RegionCache().Count(), 2u);

    // Missing frames and indices from outside the tables give none and are not cached.
    EXPECT_EQ(manager->GetRegion(1, 0), nullptr);
    EXPECT_EQ(manager->GetRegion(1, 2), nullptr);
    EXPECT_EQ(manager->GetRegion(2, 0), nullptr);
    EXPECT_EQ(manager->GetRegion(-1, 0), nullptr);
    EXPECT_EQ(manager->RegionCache().Count(), 2u);

    // Cleared regions stay usable by whoever holds them.
    manager->ClearRegions();
    EXPECT_EQ(manager->RegionCache().Count(), 0u);
    EXPECT_EQ(high->GetNodeCount(), 2);
    EXPECT_NE(manager->GetRegion(1, 1), high);
}

TEST(Region, CacheIsBoundedInMemory) {
    const auto manager = sampleManager();
    const int64_t one = manager->GetRegion(0, 0)->MemoryBytes();
    manager->ClearRegions();
    manager->SetRegionCacheLimit(one * 2);
    const auto a = manager->GetRegion(0, 0);
    const auto b = manager->GetRegion(0, 1);
    EXPECT_EQ(manager->GetRegion(0, 0), a); // a becomes the most recently used
    const auto c = manager->GetRegion(1, 1);
    EXPECT_LE(manager->RegionCache().Bytes(), one * 2);
    EXPECT_EQ(manager->GetRegion(0, 0), a);
    EXPECT_NE(manager->GetRegion(0, 1), b); // b was the least recently used and was read again
    // The newest region stays even when it alone exceeds the limit.
    manager->SetRegionCacheLimit(1);
    EXPECT_EQ(manager->RegionCache().Count(), 1u);
    EXPECT_EQ(manager->GetRegion(1, 1), manager->GetRegion(1, 1));
}

TEST(RegionCache, InsertKeepsTheFirstCopyOfAKey) {
    const auto manager = sampleManager();
    TLN_RegionCache cache(1000000);
    auto first = std::make_shared<const TLN_Region>(*manager, 0, 0);
    auto second = std::make_shared<const TLN_Region>(*manager, 0, 0);
    EXPECT_EQ(cache.Insert(0, 0, first, 100), first);
    EXPECT_EQ(cache.Insert(0, 0, second, 100), first);
    EXPECT_EQ(cache.Bytes(), 100);
    EXPECT_EQ(cache.Find(0, 0), first);
    EXPECT_EQ(cache.Find(1, 0), nullptr);
}
