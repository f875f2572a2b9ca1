// The region reader over the sample data: header, levels, region records, route planning frames and nodes,
// in REGION.KWI and at a base inside a larger file; frames in files named by type-100 records.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/region/RegionManager.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/RegionFixture.h"

namespace {

const fixture::RegionImage& sample() {
    static const fixture::RegionImage image = fixture::buildRegionData(fixture::sampleRegionPlan());
    return image;
}

std::unique_ptr<TLN_RegionManager> managerAt(int64_t base,
                                             const std::vector<uint8_t>& data = sample().bytes) {
    auto stream = std::make_shared<TLN_MemoryStream>(fixture::embedRegionData(data, base));
    return std::make_unique<TLN_RegionManager>(stream, base);
}

} // namespace

class RegionManagerAtBase : public testing::TestWithParam<int64_t> {};

TEST_P(RegionManagerAtBase, ReadsHeaderLevelsAndRegionRecords) {
    const int64_t base = GetParam();
    const auto manager = managerAt(base);
    ASSERT_TRUE(manager->IsValid());
    const TLN_Region_Header& h = manager->Header();
    EXPECT_EQ(h.Position, base);
    EXPECT_EQ(h.HeaderSize, 43);
    EXPECT_EQ(h.TypeCode, 100);
    EXPECT_EQ(h.TotalRegionRecords, 4u);
    EXPECT_EQ(h.RegionTablePosition, base + sample().regionTable);
    EXPECT_EQ(h.RegionTableFileName, "REGION.KWI");
    EXPECT_EQ(h.TrafficTablePosition, -1);
    EXPECT_EQ(h.LevelRecordSize, 9);
    ASSERT_EQ(manager->LevelCount(), 2);

    EXPECT_EQ(manager->GetRegionItem(0), 1);
    EXPECT_EQ(manager->GetRegionItem(1), 2);
    EXPECT_EQ(manager->GetRegionItem(2), -1);
    EXPECT_EQ(manager->GetRegionItem(-1), -1);

    TLN_Region_Level_Record level;
    ASSERT_TRUE(manager->GetLevelRecord(1, level));
    EXPECT_EQ(level.Position, base + 50 + 18); // level records 9 words apart
    EXPECT_EQ(level.RegionRecordSize, 20);
    // Level 1's table follows level 0's two 36-byte records.
    EXPECT_EQ(level.TablePosition, base + sample().regionTable + 72);
    EXPECT_FALSE(manager->GetLevelRecord(2, level));

    TLN_Region_Manag_Record record;
    ASSERT_TRUE(manager->ReadRegionRecord(1, 1, record));
    EXPECT_EQ(record.Position, base + sample().regions[1][1].recordPosition);
    EXPECT_EQ(record.FramePosition, base + sample().regions[1][1].frameStart);
    EXPECT_EQ(record.FrameFile, "");
    EXPECT_EQ(record.HigherRegion, 0xFFFF);
    EXPECT_EQ(record.FrameSize % 32, 0u);
    ASSERT_TRUE(manager->ReadRegionRecord(0, 0, record));
    EXPECT_EQ(record.Left, -50000);
    ASSERT_TRUE(manager->ReadRegionRecord(1, 0, record));
    EXPECT_EQ(record.FramePosition, -1); // all-ones address
    EXPECT_FALSE(manager->ReadRegionRecord(1, 2, record));
    EXPECT_FALSE(manager->ReadRegionRecord(2, 0, record));
    EXPECT_FALSE(manager->ReadRegionRecord(0, -1, record));
}

