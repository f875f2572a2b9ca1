// MulDiv: a × b / c with a 64-bit product, rounded half away from zero; c = 0 or an int32 overflow gives -1.
#pragma once

#include <cstdint>

int32_t MulDiv(int32_t a, int32_t b, int32_t c);
