// Damaged maps and shared maps: seeded random byte changes walked completely, and two threads walking one
// map at once.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <thread>

#include "MapTestSupport.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/FrameWalk.h"
#include "support/walkers/MapWalk.h"

using maptest::openMap;

namespace {

// A byte value that tends to reach the edge cases: counts 0 and 255, all ones, sign bits.
uint8_t interestingByte(std::mt19937& random) {
    static const uint8_t values[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, 0xFE, 0x40, 0x20};
    if (random() % 2) return values[random() % sizeof values];
    return uint8_t(random());
}

} // namespace

TEST(MapRobustness, SeededMutationsWalkCompletely) {
    const auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    const fixture::MemoryFiles original = fixture::memoryFilesOf(image);
    std::vector<std::string> names;
    for (const auto& entry : original)
        names.push_back(entry.first);
    std::mt19937 random(20240605);
    MapWalkOptions options;
    options.limit = 20000;
    size_t walkedParcels = 0;
    size_t limited = 0;
    for (int round = 0; round < 2000; ++round) {
        fixture::MemoryFiles files = original;
        // Mostly ALLDATA.KWI, whose management data and frames most of the readers decode.
        const std::string& name =
            (random() % 4) ? std::string("ALLDATA.KWI") : names[random() % names.size()];
        std::vector<uint8_t>& bytes = files[name];
        const int changes = 1 + int(random() % 4);
        for (int i = 0; i < changes; ++i) {
            size_t at = random() % bytes.size();
            // Half of the changes hit the management data (main map header, levels, tables, lists).
            if (name == "ALLDATA.KWI" && random() % 2) at = size_t(image.partBase) + random() % 512;
            bytes[at] = interestingByte(random);
        }
        if (random() % 16 == 0) bytes.resize(random() % bytes.size());
        SCOPED_TRACE("round " + std::to_string(round) + " in " + name);
        const auto map = openMap(files);
        std::ostringstream out;
        printMapSummary(*map, out);
        const MapWalkResult result = walkMap(*map, out, options);
        walkedParcels += result.parcels;
        limited += result.complete ? 0 : 1;
        // A few point look-ups on every damaged map as well.
        for (uint32_t level = 0; level < map->LevelCount() && level < 4; ++level) {
            TLN_ParcelNumber number;
            map->PointToParcelNumber(uint8_t(level), int64_t(random() % 100000), number,
                                     int64_t(random() % 100000));
            map->LocateParcel(number);
        }
        EXPECT_LE(map->SpanCache().HeldBytes(), map->SpanCache().Capacity());
    }
    // The walks did real work: most damaged maps still hold most of their parcels.
    EXPECT_GT(walkedParcels, 2000u * 20);
    std::printf("mutation walks: %zu parcels, %zu walks stopped at the record limit\n", walkedParcels,
                limited);
}

TEST(MapRobustness, TwoThreadsWalkOneMapAlike) {
    const auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    const std::string folder = fixture::scratchDir("map-threads");
    const std::string path = fixture::writeAllData(image, folder);
    for (const bool smallCache : {false, true}) {
        SCOPED_TRACE(smallCache ? "small cache" : "default cache");
        TLN_KiwiMap map(path);
        // A cache too small for the map's tables makes the threads evict each other's spans.
        if (smallCache) map.SpanCache().SetCapacity(512);
        const std::string expected = dumpMap(map);
        std::string dumps[2];
        std::thread threads[2];
        for (int t = 0; t < 2; ++t)
            threads[t] = std::thread([&map, &dumps, t] {
                for (int pass = 0; pass < 5; ++pass) {
                    const std::string dump = dumpMap(map);
                    if (pass == 0 || dump != dumps[t]) dumps[t] += dump;
                }
            });
        for (auto& thread : threads)
            thread.join();
        EXPECT_EQ(dumps[0], expected);
        EXPECT_EQ(dumps[1], expected);
        EXPECT_NE(expected.find("subparcel 0/1/0/0/15"), std::string::npos);
    }
}

namespace {
void putU16(std::vector<uint8_t>& bytes, int64_t at, uint16_t value) {
    bytes[size_t(at)] = uint8_t(value >> 8);
    bytes[size_t(at) + 1] = uint8_t(value);
}
} // namespace

