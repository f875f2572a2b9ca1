// Rotation of points, rectangles and bitmaps.
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

#include "kiwi/display/KiwiBitmaps.h"
#include "kiwi/display/Rotation.h"

TEST(Rotation, RotatePoint) {
    const double diagonal = std::sqrt(0.5);
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    constexpr int32_t least = std::numeric_limits<int32_t>::min();
    struct Case {
        int32_t x, y;
        TLN_Point centre;
        double sine, cosine;
        TLN_Point expected;
    };
    const Case cases[] = {
        {10, 0, {0, 0}, 1, 0, {0, 10}},              // a quarter turn: clockwise with y downwards
        {10, 5, {5, 5}, 0, -1, {0, 5}},              // half a turn about the centre
        {3, 4, {0, 0}, diagonal, diagonal, {-1, 5}}, // -0.71 and 4.95 round to the nearest
        {1, 0, {0, 0}, 0, 0.5, {1, 0}},              // halves round away from zero
        {-1, 0, {0, 0}, 0, 0.5, {-1, 0}},
        {least, 0, {most, 0}, 0, -1, {most, 0}}, // held to the 32-bit range
        {most, 0, {least, 0}, 0, -1, {least, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RotatePoint(c.x, c.y, c.centre, c.sine, c.cosine), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(RotatePoint(5, 5, {0, 0}, std::nan(""), 1), (TLN_Point{0, 0})); // no undefined conversion
}

TEST(Rotation, SinCosAndCorners) {
    const TLN_SinCos angle = SinCos(std::numbers::pi / 6);
    EXPECT_NEAR(angle.Sine, 0.5, 1e-12);
    EXPECT_NEAR(angle.Cosine, std::sqrt(3.0) / 2, 1e-12);

    const std::array<TLN_Point, 4> quarter = RotateRectCorners({0, 0, 4, 2}, {0, 0}, 90);
    EXPECT_EQ(quarter, (std::array<TLN_Point, 4>{{{0, 0}, {0, 4}, {-2, 4}, {-2, 0}}}));
    const std::array<TLN_Point, 4> half = RotateRectCorners({0, 0, 4, 2}, {2, 1}, 180);
    EXPECT_EQ(half, (std::array<TLN_Point, 4>{{{4, 2}, {0, 2}, {0, 0}, {4, 0}}}));
    EXPECT_EQ(RotateRectCorners({1, 2, 3, 4}, {7, 7}, 0),
              (std::array<TLN_Point, 4>{{{1, 2}, {3, 2}, {3, 4}, {1, 4}}}));
}

TEST(Rotation, BoundingRect) {
    struct Case {
        std::array<TLN_Point, 4> points;
        TLN_Rect expected;
    };
    const Case cases[] = {
        {{{{3, -2}, {-1, 4}, {0, 0}, {7, 1}}}, {-1, -2, 7, 4}},
        {{{{5, 5}, {5, 5}, {5, 5}, {5, 5}}}, {5, 5, 5, 5}},
        {{{{0, 0}, {0, 4}, {-2, 4}, {-2, 0}}}, {-2, 0, 0, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BoundingRect(c.points), c.expected);
}

namespace {
// A 4 × 2 picture with a different colour in every pixel: A B C G over D E F H.
const QRgb A = qRgb(255, 0, 0), B = qRgb(0, 255, 0), C = qRgb(0, 0, 255), G = qRgb(255, 255, 0);
const QRgb D = qRgb(10, 20, 30), E = qRgb(0, 255, 255), F = qRgb(255, 0, 255), H = qRgb(128, 128, 128);

QImage asymmetricPicture() {
    QImage image(4, 2, QImage::Format_ARGB32);
    const QRgb pixels[2][4] = {{A, B, C, G}, {D, E, F, H}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, pixels[y][x]);
    return image;
}

// Every pixel of a picture, row by row.
std::vector<QRgb> pixelsOf(const QImage& image) {
    std::vector<QRgb> result;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            result.push_back(image.pixel(x, y) | 0xFF000000u);
    return result;
}
} // namespace

TEST(RotateBitmap, QuarterTurnsMoveEveryPixelExactly) {
    const QImage source = asymmetricPicture();
    struct Case {
        double degrees;
        int width, height;
        std::vector<QRgb> pixels;
    };
    const Case cases[] = {
        {0, 4, 2, {A, B, C, G, D, E, F, H}},   {90, 2, 4, {D, A, E, B, F, C, H, G}},
        {180, 4, 2, {H, F, E, D, G, C, B, A}}, {270, 2, 4, {G, H, C, F, B, E, A, D}},
        {-90, 2, 4, {G, H, C, F, B, E, A, D}}, {450, 2, 4, {D, A, E, B, F, C, H, G}},
        {360, 4, 2, {A, B, C, G, D, E, F, H}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        const QImage rotated = RotateBitmap(source, c.degrees);
        EXPECT_EQ(rotated.format(), QImage::Format_RGB888);
        EXPECT_EQ(rotated.depth(), 24);
        ASSERT_EQ(rotated.size(), QSize(c.width, c.height));
        EXPECT_EQ(pixelsOf(rotated), c.pixels);
    }
}

TEST(RotateBitmap, FreeAnglesFillTheCornersWithTheTransparentColour) {
    const QImage rotated = RotateBitmap(asymmetricPicture(), 45);
    ASSERT_EQ(rotated.size(), QSize(4, 4));
    EXPECT_EQ(rotated.pixel(1, 1), B);
    EXPECT_EQ(rotated.pixel(2, 2), C);
    EXPECT_EQ(rotated.pixel(1, 2), F);
    EXPECT_EQ(rotated.pixel(3, 0), D); // outside the source: the bottom-left colour
    EXPECT_EQ(rotated.pixel(1, 3), D);
}

TEST(RotateBitmap, RefusesWhatItCannotRotate) {
    EXPECT_TRUE(RotateBitmap(QImage(), 90).isNull());
    EXPECT_TRUE(RotateBitmap(asymmetricPicture(), std::nan("")).isNull());
    EXPECT_TRUE(RotateBitmap(asymmetricPicture(), std::numeric_limits<double>::infinity()).isNull());
    QImage line(16000, 1, QImage::Format_RGB32);
    line.fill(Qt::white);
    EXPECT_EQ(RotateBitmap(line, 90).size(), QSize(1, 16000));
    EXPECT_TRUE(RotateBitmap(line, 45).isNull()); // its bounding square would pass the pixel limit
    const QImage single = RotateBitmap(QImage(1, 1, QImage::Format_RGB32), 45);
    EXPECT_FALSE(single.isNull());
}

// The map view draws the one-way arrow rotated and leaves out the transparent colour: the arrow must stay
// apart from that colour, also where the resource image marked it transparent.
TEST(RotateBitmap, OneWayArrowStaysApartFromItsTransparentColour) {
    const QImage arrow = KiwiBitmap("ONEWAYBMP");
    ASSERT_FALSE(arrow.isNull());
    int arrowPixels = 0;
    for (int y = 0; y < arrow.height(); ++y)
        for (int x = 0; x < arrow.width(); ++x)
            arrowPixels += qAlpha(arrow.pixel(x, y)) != 0;
    ASSERT_GT(arrowPixels, 0);
    for (double degrees : {0.0, 90.0, 180.0, 270.0}) {
        SCOPED_TRACE(degrees);
        const QImage rotated = RotateBitmap(arrow, degrees);
        ASSERT_FALSE(rotated.isNull());
        const QRgb transparent = rotated.pixel(0, 0);
        int differing = 0;
        for (int y = 0; y < rotated.height(); ++y)
            for (int x = 0; x < rotated.width(); ++x)
                differing += rotated.pixel(x, y) != transparent;
        EXPECT_EQ(differing, arrowPixels);
    }
}
