// MulDiv with the rounding and error results that coordinate scaling relies on.
#include "platform/MulDiv.h"

#include <cstdlib>
#include <limits>

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    const int64_t product = int64_t(a) * int64_t(b);
    const bool negative = (product < 0) != (c < 0);
    const uint64_t p = product < 0 ? uint64_t(-(product + 1)) + 1 : uint64_t(product);
    const uint64_t d = c < 0 ? uint64_t(-int64_t(c)) : uint64_t(c);
    const uint64_t q = (p + d / 2) / d;
    if (q > uint64_t(std::numeric_limits<int32_t>::max()) + (negative ? 1u : 0u)) return -1;
    return negative ? int32_t(-int64_t(q)) : int32_t(q);
}
