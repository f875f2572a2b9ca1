// GIF decoding through giflib: transparency, interlacing, frames inside larger screens, broken data.
#include <gtest/gtest.h>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/picture/GifPicture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/PictureFixture.h"

namespace {
const std::vector<uint32_t> kColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

QImage decode(const std::vector<uint8_t>& bytes, int64_t start = 0, int64_t end = -1) {
    TLN_MemoryStream stream(bytes);
    return DecodeGifPicture(stream, start, end < 0 ? int64_t(bytes.size()) : end);
}

std::vector<int> pattern(int width, int height) {
    std::vector<int> indices;
    for (int i = 0; i < width * height; ++i)
        indices.push_back((i * 7 + i / width) % 5);
    return indices;
}
} // namespace

TEST(GifPicture, TransparentIndexAndColours) {
    const auto indices = pattern(9, 4);
    QImage image = decode(fixture::makeGif(9, 4, indices, kColours, 1));
    std::vector<int> shown = indices;
    for (int& i : shown)
        if (i == 1) i = -1;
    EXPECT_EQ(image, fixture::expectedImage(9, 4, shown, kColours));
    EXPECT_EQ(decode(fixture::makeGif(9, 4, indices, kColours, -1)),
              fixture::expectedImage(9, 4, indices, kColours));
}

TEST(GifPicture, InterlacedRowsLandInPlace) {
    const auto indices = pattern(3, 11);
    EXPECT_EQ(decode(fixture::makeGif(3, 11, indices, kColours, -1, true)),
              fixture::expectedImage(3, 11, indices, kColours));
}

TEST(GifPicture, DecodesInsideAStreamRangeOnly) {
    const auto gif = fixture::makeGif(4, 2, pattern(4, 2), kColours, -1);
    fixture::ByteWriter writer;
    const std::vector<uint8_t> bytes = writer.fill(7, 0xEE).raw(gif).take();
    EXPECT_FALSE(decode(bytes, 7).isNull());
    EXPECT_TRUE(decode(bytes, 0).isNull());
    // The range ends before the GIF does.
    EXPECT_TRUE(decode(bytes, 7, int64_t(bytes.size()) - 10).isNull());
    EXPECT_TRUE(decode(bytes, -1).isNull());
}

TEST(GifPicture, BrokenAndHugeGifsGiveNoImage) {
    const auto good = fixture::makeGif(6, 6, pattern(6, 6), kColours, 0);
    for (size_t cut : {size_t(0), size_t(5), size_t(13), size_t(20), size_t(30), good.size() - 2}) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + long(cut));
        EXPECT_TRUE(decode(bytes).isNull()) << "cut at " << cut;
    }
    // Logical screen 65535 × 65535 (bytes 6-9).
    std::vector<uint8_t> huge = good;
    huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
    EXPECT_TRUE(decode(huge).isNull());
    // Frame 65535 wide inside a small screen: the image descriptor follows the global map (13 + 24 bytes)
    // and the 8-byte control extension; its width is at +5.
    std::vector<uint8_t> wide = good;
    ASSERT_EQ(wide[13 + 24 + 8], 0x2C);
    wide[13 + 24 + 8 + 5] = 0xFF;
    wide[13 + 24 + 8 + 6] = 0xFF;
    EXPECT_TRUE(decode(wide).isNull());
    EXPECT_TRUE(decode({'G', 'I', 'F', '8', '9', 'a'}).isNull());
    EXPECT_TRUE(decode(std::vector<uint8_t>(64, 0)).isNull());
}

TEST(GifPicture, FrameOutsideAnEmptyScreenSetsTheSize) {
    // A screen of 0 × 0: the frame's own extent is the picture.
    std::vector<uint8_t> gif = fixture::makeGif(5, 3, pattern(5, 3), kColours, -1);
    gif[6] = gif[7] = gif[8] = gif[9] = 0;
    const QImage image = decode(gif);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(5, 3));
}

namespace {
// Delivers the first bytes, then fails like a disc read error.
class FailingStream : public TLN_Stream {
public:
    FailingStream(std::vector<uint8_t> bytes, int64_t failAt) : bytes_(std::move(bytes)), failAt_(failAt) {}
    int64_t Size() override { return int64_t(bytes_.size()); }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        if (position + count > failAt_) throw EReadError("File read error!");
        std::copy_n(bytes_.begin() + position, count, static_cast<uint8_t*>(buffer));
        return count;
    }

private:
    std::vector<uint8_t> bytes_;
    int64_t failAt_;
};
} // namespace

TEST(GifPicture, ReadErrorsAreRaisedAfterGiflibIsClosed) {
    const auto gif = fixture::makeGif(6, 6, pattern(6, 6), kColours, 0);
    for (int64_t failAt : {int64_t(3), int64_t(20), int64_t(gif.size()) - 3}) {
        FailingStream stream(gif, failAt);
        EXPECT_THROW(DecodeGifPicture(stream, 0, int64_t(gif.size())), EReadError) << "fail at " << failAt;
    }
}
