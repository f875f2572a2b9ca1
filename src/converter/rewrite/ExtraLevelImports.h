// The parcels of the added 25 m level, built from the imported records before the old levels are
// transferred: block tables appended to the new management data, the level's parcel management
// information and its frames kept apart until their final places are known.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/ConversionContext.h"
#include "converter/rewrite/ImportedOutlines.h"

namespace rewrite {

// Management data past which the added level gets no more block sets.
inline constexpr int64_t kExtraManagementLimit = 131040;

struct ExtraLevelImports {
    std::vector<uint8_t> information; // parcel management information, addresses relative to its start
    std::vector<uint8_t> frames;      // the parcel frames, one after another
    uint32_t reservedBlocks = 0;      // blocks in `information`
    uint32_t parcelsPerBlock = 0;
    uint16_t blocksWithParcels = 0;
    uint32_t parcels = 0;
    // Where the new level's block records lie in the management data (their addresses are relative).
    std::vector<int64_t> blockRecords;
};

// Step one, on the management data that already holds the added level's records (the new block set
// records are the last `newBlockSets` of the block set table, which ends at `setsEnd`). Only blocks and
// parcels the rectangle trim keeps get parcels.
ExtraLevelImports BuildExtraLevelParcels(ConversionContext& c, std::vector<uint8_t>& management,
                                         int64_t setsEnd, ImportedOutlines& outlines);
// Step two, once the information's place in the output is known: the block records point at it.
void PlaceExtraLevelInformation(std::vector<uint8_t>& management, const ExtraLevelImports& extra,
                                int64_t informationStart);
// Step three, after the old levels: the parcel records get their frames' addresses and the frames are
// written at the data cursor.
void WriteExtraLevelFrames(ConversionContext& c, const ExtraLevelImports& extra, int64_t informationStart);

} // namespace rewrite
