// The colour helpers of the flat controls: HSL conversions, lightening, the 3-D frame, the line height and
// the greyed glyph.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "widgets/flat/FlatDrawing.h"
#include "widgets/flat/HslColor.h"

namespace {

struct HslCase {
    TLN_Color color;
    int h, s, l;
};

class RgbToHslRange : public ::testing::TestWithParam<HslCase> {};

TEST_P(RgbToHslRange, GivesTheIntegerScale) {
    const HslCase c = GetParam();
    int h = -1, s = -1, l = -1;
    flat::RGBToHSLRange(c.color, h, s, l);
    EXPECT_EQ(h, c.h);
    EXPECT_EQ(s, c.s);
    EXPECT_EQ(l, c.l);
}

INSTANTIATE_TEST_SUITE_P(Colours, RgbToHslRange,
                         ::testing::Values(HslCase{0x0000FF, 0, 240, 120},   // pure red (red in the low byte)
                                           HslCase{0xFFFFFF, 0, 0, 240},     // white
                                           HslCase{0x808080, 0, 0, 120},     // grey: no saturation
                                           HslCase{0x00FF00, 80, 240, 120},  // green, a third round
                                           HslCase{0xFF0000, 159, 240, 120}, // blue, two thirds round
                                           HslCase{0x000000, 0, 0, 0}));

TEST(HslColor, MiddleGreyRoundsHalfUpToEven) {
    // 255 x 0.5 = 127.5, which rounds to the even 128.
    EXPECT_EQ(flat::HSLRangeToRGB(0, 0, 120), 0x808080u);
}

TEST(HslColor, ConversionsRoundTrip) {
    for (TLN_Color color : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0x336699u, 0xC5D6D9u, 0x8396A0u}) {
        double h = 0, s = 0, l = 0;
        flat::RGBToHSL(color, h, s, l);
        EXPECT_EQ(flat::HSLToRGB(h, s, l), color) << std::hex << color;
    }
}

struct LightenCase {
    const char* name;
    TLN_Color base, current;
    int percent;
    bool darken;
    int expectedLightness; // -1: the result must equal `current`
};

class Lighten : public ::testing::TestWithParam<LightenCase> {};

TEST_P(Lighten, MovesTheLightnessInsideItsScale) {
    const LightenCase c = GetParam();
    const TLN_Color result = flat::LightenColor(c.base, c.current, c.percent, c.darken);
    if (c.expectedLightness < 0) {
        EXPECT_EQ(result, c.current) << c.name;
        return;
    }
    int h = 0, s = 0, l = 0;
    flat::RGBToHSLRange(result, h, s, l);
    EXPECT_NEAR(l, c.expectedLightness, 1) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Lighten,
    ::testing::Values(
        // L 195, plus the 10 the function adds and the 10 asked for: lighter, never pushed down to 100.
        LightenCase{"light face", 0xC5D6D9, 0x123456, 10, false, 215},
        LightenCase{"zero keeps current", 0xC5D6D9, 0x123456, 0, false, -1},
        LightenCase{"zero keeps a system colour", 0xC5D6D9, flat::kColorBtnFace, 0, true, -1},
        LightenCase{"white stays white", 0xFFFFFF, 0, 50, false, 240},
        LightenCase{"darkening stops at black", 0x000000, 0, 50, true, 0},
        LightenCase{"darken border", 0xC5D6D9, 0, 50, true, 155}),
    [](const auto& instance) {
        std::string name = instance.param.name;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST(Lighten, LightFaceResultIsLighterThanItsBase) {
    const TLN_Color result = flat::LightenColor(0xC5D6D9, 0, 10, false);
    EXPECT_GT(flat::toQColor(result).lightness(), flat::toQColor(0xC5D6D9).lightness());
}

TEST(FontLineHeight, AddsAnEighthRoundedToEven) {
    EXPECT_EQ(flat::FontLineHeight(16), 18);
    EXPECT_EQ(flat::FontLineHeight(12), 14); // 13.5 to the even 14
    EXPECT_EQ(flat::FontLineHeight(20), 22); // 22.5 to the even 22
    EXPECT_EQ(flat::FontLineHeight(0), 0);
}

TEST(DrawFrame3D, WidthTwoDrawsTwoNestedFramesAndShrinksByTwo) {
    QImage image(10, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    flat::WinRect rect{0, 0, 10, 8};
    {
        QPainter painter(&image);
        flat::DrawFrame3D(painter, rect, Qt::red, 2, Qt::blue);
    }
    EXPECT_EQ(rect, (flat::WinRect{2, 2, 8, 6}));
    const QColor red(Qt::red), blue(Qt::blue), white(Qt::white);
    // Outer frame: the top left corner and left column are top-left, the other corners bottom-right.
    EXPECT_EQ(image.pixelColor(0, 0), red);
    EXPECT_EQ(image.pixelColor(0, 5), red);
    EXPECT_EQ(image.pixelColor(8, 0), red);
    EXPECT_EQ(image.pixelColor(9, 0), blue);
    EXPECT_EQ(image.pixelColor(0, 7), blue);
    EXPECT_EQ(image.pixelColor(9, 7), blue);
    // Inner frame one pixel in.
    EXPECT_EQ(image.pixelColor(1, 1), red);
    EXPECT_EQ(image.pixelColor(8, 1), blue);
    EXPECT_EQ(image.pixelColor(1, 6), blue);
    // Inside both frames nothing is drawn.
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 8; ++x)
            EXPECT_EQ(image.pixelColor(x, y), white) << x << "," << y;
}

TEST(MakeDisabledGlyph, ShadowOverHighlightWhereTheGlyphIsOpaque) {
    QImage glyph(4, 4, QImage::Format_RGB32);
    glyph.fill(Qt::magenta); // the transparent colour
    glyph.setPixelColor(1, 1, Qt::black);
    const QImage result =
        flat::MakeDisabledGlyph(glyph, Qt::magenta, Qt::gray, true, Qt::darkGray, Qt::white);
    EXPECT_EQ(result.pixelColor(1, 1), QColor(Qt::darkGray));
    EXPECT_EQ(result.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_EQ(result.pixelColor(0, 0), QColor(Qt::gray));
    const QImage flatResult =
        flat::MakeDisabledGlyph(glyph, Qt::magenta, Qt::gray, false, Qt::darkGray, Qt::white);
    EXPECT_EQ(flatResult.pixelColor(2, 2), QColor(Qt::gray));
}

} // namespace
