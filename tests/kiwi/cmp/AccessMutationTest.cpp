// Seeded mutations of ISO images, CMP lists, compressed data files and block data: every damaged input
// ends in a KiwiError or a bounded result: no more bytes than the file or the buffer holds, and nothing
// written past the capacity a reader or decoder is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "kiwi/cmp/BlockInflate.h"
#include "kiwi/cmp/BpeDecoder.h"
#include "kiwi/cmp/CmpListCache.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/iso/ISOImage.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoWriter.h"

namespace {
using Record = fixture::IsoWriter::Record;
constexpr uint8_t Dir = fixture::IsoWriter::DirectoryFlag;

constexpr uint8_t kSentinel = 0xA5;
constexpr size_t kSentinelBytes = 64;

// A buffer of capacity bytes followed by sentinel bytes that no read of at most capacity may touch: a
// buffer merely larger than the capacity a reader is told would hide an overrun, even from the sanitizer.
std::vector<uint8_t> guarded(size_t capacity) {
    std::vector<uint8_t> buffer(capacity + kSentinelBytes, 0);
    std::fill(buffer.begin() + std::ptrdiff_t(capacity), buffer.end(), kSentinel);
    return buffer;
}
bool tailUntouched(const std::vector<uint8_t>& buffer, size_t capacity) {
    return std::all_of(buffer.begin() + std::ptrdiff_t(capacity), buffer.end(),
                       [](uint8_t b) { return b == kSentinel; });
}

void walk(TISOImage& image, const TDirectoryEntry* d, int& files) {
    constexpr size_t capacity = 9000;
    std::vector<uint8_t> buf = guarded(capacity);
    for (int i = 0; i < d->FileCount(); ++i) {
        ++files;
        for (int64_t from : {int64_t(0), int64_t(4000)}) {
            const TFileEntry& file = *d->GetFile(i);
            const int64_t got = image.ReadFileData(file, from, buf.data(), int64_t(capacity));
            // No more than the record's length leaves after from.
            EXPECT_LE(got, std::max<int64_t>(0, int64_t(file.DataLength()) - from));
            EXPECT_TRUE(tailUntouched(buf, capacity));
        }
    }
    for (int i = 0; i < d->DirectoryCount(); ++i)
        walk(image, d->GetDirectory(i), files);
}

void mutate(std::vector<uint8_t>& bytes, size_t from, size_t to, std::mt19937& rng, int edits) {
    if (to <= from) return;
    std::uniform_int_distribution<size_t> where(from, to - 1);
    for (int k = 0; k < edits; ++k) {
        const size_t at = where(rng);
        switch (rng() % 4) {
        case 0:
            bytes[at] = uint8_t(rng());
            break;
        case 1:
            bytes[at] = 0xFF;
            break;
        case 2:
            bytes[at] = 0;
            break;
        default:
            bytes[at] ^= uint8_t(1u << (rng() % 8));
            break;
        }
    }
}
} // namespace

TEST(AccessMutation, IsoImages) {
    fixture::IsoWriter iso(40);
    iso.primary(16, 20, 2048);
    iso.descriptor(17, 2, 20, 2048);
    iso.terminator(18);
    iso.directory(20, 20, 2048, {{"A.TXT;1", 30, 5000}, {"SUB", 21, 2048, Dir}, {"Z.BIN;1", 34, 100}});
    iso.directory(21, 20, 2048, {{"B.TXT;1", 33, 300}, {"DEEP", 22, 2048, Dir}});
    iso.directory(22, 21, 2048, {{"C.TXT;1", 35, 3000}});
    iso.data(30, fixture::patternBytes(5000, 1));
    const auto base = iso.bytes();
    const std::string path = fixture::scratchDir("access-mutation-iso") + "/m.iso";
    {
        fixture::writeFile(path, base);
        TISOImage image(path);
        ASSERT_TRUE(image.OpenImage());
        int files = 0;
        walk(image, image.Tree()->Root(), files);
        ASSERT_EQ(files, 4); // the undamaged tree
    }
    std::mt19937 rng(1234);
    for (int round = 0; round < 500; ++round) {
        auto bytes = base;
        mutate(bytes, 16 * 2048, 23 * 2048, rng, 1 + int(rng() % 8));
        fixture::writeFile(path, bytes);
        TISOImage image(path);
        try {
            if (!image.OpenImage()) continue;
        } catch (const KiwiError&) {
            continue;
        }
        int files = 0;
        walk(image, image.Tree()->Root(), files);
        EXPECT_LE(files, 2000); // at most what 40 sectors of records can name
    }
}

