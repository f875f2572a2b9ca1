// Colour tables of picture data and the palette form of the palette resources: u16 clear colour code,
// u16 transparent colour code, u16 colour count, then 4-byte entries whose first three bytes are red,
// green and blue.
#pragma once

#include <cstdint>
#include <vector>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/io/Stream.h"

// The transparent colour code that means "no transparent colour".
inline constexpr uint16_t kNoTransparentColor = 0xFFFF;

struct TLN_Color_Table {
    uint16_t ClearColorCode = 0;
    uint16_t TransparentColorCode = kNoTransparentColor;
    // The colour count as stored.
    uint16_t ColorCount = 0;
    // Windows colour values (0x00BBGGRR) of the entries that lie inside the table's bounds.
    std::vector<TLN_Color> Colors;
    // True when fewer entries than ColorCount could be read.
    bool Truncated = false;

    bool HasTransparentColor() const { return TransparentColorCode != kNoTransparentColor; }
};

// Reads a table at position whose entries must end at or before end (also clipped to the stream).
// False when the 6-byte head is not there; the entry count is bounded by the bytes before end.
bool ReadColorTable(TLN_Stream& stream, int64_t position, int64_t end, TLN_Color_Table& out);

// Reads the palette form at position, bounded by the stream's end.
bool ReadPaletteStream(TLN_Stream& stream, TLN_Color_Table& out, int64_t position);
