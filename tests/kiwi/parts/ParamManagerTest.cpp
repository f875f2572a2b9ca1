// Parameters part: header validity, records, palettes and landmark pixels at every depth, hostile tables.
#include <gtest/gtest.h>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/ParamManager.h"
#include "support/fixtures/ParamFixture.h"

namespace {

constexpr QRgb kClear = 0x00FF00FF; // the key of palette 0, transparent
constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

struct Part {
    std::shared_ptr<TLN_MemoryStream> stream;
    std::unique_ptr<TLN_ParamManager> reader;
    TLN_DrawingParamHeader drawing;
    TLN_LandmarkDataFrame frame;
};

Part open(const fixture::ParamPartPlan& plan, size_t prefix = 0) {
    Part part;
    part.stream = std::make_shared<TLN_MemoryStream>(fixture::buildParamPart(plan, prefix));
    part.reader = std::make_unique<TLN_ParamManager>(part.stream, int64_t(prefix));
    if (part.reader->IsValid()) {
        part.reader->ReadManagementRecord(part.reader->GetManagementPointer(0).DataFramePosition,
                                          part.drawing);
        part.reader->ReadLandmarkDataFrame(part.drawing.LandmarkFramePosition, part.frame);
    }
    return part;
}

TLN_LandmarkImageList images(const Part& part, int table) {
    TLN_LandmarkPatternTable record;
    EXPECT_TRUE(part.reader->ReadLandmarkPatternTable(table, part.drawing.LandmarkFramePosition, record));
    return part.reader->LoadLandmarkImages(part.drawing, record);
}

std::vector<QRgb> pixels(const QImage& image) {
    std::vector<QRgb> result;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            result.push_back(image.pixel(x, y));
    return result;
}

} // namespace

TEST(ParamManager, NumberOfRecordsDecidesValidity) {
    for (auto [records, valid] : {std::pair{0, false}, {1, true}, {9, true}, {10, false}}) {
        fixture::ParamPartPlan plan = fixture::standardParamPlan();
        plan.declaredRecords = records;
        const Part part = open(plan);
        EXPECT_EQ(part.reader->IsValid(), valid) << records;
        EXPECT_EQ(part.reader->PointerCount(), valid ? records : 0);
    }
    EXPECT_THROW(open(fixture::standardParamPlan()).reader->GetManagementPointer(3), std::out_of_range);
    auto empty = std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>{});
    EXPECT_FALSE(TLN_ParamManager(empty, 0).IsValid());
}

TEST(ParamManager, PointersAndHeadersAtAnyBase) {
    for (size_t prefix : {size_t(0), size_t(64)}) {
        const Part part = open(fixture::standardParamPlan(), prefix);
        ASSERT_TRUE(part.reader->IsValid());
        const int64_t b = int64_t(prefix);
        const TLN_ParamManagementPointer& p = part.reader->GetManagementPointer(0);
        EXPECT_EQ(p.DataClassificationCode, 4609);
        EXPECT_EQ(p.Point.Y, 1589820);
        EXPECT_EQ(p.Point.X, -3947658);
        EXPECT_EQ(p.Point.ByteValue, 3);
        EXPECT_EQ(p.RecordPosition, b + 64);
        EXPECT_EQ(p.RecordSize, 10);
        EXPECT_EQ(p.DataFramePosition, b + 94);
        EXPECT_TRUE(p.LineStylePaletteTableExists);
        EXPECT_TRUE(p.MapElementParametersExist);
        EXPECT_EQ(part.reader->GetManagementPointer(1).DataClassificationCode, 4610);
        EXPECT_FALSE(part.reader->GetManagementPointer(1).LineStylePaletteTableExists);
        EXPECT_EQ(part.drawing.ColorPaletteTablePosition, b + 122);
        EXPECT_EQ(part.drawing.ColorsPerPalette, 4);
        EXPECT_EQ(part.drawing.NumberOfPalettes, 2);
        EXPECT_EQ(part.drawing.LandmarkFramePosition, b + 166);
        EXPECT_EQ(part.frame.NumberOfPatternTables, 8);
        EXPECT_TRUE(part.frame.Complete);
        EXPECT_EQ(part.frame.NameAndReadingListPosition, b + 366);
        EXPECT_EQ(part.reader->CreateColorPalette(1, 4, part.drawing.ColorPaletteTablePosition),
                  (QVector<QRgb>{0xFF000000, 0xFFFFFFFF, 0xFF808080, 0xFFFFFF00}));

        TLN_FrameReference reference;
        ASSERT_TRUE(part.reader->ReadFrameReference(part.reader->GetManagementPointer(1).DataFramePosition,
                                                    reference));
        EXPECT_EQ(reference.HeaderSize, 12);
        TLN_LandmarkPatternTable2 groups;
        ASSERT_TRUE(part.reader->ReadLandmarkPatternTable2(0, reference.FramePosition, groups));
        EXPECT_EQ(groups.NumberOfPatternGroups, 3);
        EXPECT_EQ(groups.BitsPerPixel, 8u);
        EXPECT_EQ(groups.FormatFlag, 1);
    }
}

