// Parcel number comparison.
#include "kiwi/ParcelNumber.h"

bool ParcelNumberMatches(const TLN_ParcelNumber& a, const TLN_ParcelNumber& b) {
    if (a.Level != b.Level || a.BlockSetX != b.BlockSetX || a.BlockSetY != b.BlockSetY || a.BlockX != b.BlockX ||
        a.BlockY != b.BlockY || a.ParcelX != b.ParcelX || a.ParcelY != b.ParcelY)
        return false;
    if (b.Kind != 1) return true;
    if (b.CountX == 0 || b.CountY == 0) return false;
    const int stepX = 256 / b.CountX;
    const int stepY = 256 / b.CountY;
    if (stepX == 0 || stepY == 0) return false;
    return a.PositionY / stepY == b.SubY && a.PositionX / stepX == b.SubX;
}
