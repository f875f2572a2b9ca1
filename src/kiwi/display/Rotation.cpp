// Rotation of points, rectangles and bitmaps for the map view.
#include "kiwi/display/Rotation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {
int32_t roundToInt32(double value) {
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    if (std::isnan(value)) return 0;
    return static_cast<int32_t>(std::lround(std::clamp(value, lowest, highest)));
}

// Exact values at multiples of a right angle, so that quarter turns move every pixel exactly.
TLN_SinCos degreesSinCos(double degrees) {
    if (std::isfinite(degrees) && std::fmod(degrees, 90.0) == 0.0) {
        static constexpr TLN_SinCos quarterTurns[4] = {{0.0, 1.0}, {1.0, 0.0}, {0.0, -1.0}, {-1.0, 0.0}};
        const double turns = std::fmod(degrees / 90.0, 4.0);
        return quarterTurns[static_cast<int>(turns < 0 ? turns + 4.0 : turns) % 4];
    }
    return SinCos(degrees * std::numbers::pi / 180.0);
}
} // namespace

TLN_SinCos SinCos(double radians) {
    return {std::sin(radians), std::cos(radians)};
}

TLN_Point RotatePoint(int32_t x, int32_t y, TLN_Point centre, double sine, double cosine) {
    const double dx = static_cast<double>(x) - centre.X;
    const double dy = static_cast<double>(y) - centre.Y;
    return {roundToInt32(dx * cosine - dy * sine + centre.X),
            roundToInt32(dx * sine + dy * cosine + centre.Y)};
}

std::array<TLN_Point, 4> RotateRectCorners(const TLN_Rect& rect, TLN_Point centre, double degrees) {
    const TLN_SinCos angle = degreesSinCos(degrees);
    return {RotatePoint(rect.Left, rect.Top, centre, angle.Sine, angle.Cosine),
            RotatePoint(rect.Right, rect.Top, centre, angle.Sine, angle.Cosine),
            RotatePoint(rect.Right, rect.Bottom, centre, angle.Sine, angle.Cosine),
            RotatePoint(rect.Left, rect.Bottom, centre, angle.Sine, angle.Cosine)};
}

TLN_Rect BoundingRect(const std::array<TLN_Point, 4>& points) {
    TLN_Rect bounds{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const TLN_Point& point : points) {
        bounds.Left = std::min(bounds.Left, point.X);
        bounds.Top = std::min(bounds.Top, point.Y);
        bounds.Right = std::max(bounds.Right, point.X);
        bounds.Bottom = std::max(bounds.Bottom, point.Y);
    }
    return bounds;
}

QImage RotateBitmap(const QImage& source, double degrees) {
    if (source.isNull() || !std::isfinite(degrees)) return {};
    const QImage pixels = source.convertToFormat(QImage::Format_RGB32);
    if (pixels.isNull()) return {};
    const int sourceWidth = pixels.width();
    const int sourceHeight = pixels.height();

    // The source rectangle turns about its top-left corner; the result covers its bounding rectangle.
    const TLN_Rect bounds =
        BoundingRect(RotateRectCorners({0, 0, sourceWidth, sourceHeight}, {0, 0}, degrees));
    const int64_t width = int64_t{bounds.Right} - bounds.Left;
    const int64_t height = int64_t{bounds.Bottom} - bounds.Top;
    if (width <= 0 || height <= 0 || width * height > kMaxRotatedBitmapPixels) return {};

    QImage result(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB888);
    if (result.isNull()) return {};
    const QRgb transparent = pixels.pixel(0, sourceHeight - 1);
    result.fill(QColor(transparent));

    // Destination pixel centres, turned back by the angle, pick their source pixel.
    const TLN_SinCos angle = degreesSinCos(degrees);
    for (int y = 0; y < result.height(); ++y) {
        uchar* line = result.scanLine(y);
        const double pointY = bounds.Top + y + 0.5;
        for (int x = 0; x < result.width(); ++x) {
            const double pointX = bounds.Left + x + 0.5;
            const double sourceX = std::floor(pointX * angle.Cosine + pointY * angle.Sine);
            const double sourceY = std::floor(pointY * angle.Cosine - pointX * angle.Sine);
            if (sourceX < 0 || sourceY < 0 || sourceX >= sourceWidth || sourceY >= sourceHeight) continue;
            const QRgb pixel = reinterpret_cast<const QRgb*>(
                pixels.constScanLine(static_cast<int>(sourceY)))[static_cast<int>(sourceX)];
            uchar* target = line + 3 * x;
            target[0] = static_cast<uchar>(qRed(pixel));
            target[1] = static_cast<uchar>(qGreen(pixel));
            target[2] = static_cast<uchar>(qBlue(pixel));
        }
    }
    return result;
}
