// Block decoders: byte-pair packets (round trips, table edge cases, cycles, bombs, truncation) and the
// gzip/zlib block inflater (members, pass-through, truncation, corruption, both decoding paths).
#include <gtest/gtest.h>

#include "kiwi/cmp/BlockInflate.h"
#include "kiwi/cmp/BpeDecoder.h"
#include "kiwi/core/KiwiErrors.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"

namespace {
std::vector<uint8_t> decodeBpe(const std::vector<uint8_t>& packed, size_t capacity = 65536) {
    std::vector<uint8_t> out(capacity);
    BpeDecoder decoder;
    out.resize(decoder.Decode(packed.data(), packed.size(), out.data(), capacity));
    return out;
}

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ECompressionError& e) {
        return e.what();
    }
    return "(no error)";
}

// A packet whose table makes every code a literal except those given, then the packed bytes.
std::vector<uint8_t> packet(const std::vector<std::array<uint8_t, 3>>& pairs,
                            const std::vector<uint8_t>& packed) {
    fixture::ByteWriter w;
    // One entry per code, in runs of at most 128: count byte n-1, then n entries.
    for (int start = 0; start < 256; start += 128) {
        w.u8(127);
        for (int c = start; c < start + 128; ++c) {
            auto it = std::find_if(pairs.begin(), pairs.end(), [&](const auto& p) { return p[0] == c; });
            if (it == pairs.end())
                w.u8(uint32_t(c));
            else
                w.u8((*it)[1]).u8((*it)[2]);
        }
    }
    w.u16(uint32_t(packed.size())).raw(packed);
    return w.take();
}
} // namespace

TEST(BpeDecoder, RoundTripsTheTestEncoder) {
    for (size_t size : {size_t(1), size_t(100), size_t(4096), size_t(4097), size_t(65536)}) {
        const auto content = fixture::mapLikeContent(size, uint32_t(size));
        const auto packed = fixture::bpeEncode(content.data(), content.size());
        EXPECT_LT(packed.size(), content.size() + 300);
        EXPECT_EQ(decodeBpe(packed), content) << size;
    }
}

TEST(BpeDecoder, SkipCountsAndLiteralEntries) {
    // A single count byte 255 jumps to 128 and reads one entry there; further count bytes finish the
    // table at exactly 256, so a packed size follows.
    fixture::ByteWriter w;
    w.u8(255).u8(0x41).u8(0x42); // code 128 = "AB"
    w.u8(253).u8(255);           // skip 126 codes to 255, whose entry keeps it a literal
    // c is now 256: packed size and data.
    w.u16(3).u8(0x80).u8(0x44).u8(0x80);
    EXPECT_EQ(decodeBpe(w.bytes()), (std::vector<uint8_t>{'A', 'B', 'D', 'A', 'B'}));
    // A skip past 255 ends the table without a packed size: nothing is decoded from that packet.
    fixture::ByteWriter over;
    over.u8(255).u8(128).u8(255); // 128 stays a literal, then c jumps to 257
    EXPECT_TRUE(decodeBpe(over.bytes()).empty());
}

TEST(BpeDecoder, HostileTablesRaise) {
    // 5 -> (6, 6), 6 -> (5, 5): a cycle that would recurse forever.
    EXPECT_EQ(errorOf([&] { decodeBpe(packet({{5, 6, 6}, {6, 5, 5}}, {5})); }), "Byte-pair table is cyclic");
    // A cycle through right halves only grows the output instead of the stack.
    EXPECT_EQ(errorOf([&] {
                  decodeBpe(packet({{5, 65, 6}, {6, 66, 5}}, {5}));
              }),
              "Byte-pair data expands past the block size");
    // A legal table whose output doubles 17 times: 128 KiB from one byte.
    std::vector<std::array<uint8_t, 3>> doubling{{128, 'A', 'A'}};
    for (uint8_t c = 129; c < 145; ++c)
        doubling.push_back({c, uint8_t(c - 1), uint8_t(c - 1)});
    EXPECT_EQ(decodeBpe(packet(doubling, {143})).size(), 65536u); // 2^16 exactly fits
    EXPECT_EQ(errorOf([&] { decodeBpe(packet(doubling, {144})); }),
              "Byte-pair data expands past the block size");
    // A table cut short: the Part's message text.
    auto cut = packet({{200, 1, 2}}, {200});
    cut.resize(100);
    EXPECT_EQ(errorOf([&] { decodeBpe(cut); }), "File read error!");
    // A packed size larger than what follows decodes what is there.
    auto longSize = packet({}, {'x', 'y'});
    longSize[longSize.size() - 3] = 0x40;
    EXPECT_EQ(decodeBpe(longSize), (std::vector<uint8_t>{'x', 'y'}));
}

