// CLUT run encoding of bitmaps.
#include "kiwi/display/ClutEncoder.h"

#include <cstdlib>
#include <unordered_map>

#include "kiwi/display/PaletteResources.h"

TLN_CLUTEncoding CLUTEncodingForPalette(const std::string& paletteName) {
    if (paletteName == "PAL_ET4") return {2, 255};
    if (paletteName == "PAL_ETO" || paletteName == "PAL_ETG") return {3, 7};
    return {};
}

namespace {
int nearestColor(QRgb pixel, const std::vector<TLN_Color>& palette) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        const TLN_Color c = palette[i];
        const int distance = std::abs(qRed(pixel) - int(c & 0xFF)) +
                             std::abs(qGreen(pixel) - int(c >> 8 & 0xFF)) +
                             std::abs(qBlue(pixel) - int(c >> 16 & 0xFF));
        if (distance < bestDistance) {
            best = int(i);
            bestDistance = distance;
        }
    }
    return best;
}

void appendRun(std::vector<uint8_t>& out, int layout, int index, int length) {
    const uint32_t shift = layout == 2 ? 11 : 8;
    const uint32_t word = uint32_t(index) << shift | uint32_t(length - 1);
    out.push_back(uint8_t(word >> 8));
    out.push_back(uint8_t(word));
}
} // namespace

std::vector<uint8_t> CopyBitmapAsCLUTData(const QImage& bitmap, const std::string& paletteName) {
    const TLN_CLUTEncoding encoding = CLUTEncodingForPalette(paletteName);
    TLN_Color_Table palette;
    if (bitmap.isNull() || encoding.Layout == 0 || !LoadPaletteResource(paletteName, palette) ||
        palette.Colors.empty())
        return {};
    const QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
    std::unordered_map<QRgb, int> nearest;
    std::vector<uint8_t> out;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int runIndex = -1;
        int runLength = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = line[x] | 0xFF000000u;
            auto it = nearest.find(rgb);
            if (it == nearest.end()) it = nearest.emplace(rgb, nearestColor(rgb, palette.Colors)).first;
            if (it->second == runIndex && runLength < encoding.MaxRun) {
                ++runLength;
                continue;
            }
            if (runLength > 0) appendRun(out, encoding.Layout, runIndex, runLength);
            runIndex = it->second;
            runLength = 1;
        }
        if (runLength > 0) appendRun(out, encoding.Layout, runIndex, runLength);
    }
    return out;
}
