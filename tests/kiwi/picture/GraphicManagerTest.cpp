// Picture data files: header, palette sets, colour tables, image records and decoded pictures of the
// standard fixture, classification choice, bounded counts and parts at a base inside another stream.
#include <gtest/gtest.h>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/picture/GraphicManager.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/PictureFixture.h"

namespace {
std::shared_ptr<TLN_MemoryStream> streamOf(const std::vector<uint8_t>& bytes) {
    return std::make_shared<TLN_MemoryStream>(bytes);
}

QImage decoded(const TLN_GraphicManager& reader, int i) {
    TLN_ImageDataRecord record;
    if (!reader.ReadImageRecord(i, record)) return {};
    return record.DataType == idtGIF ? reader.LoadGIFImage(i) : reader.DecodeImage(i, 0);
}
} // namespace

TEST(GraphicManager, ReadsTheStandardFixture) {
    const auto& set = fixture::standardPictureSet();
    TLN_GraphicManager reader(streamOf(fixture::buildPictureFile(set.main)), 0);
    ASSERT_TRUE(reader.IsValid());
    const TLN_ImageManagementHeader& h = reader.Header();
    EXPECT_EQ(h.HeaderSize, 19);
    EXPECT_EQ(h.PaletteSetRecordSize, 3);
    EXPECT_EQ(h.TopPaletteSetID, 0x20);
    EXPECT_EQ(h.TopColorTableID, 0x10);
    EXPECT_EQ(h.TopImageDataID, 0x100);
    EXPECT_EQ(reader.PaletteSetFramePosition(), 40);
    EXPECT_EQ(reader.PaletteSetCount(), 4);
    EXPECT_EQ(reader.ColorTableCount(), 3);
    EXPECT_EQ(reader.ImageCount(), int(set.main.images.size()));

    TLN_PaletteSet palette;
    ASSERT_TRUE(reader.ReadPaletteSet(3, palette));
    EXPECT_EQ(palette, (TLN_PaletteSet{0x05, 0x13, 0x10, 0x10}));
    EXPECT_EQ(reader.PaletteSetPosition(1), 40 + 2 + 6);
    EXPECT_FALSE(reader.ReadPaletteSet(4, palette));
    EXPECT_FALSE(reader.ReadPaletteSet(-1, palette));

    TLN_Color_Table table;
    ASSERT_TRUE(reader.ReadCLUT(1, table));
    EXPECT_EQ(table.ClearColorCode, 1);
    EXPECT_EQ(table.TransparentColorCode, 2);
    EXPECT_EQ(table.ColorCount, 5);
    EXPECT_EQ(table.Colors, (std::vector<TLN_Color>{0x302010, 0x605040, 0x0080FF, 0x0080FF, 0xFF8000}));
    EXPECT_FALSE(table.Truncated);
    ASSERT_TRUE(reader.ReadCLUT(0, table));
    EXPECT_FALSE(table.HasTransparentColor());
    EXPECT_FALSE(reader.ReadCLUT(3, table));

    TLN_ImageDataRecord record;
    ASSERT_TRUE(reader.ReadImageRecord(1, record));
    EXPECT_EQ(record.DataType, idtCLUT);
    EXPECT_EQ(record.Identification, 2);
    EXPECT_EQ(record.PaletteSetID, 0x21u);
    EXPECT_EQ(record.Width, 12);
    EXPECT_EQ(record.Height, 2);
    EXPECT_EQ(record.XOffset, 3);
    EXPECT_EQ(record.YOffset, 4);
    EXPECT_FALSE(record.RouteDataExists);
    EXPECT_EQ(record.DataPosition, record.Position + 14);
    ASSERT_TRUE(reader.ReadImageRecord(2, record));
    EXPECT_TRUE(record.RouteDataExists);
    EXPECT_EQ(record.RouteDataOffset, 0x20u);
    EXPECT_EQ(record.RouteDataPosition, record.Position + 0x40);
    EXPECT_EQ(record.DataPosition, record.Position + 18);
    ASSERT_TRUE(reader.ReadImageRecord(3, record));
    EXPECT_EQ(record.DataType, idtGIF);
    EXPECT_FALSE(reader.ReadImageRecord(int(set.main.images.size()), record));
}

