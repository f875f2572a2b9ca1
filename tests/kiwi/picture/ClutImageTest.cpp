// CLUT run layouts and decoding: run units, rows, image ends, bad indices and size bounds.
#include <gtest/gtest.h>

#include "kiwi/core/ImageLimits.h"
#include "kiwi/picture/ClutImage.h"
#include "support/fixtures/PictureFixture.h"

namespace {
const std::vector<TLN_Color> kColors = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000}; // black, red, green, blue

QRgb argb(TLN_Color c) {
    return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}
} // namespace

TEST(ClutImage, RunUnitsOfEachLayout) {
    struct Case {
        int layout;
        std::vector<uint8_t> unit;
        uint32_t color, length;
    } cases[] = {
        {1, {0x00}, 0, 1},       {1, {0xFF}, 31, 8},          {1, {0x1A}, 3, 3},
        {2, {0x28, 0x03}, 5, 4}, {2, {0xFF, 0xFF}, 31, 2048}, {2, {0x00, 0x00}, 0, 1},
        {3, {0x05, 0x02}, 5, 3}, {3, {0xFF, 0xFF}, 255, 256},
    };
    for (const Case& c : cases) {
        const TLN_ClutRun run = ClutRunAt(c.layout, c.unit.data());
        EXPECT_EQ(run.ColorIndex, c.color) << "layout " << c.layout;
        EXPECT_EQ(run.Length, c.length) << "layout " << c.layout;
    }
    EXPECT_EQ(ClutUnitSize(0), 0);
    EXPECT_EQ(ClutUnitSize(4), 0);
    EXPECT_EQ(ClutMaxRun(7), 0);
}

TEST(ClutImage, LayoutTwoWord2803PaintsFourPixelsOfColourFive) {
    std::vector<TLN_Color> colors(6, 0x111111);
    colors[5] = 0x00AA00;
    const uint8_t data[] = {0x28, 0x03};
    const QImage image = DecodeClutPixels(data, 2, 2, 4, 1, colors, std::nullopt);
    ASSERT_FALSE(image.isNull());
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(image.pixel(x, 0), argb(0x00AA00));
}

TEST(ClutImage, RunsStopAtTheRowEndAndTheImageEnd) {
    // Layout 3: a run of 10 in a row of 3, then a run of 2 (one pixel left uncovered), then runs after
    // the last row that must not be painted anywhere.
    const std::vector<uint8_t> data = {0x01, 0x09, 0x02, 0x01, 0x03, 0xFF, 0x03, 0xFF};
    const QImage image = DecodeClutPixels(data.data(), data.size(), 3, 3, 2, kColors, std::nullopt);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(image.pixel(2, 0), argb(kColors[1]));
    EXPECT_EQ(image.pixel(0, 1), argb(kColors[2]));
    EXPECT_EQ(image.pixel(1, 1), argb(kColors[2]));
    EXPECT_EQ(image.pixel(2, 1), argb(kColors[3])); // the third run starts on the second row's rest
}

TEST(ClutImage, BadIndexAndKeyColourAreTransparent) {
    const std::vector<uint8_t> data = fixture::clutRuns(1, 4, 1, {0, 9, 2, 3});
    const QImage image = DecodeClutPixels(data.data(), data.size(), 1, 4, 1, kColors, TLN_Color(0x00FF00));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), argb(kColors[0]));
    EXPECT_EQ(image.pixel(1, 0), 0u);
    EXPECT_EQ(image.pixel(2, 0), 0u);
    EXPECT_EQ(image.pixel(3, 0), argb(kColors[3]));
}

TEST(ClutImage, SizesTheDataCannotHoldGiveNoImage) {
    const std::vector<uint8_t> two = {0xFF, 0xFF};
    struct Case {
        const char* what;
        int layout, width, height;
        size_t bytes;
    } cases[] = {
        {"unknown layout", 4, 1, 1, 2},
        {"empty width", 1, 0, 1, 2},
        {"empty height", 1, 1, 0, 2},
        {"negative width", 1, -5, 1, 2},
        {"fewer units than rows", 1, 1, 3, 2},
        {"rows wider than the runs", 2, 4097, 1, 2},
        {"over the pixel cap", 2, 65535, 65535, 2},
        {"half a unit", 2, 1, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(DecodeClutPixels(two.data(), c.bytes, c.layout, c.width, c.height, kColors, std::nullopt)
                        .isNull())
            << c.what;
    EXPECT_EQ(ClutDataBytesNeeded(2, 65535, 65535), 0);
    EXPECT_EQ(ClutDataBytesNeeded(2, 4096, 4096), int64_t(4096) * 4096 * 2);
    EXPECT_EQ(int64_t(4096) * 4096, kMaxImagePixels);
}

TEST(ClutImage, FixtureEncodingsRoundTripInEveryLayout) {
    for (int layout = 1; layout <= 3; ++layout) {
        const int width = 40, height = 3;
        std::vector<int> indices;
        for (int i = 0; i < width * height; ++i)
            indices.push_back((i / 11) % 4);
        const auto data = fixture::clutRuns(layout, width, height, indices);
        const QImage image =
            DecodeClutPixels(data.data(), data.size(), layout, width, height, kColors, std::nullopt);
        std::vector<uint32_t> rgb;
        for (TLN_Color c : kColors)
            rgb.push_back((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF));
        EXPECT_EQ(image, fixture::expectedImage(width, height, indices, rgb)) << "layout " << layout;
    }
}
