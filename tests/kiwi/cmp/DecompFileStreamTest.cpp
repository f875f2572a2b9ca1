// The decompressing stream over every block layout: whole reads, random ranges across block boundaries
// and at the end, the unpack tools' block loop, the list search and the cache size; plus the stream
// contract for a listed file.
#include <gtest/gtest.h>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/KiwiErrors.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/StreamContract.h"

using fixture::CmpLayout;

namespace {
int scratchCounter = 0;

std::string freshDir(const std::string& name) {
    return fixture::scratchDir("decomp-" + name + "-" + std::to_string(scratchCounter++));
}

std::vector<uint8_t> readAll(TLN_Stream& s) {
    std::vector<uint8_t> out(size_t(s.Size()) + 100, 0xEE);
    out.resize(size_t(s.ReadAt(0, out.data(), int64_t(out.size()))));
    return out;
}
} // namespace

class DecompLayout : public ::testing::TestWithParam<CmpLayout> {};

TEST_P(DecompLayout, ReadsExactlyTheOriginalBytes) {
    const std::string root = freshDir("layout");
    // The list lies in the data file's parent folder and names it by its relative path.
    const auto content = fixture::mapLikeContent(5 * 65536 + 1234, uint32_t(GetParam()) + 3);
    const auto files = fixture::writeCmpLayout(root, GetParam(), "DATA/FILE.KWI", content);
    auto stream = TLN_DecompFileStream::Create(root + "/DATA/./FILE.KWI");
    ASSERT_TRUE(stream->Listed());
    EXPECT_EQ(stream->Size(), int64_t(content.size()));
    EXPECT_EQ(stream->FileSize(), int64_t(content.size()));
    EXPECT_EQ(stream->BlockCount(), 6u);
    EXPECT_EQ(stream->SlotCount(), 1);
    EXPECT_EQ(readAll(*stream), content);

    uint64_t seed = 99;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        const int64_t position = int64_t((seed >> 24) % (content.size() + 10));
        const int64_t count = int64_t((seed >> 45) % 150000);
        std::vector<uint8_t> out(static_cast<size_t>(count));
        const int64_t got = stream->ReadAt(position, out.data(), count);
        const int64_t expected =
            std::max<int64_t>(0, std::min<int64_t>(count, int64_t(content.size()) - position));
        ASSERT_EQ(got, expected) << position << " " << count;
        ASSERT_TRUE(std::equal(out.begin(), out.begin() + got,
                               content.begin() + std::min<int64_t>(position, int64_t(content.size()))));
    }
    // 10 bytes at 65530: 6 of block 0 and 4 of block 1 in one call.
    uint8_t ten[10];
    EXPECT_EQ(stream->ReadAt(65530, ten, 10), 10);
    EXPECT_TRUE(std::equal(ten, ten + 10, content.begin() + 65530));
    // Stateful access stops at the decompressed size.
    EXPECT_EQ(stream->Seek(-5, SeekOrigin::End), int64_t(content.size()) - 5);
    EXPECT_EQ(stream->Read(ten, 10), 5);
    EXPECT_EQ(stream->ReadAt(-1, ten, 10), 0);

    // The unpack tools' loop: LoadBlock and CurrentBlockData for every block.
    std::vector<uint8_t> unpacked;
    for (uint32_t b = 0; b < stream->BlockCount(); ++b) {
        const int64_t n = stream->LoadBlock(b);
        const uint8_t* data = stream->CurrentBlockData();
        ASSERT_NE(data, nullptr);
        unpacked.insert(unpacked.end(), data,
                        data + std::min<int64_t>(n, int64_t(content.size() - unpacked.size())));
    }
    EXPECT_EQ(unpacked, content);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DecompLayout,
                         ::testing::Values(CmpLayout::Gzip05, CmpLayout::GzipWithStored, CmpLayout::Bpe05,
                                           CmpLayout::Type1In06, CmpLayout::Segmented258,
                                           CmpLayout::Segmented514, CmpLayout::Segmented770,
                                           CmpLayout::Zlib13, CmpLayout::Zlib13Stored),
                         [](const auto& instance) { return fixture::cmpLayoutName(instance.param); });

