// Texts shown for stored KIWI values in the field grid and the status line: grouped decimals,
// spaced hex, degrees/minutes/seconds, and the names of compression types, traffic providers and data makers.
#pragma once

#include <cstdint>
#include <string>

#include "kiwi/core/KiwiPrimitives.h"

// Decimal digits with a blank before each group of three from the right (at most five blanks);
// a negative value is "-" followed by its grouped magnitude.
std::string FormatNumberGrouped(int64_t value);

// "0 x " and the significant bytes as upper-case hex pairs separated by blanks, most significant
// first: the low byte always; bytes 1-3 while the high half is 0 and the low half reaches 0x100,
// 0x10000, 0x1000000; bytes 0-4 when the high half (signed) is above 0, byte 5 too above 255.
// Bytes 6 and 7 are never shown, and a negative high half shows the low byte only.
std::string FormatHex64Spaced(int64_t value);
// "0x" and the same bytes without blanks.
std::string FormatHex0x(int64_t value);
// The same bytes without blanks and without prefix.
std::string FormatHexDigits(int64_t value);
// "0 x " and all four bytes of the low half, preceded by bytes 5 and 4 under the rule above.
std::string FormatHex32Spaced(int64_t value);
std::string FormatDWordHex(uint32_t value);
std::string FormatWordHex(uint16_t value);

// Inverse of the spaced forms: the hex digits after the first "0 x " (any case), joined. Empty when
// there is no "0 x ", a group is not two hex digits, or the digits are not a non-negative int64.
std::string CompactHexText(const std::string& text);

// A coordinate (1/8 arc-second) as degrees*minutes'seconds,eighths; the sign is not shown.
std::string FormatDMS(int32_t coordinate);
// "N" (>= 0) or "S", then FormatDMS.
std::string FormatLatitude(int32_t coordinate);
// "E" (> 0) or "W" (<= 0, so 0 gives "W"), then FormatDMS.
std::string FormatLongitude(int32_t coordinate);
// Degrees with three decimals and the system decimal separator, rounded half away from zero.
std::string FormatDegrees(int32_t coordinate);

// The name of a CMP compression type ("Not compressed", "BPE type", "GZIP type", "Unknown type").
std::string CompressionTypeName(uint32_t type);
// "VICS ATIS … data provided" for the provider bits 0-3; empty when none is set.
std::string TrafficProvidersText(uint32_t flags);
