// The decompressing stream on damaged files: failed blocks never leave stale bytes, truncated data is an
// error, bad "13.CMP" headers and absurd tables leave the file unlisted, suspect long blocks are recorded.
#include <gtest/gtest.h>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/KiwiErrors.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"

using fixture::CmpLayout;

namespace {
int scratchCounter = 0;

std::string freshDir(const std::string& name) {
    return fixture::scratchDir("decomp-hostile-" + name + "-" + std::to_string(scratchCounter++));
}

std::vector<uint8_t> readRange(TLN_Stream& s, int64_t position, int64_t count) {
    std::vector<uint8_t> out(static_cast<size_t>(count));
    out.resize(size_t(s.ReadAt(position, out.data(), count)));
    return out;
}

std::vector<uint8_t> slice(const std::vector<uint8_t>& v, size_t from, size_t count) {
    return std::vector<uint8_t>(v.begin() + from, v.begin() + from + count);
}

// A type-2 file whose block table is rewritten by edit before the list is written.
struct EditedFile {
    std::string path;
    std::vector<uint8_t> content;
    std::vector<uint8_t> data;
    fixture::CmpListEntryPlan plan;
};
EditedFile gzipFile(const std::string& root, size_t size, uint16_t type = 2) {
    EditedFile f;
    f.path = root + "/F.KWI";
    f.content = fixture::mapLikeContent(size, 17);
    f.plan.name = "F.KWI";
    f.plan.type = type;
    f.data = fixture::buildCmpDataFile(f.content, f.plan);
    return f;
}
void write(const EditedFile& f, const std::string& root) {
    fixture::writeFile(root + "/05.CMP", fixture::buildCmpList({f.plan}));
    fixture::writeFile(f.path, f.data);
}
} // namespace

TEST(DecompFileStreamHostile, FailedBlockDoesNotDisturbCachedBlocks) {
    const std::string root = freshDir("failed");
    auto f = gzipFile(root, 3 * 65536);
    // Block 1's deflate data is corrupted after its gzip header.
    const size_t block1 = size_t(f.plan.sectors[1]) * 2048;
    f.data[block1 + 10] = 0xFF;
    write(f, root);
    auto s = TLN_DecompFileStream::Create(f.path);
    ASSERT_EQ(s->SlotCount(), 1);
    EXPECT_EQ(readRange(*s, 100, 50), slice(f.content, 100, 50)); // block 0 cached
    EXPECT_THROW(readRange(*s, 65536 + 5, 10), ECompressionError);
    // The slot that held block 0 was taken for block 1 and failed: block 0 is decoded again, not
    // served from a slot claiming to hold it, and block 1 fails again instead of giving stale bytes.
    EXPECT_EQ(readRange(*s, 100, 50), slice(f.content, 100, 50));
    EXPECT_THROW(readRange(*s, 65536 + 5, 10), ECompressionError);
    EXPECT_THROW(s->LoadBlock(1), ECompressionError);
    EXPECT_EQ(s->CurrentBlockData(), nullptr);
    // Block numbers no file can have are refused, never turned into sizes.
    EXPECT_THROW(s->LoadBlock(INT64_MAX), ECompressionError);
    EXPECT_THROW(s->LoadBlock(-1), ECompressionError);
    EXPECT_EQ(readRange(*s, 2 * 65536, 65536), slice(f.content, 2 * 65536, 65536));
    // A read that crosses into the bad block raises as a whole.
    EXPECT_THROW(readRange(*s, 65000, 1000), ECompressionError);
}

TEST(DecompFileStreamHostile, TruncatedDataIsAnErrorNotStaleBytes) {
    for (const bool storedLast : {false, true}) {
        const std::string root = freshDir("truncated");
        auto f = gzipFile(root, 2 * 65536 + 40000);
        if (storedLast) {
            std::vector<fixture::BlockCoding> coding{
                fixture::BlockCoding::Listed, fixture::BlockCoding::Listed, fixture::BlockCoding::Stored};
            f.data = fixture::buildCmpDataFile(f.content, f.plan, coding);
        }
        f.data.resize(f.data.size() - 1000);
        write(f, root);
        auto s = TLN_DecompFileStream::Create(f.path);
        EXPECT_EQ(readRange(*s, 0, 2 * 65536), slice(f.content, 0, 2 * 65536));
        // A stored block delivers what is there; a gzip block cannot be decoded at all.
        if (storedLast)
            EXPECT_EQ(readRange(*s, 65536 * 2, 100), slice(f.content, 65536 * 2, 100));
        else
            EXPECT_THROW(readRange(*s, 65536 * 2, 100), ECompressionError);
        EXPECT_THROW(readRange(*s, 65536 * 2 + 39990, 10), ECompressionError) << storedLast;
    }
}

TEST(DecompFileStreamHostile, BlocksTheTableLacksRaise) {
    const std::string root = freshDir("lacking");
    auto f = gzipFile(root, 3 * 65536);
    f.plan.blockCount = 1; // the list declares 3 × 64 KiB but locates only one block
    f.plan.sectors.resize(1);
    f.plan.sizes.resize(1);
    write(f, root);
    auto s = TLN_DecompFileStream::Create(f.path);
    ASSERT_TRUE(s->Listed());
    EXPECT_EQ(readRange(*s, 0, 65536), slice(f.content, 0, 65536));
    EXPECT_THROW(readRange(*s, 65536, 1), ECompressionError);
}

