// Helpers of the frame reader tests: a frame span over bytes written by the fixture's own writer.
#pragma once

#include "kiwi/io/FrameSpan.h"
#include "kiwi/map/LevelRecord.h"
#include "support/fixtures/FixtureWriter.h"

namespace frametest {

// Frames sit at a position other than 0 so that absolute positions are checked.
constexpr int64_t kFramePosition = 1000;

inline TLN_FrameSpan span(const fixture::ByteWriter& writer, int64_t position = kFramePosition) {
    return TLN_FrameSpan::FromBytes(writer.bytes(), position);
}
inline TLN_FrameSpan span(const std::vector<uint8_t>& bytes, int64_t position = kFramePosition) {
    return TLN_FrameSpan::FromBytes(bytes, position);
}

inline TLN_Level_Management_Record level(uint32_t nodeRecordSize = 8, uint8_t backgroundClasses = 2,
                                         uint8_t nameClasses = 3) {
    TLN_Level_Management_Record record;
    record.NodeRecordSize = nodeRecordSize;
    record.BackgroundClassCount = backgroundClasses;
    record.NameClassCount = nameClasses;
    return record;
}

} // namespace frametest
