// Run-length palette (CLUT) pixel data: the three run layouts and decoding into 32-bit images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QImage>

#include "kiwi/core/KiwiPrimitives.h"

// One run of a CLUT picture: a colour index and a pixel count (at least 1).
struct TLN_ClutRun {
    uint32_t ColorIndex = 0;
    uint32_t Length = 0;
};

// Bytes of one run unit for an image data identification: 1 for layout 1, 2 for layouts 2 and 3,
// 0 for an identification that is no CLUT layout.
int ClutUnitSize(int layout);
// The longest run a layout can store: 8, 2048 or 256 pixels (0 for an unknown layout).
int ClutMaxRun(int layout);
// Decodes the run unit at unit (ClutUnitSize(layout) bytes):
//   layout 1: byte b, colour b >> 3, length (b & 7) + 1
//   layout 2: BE word w, colour w >> 11, length (w & 0x7FF) + 1
//   layout 3: BE word w, colour w >> 8, length (w & 0xFF) + 1
TLN_ClutRun ClutRunAt(int layout, const uint8_t* unit);

// Decodes width × height pixels from runs that fill each row left to right, rows top to bottom. A run
// stops at its row's end (the next run starts the next row) and decoding stops at the image's end.
// Pixels take the colour colors[index] opaque; an index beyond colors is transparent, and so is every
// pixel whose colour equals transparentColor. Pixels the data do not reach stay transparent.
// Result: Format_ARGB32, or a null image for an unknown layout, an empty size, more than
// kMaxImagePixels pixels, or a size the data cannot hold (fewer units than rows, or fewer than
// width × height / min(longest run, width)).
QImage DecodeClutPixels(const uint8_t* data, size_t size, int layout, int width, int height,
                        const std::vector<TLN_Color>& colors, std::optional<TLN_Color> transparentColor);

// The bytes of data width × height pixels of a layout need at most (each pixel a unit of its own);
// 0 when the size is empty or past the pixel cap.
int64_t ClutDataBytesNeeded(int layout, int width, int height);