TEST(GraphicManager, DecodedPixelsMatchWhatTheFixtureEncoded) {
    const auto& set = fixture::standardPictureSet();
    TLN_GraphicManager reader(streamOf(fixture::buildPictureFile(set.main)), 0);
    for (size_t i = 0; i < set.mainImages.size(); ++i)
        EXPECT_EQ(decoded(reader, int(i)), set.mainImages[i].expected) << set.mainImages[i].what;
    TLN_GraphicManager second(streamOf(fixture::buildPictureFile(set.second)), 0);
    EXPECT_EQ(decoded(second, 0), set.secondImages[0].expected);
}

TEST(GraphicManager, ClassificationChoosesTheColourTable) {
    const auto& set = fixture::standardPictureSet();
    TLN_GraphicManager reader(streamOf(fixture::buildPictureFile(set.main)), 0);
    // Image 0 through classification 1 of set 0x20: colour table 0x11 (5 colours, key 0xFF8000).
    const std::vector<int> indices = {1, 1, 1, 2, 2, 0, 0, 0, 0, 0, 7, 6, 5, 4, 3};
    EXPECT_EQ(reader.DecodeImage(0, 1),
              fixture::expectedImage(5, 3, indices, set.main.tables[1].colours, 0xFF8000));
    // Image 7 (set 0x23): class 0 names a table below the top ID, class 1 one past the last table,
    // class 2 a good one.
    EXPECT_TRUE(reader.DecodeImage(7, 0).isNull());
    EXPECT_TRUE(reader.DecodeImage(7, 1).isNull());
    EXPECT_FALSE(reader.DecodeImage(7, 2).isNull());
    EXPECT_TRUE(reader.DecodeImage(0, 4).isNull());
    EXPECT_TRUE(reader.DecodeImage(0, -1).isNull());
    // A GIF image is no CLUT image, and a CLUT image is no GIF.
    EXPECT_TRUE(reader.DecodeImage(3, 0).isNull());
    EXPECT_TRUE(reader.LoadGIFImage(0).isNull());
}

TEST(GraphicManager, ReadsAPartAtABaseInsideAnotherStream) {
    const auto& set = fixture::standardPictureSet();
    std::vector<uint8_t> bytes(2048, 0xA5);
    const auto part = fixture::buildPictureFile(set.main);
    bytes.insert(bytes.end(), part.begin(), part.end());
    TLN_GraphicManager reader(streamOf(bytes), 2048);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.PaletteSetFramePosition(), 2048 + 40);
    EXPECT_EQ(reader.DecodeImage(0, 0), set.mainImages[0].expected);
    EXPECT_EQ(reader.LoadGIFImage(3), set.mainImages[3].expected);
}

TEST(GraphicManager, CountsAreBoundedByTheirFrames) {
    fixture::PictureFile file;
    file.paletteSets = {{0, 0, 0, 0}};
    file.tables = {{0, 0xFFFF, {0x112233, 0x445566}, 60000}};
    file.images.push_back({0, 1, false, 0, 0, 1, 1, 0, 0, {0x08}});
    file.storedPaletteSetCount = 65535;
    file.storedTableCount = 65535;
    file.storedImageCount = 65535;
    TLN_GraphicManager reader(streamOf(fixture::buildPictureFile(file)), 0);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.PaletteSetCount(), 1);
    // The colour table frame is 20 bytes: index slots at +2, +6, +10, +14 and +18 have their word inside
    // (the later ones read table bytes as offsets). The image frame is 24 bytes: three 6-byte slots.
    EXPECT_EQ(reader.ColorTableCount(), 5);
    EXPECT_EQ(reader.ImageCount(), 3);
    TLN_Color_Table table;
    ASSERT_TRUE(reader.ReadCLUT(0, table));
    EXPECT_EQ(table.ColorCount, 60000);
    EXPECT_EQ(table.Colors.size(), 2u);
    EXPECT_TRUE(table.Truncated);

    // A palette set record size below the four classification bytes holds no palette set.
    fixture::PictureFile small = file;
    small.paletteSetRecordWords = 1;
    EXPECT_EQ(TLN_GraphicManager(streamOf(fixture::buildPictureFile(small)), 0).PaletteSetCount(), 0);
}

