// The outlines of one background type unit as the readers decode them: the start point and its byte steps
// turned into a polygon in parcel units (0..4096), for comparing written buildings with their sources.
#pragma once

#include <cstdint>
#include <vector>

#include "kiwi/frames/BackgroundFrame.h"
#include "support/converter/PolygonClip.h"

namespace convtest {

struct DecodedOutline {
    Poly points;
    size_t steps = 0;
};

// The records of unit whose type code is typeCode; false when a record of the unit cannot be read.
bool DecodeOutlines(const TLN_FrameSpan& background, const TLN_Background_Type_Unit& unit, uint16_t typeCode,
                    std::vector<DecodedOutline>& out);

} // namespace convtest
