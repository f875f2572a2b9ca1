// Scaling between rows and scroll values in 128-bit arithmetic, so no product overflows.
#include "hexview/model/HexScrollMapping.h"

#include <algorithm>
#include <climits>

namespace hexscroll {

int Maximum(int64_t maxTop) {
    return int(std::clamp<int64_t>(maxTop, 0, INT_MAX));
}

int ValueForTop(int64_t top, int64_t maxTop) {
    if (maxTop <= 0) return 0;
    top = std::clamp<int64_t>(top, 0, maxTop);
    if (maxTop <= INT_MAX) return int(top);
    const __int128 scaled = (__int128(top) * INT_MAX + maxTop / 2) / maxTop;
    return int(scaled);
}

int64_t TopForValue(int value, int64_t maxTop) {
    if (maxTop <= 0) return 0;
    value = std::clamp(value, 0, Maximum(maxTop));
    if (maxTop <= INT_MAX) return value;
    return int64_t((__int128(value) * maxTop + INT_MAX / 2) / INT_MAX);
}

} // namespace hexscroll
