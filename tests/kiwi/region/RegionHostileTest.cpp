// The region reader over hostile data: broken headers, offsets and counts out of their frames, truncation,
// seeded random byte changes, and two threads sharing one reader.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/region/RegionManager.h"
#include "support/fixtures/RegionFixture.h"

namespace {

const fixture::RegionImage& sample() {
    static const fixture::RegionImage image = fixture::buildRegionData(fixture::sampleRegionPlan());
    return image;
}

void put16(std::vector<uint8_t>& b, int64_t at, uint32_t v) {
    b.at(size_t(at)) = uint8_t(v >> 8);
    b.at(size_t(at) + 1) = uint8_t(v);
}
void put32(std::vector<uint8_t>& b, int64_t at, uint32_t v) {
    put16(b, at, v >> 16);
    put16(b, at + 2, v);
}

std::unique_ptr<TLN_RegionManager> managerOf(std::vector<uint8_t> bytes) {
    return std::make_unique<TLN_RegionManager>(std::make_shared<TLN_MemoryStream>(std::move(bytes)), 0);
}

// Everything the reader offers, as text; counts are capped so that a changed count cannot make a run long.
std::string readEverything(TLN_RegionManager& manager, bool throughHeader = true) {
    std::ostringstream out;
    out << manager.IsValid() << " " << manager.LevelCount() << "\n";
    for (int level = 0; level < manager.LevelCount(); ++level) {
        TLN_Region_Level_Record l;
        manager.GetLevelRecord(level, l);
        out << "L" << manager.GetRegionItem(level) << " " << l.RegionCount << "\n";
        for (int r = 0; r < std::min<int>(l.RegionCount, 64); ++r) {
            TLN_Region_Manag_Record record;
            if (!manager.ReadRegionRecord(level, r, record)) continue;
            out << "R" << r << " " << record.FramePosition << " " << record.FrameSize << "\n";
            if (throughHeader) {
                TLN_RP_Distribution_Header rp;
                if (manager.ReadRPDistributionHeader(level, rp, record.FramePosition, record.FrameFile)) {
                    TLN_RP_Node_Header nodes;
                    if (manager.ReadNodeHeader(nodes, rp.Frames[RP_NodeFrame].Position))
                        out << "H" << nodes.NodeCount << " " << nodes.Ranks.size() << "\n";
                    manager.SetRPHeader(rp);
                    for (int k = 0; k < 40; ++k) {
                        TLN_RP_Node_Record node;
                        if (manager.ReadNodeRecord(k, level, node)) out << "n" << node.Links.size();
                    }
                    TLN_RP_Link_Cost_Record cost;
                    if (manager.ReadLinkCostRecord(true, cost, rp.Frames[RP_LinkCostFrame].Position))
                        out << " c" << cost.LinkLength;
                }
            }
            const auto region = manager.GetRegion(level, r);
            if (!region) continue;
            out << "G" << region->GetNodeCount() << "/" << region->NodeRecordCount() << ":";
            for (int k = 0; k < std::min(region->NodeRecordCount(), 300) + 2; ++k) {
                TLN_Point p;
                if (region->GetNodePosition(k, p)) out << " p" << p.X << "," << p.Y;
                std::array<TLN_RP_Node_Link, kRPMaxLinks> links{};
                const int n = region->GetNodeLinks(k, links);
                for (int j = 0; j < n; ++j)
                    out << " " << links[j].Node << "@" << links[j].Region;
                TLN_RP_Node_Record node;
                if (region->ReadNode(k, node)) {
                    out << " N" << node.Complete << node.Links.size() << node.Regulations.size()
                        << node.BetweenLinks.size();
                    for (const auto& link : node.Links)
                        out << " " << link.Cost.LinkLength << "/" << link.Cost.AverageTravelingTime;
                }
            }
            out << "\n";
        }
    }
    return out.str();
}

} // namespace

TEST(RegionHostile, BrokenHeadersClearTheValidFlag) {
    const std::vector<uint8_t>& good = sample().bytes;
    // Shorter than the fixed header.
    EXPECT_FALSE(managerOf({good.begin(), good.begin() + 49})->IsValid());
    // Level records past the end.
    EXPECT_FALSE(managerOf({good.begin(), good.begin() + 60})->IsValid());
    // Empty, and a base at or past the end.
    EXPECT_FALSE(managerOf({})->IsValid());
    auto stream = std::make_shared<TLN_MemoryStream>(good);
    EXPECT_FALSE(TLN_RegionManager(stream, int64_t(good.size())).IsValid());
    EXPECT_FALSE(TLN_RegionManager(stream, -1).IsValid());
    // Level count 10.
    std::vector<uint8_t> bytes = good;
    bytes[46] = 10;
    const auto manager = managerOf(bytes);
    EXPECT_FALSE(manager->IsValid());
    EXPECT_EQ(manager->GetRegion(0, 0), nullptr);
    EXPECT_EQ(manager->GetRegionItem(0), -1);
}

