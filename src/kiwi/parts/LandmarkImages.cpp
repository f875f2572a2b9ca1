// Colour palettes and landmark pattern images of the parameters part.
//
// Patterns are Windows DIB rows, top row first: 1 bpp (most significant bit first) becomes Format_Mono,
// 4 bpp (high nibble first) and 8 bpp Format_Indexed8, 16 bpp (little-endian X1R5G5B5) and 32 bpp
// (B, G, R, X) Format_ARGB32. Transparency is a colour key: every pixel whose colour equals the day
// palette's entry 0 is transparent, whatever its index (colour-table alpha for indexed images).
#include "kiwi/parts/ParamManager.h"

#include <cstring>

#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

namespace {

QImage::Format formatFor(uint32_t bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return QImage::Format_Mono;
    case 4:
    case 8:
        return QImage::Format_Indexed8;
    case 16:
    case 32:
        return QImage::Format_ARGB32;
    default:
        return QImage::Format_Invalid;
    }
}

uint8_t expand5(uint32_t v) {
    return uint8_t(v << 3 | v >> 2);
}

// The colour table of an indexed image: the palette's first 2^bpp colours, padded with a grey ramp
// where the palette is shorter (or missing), key colours made transparent.
QVector<QRgb> colorTableFor(uint32_t bitsPerPixel, const QVector<QRgb>& palette, QRgb key) {
    const int size = 1 << bitsPerPixel;
    QVector<QRgb> table(size);
    for (int i = 0; i < size; ++i) {
        QRgb colour = i < palette.size()
                          ? palette[i]
                          : qRgb(i * 255 / (size - 1), i * 255 / (size - 1), i * 255 / (size - 1));
        if ((colour & 0xFFFFFF) == (key & 0xFFFFFF)) colour &= 0x00FFFFFF;
        table[i] = colour;
    }
    return table;
}

QImage decodePattern(const uint8_t* bytes, int width, int height, int64_t rowBytes, uint32_t bitsPerPixel,
                     const QVector<QRgb>& colorTable, QRgb key) {
    QImage image(width, height, formatFor(bitsPerPixel));
    if (image.isNull()) return image;
    if (bitsPerPixel <= 8) {
        image.setColorTable(colorTable);
        image.fill(0);
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bytes + rowBytes * y;
        uchar* line = image.scanLine(y);
        switch (bitsPerPixel) {
        case 1:
        case 8:
            // Qt rows are 4-byte aligned; the pattern's rows are not: copy row by row. A 1 bpp
            // pattern narrower than 8 pixels has rows of 0 bytes and stays index 0.
            if (rowBytes > 0) std::memcpy(line, row, size_t(rowBytes));
            break;
        case 4:
            for (int x = 0; x < width && x / 2 < rowBytes; ++x)
                line[x] = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
            break;
        case 16:
            for (int x = 0; x < width; ++x) {
                const uint32_t v = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
                const QRgb colour = qRgb(expand5((v >> 10) & 31), expand5((v >> 5) & 31), expand5(v & 31));
                reinterpret_cast<QRgb*>(line)[x] =
                    (colour & 0xFFFFFF) == (key & 0xFFFFFF) ? colour & 0xFFFFFF : colour;
            }
            break;
        case 32:
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = row + 4 * x;
                const QRgb colour = qRgb(p[2], p[1], p[0]);
                reinterpret_cast<QRgb*>(line)[x] =
                    (colour & 0xFFFFFF) == (key & 0xFFFFFF) ? colour & 0xFFFFFF : colour;
            }
            break;
        }
    }
    return image;
}

} // namespace

QVector<QRgb> TLN_ParamManager::CreateColorPalette(int paletteNumber, int colorCount,
                                                   int64_t tablePosition) const {
    if (paletteNumber < 0 || colorCount <= 0 || colorCount > 0xFFFF || tablePosition < 0) return {};
    const int64_t start = tablePosition + 4 * int64_t(colorCount) * paletteNumber;
    const int64_t bytes = 4 * int64_t(colorCount);
    if (start + bytes > stream_->Size()) return {};
    std::vector<uint8_t> raw(static_cast<size_t>(bytes));
    if (bounded::readInto(*stream_, start, raw.data(), bytes) != bytes) return {};
    QVector<QRgb> palette(colorCount);
    for (int j = 0; j < colorCount; ++j)
        palette[j] = qRgb(raw[4 * j + 1], raw[4 * j + 2], raw[4 * j + 3]);
    return palette;
}

TLN_LandmarkImageList TLN_ParamManager::LoadLandmarkImages(const TLN_DrawingParamHeader& frame,
                                                           const TLN_LandmarkPatternTable& table) const {
    TLN_LandmarkImageList list;
    if (table.FormatFlag > 1 || formatFor(table.BitsPerPixel) == QImage::Format_Invalid) return list;
    const int width = table.SizeX;
    const int height = table.SizeY;
    const int64_t pixels = int64_t(width) * height;
    if (pixels == 0 || pixels > kMaxPixelsPerImage) return list;

    // The day palette, only when its number names a palette of the table.
    QVector<QRgb> palette;
    if (table.DayPalette < frame.NumberOfPalettes)
        palette =
            CreateColorPalette(table.DayPalette, frame.ColorsPerPalette, frame.ColorPaletteTablePosition);
    list.HasPalette = !palette.isEmpty();
    list.TransparentColor = list.HasPalette ? palette[0] : qRgb(0, 0, 0);
    const QVector<QRgb> colorTable = table.BitsPerPixel <= 8
                                         ? colorTableFor(table.BitsPerPixel, palette, list.TransparentColor)
                                         : QVector<QRgb>();

    const int64_t rowBytes = table.BytesPerRow();
    const int64_t readBytes = rowBytes * height; // never more than the pattern size
    const int64_t streamSize = stream_->Size();
    std::vector<uint8_t> buffer(static_cast<size_t>(readBytes));
    int64_t totalPixels = 0;
    for (const TLN_LandmarkPattern& pattern : table.Patterns) {
        const std::string what = "landmark pattern " + std::to_string(list.Images.size());
        if (totalPixels + pixels > kMaxPixelsPerList) {
            list.Truncated = true;
            list.Error = what + ": more pixels than a pattern list may hold";
            break;
        }
        if (pattern.Position < 0 || pattern.Position + readBytes > streamSize) {
            list.Truncated = true;
            list.Error = whole::Reason(*stream_, what, pattern.Position, readBytes,
                                       std::clamp<int64_t>(streamSize - pattern.Position, 0, readBytes));
            break;
        }
        if (readBytes > 0) {
            const int64_t delivered = bounded::readInto(*stream_, pattern.Position, buffer.data(), readBytes);
            if (delivered != readBytes) {
                list.Truncated = true;
                list.Error = whole::Reason(*stream_, what, pattern.Position, readBytes, delivered);
                break;
            }
        }
        QImage image = decodePattern(buffer.data(), width, height, rowBytes, table.BitsPerPixel, colorTable,
                                     list.TransparentColor);
        if (image.isNull()) {
            list.Truncated = true;
            break;
        }
        list.Images.append(image);
        list.Identifiers.append(pattern.Identifier);
        totalPixels += pixels;
    }
    if (table.Patterns.size() < table.NumberOfPatterns) {
        list.Truncated = true;
        if (list.Error.empty())
            list.Error = "Number of Landmark Patterns " + std::to_string(table.NumberOfPatterns) +
                         ", the file holds " + std::to_string(table.Patterns.size()) + " of their entries";
    }
    return list;
}
