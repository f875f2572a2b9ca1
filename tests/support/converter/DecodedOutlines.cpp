// Decoding a type unit's outlines into polygons.
#include "support/converter/DecodedOutlines.h"

namespace convtest {

bool DecodeOutlines(const TLN_FrameSpan& background, const TLN_Background_Type_Unit& unit, uint16_t typeCode,
                    std::vector<DecodedOutline>& out) {
    for (int64_t at : MinimumGraphicsPositions(background, unit)) {
        TLN_Minimum_Graphics_Data_Record r;
        if (!ReadMinimumGraphicsShape(background, true, r, at)) return false;
        if (r.TypeCode != typeCode) continue;
        DecodedOutline outline;
        outline.points.push_back({r.RelativeX * 4096.0 + r.StartX, r.RelativeY * 4096.0 + r.StartY});
        for (uint16_t step : r.Offsets)
            outline.points.push_back({outline.points.back().first + int8_t(step >> 8),
                                      outline.points.back().second + int8_t(step & 0xFF)});
        outline.steps = r.Offsets.size();
        out.push_back(std::move(outline));
    }
    return true;
}

} // namespace convtest