TEST_P(RegionManagerAtBase, ReadsRoutePlanningFramesAndNodes) {
    const int64_t base = GetParam();
    const auto manager = managerAt(base);
    const fixture::RegionFrameManifest& m = sample().regions[0][0];
    TLN_Region_Manag_Record record;
    ASSERT_TRUE(manager->ReadRegionRecord(0, 0, record));
    TLN_RP_Distribution_Header rp;
    ASSERT_TRUE(manager->ReadRPDistributionHeader(0, rp, record.FramePosition, record.FrameFile));
    EXPECT_EQ(rp.PracticalCode, 0x12345678u);
    EXPECT_EQ(rp.Frames[RP_NodeFrame].Position, base + m.nodeFrame);
    EXPECT_EQ(rp.Frames[RP_LinkFrame].Position, base + m.linkFrame);
    EXPECT_EQ(rp.Frames[RP_LinkCostFrame].Position, base + m.costFrame);
    EXPECT_EQ(rp.Frames[RP_UpperLinkFrame].Position, -1);
    ASSERT_EQ(rp.Extended.size(), 1u);
    ASSERT_TRUE(rp.Coordinates.Valid);
    EXPECT_EQ(rp.Coordinates.Position, base + m.coordinateFrame);
    EXPECT_EQ(rp.Coordinates.GridTablePosition, base + m.coordinateFrame + 18);
    EXPECT_EQ(rp.Coordinates.LongitudeWidth, 48000);

    TLN_RP_Node_Header nodes;
    ASSERT_TRUE(manager->ReadNodeHeader(nodes, rp.Frames[RP_NodeFrame].Position));
    EXPECT_EQ(nodes.NodeCount, 4);
    EXPECT_EQ(nodes.LinkCount, 6);
    ASSERT_EQ(nodes.Ranks.size(), 2u);

    // The record views read nodes through the stored header.
    TLN_RP_Node_Record node;
    EXPECT_FALSE(manager->ReadNodeRecord(0, 0, node)); // no header stored yet
    manager->SetRPHeader(rp);
    ASSERT_TRUE(manager->ReadNodeRecord(1, 0, node));
    EXPECT_EQ(node.Position, base + m.nodeRecords[1]);
    EXPECT_TRUE(node.Boundary);
    ASSERT_EQ(node.Links.size(), 2u);
    EXPECT_EQ(node.Links[0].Position, base + m.linkTables[1]);
    EXPECT_EQ(node.Links[1].RegionNumber, 1);
    EXPECT_EQ(node.Links[1].Cost.Position, base + m.costFrame + 2 * 22);
    EXPECT_EQ(node.X, 1024000);
    EXPECT_EQ(node.Y, 3945000);

    TLN_RP_Link_Cost_Record cost;
    ASSERT_TRUE(manager->ReadLinkCostRecord(true, cost, base + m.costFrame));
    EXPECT_EQ(cost.LinkLength, 320);
    EXPECT_EQ(cost.AverageTravelingTime, 40);
    EXPECT_FALSE(manager->ReadLinkCostRecord(true, cost, manager->Stream().Size() - 19));
}

TEST_P(RegionManagerAtBase, FrameAddressZeroIsNoFrame) {
    // Address 0 names no frame, whatever the base: it would be the region header itself.
    const int64_t base = GetParam();
    std::vector<uint8_t> data = sample().bytes;
    const size_t at = size_t(sample().regions[1][1].recordPosition) + 18;
    data[at] = data[at + 1] = data[at + 2] = data[at + 3] = 0;
    const auto manager = managerAt(base, data);
    ASSERT_TRUE(manager->IsValid());
    EXPECT_EQ(manager->GetRegion(1, 1), nullptr);
    EXPECT_NE(manager->GetRegion(0, 1), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Bases, RegionManagerAtBase,
                         testing::Values(int64_t(0), int64_t(0x12340), int64_t(7)));

TEST(RegionManager, OpensByFileNameAndFromAStreamAtTheSameData) {
    const std::string folder = fixture::scratchDir("region-manager");
    const std::string path = fixture::writeRegionData(sample(), folder);
    TLN_RegionManager byName(path);
    ASSERT_TRUE(byName.IsValid());
    EXPECT_TRUE(byName.OwnsStream());
    EXPECT_EQ(byName.Base(), 0);
    const auto region = byName.GetRegion(0, 0);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->GetNodeCount(), 3);
    EXPECT_THROW(TLN_RegionManager{folder + "/NOFILE.KWI"}, EFOpenError);
}

TEST(RegionManager, LevelCountOneToNineIsValid) {
    for (int levels : {0, 1, 9, 10, 255}) {
        fixture::RegionFilePlan plan;
        for (int i = 0; i < std::max(levels, 1); ++i)
            plan.levels.push_back({});
        std::vector<uint8_t> bytes = fixture::buildRegionData(plan).bytes;
        bytes[46] = uint8_t(levels);
        TLN_RegionManager manager(std::make_shared<TLN_MemoryStream>(bytes), 0);
        EXPECT_EQ(manager.IsValid(), levels >= 1 && levels <= 9) << levels;
        EXPECT_EQ(manager.LevelCount(), manager.IsValid() ? levels : 0);
    }
}