TEST(MapRobustness, WhatIsFoundDoesNotDependOnWhatWasReadFirst) {
    auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    {
        // Level 0's block set 1 names block set 0's table, whose own size now covers one block only.
        auto& bytes = image.allData;
        const size_t set0 = size_t(image.blockSetTables[0]);
        std::copy_n(bytes.begin() + long(set0) + 2, 4, bytes.begin() + long(set0) + 12);
        bytes[set0 + 6] = bytes[set0 + 7] = bytes[set0 + 8] = 0;
        bytes[set0 + 9] = 9;
    }
    TLN_Block_Management_Record block;
    TLN_MM_Parcel_Managenent_Record divided;
    {
        const auto map = openMap(image);
        ASSERT_TRUE(map->ReadBlock(0, 0, 0, block));
        TLN_ParcelNumber number;
        number.ParcelX = 1;
        ASSERT_TRUE(map->FindParcel(number, false, divided));
        ASSERT_TRUE(divided.IsDivided());
    }
    // The divided parcel's sub-list names the block's route guidance list as its own and has 4 x 4
    // sub-parcels: its route guidance list is longer than the block's.
    image.allData[size_t(divided.Address)] = 2;
    TLN_Parcel_Management_Info info;
    {
        const auto map = openMap(image);
        ASSERT_TRUE(map->ReadParcelManagement(map->PartStream(), 0, info, block.Address));
    }
    ASSERT_GT(info.RouteGuidanceListPosition, divided.Address);
    putU16(image.allData, divided.Address + 2,
           uint16_t((info.RouteGuidanceListPosition - divided.Address) / 2));

    auto blockOfSetOne = [](TLN_KiwiMap& map) {
        TLN_Block_Management_Record record;
        return map.ReadBlock(0, 1, 3, record) ? record.Address : -2;
    };
    auto subRoute = [&](TLN_KiwiMap& map) {
        TLN_MM_Parcel_Managenent_Record record;
        return map.ReadParcel(map.PartStream(), 0, 10, record, true, divided.Address) ? record.Position : -2;
    };
    const auto fresh = openMap(image);
    const int64_t expectedBlock = blockOfSetOne(*fresh);
    const int64_t expectedRoute = subRoute(*fresh);
    EXPECT_GE(expectedBlock, 0);
    EXPECT_EQ(expectedRoute, info.RouteGuidanceListPosition + 60);

    // The same look-ups after the shorter tables of the same places were read and cached.
    const auto map = openMap(image);
    TLN_Block_Management_Record first;
    ASSERT_TRUE(map->ReadBlock(0, 0, 0, first));
    TLN_MM_Parcel_Managenent_Record route;
    ASSERT_TRUE(map->ReadParcel(map->PartStream(), 0, 0, route, true, block.Address));
    EXPECT_EQ(blockOfSetOne(*map), expectedBlock);
    EXPECT_EQ(subRoute(*map), expectedRoute);
}

TEST(MapRobustness, SpanCacheStaysWithinItsBound) {
    MapSpanCache cache(1000);
    auto stream = std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(10), "X");
    auto span = [](size_t size) { return std::make_shared<const std::vector<uint8_t>>(size, 1); };
    for (int i = 0; i < 10; ++i)
        cache.Insert(stream, i, MapSpanCache::Kind::BlockTable, span(200));
    EXPECT_LE(cache.HeldBytes(), 1000u);
    EXPECT_FALSE(cache.Find(stream.get(), 0, MapSpanCache::Kind::BlockTable)); // the oldest went first
    EXPECT_TRUE(cache.Find(stream.get(), 9, MapSpanCache::Kind::BlockTable));
    EXPECT_FALSE(cache.Find(stream.get(), 9, MapSpanCache::Kind::ParcelManagement));
    EXPECT_FALSE(cache.Find(stream.get(), 9, MapSpanCache::Kind::BlockTable, 1));
    cache.Insert(stream, 100, MapSpanCache::Kind::BlockTable, span(300)); // over a quarter: not kept
    EXPECT_FALSE(cache.Find(stream.get(), 100, MapSpanCache::Kind::BlockTable));
    // A longer span of the same key replaces a shorter one; a shorter one never replaces a longer.
    cache.Clear();
    cache.Insert(stream, 7, MapSpanCache::Kind::BlockTable, span(100));
    cache.Insert(stream, 7, MapSpanCache::Kind::BlockTable, span(200));
    cache.Insert(stream, 7, MapSpanCache::Kind::BlockTable, span(50));
    EXPECT_EQ(cache.Find(stream.get(), 7, MapSpanCache::Kind::BlockTable)->size(), 200u);
    EXPECT_EQ(cache.HeldBytes(), 200u);
    cache.SetCapacity(250);
    EXPECT_LE(cache.HeldBytes(), 250u);
    cache.Clear();
    EXPECT_EQ(cache.HeldBytes(), 0u);
}

