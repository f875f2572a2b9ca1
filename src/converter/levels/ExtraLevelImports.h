// The parcels of the added 25 m level, built from the imported records before the old levels are
// transferred: block tables appended to the new management data, the level's parcel management
// information and its frames kept apart until their final places are known. The frames wait in a scratch
// file, so that a large added level costs disk in the temporary folder rather than memory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "converter/job/ConversionContext.h"
#include "converter/output/BufferedOutputStream.h"
#include "converter/rewrite/ImportedOutlines.h"

namespace rewrite {

// Management data past which the added level gets no more block sets.
inline constexpr int64_t kExtraManagementLimit = 131040;

struct ExtraLevelImports {
    std::vector<uint8_t> information; // parcel management information, addresses relative to its start
    // The parcel frames, one after another, in a scratch file behind a write-back buffer; null until the
    // first frame. The file is removed when this goes, whichever way the run ends.
    std::unique_ptr<BufferedOutputStream> frames;
    int64_t frameBytes = 0;
    uint32_t reservedBlocks = 0; // blocks in `information`
    uint32_t parcelsPerBlock = 0;
    uint16_t blocksWithParcels = 0;
    uint32_t parcels = 0;
    // The management data had no room for a further block set's table.
    bool managementFull = false;
    // Arrow names written into the parcels.
    uint32_t arrows = 0;
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
// Step three, after the old levels: the parcel records get their frames' addresses, the frames are
// copied to the data cursor and the scratch file is removed.
void WriteExtraLevelFrames(ConversionContext& c, ExtraLevelImports& extra, int64_t informationStart);

// The bytes copied per read and write when the frames move into the output: a few reads for the whole
// level, each small enough to gather in the output's write-back buffer and to leave a stop noticed soon.
inline constexpr int64_t kFrameCopyChunk = BufferedOutputStream::kDefaultBudget / 4;
// Copies count bytes from position of from to target in to, chunk bytes at a time, calling beforeChunk
// before each (it may raise to stop). A short read raises EReadError.
void CopyInChunks(TLN_Stream& from, int64_t position, int64_t count, TLN_Stream& to, int64_t target,
                  int64_t chunk, const std::function<void()>& beforeChunk = {});

} // namespace rewrite
