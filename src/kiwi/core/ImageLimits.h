// Limits on decoded pictures: hostile sizes must never turn into huge allocations.
#pragma once

#include <cstdint>

// Width × height of any decoded picture (CLUT or GIF) is at most 16 Mi pixels (64 MiB as ARGB32).
inline constexpr int64_t kMaxImagePixels = int64_t(16) << 20;
