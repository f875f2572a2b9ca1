// The pure range search: hits at the start, across chunk borders and in the last bytes, ranges of exactly
// the pattern's length, case folding, short reads and read errors, stop, pause and resume.
#include <gtest/gtest.h>

#include "HexTestSupport.h"
#include "hexview/model/HexCharTable.h"
#include "hexview/model/HexRangeSearch.h"
#include "support/fixtures/SearchFixture.h"

namespace {

using fixture::bytesOf;

HexSearchPattern pattern(const std::string& text, bool ignoreCase = false, int codePage = 1252) {
    const HexCharTable table(codePage);
    return HexSearchPattern(reinterpret_cast<const uint8_t*>(text.data()), text.size(), ignoreCase,
                            table.UpperCase());
}

// Every hit from start on, each search beginning one byte after the previous hit.
std::vector<int64_t> allHits(TLN_Stream& stream, const HexSearchPattern& p, int64_t end,
                             const HexRangeLimits& limits) {
    std::vector<int64_t> hits;
    int64_t start = 0;
    for (;;) {
        const HexRangeResult r = SearchRange(stream, p, start, end, limits);
        if (r.status != HexRangeStatus::Found) break;
        hits.push_back(r.hit);
        start = r.hit + 1;
    }
    return hits;
}

TEST(HexRangeSearch, FindsEveryPlantedHitWhereMemmemDoes) {
    const std::string text = "KIWI\x01\x02PATTERN";
    const auto needle = bytesOf(text);
    const int64_t chunk = 4096;
    const int64_t step = chunk - int64_t(needle.size()) + 1;
    const size_t size = 1 << 20;
    std::vector<fixture::PlantedPattern> plants;
    for (int64_t at : {int64_t(0), step - 1, 2 * step + 3, 2 * chunk - 5, 5 * step - 6, int64_t(size / 2),
                       int64_t(size) - int64_t(needle.size())})
        plants.push_back({at, needle});
    const auto bytes = fixture::searchHaystack(size, 7, plants);
    auto stream = hextest::memoryStream(bytes);
    const auto expected = fixture::memmemOffsets(bytes, needle);
    ASSERT_EQ(expected.size(), plants.size());
    for (const int64_t c : {chunk, int64_t(2 * needle.size()), kSearchChunkSize}) {
        HexRangeLimits limits;
        limits.chunkSize = c;
        EXPECT_EQ(allHits(*stream, pattern(text), int64_t(size), limits), expected) << c;
    }
}

TEST(HexRangeSearch, ARangeOfExactlyThePatternLengthIsSearched) {
    auto stream = hextest::memoryStream(bytesOf("xxABCDyy"));
    EXPECT_EQ(SearchRange(*stream, pattern("ABCD"), 2, 6).hit, 2);
    EXPECT_EQ(SearchRange(*stream, pattern("ABCD"), 2, 5).status, HexRangeStatus::NotFound);
    EXPECT_EQ(SearchRange(*stream, pattern("ABCD"), 0, 8).hit, 2);
    // The last byte of the range counts: a block that ends with the pattern finds it.
    EXPECT_EQ(SearchRange(*stream, pattern("Dyy"), 0, 8).hit, 5);
    EXPECT_EQ(SearchRange(*stream, pattern("Dyy"), 0, 7).status, HexRangeStatus::NotFound);
}

TEST(HexRangeSearch, AnEmptyPatternFindsNothing) {
    auto stream = hextest::memoryStream(bytesOf("abc"));
    EXPECT_EQ(SearchRange(*stream, pattern(""), 0, 3).status, HexRangeStatus::NotFound);
    EXPECT_EQ(SearchRange(*stream, pattern(""), 0, 3).hit, -1);
}

TEST(HexRangeSearch, IgnoringCaseFoldsThroughTheCodePage) {
    auto stream = hextest::memoryStream(bytesOf("..ABC..Abc..abc..aBd"));
    const auto p = pattern("abc", true);
    HexRangeLimits limits;
    EXPECT_EQ(allHits(*stream, p, 20, limits), (std::vector<int64_t>{2, 7, 12}));
    EXPECT_EQ(allHits(*stream, pattern("abc"), 20, limits), (std::vector<int64_t>{12}));
    // Cyrillic in 1251: "жук" finds "ЖУК".
    auto cyrillic = hextest::memoryStream({'-', 0xC6, 0xD3, 0xCA, '-'});
    EXPECT_EQ(SearchRange(*cyrillic, pattern("\xE6\xF3\xEA", true, 1251), 0, 5).hit, 1);
}

TEST(HexRangeSearch, AShortReadEndsTheSearch) {
    // The stream claims a megabyte and delivers 100 KiB: the search ends instead of going round.
    auto bytes = fixture::searchHaystack(100 * 1024, 3, {{90000, bytesOf("NEEDLE")}});
    hextest::ShortReadStream stream(bytes, 1 << 20);
    HexRangeLimits limits;
    limits.chunkSize = 4096;
    EXPECT_EQ(SearchRange(stream, pattern("NEEDLE"), 0, 1 << 20, limits).hit, 90000);
    const HexRangeResult missing = SearchRange(stream, pattern("ABSENT"), 0, 1 << 20, limits);
    EXPECT_EQ(missing.status, HexRangeStatus::NotFound);
    EXPECT_LE(stream.reads.load(), 2 * (100 * 1024 / 4000 + 2));
}

TEST(HexRangeSearch, AReadErrorFailsWithItsReason) {
    hextest::FailingStream failing(1 << 20);
    const HexRangeResult failed = SearchRange(failing, pattern("ABSENT"), 0, 1 << 20);
    EXPECT_EQ(failed.status, HexRangeStatus::Failed);
    EXPECT_EQ(failed.error, "File read error!");
    EXPECT_EQ(failed.next, 0);
}

TEST(HexRangeSearch, StopAndPauseKeepEveryHitReachable) {
    const std::string text = "BORDER";
    const auto bytes = fixture::searchHaystack(64 * 1024, 9, {{4093, bytesOf(text)}});
    auto stream = hextest::memoryStream(bytes);
    HexRangeLimits limits;
    limits.chunkSize = 4096;
    limits.byteBudget = 1;
    // The budget pauses before the second chunk; going on from there finds the hit across the border.
    const HexRangeResult paused = SearchRange(*stream, pattern(text), 0, int64_t(bytes.size()), limits);
    ASSERT_EQ(paused.status, HexRangeStatus::Paused);
    EXPECT_EQ(paused.next, 4096 - 5);
    EXPECT_EQ(SearchRange(*stream, pattern(text), paused.next, int64_t(bytes.size())).hit, 4093);
    limits.byteBudget = -1;
    const HexRangeResult stopped = SearchRange(*stream, pattern("ABSENT"), 0, int64_t(bytes.size()), limits,
                                               [](int64_t) { return false; });
    EXPECT_EQ(stopped.status, HexRangeStatus::Stopped);
    EXPECT_EQ(stopped.next, 4096 - 5);
}

TEST(HexRangeSearch, PercentOfSmallAndHugeRanges) {
    EXPECT_EQ(SearchPercent(0, 0), 0);
    EXPECT_EQ(SearchPercent(5, 50), 10);
    EXPECT_EQ(SearchPercent(99, 99), 100);
    EXPECT_EQ(SearchPercent(INT64_MAX / 2, INT64_MAX), 50);
    EXPECT_EQ(SearchPercent(INT64_MAX, INT64_MAX), 100);
}

} // namespace
