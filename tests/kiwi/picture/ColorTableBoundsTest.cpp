// Colour tables at the end of their frame. A table is at least its 6-byte head; the 4 or 5 bytes left
// after the last table are too few for another one even when the stream goes on behind the frame, and
// a table's entries run up to the frame's last byte but not past it.
#include <gtest/gtest.h>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/picture/ColorTable.h"
#include "kiwi/picture/GraphicManager.h"
#include "support/fixtures/PictureFixture.h"

namespace {

std::shared_ptr<TLN_MemoryStream> streamOf(const std::vector<uint8_t>& bytes) {
    return std::make_shared<TLN_MemoryStream>(bytes);
}

int64_t tableFrameOf(const std::vector<uint8_t>& file) {
    return 2 *
           int64_t(uint32_t(file[16]) << 24 | uint32_t(file[17]) << 16 | uint32_t(file[18]) << 8 | file[19]);
}

// Table 0 holds two colours; table 1's index entry points at the frame's tail, which follows table 0 at
// frame + 2 + 8 + 6 + 8 = frame + 24 (12 words). The tail reads like a table head of one colour.
fixture::PictureFile tailFile(std::vector<uint8_t> tail) {
    fixture::PictureFile file;
    fixture::PictureColorTable first;
    first.clear = 1;
    first.colours = {0x102030, 0x405060};
    fixture::PictureColorTable pointer;
    pointer.offsetWords = 12;
    pointer.indexOnly = true;
    file.tables = {first, pointer};
    file.tableFrameTail = std::move(tail);
    return file;
}

} // namespace

TEST(ColorTableBounds, ReadColorTableNeedsItsHeadBeforeTheEnd) {
    // Head: clear 1, transparent none, one colour; then the colour and bytes that lie past every end.
    const std::vector<uint8_t> bytes = {0, 1, 0xFF, 0xFF, 0, 1, 0x11, 0x22, 0x33, 0, 0xEE, 0xEE, 0xEE, 0xEE};
    auto stream = streamOf(bytes);
    TLN_Color_Table table;
    for (int64_t end : {4, 5}) {
        SCOPED_TRACE(end);
        EXPECT_FALSE(ReadColorTable(*stream, 0, end, table));
        EXPECT_TRUE(table.Colors.empty());
    }
    for (int64_t end : {6, 7, 8, 9}) {
        SCOPED_TRACE(end);
        ASSERT_TRUE(ReadColorTable(*stream, 0, end, table));
        EXPECT_EQ(table.ColorCount, 1);
        EXPECT_TRUE(table.Colors.empty());
        EXPECT_TRUE(table.Truncated);
    }
    ASSERT_TRUE(ReadColorTable(*stream, 0, 10, table));
    ASSERT_EQ(table.Colors.size(), 1u);
    EXPECT_EQ(table.Colors[0], TLN_Color(0x00332211));
    EXPECT_FALSE(table.Truncated);
    // The same head 4 and 5 bytes before the end, with the stream as the end.
    auto shortStream = streamOf({0, 0, 0, 0, 0, 1, 0xFF, 0xFF, 0});
    EXPECT_FALSE(ReadColorTable(*shortStream, 4, 100, table));
    EXPECT_FALSE(ReadColorTable(*shortStream, 5, 100, table));
    EXPECT_TRUE(ReadColorTable(*shortStream, 3, 100, table));
}

TEST(ColorTableBounds, AFourByteTailHoldsNoTable) {
    const std::vector<uint8_t> bytes = fixture::buildPictureFile(tailFile({0, 7, 0xFF, 0xFF}));
    TLN_GraphicManager reader(streamOf(bytes), 0);
    ASSERT_TRUE(reader.IsValid());
    ASSERT_EQ(reader.ColorTableCount(), 2);
    EXPECT_EQ(reader.ColorTablePosition(1), -1);
    TLN_Color_Table table;
    EXPECT_FALSE(reader.ReadCLUT(1, table));
    EXPECT_TRUE(table.Colors.empty());

    ASSERT_TRUE(reader.ReadCLUT(0, table));
    EXPECT_EQ(table.ClearColorCode, 1);
    ASSERT_EQ(table.Colors.size(), 2u);
    EXPECT_EQ(table.Colors[1], TLN_Color(0x00605040));
    EXPECT_FALSE(table.Truncated);
}

TEST(ColorTableBounds, AFiveByteTailAtTheStreamEndHoldsNoTable) {
    // A 6-byte tail makes the frame a whole number of words; the stream then ends one byte early,
    // inside the frame, and leaves 5 bytes of the tail.
    std::vector<uint8_t> bytes = fixture::buildPictureFile(tailFile({0, 7, 0xFF, 0xFF, 0, 0}));
    const int64_t frame = tableFrameOf(bytes);
    bytes.resize(size_t(frame + 24 + 5));
    TLN_GraphicManager reader(streamOf(bytes), 0);
    ASSERT_TRUE(reader.IsValid());
    ASSERT_EQ(reader.ColorTableCount(), 2);
    EXPECT_EQ(reader.ColorTablePosition(1), -1);
    TLN_Color_Table table;
    EXPECT_FALSE(reader.ReadCLUT(1, table));
    ASSERT_TRUE(reader.ReadCLUT(0, table));
    EXPECT_EQ(table.Colors.size(), 2u);
}

TEST(ColorTableBounds, ASixByteTailIsAnEmptyTable) {
    // The minimum table: a head and no room for a colour. A count of 0 is whole, a count of 1 is cut.
    for (uint8_t count : std::initializer_list<uint8_t>{0, 1}) {
        SCOPED_TRACE(int(count));
        const std::vector<uint8_t> bytes = fixture::buildPictureFile(tailFile({0, 7, 0xFF, 0xFF, 0, count}));
        TLN_GraphicManager reader(streamOf(bytes), 0);
        EXPECT_EQ(reader.ColorTablePosition(1), tableFrameOf(bytes) + 24);
        TLN_Color_Table table;
        ASSERT_TRUE(reader.ReadCLUT(1, table));
        EXPECT_EQ(table.ClearColorCode, 7);
        EXPECT_FALSE(table.HasTransparentColor());
        EXPECT_EQ(table.ColorCount, count);
        EXPECT_TRUE(table.Colors.empty());
        EXPECT_EQ(table.Truncated, count == 1);
    }
}

TEST(ColorTableBounds, EntriesRunUpToTheFrameEnd) {
    // One table of two colours whose count claims more; 4 bytes of tail after it are one more entry,
    // and nothing behind the frame (the image frame follows) is read as a colour.
    for (int stored : {3, 4}) {
        SCOPED_TRACE(stored);
        fixture::PictureFile file;
        file.tables = {{0, 0xFFFF, {0x102030, 0x405060}, stored}};
        file.tableFrameTail = {0xAA, 0xBB, 0xCC, 0x00};
        fixture::PictureImage image;
        image.width = image.height = 1;
        image.data = {0x08};
        file.images = {image};
        TLN_GraphicManager reader(streamOf(fixture::buildPictureFile(file)), 0);
        TLN_Color_Table table;
        ASSERT_TRUE(reader.ReadCLUT(0, table));
        ASSERT_EQ(table.Colors.size(), 3u);
        EXPECT_EQ(table.Colors[2], TLN_Color(0x00CCBBAA));
        EXPECT_EQ(table.Truncated, stored == 4);
    }
}
