// Seeded mutation test of the picture readers: random byte changes to the standard fixture, each
// mutant read completely (every palette set, colour table and record, every image decoded with every
// classification and as a GIF). Nothing may crash, hang or allocate past the limits, and what is
// reported stays within the file: counts of entries inside it, colours no more than declared.
#include <gtest/gtest.h>

#include <random>

#include "kiwi/core/ImageLimits.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/picture/EXPCTManager.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "support/fixtures/PictureFixture.h"

namespace {
std::vector<uint8_t> mutate(std::vector<uint8_t> bytes, std::mt19937& random) {
    const int changes = 1 + int(random() % 8);
    for (int i = 0; i < changes && !bytes.empty(); ++i) {
        const size_t at = random() % bytes.size();
        const uint32_t kind = random() % 16;
        if (kind < 5)
            bytes[at] = uint8_t(random());
        else if (kind < 10)
            bytes[at] ^= uint8_t(1u << (random() % 8));
        else if (kind < 15)
            bytes[at] = random() % 2 ? 0xFF : 0x00;
        else
            bytes.resize(at); // truncation
    }
    return bytes;
}

// Returns how many images decoded, so that the test can tell it reached the decoders.
int readEverything(const std::vector<uint8_t>& bytes) {
    int decoded = 0;
    TLN_GraphicManager reader(std::make_shared<TLN_MemoryStream>(bytes), 0);
    // Counts are those of the entries found inside the file: 4 bytes per palette set or colour table
    // entry at least, 6 per image entry.
    EXPECT_LE(int64_t(reader.PaletteSetCount()) * 4, int64_t(bytes.size()));
    EXPECT_LE(int64_t(reader.ColorTableCount()) * 2, int64_t(bytes.size()));
    EXPECT_LE(int64_t(reader.ImageCount()) * 6, int64_t(bytes.size()));
    if (bytes.size() < 38) {
        EXPECT_FALSE(reader.IsValid()) << "a file shorter than its header";
    }
    TLN_PaletteSet set;
    for (int i = 0; i < reader.PaletteSetCount(); ++i)
        reader.ReadPaletteSet(i, set);
    TLN_Color_Table table;
    for (int i = 0; i < reader.ColorTableCount(); ++i) {
        if (reader.ReadCLUT(i, table)) {
            EXPECT_LE(table.Colors.size(), bytes.size() / 4);
            EXPECT_LE(table.Colors.size(), size_t(table.ColorCount));
            EXPECT_EQ(table.Truncated, table.Colors.size() < table.ColorCount);
        }
    }
    TLN_ImageDataRecord record;
    for (int i = 0; i < reader.ImageCount(); ++i) {
        reader.ReadImageRecord(i, record);
        for (int c = 0; c < 4; ++c) {
            const QImage image = reader.DecodeImage(i, c);
            EXPECT_LE(int64_t(image.width()) * image.height(), kMaxImagePixels);
            decoded += !image.isNull();
        }
        const QImage gif = reader.LoadGIFImage(i);
        EXPECT_LE(int64_t(gif.width()) * gif.height(), kMaxImagePixels);
        decoded += !gif.isNull();
    }
    return decoded;
}
} // namespace

TEST(PictureMutation, MutatedPictureFilesReadSafely) {
    const auto& set = fixture::standardPictureSet();
    const std::vector<std::vector<uint8_t>> originals = {fixture::buildPictureFile(set.main),
                                                         fixture::buildPictureFile(set.second)};
    std::mt19937 random(20240611);
    int roundsWithImages = 0;
    const int rounds = 10000;
    for (int round = 0; round < rounds; ++round) {
        const auto& original = originals[size_t(round % 2)];
        roundsWithImages += readEverything(mutate(original, random)) > 0;
    }
    EXPECT_GT(roundsWithImages, rounds / 2);
}

TEST(PictureMutation, MutatedListsAndHeadersReadSafely) {
    const auto& set = fixture::standardPictureSet();
    const auto list = fixture::buildPct2Mng(set.list);
    const auto expansion = fixture::buildExpansionPicture(set.expansion, {1, 2, 3, 4, 5, 6, 7, 8});
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        TLN_PCT2MNGManager reader(std::make_shared<TLN_MemoryStream>(mutate(list, random)), 0);
        EXPECT_LE(reader.Count(), 19);
        for (const auto& item : reader.Items())
            EXPECT_LE(item.Name.size(), 12u);
        TLN_EXPCTManager header(std::make_shared<TLN_MemoryStream>(mutate(expansion, random)), 0);
        if (header.IsValid()) {
            EXPECT_GE(header.Header().PictureDataPosition, -1);
        }
    }
}