TEST(ParamManager, FlagsAndPatternSizes) {
    fixture::ParamPartPlan plan = fixture::standardParamPlan();
    plan.drawingLandmarks.tables = {{.flags = 0x1013,
                                     .sizeX = 16,
                                     .sizeY = 16,
                                     .identifiers = {7},
                                     .patterns = {std::vector<uint8_t>(256, 1)}}};
    const Part part = open(plan);
    TLN_LandmarkPatternTable table;
    ASSERT_TRUE(part.reader->ReadLandmarkPatternTable(0, part.drawing.LandmarkFramePosition, table));
    EXPECT_EQ(table.FormatFlag, 1);
    EXPECT_TRUE(table.PatternOffsetFlag);
    EXPECT_EQ(table.BitsPerPixel, 8u);
    table.BitsPerPixel = 4;
    EXPECT_EQ(table.PatternSize(), 128);
    EXPECT_EQ(table.BytesPerRow(), 8);
}

TEST(ParamManager, LandmarkPixelsOfEveryDepth) {
    const Part part = open(fixture::standardParamPlan());
    ASSERT_TRUE(part.reader->IsValid());

    // 1 bpp, 10 wide: rows of one byte, MSB first; the two last pixels are not stored (index 0).
    TLN_LandmarkImageList list = images(part, 0);
    ASSERT_EQ(list.Images.size(), 2);
    EXPECT_EQ(list.Images[0].format(), QImage::Format_Mono);
    EXPECT_EQ(list.TransparentColor & 0xFFFFFF, 0xFF00FFu);
    EXPECT_EQ(
        pixels(list.Images[0]),
        (std::vector<QRgb>{kRed,   kClear, kRed,   kClear, kClear, kClear, kClear, kClear, kClear, kClear,
                           kClear, kRed,   kClear, kRed,   kRed,   kRed,   kRed,   kRed,   kClear, kClear}));
    EXPECT_EQ(list.Identifiers, (QList<uint16_t>{0x0101, 0x0102}));

    // 4 bpp by offset: high nibble first; patterns are found through the list, not in storage order.
    list = images(part, 1);
    ASSERT_EQ(list.Images.size(), 2);
    EXPECT_EQ(pixels(list.Images[0]), (std::vector<QRgb>{kRed, kGreen, kClear, kBlue, kClear, kClear}));
    EXPECT_EQ(pixels(list.Images[1]), (std::vector<QRgb>{kGreen, kRed, kClear, kClear, kBlue, kClear}));

    // 8 bpp with palette 1 (key black); index 0x7F lies beyond the palette.
    list = images(part, 2);
    ASSERT_EQ(list.Images.size(), 2);
    EXPECT_EQ(list.Images[0].format(), QImage::Format_Indexed8);
    EXPECT_EQ(pixels(list.Images[0]), (std::vector<QRgb>{0x00000000, 0xFFFFFFFF, 0xFF808080, 0xFFFFFF00}));
    EXPECT_EQ(list.Images[1].pixel(1, 1), 0xFF7F7F7Fu);

    // 16 bpp little-endian X1R5G5B5 and 32 bpp B, G, R, X; the key is transparent in both.
    list = images(part, 3);
    ASSERT_EQ(list.Images.size(), 1);
    EXPECT_EQ(pixels(list.Images[0]), (std::vector<QRgb>{kRed, kClear, kGreen, 0xFF000084}));
    list = images(part, 4);
    ASSERT_EQ(list.Images.size(), 2);
    EXPECT_EQ(pixels(list.Images[0]), (std::vector<QRgb>{0xFF302010, kClear}));
    EXPECT_EQ(pixels(list.Images[1]), (std::vector<QRgb>{0xFF030201, 0xFF070605}));

    // 2 bpp and format flag 2 give no images; a palette number out of range gives no palette.
    EXPECT_TRUE(images(part, 5).Images.isEmpty());
    EXPECT_TRUE(images(part, 7).Images.isEmpty());
    list = images(part, 6);
    EXPECT_FALSE(list.HasPalette);
    EXPECT_EQ(pixels(list.Images[0]), (std::vector<QRgb>{0x00000000, 0xFF808080}));
}