TEST(RegionHostile, OffsetsOutsideTheirFramesAreNotAvailable) {
    const fixture::RegionFrameManifest& m = sample().regions[0][0];
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> change;
        std::function<void(const TLN_Region*)> check;
    };
    const Case cases[] = {
        {"node frame far away", [&](auto& b) { put32(b, m.frameStart + 8, 0x7FFFFFFF); },
         [](const TLN_Region* r) { EXPECT_EQ(r, nullptr); }},
        {"node frame all ones", [&](auto& b) { put32(b, m.frameStart + 8, 0xFFFFFFFF); },
         [](const TLN_Region* r) { EXPECT_EQ(r, nullptr); }},
        {"frame address past the end", [&](auto& b) { put32(b, m.recordPosition + 18, 0x00FFFF00); },
         [](const TLN_Region* r) { EXPECT_EQ(r, nullptr); }},
        {"frame size 0", [&](auto& b) { put16(b, m.recordPosition + 22, 0); },
         [](const TLN_Region* r) { EXPECT_EQ(r, nullptr); }},
        {"link table past the link frame", [&](auto& b) { put32(b, m.nodeRecords[0], 0x0023FFFF); },
         [](const TLN_Region* r) {
             std::array<TLN_RP_Node_Link, kRPMaxLinks> links{};
             EXPECT_EQ(r->GetNodeLinks(0, links), 0);
             TLN_RP_Node_Record node;
             ASSERT_TRUE(r->ReadNode(0, node));
             EXPECT_FALSE(node.Complete);
             EXPECT_TRUE(node.Links.empty());
             EXPECT_TRUE(node.Regulations.empty());
         }},
        {"link table running off the link frame (16 boundary links)",
         [&](auto& b) { put32(b, m.nodeRecords[2], 0x03E00011); },
         [](const TLN_Region* r) {
             std::array<TLN_RP_Node_Link, kRPMaxLinks> links{};
             EXPECT_EQ(r->GetNodeLinks(2, links), 0);
             TLN_RP_Node_Record node;
             ASSERT_TRUE(r->ReadNode(2, node));
             EXPECT_FALSE(node.Complete);
             EXPECT_LT(node.Links.size(), 16u);
         }},
        {"link frame before the node frame", [&](auto& b) { put32(b, m.frameStart + 14, 0); },
         [](const TLN_Region* r) {
             std::array<TLN_RP_Node_Link, kRPMaxLinks> links{};
             EXPECT_EQ(r->GetNodeLinks(0, links), 0);
         }},
        {"regulation count 255", [&](auto& b) { b.at(size_t(m.nodeRecords[0]) + 4) = 255; },
         [](const TLN_Region* r) {
             TLN_RP_Node_Record node;
             ASSERT_TRUE(r->ReadNode(0, node));
             EXPECT_FALSE(node.Complete);
             EXPECT_LT(node.Regulations.size(), 255u);
         }},
        {"rank count 0xFFFF", [&](auto& b) { put16(b, m.nodeFrame + 6, 0xFFFF); },
         [](const TLN_Region* r) {
             ASSERT_NE(r, nullptr);
             EXPECT_LE(r->NodeHeader().Ranks.size(), 6u); // what the 60-byte node frame can hold
             EXPECT_EQ(r->NodeHeader().RankCount, 0xFFFF);
         }},
        {"node count 0xFFFF", [&](auto& b) { put16(b, m.nodeFrame + 2, 0xFFFF); },
         [](const TLN_Region* r) { EXPECT_EQ(r->NodeRecordCount(), 4); }},
        {"rank node count 0xFFFF", [&](auto& b) { put16(b, m.nodeFrame + 8, 0xFFFF); },
         [](const TLN_Region* r) { EXPECT_EQ(r->GetNodeCount(), 4); }},
        {"node coordinate table past its frame", [&](auto& b) { put16(b, m.coordinateFrame + 14, 0x7000); },
         [](const TLN_Region* r) {
             TLN_Point p;
             EXPECT_FALSE(r->GetNodePosition(0, p));
         }},
        {"grid table larger than its frame", [&](auto& b) { put16(b, m.coordinateFrame + 12, 0xFFFF); },
         [](const TLN_Region* r) { EXPECT_LE(r->Grid().size(), 52u / 6); }},
        {"frame sizes of 128 KiB each past the end of the file",
         [&](auto& b) {
             for (int i = 0; i < 9; ++i)
                 put16(b, m.frameStart + 12 + 6 * i, 0xFFFF);
         },
         [](const TLN_Region* r) { EXPECT_EQ(r, nullptr); }}, // frames the file does not hold: no region
        {"node record size 0", [&](auto& b) { put16(b, 50 + 6, 0); },
         [](const TLN_Region* r) {
             EXPECT_EQ(r->NodeRecordCount(), 0);
             EXPECT_EQ(r->GetNodeCount(), 0);
         }},
        {"link cost number past the frame", [&](auto& b) { put16(b, m.linkTables[0] + 2, 0x7FFF); },
         [](const TLN_Region* r) {
             TLN_RP_Node_Record node;
             ASSERT_TRUE(r->ReadNode(0, node));
             EXPECT_FALSE(node.Links[0].CostRead);
             EXPECT_TRUE(node.Links[1].CostRead);
             EXPECT_EQ(node.Regulations.size(), 1u); // the link table itself is intact
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = sample().bytes;
        c.change(bytes);
        const auto manager = managerOf(bytes);
        ASSERT_TRUE(manager->IsValid());
        const auto region = manager->GetRegion(0, 0);
        c.check(region.get());
        readEverything(*manager);
    }
}

TEST(RegionHostile, RegionCountsAndTablesOutsideTheFile) {
    std::vector<uint8_t> bytes = sample().bytes;
    put16(bytes, 50 + 2, 0xFFFF); // level 0 announces 65535 regions
    put32(bytes, 8, 0x00FFFF00);  // the region table lies far past the end
    const auto manager = managerOf(bytes);
    ASSERT_TRUE(manager->IsValid());
    TLN_Region_Manag_Record record;
    EXPECT_FALSE(manager->ReadRegionRecord(0, 65534, record));
    EXPECT_FALSE(manager->ReadRegionRecord(1, 1, record));
    EXPECT_EQ(manager->GetRegion(0, 0), nullptr);
    // The table address all ones: no region record at all.
    put32(bytes, 8, 0xFFFFFFFF);
    const auto none = managerOf(bytes);
    EXPECT_FALSE(none->ReadRegionRecord(0, 0, record));
}

TEST(RegionHostile, EveryTruncationReadsWithoutFault) {
    const std::vector<uint8_t>& good = sample().bytes;
    for (size_t size = 0; size <= good.size(); size += 7) {
        const auto manager = managerOf({good.begin(), good.begin() + size});
        readEverything(*manager);
    }
}

TEST(RegionHostile, SeededRandomByteChanges) {
    std::mt19937 random(0x5E610A);
    const std::vector<uint8_t>& good = sample().bytes;
    const std::string reference = readEverything(*managerOf(good));
    int differing = 0;
    for (int round = 0; round < 4000; ++round) {
        std::vector<uint8_t> bytes = good;
        const int changes = 1 + int(random() % 6);
        for (int i = 0; i < changes; ++i) {
            const size_t at = random() % bytes.size();
            // Half of the changes hit the bytes of counts and offsets in full (0x00 or 0xFF).
            const uint32_t kind = random() % 4;
            bytes[at] = kind == 0 ? 0x00 : kind == 1 ? 0xFF : uint8_t(random());
        }
        if (round % 10 == 0) bytes.resize(random() % bytes.size());
        const auto manager = managerOf(std::move(bytes));
        if (readEverything(*manager) != reference) ++differing;
    }
    EXPECT_GT(differing, 400); // the changes reached the data
}

TEST(RegionHostile, TwoThreadsReadingOneReaderSeeTheSame) {
    const auto manager = managerOf(sample().bytes);
    const std::string expected = readEverything(*manager, false);
    manager->ClearRegions();
    // A cache of one region makes the threads evict and re-read each other's regions.
    manager->SetRegionCacheLimit(1);
    std::atomic<int> mismatches{0};
    std::thread threads[2];
    for (auto& thread : threads)
        thread = std::thread([&] {
            for (int round = 0; round < 40; ++round) {
                if (readEverything(*manager, false) != expected) ++mismatches;
                if (round % 8 == 7) manager->ClearRegions();
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}