// Random bytes that zlib cannot shrink: the writer stores the whole blocks and compresses the short last
// one, and every block reads back.
TEST(DecompFileStream, IncompressibleZlib13BlocksReadBack) {
    std::vector<uint8_t> content(65536 * 2 + 1000);
    uint64_t seed = 7;
    for (uint8_t& byte : content) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        byte = uint8_t(seed >> 56);
    }
    const std::string root = freshDir("incompressible");
    fixture::writeCmpLayout(root, CmpLayout::Zlib13, "F.KWI", content);
    EXPECT_EQ(readAll(*TLN_DecompFileStream::Create(root + "/F.KWI")), content);
}

TEST(DecompFileStream, TypesAreNormalisedForDecoding) {
    const auto content = fixture::mapLikeContent(70000, 5);
    const std::string a = freshDir("normalise");
    fixture::writeCmpLayout(a, CmpLayout::Type1In06, "F.KWI", content);
    EXPECT_EQ(TLN_DecompFileStream::Create(a + "/F.KWI")->DecodedType(), 2);
    EXPECT_EQ(TLN_DecompFileStream::Create(a + "/F.KWI")->Entry().compressionType, 1);
    const std::string b = freshDir("normalise");
    fixture::writeCmpLayout(b, CmpLayout::Segmented514, "F.KWI", content);
    EXPECT_EQ(TLN_DecompFileStream::Create(b + "/F.KWI")->DecodedType(), 258);
}

TEST(DecompFileStream, UnlistedFilesReadUnchanged) {
    const std::string root = freshDir("unlisted");
    const auto bytes = fixture::mapLikeContent(1000, 1);
    fixture::writeFile(root + "/PLAIN.KWI", bytes);
    auto alone = TLN_DecompFileStream::Create(root + "/PLAIN.KWI");
    EXPECT_FALSE(alone->Listed());
    EXPECT_FALSE(alone->ListFound());
    EXPECT_EQ(readAll(*alone), bytes);
    EXPECT_EQ(alone->LoadBlock(0), 0);
    EXPECT_EQ(alone->CurrentBlockData(), nullptr);
    // A list that names other files, and an entry of type 0.
    fixture::CmpListEntryPlan typeZero;
    typeZero.name = "PLAIN.KWI";
    typeZero.type = 0;
    fixture::writeFile(root + "/05.CMP", fixture::buildCmpList({typeZero}));
    EXPECT_EQ(readAll(*TLN_DecompFileStream::Create(root + "/PLAIN.KWI")), bytes);
    EXPECT_FALSE(TLN_DecompFileStream::Create(root + "/PLAIN.KWI")->Listed());
    EXPECT_THROW(TLN_DecompFileStream::Create(root + "/MISSING.KWI"), EFOpenError);
    // A list cut before its entries cannot say the file is not one of them: no reading it unchanged.
    std::vector<uint8_t> list = fixture::buildCmpList({typeZero});
    list.resize(6);
    fixture::writeFile(root + "/05.CMP", list);
    try {
        TLN_DecompFileStream::Create(root + "/PLAIN.KWI");
        ADD_FAILURE() << "a file beside a cut list was read unchanged";
    } catch (const EReadError& error) {
        EXPECT_STREQ(error.what(),
                     "PLAIN.KWI: whether it is compressed cannot be told, the list 05.CMP is cut "
                     "(05.CMP, byte 4: entry 0 of Number of Compressed Files 1, the file holds 2 "
                     "of its 8 bytes)");
    }
    fixture::writeFile(root + "/05.CMP", fixture::buildCmpList({typeZero}));
    auto viaOpen = OpenKiwiFile(root + "/PLAIN.KWI");
    EXPECT_EQ(viaOpen->FileName(), root + "/PLAIN.KWI");
}