TEST(ParamManager, RouteNumberTablesUseLayoutThree) {
    const Part part = open(fixture::standardParamPlan());
    TLN_FrameReference reference;
    ASSERT_TRUE(
        part.reader->ReadFrameReference(part.reader->GetManagementPointer(2).DataFramePosition, reference));
    TLN_LandmarkPatternTable table;
    ASSERT_TRUE(part.reader->ReadLandmarkPatternTable3(0, reference.FramePosition, table));
    EXPECT_EQ(table.DisplayValues, (std::array<uint16_t, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(table.UseCode, 1);
    const TLN_LandmarkImageList list = part.reader->LoadLandmarkImages(part.drawing, table);
    ASSERT_EQ(list.Images.size(), 2);
    EXPECT_EQ(pixels(list.Images[1]), (std::vector<QRgb>{kBlue, kClear}));
}

TEST(ParamManager, HostileLandmarkFrames) {
    // More than 100 tables: the frame stops after its first three fields.
    fixture::ParamPartPlan plan = fixture::standardParamPlan();
    plan.drawingLandmarks.declaredTables = 101;
    Part part = open(plan);
    EXPECT_EQ(part.frame.NumberOfPatternTables, 101);
    EXPECT_TRUE(part.frame.TablePositions.empty());
    EXPECT_FALSE(part.frame.Complete);
    TLN_LandmarkPatternTable table;
    EXPECT_FALSE(part.reader->ReadLandmarkPatternTable(0, part.drawing.LandmarkFramePosition, table));

    // A table record of size 0 cannot be skipped: the tables after it are not found.
    plan = fixture::standardParamPlan();
    plan.drawingLandmarks.tables[1].zeroSize = true;
    part = open(plan);
    EXPECT_EQ(part.frame.TablePositions.size(), 2u);
    EXPECT_FALSE(part.frame.Complete);
    EXPECT_FALSE(part.reader->ReadLandmarkPatternTable(2, part.drawing.LandmarkFramePosition, table));

    // 65535 declared patterns with two stored: the list holds what the stream has bytes for.
    plan = fixture::standardParamPlan();
    plan.drawingLandmarks.tables[0].declaredCount = 65535;
    part = open(plan);
    ASSERT_TRUE(part.reader->ReadLandmarkPatternTable(0, part.drawing.LandmarkFramePosition, table));
    EXPECT_LE(table.Patterns.size(), size_t(part.stream->Size() / 2));
    const TLN_LandmarkImageList list = part.reader->LoadLandmarkImages(part.drawing, table);
    EXPECT_TRUE(list.Truncated);
    EXPECT_LE(list.Images.size(), part.stream->Size() / 2);

    // A colour count the table cannot hold gives no palette rather than a read past the end.
    plan = fixture::standardParamPlan();
    plan.declaredColors = 65535;
    part = open(plan);
    EXPECT_TRUE(part.reader->CreateColorPalette(0, 65535, part.drawing.ColorPaletteTablePosition).isEmpty());
    EXPECT_FALSE(images(part, 0).HasPalette);
    EXPECT_TRUE(part.reader->CreateColorPalette(0, 4, -1).isEmpty());
}

TEST(ParamManager, NarrowOneBitPatternsHaveEmptyRows) {
    // 7 pixels at 1 bpp: 7 div 8 = 0 bytes per row and per pattern; nothing is read, all index 0.
    fixture::ParamPartPlan plan = fixture::standardParamPlan();
    plan.drawingLandmarks.tables = {
        {.flags = 0x0000, .sizeX = 7, .sizeY = 3, .identifiers = {1, 2}, .patterns = {}}};
    const Part part = open(plan);
    const TLN_LandmarkImageList list = images(part, 0);
    ASSERT_EQ(list.Images.size(), 2);
    EXPECT_EQ(pixels(list.Images[1]), std::vector<QRgb>(21, kClear));
}

TEST(ParamManager, PixelLimitPerPatternList) {
    // 1100 entries of 255 × 255 pixels all pointing at one pattern: the list stops at 64 Mi pixels.
    fixture::ParamPartPlan plan = fixture::standardParamPlan();
    fixture::PatternTablePlan big;
    big.flags = 0x0010;
    big.sizeX = big.sizeY = 255;
    big.identifiers.assign(1100, 1);
    big.patterns = {std::vector<uint8_t>(255 * 255 / 8, 0x55)};
    plan.drawingLandmarks.tables = {big};
    const Part part = open(plan);
    TLN_LandmarkPatternTable table;
    ASSERT_TRUE(part.reader->ReadLandmarkPatternTable(0, part.drawing.LandmarkFramePosition, table));
    ASSERT_EQ(table.Patterns.size(), 1100u);
    // Entries beyond the first carry offset 0, which is the same stored pattern.
    const TLN_LandmarkImageList list = part.reader->LoadLandmarkImages(part.drawing, table);
    EXPECT_TRUE(list.Truncated);
    EXPECT_EQ(list.Images.size(), int(TLN_ParamManager::kMaxPixelsPerList / (255 * 255)));
}