class BlockInflate : public ::testing::TestWithParam<bool> {
protected:
    BlockInflater inflater;
    void SetUp() override { inflater.SetFastPathEnabled(GetParam()); }
    std::vector<uint8_t> gunzip(const std::vector<uint8_t>& in, size_t capacity = 65536) {
        std::vector<uint8_t> out(capacity);
        out.resize(inflater.Gunzip(in.data(), in.size(), out.data(), capacity));
        return out;
    }
    std::vector<uint8_t> uncompress(const std::vector<uint8_t>& in, size_t capacity = 65536) {
        std::vector<uint8_t> out(capacity);
        out.resize(inflater.Uncompress(in.data(), in.size(), out.data(), capacity));
        return out;
    }
};

TEST_P(BlockInflate, GzipMembersPassThroughAndLimits) {
    const auto content = fixture::mapLikeContent(65536, 7);
    const auto member = fixture::gzipMember(content.data(), content.size());
    EXPECT_EQ(gunzip(member), content);
    // Output stops at the capacity (the file size in the last block).
    EXPECT_EQ(gunzip(member, 1000), std::vector<uint8_t>(content.begin(), content.begin() + 1000));
    // Two members, then trailing bytes that are not a member.
    auto first = fixture::gzipMember(content.data(), 30000);
    const auto second = fixture::gzipMember(content.data() + 30000, 35536);
    first.insert(first.end(), second.begin(), second.end());
    first.insert(first.end(), {1, 2, 3});
    EXPECT_EQ(gunzip(first), content);
    // Without the gzip magic the bytes come through unchanged, up to the capacity.
    const std::vector<uint8_t> raw{0x1F, 0x8C, 1, 2, 3, 4};
    EXPECT_EQ(gunzip(raw), raw);
    EXPECT_EQ(gunzip(raw, 3), std::vector<uint8_t>(raw.begin(), raw.begin() + 3));
    EXPECT_EQ(gunzip({0x1F}), std::vector<uint8_t>{0x1F});
}

TEST_P(BlockInflate, DamagedGzipRaisesWithZlibText) {
    const auto content = fixture::mapLikeContent(65536, 8);
    auto truncated = fixture::gzipMember(content.data(), content.size());
    truncated.resize(truncated.size() / 2);
    EXPECT_EQ(errorOf([&] { gunzip(truncated); }), "gzipopen error: can't gzread: unexpected end of file");
    // Truncated after the part the capacity needs: what is needed decodes.
    EXPECT_EQ(gunzip(truncated, 100), std::vector<uint8_t>(content.begin(), content.begin() + 100));
    auto corrupt = fixture::gzipMember(content.data(), content.size());
    corrupt[10] = 0xFF; // block type 3 in the first deflate header
    EXPECT_EQ(errorOf([&] { gunzip(corrupt); }).rfind("gzipopen error: can't gzread: ", 0), 0u);
    auto badCrc = fixture::gzipMember(content.data(), content.size());
    badCrc[badCrc.size() - 6] ^= 1;
    EXPECT_EQ(errorOf([&] { gunzip(badCrc); }), "gzipopen error: can't gzread: incorrect data check");
}

TEST_P(BlockInflate, ZlibBlocks) {
    const auto content = fixture::mapLikeContent(65536, 9);
    const auto stream = fixture::zlibStream(content.data(), content.size());
    EXPECT_EQ(uncompress(stream), content);
    EXPECT_EQ(errorOf([&] { uncompress(stream, 65535); }), "Zlib error"); // does not fit
    auto corrupt = stream;
    corrupt[corrupt.size() / 2] ^= 0x55;
    EXPECT_EQ(errorOf([&] { uncompress(corrupt); }), "Zlib error");
    auto truncated = stream;
    truncated.resize(truncated.size() - 10);
    EXPECT_EQ(errorOf([&] { uncompress(truncated); }), "Zlib error");
    EXPECT_EQ(errorOf([&] { uncompress({}); }), "Zlib error");
}

INSTANTIATE_TEST_SUITE_P(Paths, BlockInflate, ::testing::Values(false, true),
                         [](const auto& instance) { return instance.param ? "fast" : "zlib"; });