TEST(RegionManager, FramesOfType100RecordsAreReadFromTheNamedFile) {
    // Region 0 keeps its frame in a file beside the region data, region 1 names a file that does not exist,
    // region 2 names a path outside the folder: those two read their frames from the region data.
    fixture::RegionFilePlan plan = fixture::sampleRegionPlan();
    fixture::RegionLevelPlan& level = plan.levels[0];
    level.regions[0].fileName = "RPDATA.KWI";
    level.regions[0].frameInFile = true;
    level.regions[1].fileName = "MISSING.KWI";
    level.regions.push_back(level.regions[1]);
    level.regions[2].fileName = "../REGION.KW";
    const fixture::RegionImage image = fixture::buildRegionData(plan);

    const std::string folder = fixture::scratchDir("region-frame-file");
    fixture::writeFile(folder + "/REGION.KWI", image.bytes);
    fixture::writeFile(folder + "/rpdata.kwi", image.frameFiles.at("RPDATA.KWI")); // found regardless of case

    TLN_RegionManager manager(folder + "/REGION.KWI");
    ASSERT_TRUE(manager.IsValid());
    TLN_Region_Manag_Record record;
    ASSERT_TRUE(manager.ReadRegionRecord(0, 0, record));
    EXPECT_EQ(record.FileName, "RPDATA.KWI");
    EXPECT_EQ(record.FrameFile, folder + "/rpdata.kwi");
    EXPECT_EQ(record.FramePosition, image.regions[0][0].frameStart);
    const auto region = manager.GetRegion(0, 0);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->RPHeader().FrameFile, folder + "/rpdata.kwi");
    TLN_RP_Node_Record node;
    ASSERT_TRUE(region->ReadNode(0, node));
    EXPECT_EQ(node.Links[0].Cost.LinkLength, 320);

    for (int r : {1, 2}) {
        ASSERT_TRUE(manager.ReadRegionRecord(0, r, record));
        EXPECT_EQ(record.FrameFile, "");
        EXPECT_EQ(record.FramePosition, image.regions[0][r].frameStart);
        EXPECT_NE(manager.GetRegion(0, r), nullptr);
    }

    // A reader over a stream without a file name has no folder to look in.
    TLN_RegionManager fromMemory(std::make_shared<TLN_MemoryStream>(image.bytes), 0);
    ASSERT_TRUE(fromMemory.ReadRegionRecord(0, 0, record));
    EXPECT_EQ(record.FrameFile, "");
}

TEST(RegionManager, ManyFrameFilesKeepAtMostTheBoundOpen) {
    // More regions, each with its frame in its own file, than frame files stay open.
    const int regions = int(DataFileStreams::kDefaultLimit) + 36;
    fixture::RegionFilePlan plan = fixture::sampleRegionPlan();
    fixture::RegionLevelPlan& level = plan.levels[0];
    const fixture::RegionPlan model = level.regions[0];
    level.regions.clear();
    for (int r = 0; r < regions; ++r) {
        fixture::RegionPlan region = model;
        char name[16];
        std::snprintf(name, sizeof name, "RP%04d.KWI", r);
        region.fileName = name;
        region.frameInFile = true;
        level.regions.push_back(region);
    }
    const fixture::RegionImage image = fixture::buildRegionData(plan);
    const std::string folder = fixture::scratchDir("region-many-frame-files");
    fixture::writeFile(folder + "/REGION.KWI", image.bytes);
    for (const auto& [name, bytes] : image.frameFiles)
        fixture::writeFile(folder + "/" + name, bytes);

    TLN_RegionManager manager(folder + "/REGION.KWI");
    ASSERT_TRUE(manager.IsValid());
    manager.SetRegionCacheLimit(1);
    for (int pass = 0; pass < 2; ++pass)
        for (int r = 0; r < regions; ++r) {
            TLN_Region_Manag_Record record;
            ASSERT_TRUE(manager.ReadRegionRecord(0, r, record));
            EXPECT_EQ(record.FrameFile, folder + "/" + record.FileName);
            const auto region = manager.GetRegion(0, r);
            ASSERT_NE(region, nullptr) << r;
            TLN_RP_Node_Record node;
            ASSERT_TRUE(region->ReadNode(0, node));
            EXPECT_EQ(node.Links[0].Cost.LinkLength, 320);
            EXPECT_LE(manager.FrameFiles().OpenCount(), DataFileStreams::kDefaultLimit);
        }
    EXPECT_EQ(manager.FrameFiles().OpenCount(), DataFileStreams::kDefaultLimit);
}

TEST(RegionManager, FrameFilesBesideRegionDataInTheMountedImage) {
    KIWI_NEED_XORRISO();
    fixture::RegionFilePlan plan = fixture::sampleRegionPlan();
    plan.levels[1].regions[1].fileName = "RPDATA.KWI";
    plan.levels[1].regions[1].frameInFile = true;
    const fixture::RegionImage image = fixture::buildRegionData(plan);
    const std::string folder = fixture::scratchDir("region-image");
    fixture::writeRegionData(image, folder + "/tree/DATA");
    fixture::makeIsoWithXorriso(folder + "/tree", folder + "/disc.iso");

    ASSERT_TRUE(OpenISOImage(folder + "/disc.iso"));
    {
        TLN_RegionManager manager("D:\\DATA\\REGION.KWI");
        ASSERT_TRUE(manager.IsValid());
        TLN_Region_Manag_Record record;
        ASSERT_TRUE(manager.ReadRegionRecord(1, 1, record));
        EXPECT_NE(record.FrameFile, "");
        EXPECT_EQ(record.FramePosition, image.regions[1][1].frameStart);
        const auto region = manager.GetRegion(1, 1);
        ASSERT_NE(region, nullptr);
        EXPECT_EQ(region->RPHeader().PracticalCode, 0xCAFE0002u);
        EXPECT_EQ(region->GetNodeCount(), 2);
    }
    CloseISOImage();
}
