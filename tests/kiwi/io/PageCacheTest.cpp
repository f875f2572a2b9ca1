// The page cache of unlisted files: random small reads, across pages and at the end, deliver exactly the
// stream's bytes; large reads go straight through; pages are reused least recently used first; readers on
// several threads share the pages; a page read that fails leaves the read asked for to decide.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/io/PageCache.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/StreamContract.h"

namespace {

constexpr int64_t kPage = PageCache::pageSize;

std::vector<uint8_t> content(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = fixture::positionByte(i * 13 + 5);
    return bytes;
}

// A memory stream that counts the reads reaching it and, when asked, fails every read that touches a byte
// at or past failFrom (as a volume part cut on disk does).
class ProbeStream : public TLN_Stream {
public:
    explicit ProbeStream(std::vector<uint8_t> bytes) : inner_(std::move(bytes)) {}
    int64_t Size() override { return inner_.Size(); }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        reads.fetch_add(1);
        if (count > 0 && position + count > failFrom) throw EReadError("File Read or File Size Error part2");
        return inner_.ReadAt(position, buffer, count);
    }
    std::string FileName() const override { return "probe"; }

    std::atomic<int> reads{0};
    int64_t failFrom = INT64_MAX;

private:
    TLN_MemoryStream inner_;
};

// What a read of count bytes at position must deliver from bytes.
int64_t expectedCount(const std::vector<uint8_t>& bytes, int64_t position, int64_t count) {
    if (position < 0 || count <= 0 || position >= int64_t(bytes.size())) return 0;
    return std::min<int64_t>(count, int64_t(bytes.size()) - position);
}

void checkRead(PageCache& pages, TLN_Stream& source, const std::vector<uint8_t>& bytes, int64_t position,
               int64_t count) {
    std::vector<uint8_t> out(size_t(std::max<int64_t>(count, 0)) + 1, 0xEE);
    const int64_t got = pages.Read(source, position, out.data(), count);
    const int64_t expected = expectedCount(bytes, position, count);
    ASSERT_EQ(got, expected) << "at " << position << " count " << count;
    if (got > 0) {
        ASSERT_TRUE(std::equal(out.begin(), out.begin() + got, bytes.begin() + position)) << position;
    }
    EXPECT_EQ(out[size_t(got)], 0xEE) << "a byte past the delivered ones was written at " << position;
}

} // namespace

TEST(PageCache, RandomSmallReadsMatchTheStream) {
    // Three whole pages and a part of a fourth: the last page is short.
    const auto bytes = content(size_t(3 * kPage + 1234));
    ProbeStream source(bytes);
    PageCache pages(2);
    uint64_t seed = 7;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        const int64_t position = int64_t((seed >> 20) % uint64_t(bytes.size() + 600)) - 50;
        const int64_t count = int64_t((seed >> 50) % uint64_t(PageCache::smallReadLimit + 1));
        checkRead(pages, source, bytes, position, count);
    }
}

TEST(PageCache, EdgesOfPagesAndOfTheStream) {
    const int64_t size = 2 * kPage + 100;
    const auto bytes = content(size_t(size));
    ProbeStream source(bytes);
    PageCache pages;
    const int64_t limit = PageCache::smallReadLimit;
    const struct {
        int64_t position;
        int64_t count;
    } cases[] = {
        {0, 1},
        {kPage - 1, 1},
        {kPage - 1, 2},
        {kPage - 10, limit}, // across a page
        {2 * kPage - 3, 6},
        {size - 1, 1},
        {size - 1, 2},
        {size - 10, limit}, // across the end
        {size, 1},
        {size + 5, 10},
        {2 * kPage + 100, 4},
        {-1, 4}, // at and past it
        {5, 0},
        {5, -3},
        {INT64_MAX - 2, 2},
        {3 * kPage, 1},
    };
    for (const auto& c : cases)
        checkRead(pages, source, bytes, c.position, c.count);
}

TEST(PageCache, ExactlyOnePageLongStreamEndsAtThePageEnd) {
    const auto bytes = content(size_t(kPage));
    ProbeStream source(bytes);
    PageCache pages;
    checkRead(pages, source, bytes, kPage - 4, 8);
    checkRead(pages, source, bytes, kPage, 8);
    checkRead(pages, source, bytes, 0, 8);
}

TEST(PageCache, LargeReadsGoStraightThroughAndSmallOnesShareAPage) {
    const auto bytes = content(size_t(4 * kPage));
    ProbeStream source(bytes);
    PageCache pages;
    for (int64_t position = 0; position < kPage; position += 256)
        checkRead(pages, source, bytes, position, 256);
    EXPECT_EQ(source.reads.load(), 1);
    EXPECT_EQ(pages.PageLoads(), 1u);
    checkRead(pages, source, bytes, 100, PageCache::smallReadLimit + 1);
    EXPECT_EQ(source.reads.load(), 2);
    EXPECT_EQ(pages.PageLoads(), 1u);
}

