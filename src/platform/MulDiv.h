// MulDiv: a × b / c rounded half away from zero; c = 0 or a result outside the result type gives -1.
#pragma once

#include <cstdint>

// 32-bit operands and result, through a 64-bit product (the coordinate scaling of the views).
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
// 64-bit operands and result, through a 128-bit product (imported coordinates, picture scaling).
int64_t MulDiv64(int64_t a, int64_t b, int64_t c);
