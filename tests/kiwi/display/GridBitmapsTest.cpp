// Grid and swatch pictures: sizes, where the lines and the marked cell fall, exact swatch pixels.
#include <gtest/gtest.h>

#include "kiwi/display/GridBitmaps.h"

namespace {
constexpr QRgb Grey = 0xFF808080, White = 0xFFFFFFFF, Black = 0xFF000000;

struct Pixel {
    int x, y;
    QRgb colour;
};

void expectPixels(const QImage& image, std::initializer_list<Pixel> pixels) {
    for (const auto& p : pixels)
        EXPECT_EQ(image.pixel(p.x, p.y), p.colour) << "at (" << p.x << ", " << p.y << ")";
}
} // namespace

TEST(GridBitmaps, TwoByThreeGridWithTheBottomLeftCellMarked) {
    const QImage image = MakeGridBitmap(2, 3, 0, 0);
    ASSERT_EQ(image.width(), 65);
    ASSERT_EQ(image.height(), 97);
    EXPECT_EQ(image.depth(), 32);
    expectPixels(image, {
                            // Vertical lines at 0 and 32 only: none on the right edge.
                            {0, 10, Grey},
                            {32, 10, Grey},
                            {64, 10, White},
                            {33, 10, White},
                            // Horizontal lines at 0, 32 and 64 over the full width; none at the bottom.
                            {10, 0, Grey},
                            {64, 0, Grey},
                            {10, 32, Grey},
                            {64, 64, Grey},
                            {40, 96, White},
                            // The marked cell: 32 × 32 from (0, 65) to (31, 96).
                            {1, 65, Grey},
                            {31, 96, Grey},
                            {31, 65, Grey},
                            {20, 80, Grey},
                            {33, 80, White},
                            {20, 63, White},
                            {20, 33, White},
                            {20, 20, White},
                        });
    int grey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            grey += image.pixel(x, y) == Grey;
    // 2 full-height lines, 3 full-width lines (6 crossings), the cell less its overlap with the x = 0 line.
    EXPECT_EQ(grey, 2 * 97 + 3 * 65 - 6 + 31 * 32);
}

TEST(GridBitmaps, MarkedRowsCountFromTheBottom) {
    const QImage image = MakeGridBitmap(2, 3, 1, 2);
    expectPixels(image, {{40, 1, Grey}, {63, 32, Grey}, {40, 40, White}, {10, 10, White}, {40, 80, White}});
}

TEST(GridBitmaps, MarksOutsideThePictureAreClipped) {
    const QImage outside = MakeGridBitmap(1, 1, 255, 255);
    ASSERT_EQ(outside.size(), QSize(33, 33));
    expectPixels(outside, {{16, 16, White}, {0, 16, Grey}, {16, 0, Grey}, {32, 32, White}});
    const QImage empty = MakeGridBitmap(0, 0, 0, 0);
    EXPECT_EQ(empty.size(), QSize(1, 1));
    const QImage widest = MakeFilledGridBitmap(255, 1, 254, 0);
    EXPECT_EQ(widest.size(), QSize(8161, 33));
    EXPECT_EQ(widest.pixel(254 * 32 + 5, 5), White);
    EXPECT_EQ(widest.pixel(253 * 32 + 5, 5), Grey);
}

TEST(GridBitmaps, FilledGridIsTheNegativeOfTheGrid) {
    const QImage grid = MakeGridBitmap(3, 2, 2, 1);
    const QImage filled = MakeFilledGridBitmap(3, 2, 2, 1);
    ASSERT_EQ(filled.size(), grid.size());
    EXPECT_EQ(filled.depth(), 32);
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            ASSERT_EQ(filled.pixel(x, y), grid.pixel(x, y) == Grey ? White : Grey) << x << ", " << y;
}

TEST(GridBitmaps, SwatchOutlineCoversPixelsZeroToFourteen) {
    const QImage swatch = MakeColorSwatch(0x000000FF); // red as a Windows colour
    ASSERT_EQ(swatch.size(), QSize(16, 16));
    EXPECT_EQ(swatch.depth(), 32);
    const QRgb red = qRgb(255, 0, 0);
    expectPixels(swatch, {{0, 0, Black},
                          {14, 0, Black},
                          {0, 14, Black},
                          {14, 14, Black},
                          {7, 0, Black},
                          {0, 7, Black},
                          {14, 7, Black},
                          {7, 14, Black},
                          {1, 1, red},
                          {13, 13, red},
                          {13, 1, red},
                          {7, 7, red}});
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(swatch.pixel(15, i), White) << i;
        EXPECT_EQ(swatch.pixel(i, 15), White) << i;
    }
    EXPECT_EQ(MakeColorSwatch(0x00FF8000).pixel(7, 7), qRgb(0, 0x80, 0xFF));
}
