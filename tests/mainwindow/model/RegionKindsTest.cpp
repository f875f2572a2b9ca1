// Route planning builders: levels, regions (paged on level 1 only), route nodes and links, frames in files
// of their own, hostile region counts, and who holds the region reader.
#include <gtest/gtest.h>

#include "KindHarness.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/region/RegionManager.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/RegionFixture.h"

using harness::Captions;
using harness::Kinds;

namespace {

std::shared_ptr<TLN_RegionManager> openRegions(const fixture::RegionImage& image) {
    return std::make_shared<TLN_RegionManager>(std::make_shared<TLN_MemoryStream>(image.bytes), 0);
}

std::unique_ptr<RecordNode> regionRoot(const std::shared_ptr<TLN_RegionManager>& reader) {
    return harness::Root(1400, QStringLiteral("REGION"), reader, reader->SharedStream());
}

} // namespace

TEST(RegionKinds, LevelsRegionsNodesAndLinksOfTheSample) {
    harness::KindHarness h;
    const fixture::RegionImage image = fixture::buildRegionData(fixture::sampleRegionPlan());
    const auto reader = openRegions(image);
    ASSERT_TRUE(reader->IsValid());
    auto root = regionRoot(reader);

    const auto levels = h.Expand(*root);
    EXPECT_EQ(Captions(*root), (std::vector<QString>{"Level 0", "Level 1"}));
    EXPECT_EQ(Kinds(*root), (std::vector<int>{1410, 1410}));
    EXPECT_EQ(levels[1]->level, 1);
    EXPECT_TRUE(levels[1]->hasChildren);

    const auto regions = h.Expand(*levels[0]);
    EXPECT_EQ(Captions(*levels[0]), (std::vector<QString>{"Region 0", "Region 1"}));
    EXPECT_EQ(Kinds(*levels[0]), (std::vector<int>{1420, 1420}));
    EXPECT_EQ(regions[1]->recordOffset, image.regions[0][1].recordPosition);
    EXPECT_EQ(regions[1]->index, 1);
    EXPECT_EQ(regions[1]->level, 0);
    EXPECT_TRUE(regions[1]->hasChildren);

    const auto nodes = h.Expand(*regions[0]);
    ASSERT_EQ(nodes.size(), image.regions[0][0].nodeRecords.size());
    for (size_t k = 0; k < nodes.size(); ++k) {
        // Node 3's link cost lies outside its frame.
        EXPECT_EQ(nodes[k]->caption, QStringLiteral("Node %1").arg(k) + (k == 3 ? "  (Error)" : ""));
        EXPECT_EQ(nodes[k]->kind, 1430);
        EXPECT_EQ(nodes[k]->recordOffset, image.regions[0][0].nodeRecords[k]) << k;
    }

    // Node 1 is a boundary node: 8-byte links.
    const auto links = h.Expand(*nodes[1]);
    EXPECT_EQ(Captions(*nodes[1]), (std::vector<QString>{"Link 0", "Link 1"}));
    EXPECT_EQ(Kinds(*nodes[1]), (std::vector<int>{1440, 1440}));
    EXPECT_EQ(links[0]->recordOffset, image.regions[0][0].linkTables[1]);
    EXPECT_EQ(links[1]->recordOffset, image.regions[0][0].linkTables[1] + 8);
    EXPECT_TRUE(h.Expand(*links[0]).empty());

    // The first region of the upper level has no route planning data frame: no nodes.
    const auto upper = h.Expand(*levels[1]);
    EXPECT_EQ(Captions(*levels[1]), (std::vector<QString>{"Region 0", "Region 1"})); // two regions: no paging
    EXPECT_TRUE(h.Expand(*upper[0]).empty());
    EXPECT_FALSE(upper[0]->hasChildren);
    EXPECT_EQ(h.Expand(*upper[1]).size(), 2u);
}

TEST(RegionKinds, LevelOnePagesTwelveHundredRegionsOtherLevelsDoNot) {
    harness::KindHarness h;
    const auto reader = openRegions(fixture::buildRegionData(fixture::manyRegionsPlan(1200, 3)));
    auto root = regionRoot(reader);
    const auto levels = h.Expand(*root);
    ASSERT_EQ(levels.size(), 3u);

    RecordNode& paged = *levels[1];
    h.Expand(paged);
    ASSERT_EQ(paged.children.size(), 500u);
    EXPECT_EQ(paged.children[498]->caption, QStringLiteral("Region 498"));
    RecordNode& more = *paged.children[499];
    EXPECT_EQ(more.caption, QStringLiteral(". . . . ."));
    EXPECT_EQ(more.kind, 1421);
    EXPECT_EQ(more.pagedKind, 1420);
    EXPECT_EQ(more.index, 499);
    EXPECT_TRUE(more.hasChildren);

    h.NextPage(more);
    ASSERT_EQ(paged.children.size(), 1000u);
    EXPECT_EQ(more.caption, QStringLiteral("Region 499"));
    EXPECT_EQ(more.kind, 1420);
    EXPECT_EQ(more.level, 1);
    EXPECT_EQ(paged.children[500]->caption, QStringLiteral("Region 500"));
    EXPECT_EQ(paged.children[998]->caption, QStringLiteral("Region 998"));
    EXPECT_EQ(paged.children[999]->kind, 1421);

    h.NextPage(*paged.children[999]);
    ASSERT_EQ(paged.children.size(), 1200u);
    EXPECT_EQ(paged.children[999]->caption, QStringLiteral("Region 999"));
    EXPECT_EQ(paged.children[1199]->caption, QStringLiteral("Region 1199"));
    EXPECT_EQ(paged.children[1199]->kind, 1420);
    TLN_Region_Level_Record level;
    ASSERT_TRUE(reader->GetLevelRecord(1, level));
    EXPECT_EQ(paged.children[1199]->recordOffset, level.TablePosition + 1199 * level.RegionRecordSize * 2);

    h.Expand(*levels[2]);
    ASSERT_EQ(levels[2]->children.size(), 1200u);
    EXPECT_EQ(levels[2]->children.back()->caption, QStringLiteral("Region 1199"));
    EXPECT_EQ(levels[2]->children.back()->kind, 1420);
}

