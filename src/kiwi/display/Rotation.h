// Geometry for the map view: rotating points, rectangles and bitmaps.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>

#include "kiwi/core/KiwiPrimitives.h"

struct TLN_SinCos {
    double Sine = 0.0;
    double Cosine = 1.0;
};

TLN_SinCos SinCos(double radians);
// Rotates (x, y) about centre; results are rounded to the nearest integer, halves away from zero, and held
// to the 32-bit range. With y growing downwards a positive angle turns clockwise.
TLN_Point RotatePoint(int32_t x, int32_t y, TLN_Point centre, double sine, double cosine);
// The corners (left, top), (right, top), (right, bottom), (left, bottom), rotated about centre.
std::array<TLN_Point, 4> RotateRectCorners(const TLN_Rect& rect, TLN_Point centre, double degrees);
// (smallest x, smallest y, largest x, largest y) of the four points.
TLN_Rect BoundingRect(const std::array<TLN_Point, 4>& points);

// Pictures whose rotation would hold more pixels than this are refused (RotateBitmap gives a null image).
inline constexpr int64_t kMaxRotatedBitmapPixels = int64_t{64} << 20;

// A new 24-bit picture as large as the bounding rectangle of the rotated source. It is first filled with
// the source's transparent colour (its bottom-left pixel); each pixel then takes the nearest source pixel
// that the reverse rotation of its centre lands on. A null source, an angle that is not finite or a
// result past kMaxRotatedBitmapPixels gives a null image.
QImage RotateBitmap(const QImage& source, double degrees);