TEST(DecompFileStreamHostile, AbsurdCountsRefuseTheFile) {
    for (const bool segments : {false, true}) {
        const std::string root = freshDir("absurd");
        auto f = gzipFile(root, 100000, segments ? 258 : 2);
        if (segments)
            f.plan.segmentCountField = 0xFFFFFFFF;
        else
            f.plan.blockCount = 0xFFFFFFFF;
        write(f, root);
        // Listed compressed, with a table that is none: neither decompressed nor read as it is.
        EXPECT_THROW(TLN_DecompFileStream::Create(f.path), EReadError);
    }
}

TEST(DecompFileStreamHostile, BytePairBombsAndCyclesRaise) {
    const std::string root = freshDir("bpe");
    auto f = gzipFile(root, 65536, 1);
    // Replace the block with a packet whose codes 5 and 6 expand into each other.
    fixture::ByteWriter packet;
    packet.u8(127 + 5).u8(6).u8(6).u8(0).u8(5).u8(5); // skip to 5: 5 -> (6,6); then 6 -> (5,5)
    packet.u8(255).u8(135);                           // skip to 135, which stays a literal
    packet.u8(127 + 120);                             // skip to 256: the table ends, a packed size follows
    packet.u16(1).u8(5);                              // one packed byte: code 5
    EXPECT_EQ(packet.size(), 12u);
    fixture::ByteWriter block;
    block.raw(packet.bytes());
    f.data.resize(size_t(f.plan.sectors[0]) * 2048);
    f.data.insert(f.data.end(), block.bytes().begin(), block.bytes().end());
    f.plan.sizes[0] = uint16_t(block.size());
    write(f, root);
    auto s = TLN_DecompFileStream::Create(f.path);
    ASSERT_TRUE(s->Listed());
    uint8_t b;
    try {
        s->ReadAt(0, &b, 1);
        ADD_FAILURE() << "no error";
    } catch (const ECompressionError& e) {
        EXPECT_STREQ(e.what(), "Byte-pair table is cyclic");
    }
}

TEST(DecompFileStreamHostile, BadZlibHeadersReadUnchanged) {
    const auto content = fixture::mapLikeContent(3 * 65536 + 5, 23);
    const auto good = fixture::buildCmp13DataFile(content);
    auto variant = [&](const std::function<void(std::vector<uint8_t>&)>& edit) {
        const std::string root = freshDir("zlib13");
        fixture::writeCmpLayout(root, CmpLayout::Zlib13, "F.KWI", content);
        auto data = good;
        edit(data);
        fixture::writeFile(root + "/F.KWI", data);
        return TLN_DecompFileStream::Create(root + "/F.KWI");
    };
    EXPECT_TRUE(variant([](auto&) {})->Listed());
    // Descending offsets: block 2 before block 1.
    auto descending =
        variant([](auto& d) { std::swap_ranges(d.begin() + 22, d.begin() + 26, d.begin() + 26); });
    EXPECT_FALSE(descending->Listed());
    EXPECT_EQ(descending->Size(), int64_t(good.size()));
    EXPECT_FALSE(variant([](auto& d) { d[18 + 4 * 3] = 0x7F; })->Listed()); // an offset past the file
    EXPECT_FALSE(variant([](auto& d) { d[17] = 3; })->Listed());            // too few blocks for the size
    EXPECT_FALSE(variant([](auto& d) { d[17] = 0xFF, d[16] = 0xFF; })->Listed()); // table past the file
    EXPECT_FALSE(variant([](auto& d) { d[9] = 3; })->Listed());
    EXPECT_FALSE(variant([](auto& d) { d[15] = 1; })->Listed());
    EXPECT_FALSE(variant([](auto& d) { d[3] = 'X'; })->Listed());
    // A corrupt zlib block raises "Zlib error".
    auto corrupt = variant([](auto& d) { d[d.size() - 50] ^= 0x5A; });
    ASSERT_TRUE(corrupt->Listed());
    std::vector<uint8_t> all(content.size());
    try {
        corrupt->ReadAt(0, all.data(), int64_t(all.size()));
        ADD_FAILURE() << "no error";
    } catch (const ECompressionError& e) {
        EXPECT_STREQ(e.what(), "Zlib error");
    }
}

TEST(DecompFileStreamHostile, LongZlibBlocksAreCutAndRecorded) {
    const std::string root = freshDir("long13");
    const auto content = fixture::mapLikeContent(2 * 65536, 29);
    fixture::writeCmpLayout(root, CmpLayout::Zlib13, "F.KWI", content);
    // Block 0 stored raw and followed by 4464 extra bytes: 70000 bytes to the next offset.
    fixture::ByteWriter w;
    w.text("CMP").u8(0).u32(0).u16(2).u32(uint32_t(content.size())).u16(4096).u16(2);
    w.u32(26).u32(26 + 70000);
    w.raw(content.data(), 65536).fill(70000 - 65536, 0xAB);
    const auto second = fixture::zlibStream(content.data() + 65536, 65536);
    w.raw(second);
    fixture::writeFile(root + "/F.KWI", w.bytes());
    auto s = TLN_DecompFileStream::Create(root + "/F.KWI");
    ASSERT_TRUE(s->Listed());
    EXPECT_EQ(readRange(*s, 0, int64_t(content.size())), content);
    EXPECT_EQ(s->SuspectBlocks(), std::vector<int64_t>{0});
    // The unpack workers' variant does not read "13.CMP" files decompressed.
    std::mutex lock;
    auto locked = TLN_DecompFileStream::CreateLocked(root + "/F.KWI", &lock);
    EXPECT_FALSE(locked->Listed());
    EXPECT_EQ(locked->Size(), int64_t(w.size()));
}
