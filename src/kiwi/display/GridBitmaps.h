// Small pictures built on demand: the parcel grid of the map tab with one marked cell, and the colour
// swatches of the road-colour menu.
#pragma once

#include <QImage>
#include <cstdint>

#include "kiwi/core/KiwiPrimitives.h"

// A white picture of columns × 32 + 1 by rows × 32 + 1 pixels (32 bits per pixel) with grey (0x808080)
// lines at x = 0, 32, …, (columns − 1) × 32 and y = 0, 32, …, (rows − 1) × 32, and the 32 × 32 cell of
// markedColumn and markedRow filled grey. Marked rows count from the bottom: row 0 is the lowest cell,
// at y = height − 32. A mark outside the picture is clipped.
QImage MakeGridBitmap(uint8_t columns, uint8_t rows, uint8_t markedColumn, uint8_t markedRow);

// The same picture in reverse: all grey, white lines and a white marked cell.
QImage MakeFilledGridBitmap(uint8_t columns, uint8_t rows, uint8_t markedColumn, uint8_t markedRow);

// A 16 × 16 swatch of a Windows colour (0x00BBGGRR): a black outline around the square of pixels
// 0..14, filled with the colour inside; the last row and column stay white.
QImage MakeColorSwatch(TLN_Color color);
