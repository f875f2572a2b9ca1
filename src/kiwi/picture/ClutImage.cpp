// CLUT run decoding.
#include "kiwi/picture/ClutImage.h"

#include <algorithm>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/ImageLimits.h"

int ClutUnitSize(int layout) {
    switch (layout) {
    case 1:
        return 1;
    case 2:
    case 3:
        return 2;
    default:
        return 0;
    }
}

int ClutMaxRun(int layout) {
    switch (layout) {
    case 1:
        return 8;
    case 2:
        return 2048;
    case 3:
        return 256;
    default:
        return 0;
    }
}

TLN_ClutRun ClutRunAt(int layout, const uint8_t* unit) {
    switch (layout) {
    case 1:
        return {uint32_t(unit[0] >> 3), uint32_t((unit[0] & 7) + 1)};
    case 2: {
        const uint32_t w = BeCursor(unit, 2).u16(0);
        return {w >> 11, (w & 0x7FF) + 1};
    }
    case 3: {
        const uint32_t w = BeCursor(unit, 2).u16(0);
        return {w >> 8, (w & 0xFF) + 1};
    }
    default:
        return {};
    }
}

int64_t ClutDataBytesNeeded(int layout, int width, int height) {
    const int64_t pixels = int64_t(width) * height;
    if (width <= 0 || height <= 0 || pixels > kMaxImagePixels) return 0;
    return pixels * ClutUnitSize(layout);
}

QImage DecodeClutPixels(const uint8_t* data, size_t size, int layout, int width, int height,
                        const std::vector<TLN_Color>& colors, std::optional<TLN_Color> transparentColor) {
    const int unitSize = ClutUnitSize(layout);
    if (unitSize == 0 || width <= 0 || height <= 0) return {};
    const int64_t pixels = int64_t(width) * height;
    if (pixels > kMaxImagePixels) return {};
    // Each unit covers at most one row's rest, so the data bound the size before anything is allocated.
    const int64_t units = int64_t(size) / unitSize;
    const int64_t widestRun = std::min<int64_t>(ClutMaxRun(layout), width);
    if (units < height || units * widestRun < pixels) return {};

    std::vector<QRgb> lookup;
    lookup.reserve(colors.size());
    for (TLN_Color color : colors) {
        const bool transparent = transparentColor && ((color ^ *transparentColor) & 0xFFFFFF) == 0;
        lookup.push_back(
            transparent ? 0u : qRgb(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF)));
    }

    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    image.fill(0u);
    int x = 0;
    int y = 0;
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(0));
    for (int64_t u = 0; u < units && y < height; ++u) {
        const TLN_ClutRun run = ClutRunAt(layout, data + u * unitSize);
        const QRgb pixel = run.ColorIndex < lookup.size() ? lookup[run.ColorIndex] : 0u;
        const int count = int(std::min<int64_t>(run.Length, width - x));
        std::fill(line + x, line + x + count, pixel);
        x += count;
        if (x == width) {
            x = 0;
            if (++y < height) line = reinterpret_cast<QRgb*>(image.scanLine(y));
        }
    }
    return image;
}
