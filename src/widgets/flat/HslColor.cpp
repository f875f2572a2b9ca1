// HSL conversions; rounding is to nearest with ties to even, as the processor's default rounding.
#include "widgets/flat/HslColor.h"

#include <algorithm>
#include <cmath>

namespace flat {
namespace {

int roundChannel(double v) {
    return static_cast<int>(std::nearbyint(v));
}

TLN_Color packRgb(int r, int g, int b) {
    auto clampByte = [](int v) { return static_cast<TLN_Color>(std::clamp(v, 0, 255)); };
    return clampByte(r) | (clampByte(g) << 8) | (clampByte(b) << 16);
}

} // namespace

int HueToChannel(double hue, double m1, double m2) {
    if (hue < 0) hue += 1;
    if (hue > 1) hue -= 1;
    double v = m1;
    if (6 * hue < 1)
        v = m1 + (m2 - m1) * hue * 6;
    else if (2 * hue < 1)
        v = m2;
    else if (3 * hue < 2)
        v = m1 + (m2 - m1) * (2.0 / 3.0 - hue) * 6;
    return roundChannel(255 * v);
}

TLN_Color HSLToRGB(double h, double s, double l) {
    if (s == 0) {
        const int grey = roundChannel(255 * l);
        return packRgb(grey, grey, grey);
    }
    const double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    const double m1 = 2 * l - m2;
    return packRgb(HueToChannel(h + 1.0 / 3.0, m1, m2), HueToChannel(h, m1, m2),
                   HueToChannel(h - 1.0 / 3.0, m1, m2));
}

TLN_Color HSLRangeToRGB(int h, int s, int l) {
    return HSLToRGB(h / double(HSLRange - 1), s / double(HSLRange), l / double(HSLRange));
}

void RGBToHSL(TLN_Color color, double& h, double& s, double& l) {
    const double r = double(color & 0xFF) / 255;
    const double g = double((color >> 8) & 0xFF) / 255;
    const double b = double((color >> 16) & 0xFF) / 255;
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    l = (high + low) / 2;
    if (high == low) {
        h = 0;
        s = 0;
        return;
    }
    const double d = high - low;
    s = l < 0.5 ? d / (high + low) : d / (2 - high - low);
    if (r == high)
        h = (g - b) / d;
    else if (g == high)
        h = 2 + (b - r) / d;
    else
        h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0) h += 1;
}

void RGBToHSLRange(TLN_Color color, int& h, int& s, int& l) {
    double hd = 0, sd = 0, ld = 0;
    RGBToHSL(color, hd, sd, ld);
    h = roundChannel((HSLRange - 1) * hd);
    s = roundChannel(HSLRange * sd);
    l = roundChannel(HSLRange * ld);
}

} // namespace flat
