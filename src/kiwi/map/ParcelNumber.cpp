// Parcel number comparison.
#include "kiwi/map/ParcelNumber.h"

#include <algorithm>

namespace {
// The sub-parcel index of an in-parcel position (1/256 of the side) for a division count; a count that
// does not divide 256 leaves a last sliver, which belongs to the last sub-parcel.
int subParcelIndex(uint8_t position, uint8_t count) {
    return std::min(position / (256 / count), count - 1);
}
} // namespace

bool ParcelNumberMatches(const TLN_ParcelNumber& a, const TLN_ParcelNumber& b) {
    if (a.Level != b.Level || a.BlockSetX != b.BlockSetX || a.BlockSetY != b.BlockSetY ||
        a.BlockX != b.BlockX || a.BlockY != b.BlockY || a.ParcelX != b.ParcelX || a.ParcelY != b.ParcelY)
        return false;
    if (b.Kind != 1) return true;
    if (b.CountX == 0 || b.CountY == 0) return false;
    return subParcelIndex(a.PositionY, b.CountY) == b.SubY && subParcelIndex(a.PositionX, b.CountX) == b.SubX;
}