TEST(GraphicManager, ShortOrMisplacedDataIsInvalidOrEmpty) {
    auto bytes = fixture::buildPictureFile(fixture::standardPictureSet().main);
    EXPECT_FALSE(TLN_GraphicManager(streamOf({bytes.begin(), bytes.begin() + 37}), 0).IsValid());
    EXPECT_FALSE(TLN_GraphicManager(streamOf(bytes), -1).IsValid());
    EXPECT_FALSE(TLN_GraphicManager(streamOf(bytes), int64_t(bytes.size())).IsValid());

    // Frames past the end of the stream: valid header, nothing in it.
    auto moved = bytes;
    for (int at : {10, 16, 22})
        moved[size_t(at)] = 0x7F;
    TLN_GraphicManager reader(streamOf(moved), 0);
    EXPECT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.PaletteSetCount(), 0);
    EXPECT_EQ(reader.ColorTableCount(), 0);
    EXPECT_EQ(reader.ImageCount(), 0);
    EXPECT_TRUE(reader.DecodeImage(0, 0).isNull());

    // An image whose record lies past the image frame's end.
    auto outside = bytes;
    const size_t imageFrame =
        size_t(2 * (outside[22] << 24 | outside[23] << 16 | outside[24] << 8 | outside[25]));
    outside[imageFrame + 2] = 0x7F;
    TLN_GraphicManager far(streamOf(outside), 0);
    TLN_ImageDataRecord record;
    EXPECT_FALSE(far.ReadImageRecord(0, record));
    EXPECT_TRUE(far.DecodeImage(0, 0).isNull());
    EXPECT_TRUE(far.LoadGIFImage(0).isNull());
}

TEST(GraphicManager, OpensFilesByName) {
    const std::string folder = fixture::scratchDir("graphic-manager");
    fixture::writeStandardPictureSet(folder);
    TLN_GraphicManager reader(folder + "/PICT0001.KWI");
    EXPECT_TRUE(reader.IsValid());
    EXPECT_TRUE(reader.OwnsStream());
    EXPECT_EQ(reader.DecodeImage(2, 0), fixture::standardPictureSet().mainImages[2].expected);
}

TEST(GraphicManager, AllOnesRouteDataOffsetMeansNone) {
    fixture::PictureFile file;
    file.paletteSets = {{0, 0, 0, 0}};
    file.tables = {{0, 0xFFFF, {0x112233}}};
    file.images.push_back({0, 1, true, 0xFFFFFFFF, 0, 1, 1, 0, 0, {0x00}});
    TLN_GraphicManager reader(streamOf(fixture::buildPictureFile(file)), 0);
    TLN_ImageDataRecord record;
    ASSERT_TRUE(reader.ReadImageRecord(0, record));
    EXPECT_TRUE(record.RouteDataExists);
    EXPECT_EQ(record.RouteDataOffset, 0xFFFFFFFFu);
    EXPECT_EQ(record.RouteDataPosition, -1);
    EXPECT_EQ(record.DataPosition, record.Position + 18);
}

namespace {
// A 16 GiB stream: the given bytes at its start, then bytes of 0x01 (no storage behind them).
class LargeStream : public TLN_Stream {
public:
    explicit LargeStream(std::vector<uint8_t> head) : head_(std::move(head)) {}
    int64_t Size() override { return int64_t(16) << 30; }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        if (position < 0 || count <= 0 || position >= Size()) return 0;
        count = std::min(count, Size() - position);
        auto* out = static_cast<uint8_t*>(buffer);
        for (int64_t i = 0; i < count; ++i)
            out[i] = uint64_t(position + i) < head_.size() ? head_[size_t(position + i)] : 0x01;
        return count;
    }

private:
    std::vector<uint8_t> head_;
};
} // namespace

TEST(GraphicManager, AllOnesFrameOffsetsMeanNoFrameInLargeStreams) {
    auto bytes = fixture::buildPictureFile(fixture::standardPictureSet().main);
    for (int at : {10, 16, 22})
        for (int k = 0; k < 4; ++k)
            bytes[size_t(at + k)] = 0xFF;
    TLN_GraphicManager reader(std::make_shared<LargeStream>(bytes), 0);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.PaletteSetFramePosition(), -1);
    EXPECT_EQ(reader.ColorTableFramePosition(), -1);
    EXPECT_EQ(reader.ImageDataFramePosition(), -1);
    EXPECT_EQ(reader.PaletteSetCount(), 0);
    EXPECT_EQ(reader.ColorTableCount(), 0);
    EXPECT_EQ(reader.ImageCount(), 0);
}