TEST(AccessMutation, CompressedFiles) {
    const auto content = fixture::mapLikeContent(3 * 65536 + 777, 5);
    std::mt19937 rng(99);
    const fixture::CmpLayout layouts[] = {fixture::CmpLayout::Gzip05, fixture::CmpLayout::Bpe05,
                                          fixture::CmpLayout::Segmented258, fixture::CmpLayout::Zlib13,
                                          fixture::CmpLayout::GzipWithStored};
    const size_t capacity = content.size() + 100;
    std::vector<uint8_t> all = guarded(capacity);
    for (auto layout : layouts) {
        const std::string root =
            fixture::scratchDir(std::string("access-mutation-cmp-") + fixture::cmpLayoutName(layout));
        const auto files = fixture::writeCmpLayout(root, layout, "F.KWI", content);
        const auto list = fixture::readFile(files.listPath);
        const auto data = fixture::readFile(files.dataPath);
        {
            CmpListCache::instance().clear();
            auto s = TLN_DecompFileStream::Create(files.dataPath);
            ASSERT_EQ(s->ReadAt(0, all.data(), int64_t(capacity)), int64_t(content.size()));
            ASSERT_TRUE(std::equal(content.begin(), content.end(), all.begin())); // the undamaged file
        }
        for (int round = 0; round < 80; ++round) {
            auto l = list;
            auto d = data;
            if (rng() % 2)
                mutate(l, 0, l.size(), rng, 1 + int(rng() % 4));
            else
                mutate(d, 0, d.size(), rng, 1 + int(rng() % 16));
            if (rng() % 8 == 0) d.resize(rng() % d.size());
            fixture::writeFile(files.listPath, l);
            fixture::writeFile(files.dataPath, d);
            CmpListCache::instance().clear();
            // A damaged file reads as at most what its size says, and never past the buffer it is given.
            try {
                auto s = TLN_DecompFileStream::Create(files.dataPath);
                const int64_t got = s->ReadAt(0, all.data(), int64_t(capacity));
                EXPECT_LE(got, std::min(int64_t(capacity), std::max<int64_t>(s->Size(), 0)));
                EXPECT_TRUE(tailUntouched(all, capacity));
            } catch (const KiwiError&) {
            }
            try {
                auto s = TLN_DecompFileStream::Create(files.dataPath);
                for (int64_t b = 0; b < 5; ++b) {
                    try {
                        s->LoadBlock(b);
                    } catch (const KiwiError&) {
                    }
                }
                EXPECT_LE(s->ReadAt(65530, all.data(), 100), 100);
                EXPECT_TRUE(tailUntouched(all, capacity));
            } catch (const KiwiError&) {
            }
        }
    }
}

TEST(AccessMutation, Decoders) {
    const auto content = fixture::mapLikeContent(65536, 3);
    const auto bpe = fixture::bpeEncode(content.data(), content.size());
    const auto gz = fixture::gzipMember(content.data(), content.size());
    const auto zl = fixture::zlibStream(content.data(), content.size());
    std::mt19937 rng(7);
    BpeDecoder bpeDecoder;
    BlockInflater inflater;
    for (int round = 0; round < 1000; ++round) {
        for (const auto* input : {&bpe, &gz, &zl}) {
            auto m = *input;
            mutate(m, 0, m.size(), rng, 1 + int(rng() % 6));
            if (rng() % 4 == 0) m.resize(rng() % m.size());
            // The decoders are told a capacity; the bytes behind it carry sentinels that must survive.
            const size_t capacity = input == &bpe ? 65536 : 1 + rng() % 65536;
            std::vector<uint8_t> out = guarded(capacity);
            try {
                size_t produced = 0;
                if (input == &bpe)
                    produced = bpeDecoder.Decode(m.data(), m.size(), out.data(), capacity);
                else if (input == &gz)
                    produced = inflater.Gunzip(m.data(), m.size(), out.data(), capacity);
                else
                    produced = inflater.Uncompress(m.data(), m.size(), out.data(), capacity);
                EXPECT_LE(produced, capacity) << "round " << round;
            } catch (const KiwiError&) {
            }
            ASSERT_TRUE(tailUntouched(out, capacity)) << "round " << round << ", capacity " << capacity;
        }
    }
}
