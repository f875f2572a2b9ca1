// Background and element styles, road palettes and Windows colours.
#include <gtest/gtest.h>

#include "kiwi/display/BackgroundStyles.h"
#include "kiwi/display/RoadPalettes.h"
#include "kiwi/display/WindowsColor.h"

TEST(BackgroundStyles, FirstMatchingRowWins) {
    EXPECT_EQ(BackgroundTypeCodeStyles.size(), 53u);
    EXPECT_EQ(BackgroundStyleIndex(61489), 49);
    EXPECT_EQ(BackgroundTypeName(61489), "VeryVeryHighMountans");
    EXPECT_EQ(BackgroundStyleIndex(257), 1);
    EXPECT_EQ(BackgroundStyleIndex(61551), 51);
    EXPECT_EQ(BackgroundStyleIndex(0), 0);
    EXPECT_EQ(BackgroundStyleIndex(12345), 0);
    EXPECT_EQ(BackgroundStyleIndex(0xFFFFFFFF), 0);
}

TEST(BackgroundStyles, UnknownCodeGetsTheUnknownStyle) {
    TLN_CanvasStyle canvas;
    canvas.BrushKind = TLN_BrushKind::BitmapPattern;
    canvas.BrushBitmap = "VIOLETBMP";
    canvas.PenKind = TLN_PenKind::Dot;
    canvas.PenWidth = 7;
    EXPECT_FALSE(ApplyBackgroundStyle(12345, canvas));
    const TLN_CanvasStyle unknown{0x9FFF9F, TLN_BrushKind::Solid, {}, 0x9FFF9F, TLN_PenKind::Solid, 1};
    EXPECT_EQ(canvas, unknown);
    EXPECT_EQ(BackgroundTypeName(12345), "Unknown");
}

TEST(BackgroundStyles, BuildingRangeStylesAsBuildingButKeepsItsName) {
    for (uint32_t code : {28693u, 28700u, 28719u}) {
        SCOPED_TRACE(code);
        TLN_CanvasStyle canvas;
        EXPECT_TRUE(ApplyBackgroundStyle(code, canvas));
        EXPECT_EQ(canvas.BrushColor, 0xE0D1EDu);
        EXPECT_EQ(canvas.PenColor, 0xE0D1EDu);
    }
    EXPECT_EQ(BackgroundTypeName(28700), "Unknown");
    EXPECT_EQ(BackgroundTypeName(28704), "Building");
    // A code of the range with a row of its own is still styled as 28704; the neighbours are not.
    TLN_CanvasStyle canvas;
    EXPECT_TRUE(ApplyBackgroundStyle(28696, canvas));
    EXPECT_EQ(canvas.BrushColor, 0xE0D1EDu);
    EXPECT_EQ(BackgroundTypeName(28696), "Building");
    EXPECT_FALSE(ApplyBackgroundStyle(28692, canvas));
    EXPECT_FALSE(ApplyBackgroundStyle(28720, canvas));
}

TEST(BackgroundStyles, HatchDashAndDotRowsKeepTheirKindsAtEveryWidth) {
    TLN_CanvasStyle canvas;
    EXPECT_TRUE(ApplyBackgroundStyle(578, canvas)); // "Railway"
    EXPECT_EQ(canvas.BrushColor, 0xFFFFFFu);
    EXPECT_EQ(canvas.PenKind, TLN_PenKind::Dash);
    EXPECT_EQ(canvas.PenWidth, 4);
    EXPECT_EQ(canvas.PenColor, 0x000000u);
    EXPECT_TRUE(ApplyBackgroundStyle(608, canvas)); // "Passenger Station"
    EXPECT_EQ(canvas.BrushKind, TLN_BrushKind::VerticalHatch);
    EXPECT_EQ(canvas.PenKind, TLN_PenKind::Dot);
    EXPECT_EQ(canvas.PenWidth, 2);
    EXPECT_TRUE(ApplyBackgroundStyle(528, canvas)); // "Road type 0"
    EXPECT_EQ(canvas, (TLN_CanvasStyle{0x5769E8, TLN_BrushKind::Solid, {}, 0x5769E8, TLN_PenKind::Solid, 4}));
}