TEST(PageCache, TheLeastRecentlyUsedPageGoes) {
    const auto bytes = content(size_t(4 * kPage));
    ProbeStream source(bytes);
    PageCache pages(2);
    checkRead(pages, source, bytes, 0, 4);         // page 0
    checkRead(pages, source, bytes, kPage, 4);     // page 1
    checkRead(pages, source, bytes, 10, 4);        // page 0 again: now page 1 is the oldest
    checkRead(pages, source, bytes, 2 * kPage, 4); // page 2 replaces page 1
    EXPECT_EQ(pages.PageLoads(), 3u);
    checkRead(pages, source, bytes, 20, 4); // page 0 is still held
    EXPECT_EQ(pages.PageLoads(), 3u);
    checkRead(pages, source, bytes, kPage + 8, 4); // page 1 must be read again
    EXPECT_EQ(pages.PageLoads(), 4u);
}

TEST(PageCache, AFailingPageLeavesTheReadAskedForToDecide) {
    const auto bytes = content(size_t(2 * kPage));
    ProbeStream source(bytes);
    source.failFrom = 1000;
    PageCache pages;
    // The page would reach the failing bytes; the bytes asked for do not.
    checkRead(pages, source, bytes, 10, 100);
    // Bytes that fail to read still fail, with the stream's own error.
    std::vector<uint8_t> out(100);
    EXPECT_THROW(pages.Read(source, 950, out.data(), 100), EReadError);
    // Nothing half-read was kept: once the stream reads again, pages serve it.
    source.failFrom = INT64_MAX;
    checkRead(pages, source, bytes, 950, 100);
    checkRead(pages, source, bytes, 10, 100);
}

TEST(PageCache, ConcurrentReadersSeeTheStreamsBytes) {
    const auto bytes = content(size_t(6 * kPage + 77));
    ProbeStream source(bytes);
    // Fewer pages than the threads touch, so that pages are replaced while others read.
    PageCache pages(2);
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            uint64_t seed = 1000 + uint64_t(t);
            std::vector<uint8_t> out(static_cast<size_t>(PageCache::smallReadLimit));
            for (int i = 0; i < 4000; ++i) {
                seed = seed * 6364136223846793005ull + 1442695040888963407ull;
                const int64_t position = int64_t((seed >> 20) % uint64_t(bytes.size() + 100));
                const int64_t count = 1 + int64_t((seed >> 50) % uint64_t(PageCache::smallReadLimit));
                const int64_t got = pages.Read(source, position, out.data(), count);
                if (got != expectedCount(bytes, position, count) ||
                    !std::equal(out.begin(), out.begin() + std::max<int64_t>(got, 0),
                                bytes.begin() + std::min<int64_t>(position, int64_t(bytes.size()))))
                    ++mismatches;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(PageCache, UnlistedFilesReadThroughPagesListedOnesDoNot) {
    const std::string folder = fixture::scratchDir("page-cache-unlisted");
    const auto bytes = content(size_t(kPage + 500));
    fixture::writeFile(folder + "/PLAIN.KWI", bytes);
    auto stream = TLN_DecompFileStream::Create(folder + "/PLAIN.KWI");
    ASSERT_FALSE(stream->Listed());
    ASSERT_NE(stream->Pages(), nullptr);
    std::vector<uint8_t> out(64);
    for (int64_t position = 0; position < int64_t(bytes.size()); position += 64) {
        const int64_t got = stream->ReadAt(position, out.data(), 64);
        ASSERT_EQ(got, expectedCount(bytes, position, 64));
        ASSERT_TRUE(std::equal(out.begin(), out.begin() + got, bytes.begin() + position));
    }
    EXPECT_EQ(stream->Pages()->PageLoads(), 2u);
    // The unpack workers' variant reads an unlisted file directly.
    std::mutex lock;
    EXPECT_EQ(TLN_DecompFileStream::CreateLocked(folder + "/PLAIN.KWI", &lock)->Pages(), nullptr);
}

namespace {
std::shared_ptr<TLN_Stream> makeUnlisted(const std::vector<uint8_t>& bytes) {
    static int counter = 0;
    const std::string path =
        fixture::scratchDir("page-cache-contract") + "/U" + std::to_string(counter++) + ".KWI";
    fixture::writeFile(path, bytes);
    return TLN_DecompFileStream::Create(path);
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Unlisted, StreamContract,
                         ::testing::Values(StreamFactory{"unlisted", makeUnlisted}));