// A level table in other bytes of a 4 KB file declares 1560 block sets of 1722 blocks; the map accepts
// the block set records and block records that lie in the file, and both walks stop there.
TEST(MapRobustness, CrowdedBlockSetsAreCutToTheFile) {
    const auto image = fixture::buildHostileAllData(fixture::HostileMapShape::CrowdedBlockSets);
    ASSERT_EQ(image.allData.size(), 4096u);
    const auto map = openMap(image);
    ASSERT_TRUE(map->IsValid());
    ASSERT_EQ(map->LevelCount(), 1u);
    const TLN_Level_Management_Record& level = *map->Level(0);
    EXPECT_EQ(level.BlockSetCount(), 40 * 39);
    EXPECT_EQ(level.BlockCount(), 42 * 41);
    EXPECT_EQ(level.BlockSetTablePosition, image.blockSetTables[0]);
    EXPECT_EQ(level.AcceptedBlockSetCount, 69u);
    TLN_BlockSet_Management_Record set;
    ASSERT_TRUE(map->ReadBlockSet(0, 68, set));
    EXPECT_EQ(set.BlockTableSize, 0xFFFFFFFEu);
    EXPECT_EQ(set.BlockCount, 128u);
    EXPECT_FALSE(map->ReadBlockSet(0, 69, set));
    TLN_Block_Management_Record block;
    EXPECT_FALSE(map->ReadBlock(0, 0, 128, block));
    EXPECT_FALSE(map->ReadBlock(0, 69, 0, block));

    std::ostringstream text;
    const MapWalkResult walked = walkMap(*map, text);
    EXPECT_TRUE(walked.complete);
    EXPECT_LE(walked.records, 1u + 69u * (1u + 128u * 5u));
    const FrameWalkResult frames = walkFrames(*map, nullptr);
    EXPECT_LE(frames.blocks, 69u * 128u);
    EXPECT_GT(frames.blocks, 0u);
}

// 256 level records one word apart overlap one another: the first alone is a level, and its 65 280 block
// sets are cut to the 192 records that fit after its table's start; their block tables lie past the file.
TEST(MapRobustness, OverlappingLevelRecordsAreOneLevel) {
    const auto image = fixture::buildHostileAllData(fixture::HostileMapShape::OverlappingLevels);
    ASSERT_EQ(image.allData.size(), 6656u);
    const auto map = openMap(image);
    ASSERT_TRUE(map->IsValid());
    EXPECT_EQ(map->LevelRecordCount(), 256);
    EXPECT_EQ(map->LevelRecordSize(), 2u);
    ASSERT_EQ(map->LevelCount(), 1u);
    const TLN_Level_Management_Record& level = *map->Level(0);
    EXPECT_EQ(level.Position, image.levelRecords[0]);
    EXPECT_EQ(level.BlockSetCount(), 65280);
    EXPECT_EQ(level.BlockSetTablePosition, image.blockSetTables[0]);
    EXPECT_EQ(level.AcceptedBlockSetCount, 192u);
    TLN_BlockSet_Management_Record set;
    ASSERT_TRUE(map->ReadBlockSet(0, 191, set));
    EXPECT_EQ(set.BlockCount, 0u);
    EXPECT_FALSE(map->ReadBlockSet(0, 192, set));

    std::ostringstream text;
    const MapWalkResult walked = walkMap(*map, text);
    EXPECT_TRUE(walked.complete);
    EXPECT_EQ(walked.records, 1u + 192u);
    const FrameWalkResult frames = walkFrames(*map, nullptr);
    EXPECT_EQ(frames.blocks, 0u);
    EXPECT_EQ(frames.parcels, 0u);
}
