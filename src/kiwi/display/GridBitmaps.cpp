// Grid and swatch pictures, drawn pixel by pixel so every edge lands on an exact pixel.
#include "kiwi/display/GridBitmaps.h"

#include <algorithm>

#include "kiwi/display/WindowsColor.h"

namespace {

constexpr int CellSize = 32;
constexpr QRgb Grey = 0xFF808080;
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;

// Fills the rectangle [left, left + width) × [top, top + height), clipped to the picture.
void fillRect(QImage& image, int left, int top, int width, int height, QRgb colour) {
    const int x0 = std::max(left, 0), x1 = std::min(left + width, image.width());
    const int y0 = std::max(top, 0), y1 = std::min(top + height, image.height());
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = x0; x < x1; ++x)
            line[x] = colour;
    }
}

QImage makeGrid(int columns, int rows, int markedColumn, int markedRow, QRgb background, QRgb ink) {
    QImage image(columns * CellSize + 1, rows * CellSize + 1, QImage::Format_RGB32);
    image.fill(background);
    const int width = image.width(), height = image.height();
    for (int column = 0; column < columns; ++column)
        fillRect(image, column * CellSize, 0, 1, height, ink);
    for (int row = 0; row < rows; ++row)
        fillRect(image, 0, row * CellSize, width, 1, ink);
    fillRect(image, markedColumn * CellSize, height - markedRow * CellSize - CellSize, CellSize, CellSize,
             ink);
    return image;
}

} // namespace

QImage MakeGridBitmap(uint8_t columns, uint8_t rows, uint8_t markedColumn, uint8_t markedRow) {
    return makeGrid(columns, rows, markedColumn, markedRow, White, Grey);
}

QImage MakeFilledGridBitmap(uint8_t columns, uint8_t rows, uint8_t markedColumn, uint8_t markedRow) {
    return makeGrid(columns, rows, markedColumn, markedRow, Grey, White);
}

QImage MakeColorSwatch(TLN_Color color) {
    // The outlined square covers pixels 0..14, as a rectangle from (0, 0) to (15, 15) does when the
    // right and bottom edges are exclusive.
    constexpr int Side = 16, Square = 15;
    QImage image(Side, Side, QImage::Format_RGB32);
    image.fill(White);
    fillRect(image, 0, 0, Square, Square, Black);
    fillRect(image, 1, 1, Square - 2, Square - 2, winColor(color).rgb());
    return image;
}
