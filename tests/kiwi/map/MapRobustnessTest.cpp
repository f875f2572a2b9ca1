// Damaged maps and shared maps: seeded random byte changes walked completely, and two threads walking one
// map at once.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "MapTestSupport.h"
#include "kiwi/MemoryStream.h"
#include "support/FixtureWriter.h"
#include "support/MapWalk.h"

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
    cache.SetCapacity(250);
    EXPECT_LE(cache.HeldBytes(), 250u);
    cache.Clear();
    EXPECT_EQ(cache.HeldBytes(), 0u);
}
