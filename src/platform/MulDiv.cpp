// MulDiv with the rounding and error results that coordinate scaling relies on; one implementation for both
// widths.
#include "platform/MulDiv.h"

#include <limits>

int64_t MulDiv64(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return -1;
    // The usual case (coordinates, sizes): the product fits 64 bits and a 64-bit division is several times
    // cheaper than the 128-bit one.
    int64_t product64 = 0;
    if (!__builtin_mul_overflow(a, b, &product64) && c != std::numeric_limits<int64_t>::min() &&
        product64 != std::numeric_limits<int64_t>::min()) {
        const bool negative = (product64 < 0) != (c < 0);
        const uint64_t p = product64 < 0 ? uint64_t(-product64) : uint64_t(product64);
        const uint64_t d = c < 0 ? uint64_t(-c) : uint64_t(c);
        // p < 2^63 and d / 2 < 2^62: the sum cannot wrap, and the quotient fits int64.
        const uint64_t q = (p + d / 2) / d;
        return negative ? -int64_t(q) : int64_t(q);
    }
    using Wide = unsigned __int128;
    const __int128 product = __int128(a) * __int128(b);
    const bool negative = (product < 0) != (c < 0);
    const Wide p = product < 0 ? Wide(-product) : Wide(product);
    const Wide d = c < 0 ? Wide(-__int128(c)) : Wide(c);
    const Wide q = (p + d / 2) / d;
    if (q > Wide(std::numeric_limits<int64_t>::max()) + (negative ? 1u : 0u)) return -1;
    return negative ? int64_t(-__int128(q)) : int64_t(q);
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    const int64_t result = MulDiv64(a, b, c);
    if (c == 0 || result < std::numeric_limits<int32_t>::min() ||
        result > std::numeric_limits<int32_t>::max())
        return -1;
    return int32_t(result);
}
