// Helpers shared by the main map tests: open a fixture image as a map without touching the disk.
#pragma once

#include <memory>

#include "kiwi/map/KiwiMap.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/walkers/MemoryFiles.h"

namespace maptest {

// A folder that does not exist, so that no data file is found on disk by accident.
inline const char* const kMemoryAllData = "/nonexistent-kiwi-fixture/ALLDATA.KWI";

inline std::unique_ptr<TLN_KiwiMap> openMap(const fixture::AllDataImage& image) {
    return std::make_unique<TLN_KiwiMap>(kMemoryAllData,
                                         fixture::memoryOpener(fixture::memoryFilesOf(image)));
}

inline std::unique_ptr<TLN_KiwiMap> openMap(const fixture::MemoryFiles& files) {
    return std::make_unique<TLN_KiwiMap>(kMemoryAllData, fixture::memoryOpener(files));
}

// The parcel number of a manifest entry's parcel (position 0 inside it).
inline TLN_ParcelNumber numberOf(const fixture::AllDataPlan& plan, const fixture::ParcelEntry& entry) {
    const fixture::LevelPlan& level = plan.levels[size_t(entry.level)];
    TLN_ParcelNumber number;
    number.Level = uint8_t(entry.level);
    number.BlockSetX = uint8_t(entry.blockSet % level.blockSets.x);
    number.BlockSetY = uint8_t(entry.blockSet / level.blockSets.x);
    number.BlockX = uint8_t(entry.block % level.blocks.x);
    number.BlockY = uint8_t(entry.block / level.blocks.x);
    number.ParcelX = uint8_t(entry.parcel % level.parcels.x);
    number.ParcelY = uint8_t(entry.parcel / level.parcels.x);
    return number;
}

} // namespace maptest
