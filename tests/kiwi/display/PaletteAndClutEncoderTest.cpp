// Palette resources in the palette form, ReadPaletteStream, and bitmaps copied as CLUT data.
#include <gtest/gtest.h>

#include "kiwi/display/ClutEncoder.h"
#include "kiwi/display/PaletteResources.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/picture/ClutImage.h"
#include "support/fixtures/FixtureWriter.h"

namespace {
std::vector<uint16_t> words(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        out.push_back(uint16_t(bytes[i] << 8 | bytes[i + 1]));
    return out;
}

QImage row(std::initializer_list<QRgb> pixels) {
    QImage image(int(pixels.size()), 1, QImage::Format_ARGB32);
    int x = 0;
    for (QRgb p : pixels)
        image.setPixel(x++, 0, p);
    return image;
}
} // namespace

TEST(PaletteResources, SizesAndForm) {
    struct Case {
        const char* name;
        size_t bytes;
        int colours;
    } cases[] = {{"PAL_ETO", 1030, 256}, {"PAL_ETG", 1030, 256}, {"PAL_ET4", 134, 32}};
    for (const Case& c : cases) {
        const auto bytes = PaletteResourceBytes(c.name);
        ASSERT_EQ(bytes.size(), c.bytes) << c.name;
        EXPECT_EQ(bytes[4] << 8 | bytes[5], c.colours) << c.name;
        TLN_Color_Table table;
        ASSERT_TRUE(LoadPaletteResource(c.name, table));
        EXPECT_EQ(int(table.Colors.size()), c.colours);
        EXPECT_FALSE(table.HasTransparentColor());
    }
    EXPECT_TRUE(PaletteResourceBytes("PAL_XYZ").empty());
    TLN_Color_Table table;
    EXPECT_FALSE(LoadPaletteResource("pal_eto", table));

    ASSERT_TRUE(LoadPaletteResource("PAL_ETO", table));
    EXPECT_EQ(table.Colors[0], 0x000000u);
    EXPECT_EQ(table.Colors[5 * 42], 0x0000FFu);    // pure red: red step 5, green 0, blue 0
    EXPECT_EQ(table.Colors[6 * 6 + 5], 0xFFFF00u); // cyan: green step 6, blue step 5
    EXPECT_EQ(table.Colors[3 * 6], 0x008000u);     // green step 3 = 128
    EXPECT_EQ(table.Colors[251], 0xFFFFFFu);
    EXPECT_EQ(table.Colors[252], 0x333333u);
    EXPECT_EQ(table.Colors[255], 0xCCCCCCu);
    ASSERT_TRUE(LoadPaletteResource("PAL_ETG", table));
    EXPECT_EQ(table.Colors[0x7F], 0x7F7F7Fu);
    ASSERT_TRUE(LoadPaletteResource("PAL_ET4", table));
    EXPECT_EQ(table.Colors[9], 0x0000FFu);  // red
    EXPECT_EQ(table.Colors[12], 0xFF0000u); // blue
    EXPECT_EQ(table.Colors[31], 0xF8F8F8u);
}

TEST(PaletteResources, ReadPaletteStreamAtAPositionIsBoundedByTheStream) {
    fixture::ByteWriter w;
    w.fill(5).u16(7).u16(3).u16(1000).u8(1).u8(2).u8(3).u8(0).u8(4).u8(5).u8(6);
    TLN_MemoryStream stream(w.take());
    TLN_Color_Table table;
    ASSERT_TRUE(ReadPaletteStream(stream, table, 5));
    EXPECT_EQ(table.ClearColorCode, 7);
    EXPECT_EQ(table.TransparentColorCode, 3);
    EXPECT_EQ(table.ColorCount, 1000);
    EXPECT_EQ(table.Colors, std::vector<TLN_Color>{0x030201});
    EXPECT_TRUE(table.Truncated);
    EXPECT_FALSE(ReadPaletteStream(stream, table, 14)); // fewer than 6 bytes left
    EXPECT_FALSE(ReadPaletteStream(stream, table, -1));
}

TEST(ClutEncoder, RunsPerPaletteAndRow) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    // "PAL_ET4": layout 2 words, red = 9, blue = 12.
    EXPECT_EQ(words(CopyBitmapAsCLUTData(row({red, red, blue}), "PAL_ET4")),
              (std::vector<uint16_t>{0x4801, 0x6000}));
    QImage wide(300, 1, QImage::Format_RGB32);
    wide.fill(red);
    EXPECT_EQ(words(CopyBitmapAsCLUTData(wide, "PAL_ET4")), (std::vector<uint16_t>{0x48FE, 0x482C}));
    // 256-colour palettes: layout 3 words, runs of at most 7; red is entry 210 of "PAL_ETO".
    QImage ten(10, 1, QImage::Format_RGB32);
    ten.fill(red);
    EXPECT_EQ(words(CopyBitmapAsCLUTData(ten, "PAL_ETO")), (std::vector<uint16_t>{0xD206, 0xD202}));
    // Runs never cross a row end.
    QImage square(2, 2, QImage::Format_RGB32);
    square.fill(red);
    EXPECT_EQ(words(CopyBitmapAsCLUTData(square, "PAL_ET4")), (std::vector<uint16_t>{0x4801, 0x4801}));
    EXPECT_EQ(CLUTEncodingForPalette("PAL_ETG").Layout, 3);
    EXPECT_EQ(CLUTEncodingForPalette("PAL_ET4").MaxRun, 255);
}

TEST(ClutEncoder, NearestColourFirstOnTiesAlphaIgnored) {
    // (4, 4, 4) is 12 from black (entry 0) and from grey 8 (entry 16): the first wins.
    EXPECT_EQ(words(CopyBitmapAsCLUTData(row({qRgb(4, 4, 4)}), "PAL_ET4")), std::vector<uint16_t>{0x0000});
    EXPECT_EQ(words(CopyBitmapAsCLUTData(row({qRgb(5, 5, 5)}), "PAL_ET4")), std::vector<uint16_t>{16 << 11});
    EXPECT_EQ(words(CopyBitmapAsCLUTData(row({qRgb(14, 15, 16)}), "PAL_ETG")),
              std::vector<uint16_t>{15 << 8});
    EXPECT_EQ(words(CopyBitmapAsCLUTData(row({qRgba(255, 0, 0, 0)}), "PAL_ET4")),
              std::vector<uint16_t>{0x4800});
    EXPECT_TRUE(CopyBitmapAsCLUTData(QImage(), "PAL_ET4").empty());
    EXPECT_TRUE(CopyBitmapAsCLUTData(row({0}), "PAL_NONE").empty());
}

TEST(ClutEncoder, PaletteColouredBitmapsDecodeBackUnchanged) {
    for (const char* name : {"PAL_ETO", "PAL_ETG", "PAL_ET4"}) {
        TLN_Color_Table palette;
        ASSERT_TRUE(LoadPaletteResource(name, palette));
        QImage image(37, 5, QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const TLN_Color c = palette.Colors[size_t((x / 9 * 7 + y * 3) % int(palette.Colors.size()))];
                image.setPixel(x, y, qRgb(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)));
            }
        const auto data = CopyBitmapAsCLUTData(image, name);
        const int layout = CLUTEncodingForPalette(name).Layout;
        EXPECT_EQ(DecodeClutPixels(data.data(), data.size(), layout, 37, 5, palette.Colors, std::nullopt),
                  image)
            << name;
    }
}
