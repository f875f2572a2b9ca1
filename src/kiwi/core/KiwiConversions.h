// Pure conversions of KIWI units: byte order, sign-magnitude coordinates, KIWI addresses, word offsets.
#pragma once

#include <cstdint>
#include <string>

#include "kiwi/core/KiwiPrimitives.h"

// Units of coordinates: 1/8 arc-second, 28800 per degree.
constexpr int32_t kUnitsPerDegree = 28800;
// The marker of an invalid coordinate.
constexpr uint32_t kInvalidCoordinate = 0xFF800001u;

uint32_t SwapDWord(uint32_t value);
// Exchanges the two low bytes and keeps the upper 16 bits.
uint32_t SwapWord(uint32_t value);
// 24-bit sign-magnitude (bit 23 sign) to a signed integer; negative zero reads as 0.
int32_t SignMag24ToInt(uint32_t value);
// Magnitude shl 8 with bit 31 set when negative: the 24-bit value in the top three bytes.
uint32_t IntToSignMag24(int32_t value);
// Byte position to KIWI address; -1 gives all ones. Positions at or above 32 GiB cannot be
// represented and raise EConvertError; the remainder below 32 bytes is dropped.
uint32_t OffsetToKiwiAddress(int64_t position);
// KIWI address to byte position (bits 7..6 ignored); all ones gives -1.
int64_t KiwiAddressToOffset(uint32_t address);
// base + 2 × n in 64 bits; the all-ones value of the width gives -1.
int64_t WordOffsetToPosition(uint32_t wordOffset, int64_t base);
int64_t WordOffset16ToPosition(uint16_t wordOffset, int64_t base);
// (left, top, right, bottom) → (left, bottom, right, top).
TLN_Rect FlipRectVertical(const TLN_Rect& rect);
std::string SlashToBackslash(const std::string& path);
