// Walks every parcel record of a source map and of its conversion side by side with our readers: each kept
// parcel's frames equal the source's (but for the references the run re-points), shared frames stay
// shared, route guidance frames are linked from their main frames. Failures are reported to the running
// test.
#pragma once

#include <cstdint>
#include <string>

struct ComparedCounts {
    int parcels = 0;
    int guidance = 0;
    int emptyGuidance = 0;
};

// addedLevels: levels the output has beyond the source's (the extra level).
ComparedCounts compareMaps(const std::string& sourcePath, const std::string& outputPath,
                           uint32_t addedLevels = 0);