TEST(ElementStyles, KindsAndTheGreyDefault) {
    const TLN_CanvasStyle grey{0x808080, TLN_BrushKind::Solid, {}, 0x808080, TLN_PenKind::Solid, 1};
    for (int kind : {20, 0, 31, -1, 1000}) {
        TLN_CanvasStyle canvas{0x123456, TLN_BrushKind::VerticalHatch, {}, 0x654321, TLN_PenKind::Dash, 9};
        ApplyElementStyle(kind, canvas);
        EXPECT_EQ(canvas, grey) << kind;
    }
    TLN_CanvasStyle canvas;
    ApplyElementStyle(16, canvas);
    EXPECT_EQ(canvas, (TLN_CanvasStyle{0x5769E8, TLN_BrushKind::Solid, {}, 0x5769E8, TLN_PenKind::Solid, 3}));
    ApplyElementStyle(21, canvas);
    EXPECT_EQ(canvas.BrushKind, TLN_BrushKind::BitmapPattern);
    EXPECT_EQ(canvas.BrushBitmap, "VIOLETBMP");
    EXPECT_EQ(canvas.PenColor, 0xC0C0C0u);
    ApplyElementStyle(23, canvas); // a solid brush drops the pattern
    EXPECT_EQ(canvas, (TLN_CanvasStyle{0xFFFFFF, TLN_BrushKind::Solid, {}, 0x000000, TLN_PenKind::Solid, 2}));
}

TEST(ElementStyles, KindTwentyFiveKeepsTheBrushStyle) {
    TLN_CanvasStyle canvas;
    ApplyBackgroundStyle(608, canvas); // vertical hatch, dotted pen
    ApplyElementStyle(25, canvas);
    EXPECT_EQ(canvas,
              (TLN_CanvasStyle{0xE5E5E5, TLN_BrushKind::VerticalHatch, {}, 0xC0C0C0, TLN_PenKind::Solid, 1}));
    ApplyElementStyle(21, canvas);
    ApplyElementStyle(25, canvas);
    EXPECT_EQ(canvas.BrushKind, TLN_BrushKind::BitmapPattern);
    EXPECT_EQ(canvas.BrushBitmap, "VIOLETBMP");
    EXPECT_EQ(canvas.BrushColor, 0xE5E5E5u);
}

TEST(RoadPalettes, SpotValues) {
    EXPECT_EQ(StartRoadPalette[3], 0x5769E8u);
    EXPECT_EQ(StartRoadPalette[5], 0x67B6F5u);
    EXPECT_EQ(StartRoadPalette[7], 0x808080u);
    EXPECT_EQ(AisinRoadPalette[5], 0x2D52FFu);
    EXPECT_EQ(AisinRoadPalette[7], 0x13E7ECu);
    EXPECT_EQ(DensoRoadPalette[3], 0x9224FFu);
    EXPECT_EQ(DensoRoadPalette[6], 0xF9D300u);
    for (const TLN_RoadPalette* palette : {&StartRoadPalette, &AisinRoadPalette, &DensoRoadPalette}) {
        EXPECT_EQ((*palette)[0], 0x0000FFu);
        EXPECT_EQ((*palette)[8], 0xBEBEBEu);
        EXPECT_EQ((*palette)[15], 0xC6C600u);
    }
}

TEST(RoadPalettes, RoadClassesPastThePaletteTakeClassZero) {
    EXPECT_EQ(RoadClassColor(DensoRoadPalette, 5), 0xEBDA01u);
    EXPECT_EQ(RoadClassColor(DensoRoadPalette, 15), 0xC6C600u);
    for (int64_t roadClass : {int64_t{16}, int64_t{255}, int64_t{-1}})
        EXPECT_EQ(RoadClassColor(DensoRoadPalette, roadClass), 0x0000FFu) << roadClass;
}

TEST(WindowsColors, RedSitsInTheLowByte) {
    EXPECT_EQ(winColor(0x5769E8), QColor(0xE8, 0x69, 0x57));
    EXPECT_EQ(winColor(0x0000FF), QColor(Qt::red));
    EXPECT_EQ(winColor(0xFF000000u | 0xFF0000), QColor(Qt::blue)); // the top byte is ignored
}
