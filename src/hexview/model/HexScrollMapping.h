// The grid's 64-bit top row on a 32-bit scroll bar: one scroll value per row while the rows fit, a linear
// scale above that (streams past 32 GiB), exact at both ends.
#pragma once

#include <cstdint>

namespace hexscroll {

// The scroll bar's maximum for top rows 0..maxTop.
int Maximum(int64_t maxTop);
// The scroll value that shows top; top is clamped to 0..maxTop.
int ValueForTop(int64_t top, int64_t maxTop);
// The top row a scroll value stands for; value is clamped to 0..Maximum(maxTop).
int64_t TopForValue(int value, int64_t maxTop);

} // namespace hexscroll