TEST(DecompFileStream, ListSearchCoversTheFolderAndTwoParents) {
    const auto content = fixture::mapLikeContent(100000, 2);
    // Grandparent: found.
    const std::string a = freshDir("search");
    fixture::writeCmpLayout(a, CmpLayout::Gzip05, "ONE/TWO/F.KWI", content);
    EXPECT_TRUE(TLN_DecompFileStream::Create(a + "/ONE/TWO/F.KWI")->Listed());
    // Great-grandparent: too far up.
    const std::string b = freshDir("search");
    fixture::writeCmpLayout(b, CmpLayout::Gzip05, "ONE/TWO/THREE/F.KWI", content);
    auto far = TLN_DecompFileStream::Create(b + "/ONE/TWO/THREE/F.KWI");
    EXPECT_FALSE(far->Listed());
    EXPECT_EQ(far->Size(), int64_t(fixture::readFile(b + "/ONE/TWO/THREE/F.KWI").size()));
    // In one folder only the first existing list is consulted; the search then moves up.
    const std::string c = freshDir("search");
    fixture::writeCmpLayout(c + "/SUB", CmpLayout::Gzip05, "F.KWI", content);
    fixture::writeFile(c + "/SUB/05.CMP", fixture::buildCmpList({}));
    fixture::writeCmpLayout(c + "/SUB", CmpLayout::Type1In06, "F.KWI", content); // 06.CMP beside it
    fixture::writeFile(c + "/SUB/05.CMP", fixture::buildCmpList({}));
    EXPECT_FALSE(TLN_DecompFileStream::Create(c + "/SUB/F.KWI")->Listed());
    fixture::CmpListEntryPlan parentEntry;
    const auto data = fixture::buildCmpDataFile(content, parentEntry);
    parentEntry.name = "SUB/F.KWI";
    fixture::writeFile(c + "/05.CMP", fixture::buildCmpList({parentEntry}));
    fixture::writeFile(c + "/SUB/F.KWI", data);
    auto found = TLN_DecompFileStream::Create(c + "/SUB/F.KWI");
    EXPECT_TRUE(found->Listed());
    EXPECT_EQ(readAll(*found), content);
    // Lower-case list names are found too.
    const std::string d = freshDir("search");
    const auto files = fixture::writeCmpLayout(d, CmpLayout::Gzip05, "F.KWI", content);
    std::rename(files.listPath.c_str(), (d + "/05.cmp").c_str());
    EXPECT_TRUE(TLN_DecompFileStream::Create(d + "/F.KWI")->Listed());
}

TEST(DecompFileStream, SlotCountFollowsTheFileSize) {
    // Huge declared sizes over one shared stored block: nothing of that size is ever allocated.
    const struct {
        uint32_t size;
        int slots;
    } cases[] = {{0x400000, 1}, {0x400001, 16}, {0x40000000, 16}, {0x40000001, 256}};
    const std::string root = freshDir("slots");
    std::vector<uint8_t> stored(2048 + 65536);
    for (size_t i = 0; i < stored.size(); ++i)
        stored[i] = fixture::positionByte(i);
    fixture::writeFile(root + "/DATA.BIN", stored);
    std::vector<fixture::CmpListEntryPlan> entries;
    for (const auto& c : cases) {
        fixture::CmpListEntryPlan e;
        e.name = "F" + std::to_string(c.size);
        e.type = 2;
        e.fileSize = c.size;
        e.blockCount = uint32_t((uint64_t(c.size) + 65535) / 65536);
        e.sectors.assign(e.blockCount, 1);
        e.sizes.assign(e.blockCount, 0);
        entries.push_back(e);
        fixture::writeFile(root + "/" + e.name, stored);
    }
    fixture::writeFile(root + "/05.CMP", fixture::buildCmpList(entries));
    for (const auto& c : cases) {
        auto s = TLN_DecompFileStream::Create(root + "/F" + std::to_string(c.size));
        ASSERT_TRUE(s->Listed());
        EXPECT_EQ(s->SlotCount(), c.slots) << c.size;
        EXPECT_EQ(s->Size(), int64_t(c.size));
        uint8_t last[3];
        EXPECT_EQ(s->ReadAt(int64_t(c.size) - 1, last, 3), 1);
        EXPECT_EQ(last[0], stored[2048 + (c.size - 1) % 65536]);
        EXPECT_EQ(
            TLN_DecompFileStream::CreateLocked(root + "/F" + std::to_string(c.size), nullptr)->SlotCount(),
            1);
    }
}

namespace {
std::shared_ptr<TLN_Stream> makeListed(const std::vector<uint8_t>& content) {
    const std::string root = freshDir("contract");
    fixture::writeCmpLayout(root, CmpLayout::GzipWithStored, "F.KWI", content);
    return TLN_DecompFileStream::Create(root + "/F.KWI");
}
std::shared_ptr<TLN_Stream> makeBpe(const std::vector<uint8_t>& content) {
    const std::string root = freshDir("contract");
    fixture::writeCmpLayout(root, CmpLayout::Bpe05, "F.KWI", content);
    return TLN_DecompFileStream::Create(root + "/F.KWI");
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Decompressing, StreamContract,
                         ::testing::Values(StreamFactory{"gzip", makeListed}, StreamFactory{"bpe", makeBpe}));