TEST(RegionKinds, LastRegionOfFiveHundredAndOneIsReachable) {
    harness::KindHarness h;
    auto root = regionRoot(openRegions(fixture::buildRegionData(fixture::manyRegionsPlan(501, 3))));
    RecordNode& paged = *h.Expand(*root)[1];
    h.Expand(paged);
    ASSERT_EQ(paged.children.size(), 500u);
    ASSERT_EQ(paged.children[499]->kind, 1421);
    h.NextPage(*paged.children[499]);
    ASSERT_EQ(paged.children.size(), 501u);
    EXPECT_EQ(paged.children[500]->caption, QStringLiteral("Region 500"));
    EXPECT_EQ(paged.children[500]->kind, 1420);
}

TEST(RegionKinds, RegionCountIsBoundedByTheRegionTable) {
    harness::KindHarness h;
    fixture::RegionFilePlan plan = fixture::manyRegionsPlan(3, 3);
    fixture::RegionImage image = fixture::buildRegionData(plan);
    // Level 2 (the last table in the file) claims 65535 regions.
    const size_t countAt = 50 + 2 * plan.levelRecordSize * 2 + 2;
    image.bytes[countAt] = 0xFF;
    image.bytes[countAt + 1] = 0xFF;
    const auto reader = openRegions(image);
    TLN_Region_Level_Record level;
    ASSERT_TRUE(reader->GetLevelRecord(2, level));
    ASSERT_EQ(level.RegionCount, 65535);
    const int64_t recordBytes = level.RegionRecordSize * 2;
    const int64_t fit = (int64_t(image.bytes.size()) - level.TablePosition - 36) / recordBytes + 1;

    auto root = regionRoot(reader);
    RecordNode& hostile = *h.Expand(*root)[2];
    h.Expand(hostile);
    EXPECT_EQ(int64_t(hostile.children.size()), fit);
    EXPECT_LT(fit, 10);

    // Level 1's records stored 0 bytes apart are no table, whatever their count.
    fixture::RegionImage overlapping = fixture::buildRegionData(plan);
    overlapping.bytes[50 + plan.levelRecordSize * 2 + 5] = 0;
    auto overlappingRoot = regionRoot(openRegions(overlapping));
    const RecordNode& levelOne = *h.Expand(*overlappingRoot)[1];
    EXPECT_EQ(levelOne.caption, QStringLiteral("Level 1  (Error)"));
    EXPECT_FALSE(levelOne.error.isEmpty());
    EXPECT_FALSE(levelOne.Expandable());
}

TEST(RegionKinds, FrameInAFileOfItsOwnGivesItsNodesThatFile) {
    harness::KindHarness h;
    fixture::RegionFilePlan plan = fixture::sampleRegionPlan();
    plan.levels[0].regions[0].fileName = "RPFRAME0.KWI";
    plan.levels[0].regions[0].frameInFile = true;
    const fixture::RegionImage image = fixture::buildRegionData(plan);
    const std::string folder = fixture::scratchDir("region_kinds_frame_file");
    const auto reader = std::make_shared<TLN_RegionManager>(fixture::writeRegionData(image, folder));
    auto root = regionRoot(reader);
    const auto levels = h.Expand(*root);
    const auto regions = h.Expand(*levels[0]);
    const auto nodes = h.Expand(*regions[0]);
    ASSERT_EQ(nodes.size(), 4u);
    const RecordNode& node = *nodes[2];
    EXPECT_EQ(node.recordOffset, image.regions[0][0].nodeRecords[2]);
    ASSERT_NE(node.stream, nullptr);
    EXPECT_NE(node.stream, reader->SharedStream());
    EXPECT_EQ(node.stream->Size(), int64_t(image.frameFiles.at("RPFRAME0.KWI").size()));
}

TEST(RegionKinds, TheRootHoldsItsReaderTheRegionPartFallsBackToTheMapsReader) {
    harness::KindHarness h;
    std::weak_ptr<TLN_RegionManager> watch;
    {
        auto reader = openRegions(fixture::buildRegionData(fixture::sampleRegionPlan()));
        watch = reader;
        auto root = regionRoot(reader);
        reader.reset();
        const auto levels = h.Expand(*root);
        h.Expand(*levels[0]);
        harness::Remove(*root, 0); // deleting a child frees nothing
        EXPECT_FALSE(watch.expired());
    } // deleting the root frees its reader
    EXPECT_TRUE(watch.expired());

    // A REGION.KWI root never reads the map's reader; the ALLDATA part does when it holds none.
    h.data.routePlanning = openRegions(fixture::buildRegionData(fixture::sampleRegionPlan()));
    auto bare = harness::Root(1400, QStringLiteral("REGION"), HeldReader());
    EXPECT_TRUE(h.Expand(*bare).empty());
    auto part = harness::Root(101, QStringLiteral("Region Data"), HeldReader());
    EXPECT_EQ(h.Expand(*part).size(), 2u);
    EXPECT_EQ(part->children[0]->held.As<TLN_RegionManager>(), h.data.routePlanning.get());
}
