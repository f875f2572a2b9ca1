// Damaged parcel frames: seeded random byte changes inside the frames of both fixture variants, every
// frame walked completely without a fault or an endless loop.
#include <gtest/gtest.h>

#include <random>

#include "../map/MapTestSupport.h"
#include "support/fixtures/FrameFixture.h"
#include "support/walkers/FrameWalk.h"
#include "support/walkers/MemoryFiles.h"

TEST(FrameRobustness, SeededMutationsOfTheFrames) {
    std::mt19937 random(20240611);
    size_t records = 0;
    for (const bool wide : {false, true}) {
        const auto image = fixture::buildAllData(fixture::framesAllDataPlan(wide));
        const fixture::MemoryFiles original = fixture::memoryFilesOf(image);
        // Only parcels whose frames carry every record kind, so that every reader meets damage.
        std::vector<fixture::ParcelEntry> targets;
        for (const auto& entry : image.parcels)
            if (entry.frameSize > 512) targets.push_back(entry);
        ASSERT_FALSE(targets.empty());
        static const uint8_t interesting[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, 0xFE, 0x40, 0x20, 0x0F, 0xF0};
        for (int round = 0; round < 500; ++round) {
            fixture::MemoryFiles files = original;
            const fixture::ParcelEntry& target = targets[random() % targets.size()];
            std::vector<uint8_t>& bytes = files[target.file];
            const int changes = 1 + int(random() % 6);
            for (int i = 0; i < changes; ++i) {
                const size_t at = size_t(target.frame) + 36 + random() % (target.frameSize - 36);
                if (at < bytes.size())
                    bytes[at] = random() % 2 ? interesting[random() % sizeof interesting] : uint8_t(random());
            }
            SCOPED_TRACE("round " + std::to_string(round) + (wide ? " wide" : ""));
            const auto map = maptest::openMap(files);
            FrameWalkOptions options;
            options.dump.pages = TLN_TextPages{wide ? 1200 : 65001, 0};
            options.dump.mask = round % 3 ? 48 : uint32_t(random() % 32);
            std::ostringstream out;
            const size_t walked = walkFrames(*map, round % 4 ? nullptr : &out, options).records;
            // Every record read lies inside the map's files; damage cannot make more of them.
            size_t fileBytes = 0;
            for (const auto& [name, content] : files)
                fileBytes += content.size();
            EXPECT_LE(walked, fileBytes);
            records += walked;
        }
    }
    EXPECT_GT(records, 1000u * 200);
}
