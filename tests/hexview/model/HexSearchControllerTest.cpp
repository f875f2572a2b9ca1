// The two-stage search through the controller: every planted hit of a 20 MiB stream, the border between
// the inline stage and the worker, "Find next" enumerating what memmem finds, progress, cancel, refusal
// while running, a stream change and destruction during a search.
#include <gtest/gtest.h>

#include "HexTestSupport.h"
#include "kiwi/io/HandleStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/SearchFixture.h"

namespace {

using fixture::bytesOf;
using hextest::waitForEnd;
constexpr int64_t kTwentyMiB = 20 << 20;

QByteArray qbytes(const std::vector<uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

struct Searcher {
    HexGridModel model;
    HexSearchController search{model};
    int workerRuns = 0;

    int64_t find(const std::vector<uint8_t>& needle, int64_t start, int64_t end = -1,
                 bool ignoreCase = false) {
        const int64_t found = search.Find(qbytes(needle), ignoreCase, end < 0 ? model.Size() : end, start);
        if (found == HexSearchController::kSearchRunning) ++workerRuns;
        return waitForEnd(search, found);
    }
    // Find, then Find next from one byte after each hit, until nothing more is found.
    std::vector<int64_t> findAll(const std::vector<uint8_t>& needle, bool ignoreCase = false) {
        std::vector<int64_t> hits;
        for (int64_t hit = find(needle, 0, -1, ignoreCase); hit >= 0;
             hit = find(needle, hit + 1, -1, ignoreCase)) {
            hits.push_back(hit);
            EXPECT_EQ(model.FoundStart(), hit);
            EXPECT_EQ(model.Cursor(), hit);
        }
        return hits;
    }
};

TEST(HexSearchController, EveryPlantedPatternOfTwentyMebibytesIsFound) {
    const auto needle = bytesOf("\x03KIWI-NEEDLE\xFE");
    const int64_t length = int64_t(needle.size());
    std::vector<fixture::PlantedPattern> plants;
    for (const int64_t at :
         {int64_t(0), int64_t(36863 - 3), kSearchChunkSize - 3, 2 * kSearchChunkSize - length,
          HexSearchController::kInlineBytes - 2, int64_t(10 << 20), kTwentyMiB - length})
        plants.push_back({at, needle});
    const std::string path = fixture::scratchDir("hex-search-twenty") + "/HAYSTACK.BIN";
    fixture::writeSearchHaystack(path, kTwentyMiB, 11, plants);
    const auto expected =
        fixture::memmemOffsets(fixture::searchHaystack(size_t(kTwentyMiB), 11, plants), needle);
    ASSERT_EQ(expected.size(), plants.size());

    Searcher s;
    s.model.SetStream(TLN_HandleStream::OpenForReading(path), 0);
    EXPECT_EQ(s.findAll(needle), expected);
    // The last hit lies ten mebibytes after the one before: the worker found it.
    EXPECT_GE(s.workerRuns, 1);
    EXPECT_EQ(s.model.FoundEnd(), kTwentyMiB - 1);
}

TEST(HexSearchController, HitsOnBothSidesOfTheInlineStagesEnd) {
    auto bytes = fixture::searchHaystack(size_t(kTwentyMiB), 5);
    auto stream = std::make_shared<TLN_MemoryStream>(bytes, "BORDER.BIN");
    const auto needle = bytesOf("<border>");
    const int64_t length = int64_t(needle.size());
    const int64_t chunk = 4096;
    const int64_t step = chunk - length + 1;
    // The inline stage reads chunks at multiples of step and stops before the first one at or past its
    // budget.
    const int64_t border = (HexSearchController::kInlineBytes + step - 1) / step * step;
    Searcher s;
    s.search.SetChunkSize(chunk);
    s.search.SetInlineBudget(HexSearchController::kInlineBytes, std::chrono::hours(1));
    s.model.SetStream(stream, 0);
    for (int64_t at = border - length - 1; at <= border + 1; ++at) {
        stream->WriteAt(at, needle.data(), length);
        const int64_t found = s.search.Find(qbytes(needle), false, kTwentyMiB, 0);
        // A hit that ends within the last inline chunk (border + length - 1) is found inline.
        if (at < border)
            EXPECT_EQ(found, at);
        else
            EXPECT_EQ(found, HexSearchController::kSearchRunning) << at;
        EXPECT_EQ(waitForEnd(s.search, found), at);
        stream->WriteAt(at, bytes.data() + at, length);
    }
}

TEST(HexSearchController, FindNextEnumeratesExactlyWhatMemmemFinds) {
    // Every case of "kw!?" at the ends, on chunk borders, close together and far apart, besides the ones
    // the random bytes hold.
    std::vector<fixture::PlantedPattern> plants;
    const char* cases[] = {"Kw!?", "kw!?", "KW!?", "kW!?"};
    int n = 0;
    for (const int64_t at :
         {int64_t(0), int64_t(4), kSearchChunkSize - 2, kSearchChunkSize + 2, int64_t(3 << 20),
          int64_t(3 << 20) + 4, HexSearchController::kInlineBytes - 1, int64_t(15 << 20), kTwentyMiB - 4})
        plants.push_back({at, bytesOf(cases[n++ % 4])});
    const auto bytes = fixture::searchHaystack(size_t(kTwentyMiB), 21, plants);
    Searcher s;
    s.model.SetStream(hextest::memoryStream(bytes), 0);
    const auto expected = fixture::memmemOffsets(bytes, bytesOf("Kw!?"));
    ASSERT_GE(expected.size(), 2u);
    // Between 6 and 15 MiB only the worker finds the next one.
    EXPECT_EQ(s.findAll(bytesOf("Kw!?")), expected);

    // Ignoring case: what memmem finds in the upper-cased bytes.
    std::vector<uint8_t> upper = bytes;
    const HexCharTable table(1252);
    for (uint8_t& b : upper)
        b = table.UpperCase()[b];
    s.model.SetDisplayCodePage(1252);
    const auto folded = fixture::memmemOffsets(upper, bytesOf("KW!?"));
    ASSERT_GE(folded.size(), plants.size());
    EXPECT_EQ(s.findAll(bytesOf("kW!?"), true), folded);
    EXPECT_GE(s.workerRuns, 2);
}

TEST(HexSearchController, EmptyPatternsAndShortRangesFindNothing) {
    Searcher s;
    std::vector<std::string> ended;
    QObject::connect(&s.search, &HexSearchController::searchEnded,
                     [&](qint64 r) { ended.push_back(std::to_string(r)); });
    EXPECT_EQ(s.search.Find("AB", false, 10, 0), -1); // no stream
    s.model.SetStream(hextest::memoryStream(bytesOf("ABCABC")), 0);
    EXPECT_EQ(s.search.Find("", false, 6, 0), -1);
    EXPECT_EQ(s.search.Find("ABC", false, 5, 3), -1);
    EXPECT_EQ(s.search.Find("ABC", false, 6, 3), 3);
    EXPECT_EQ(s.search.Find("ABC", false, 100, -5), 0);
    EXPECT_EQ(ended, (std::vector<std::string>{"-1", "-1", "-1", "3", "0"}));
}

TEST(HexSearchController, ProgressRisesAndTheWorkerReportsItsResultLast) {
    Searcher s;
    s.search.SetInlineBudget(64 * 1024, std::chrono::milliseconds(50));
    s.model.SetStream(std::make_shared<hextest::HugeZeroStream>(int64_t(256) << 20), 0);
    std::vector<std::string> events;
    QObject::connect(&s.search, &HexSearchController::searchProgress,
                     [&](int p) { events.push_back("progress " + std::to_string(p)); });
    QObject::connect(&s.search, &HexSearchController::searchSuccess, [&](qint64 r, int count) {
        events.push_back("success " + std::to_string(r) + " " + std::to_string(count));
    });
    QObject::connect(&s.search, &HexSearchController::searchEnded,
                     [&](qint64 r) { events.push_back("ended " + std::to_string(r)); });
    EXPECT_EQ(s.find(bytesOf("ABSENT"), 0), -1);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front(), "progress 1");
    EXPECT_EQ(std::vector<std::string>(events.end() - 3, events.end()),
              (std::vector<std::string>{"success -1 6", "progress -1", "ended -1"}));
    int last = 0;
    for (size_t i = 1; i + 3 < events.size(); ++i) {
        const int percent = std::stoi(events[i].substr(9));
        EXPECT_GT(percent, last);
        EXPECT_LE(percent, 100);
        last = percent;
    }
}

TEST(HexSearchController, AWaitInsideTheFirstProgressReportGetsTheResultFromFind) {
    // What the hex viewer window does: a modal progress dialog from searchProgress(1) until -1.
    const auto bytes = fixture::searchHaystack(size_t(16) << 20, 4, {{(16 << 20) - 9, bytesOf("LASTBYTES")}});
    Searcher s;
    s.search.SetInlineBudget(4096, std::chrono::milliseconds(50));
    s.model.SetStream(hextest::memoryStream(bytes), 0);
    QObject::connect(&s.search, &HexSearchController::searchProgress, [&](int percent) {
        if (percent != 1) return;
        QEventLoop modal;
        QObject::connect(&s.search, &HexSearchController::searchProgress, &modal, [&](int p) {
            if (p < 0) modal.quit();
        });
        modal.exec();
    });
    EXPECT_EQ(s.search.Find("LASTBYTES", false, 16 << 20, 0), (16 << 20) - 9);
    EXPECT_FALSE(s.search.Searching());
}

TEST(HexSearchController, CancelEndsWithMinusTwoAndARunningSearchRefusesAnother) {
    Searcher s;
    s.search.SetInlineBudget(64 * 1024, std::chrono::milliseconds(10));
    s.model.SetStream(std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(2)),
                      0);
    std::vector<std::string> events;
    QObject::connect(&s.search, &HexSearchController::searchSuccess,
                     [&](qint64 r, int) { events.push_back("success " + std::to_string(r)); });
    QObject::connect(&s.search, &HexSearchController::searchEnded,
                     [&](qint64 r) { events.push_back("ended " + std::to_string(r)); });
    const int64_t found = s.search.Find("ABSENT", false, int64_t(1) << 30, 0);
    ASSERT_EQ(found, HexSearchController::kSearchRunning);
    EXPECT_TRUE(s.search.Searching());
    EXPECT_EQ(s.search.Find("OTHER", false, 100, 0), -2);
    s.search.CancelSearch();
    EXPECT_EQ(waitForEnd(s.search, found), -2);
    EXPECT_EQ(events, (std::vector<std::string>{"success -2", "ended -2"}));
    EXPECT_EQ(s.search.LastResult(), -2);
    EXPECT_EQ(s.model.FoundStart(), -1);
}

TEST(HexSearchController, ANewStreamAbandonsTheRunningSearch) {
    Searcher s;
    s.search.SetInlineBudget(64 * 1024, std::chrono::milliseconds(10));
    s.model.SetStream(std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(2)),
                      0);
    ASSERT_EQ(s.search.Find("ABSENT", false, int64_t(1) << 30, 0), HexSearchController::kSearchRunning);
    s.model.SetStream(hextest::memoryStream(bytesOf("..ABSENT")), 0);
    EXPECT_FALSE(s.search.Searching());
    EXPECT_EQ(s.search.LastResult(), -2);
    EXPECT_EQ(s.find(bytesOf("ABSENT"), 0), 2);
    // A late report of the abandoned worker, had it been queued, changes nothing now.
    QCoreApplication::processEvents();
    EXPECT_EQ(s.search.LastResult(), 2);
}

TEST(HexSearchController, DestructionDuringASearchStopsAndJoinsTheWorker) {
    auto stream = std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(2));
    {
        Searcher s;
        s.search.SetInlineBudget(64 * 1024, std::chrono::milliseconds(10));
        s.model.SetStream(stream, 0);
        ASSERT_EQ(s.search.Find("ABSENT", false, int64_t(1) << 30, 0), HexSearchController::kSearchRunning);
    }
    // The worker let go of the stream when it was joined.
    EXPECT_EQ(stream.use_count(), 1);
    QCoreApplication::processEvents();
}

TEST(HexSearchController, AReadErrorEndsTheSearchAsAFailureWithItsReason) {
    // In the inline stage, and in the worker after the inline stage has read its share without trouble.
    struct Case {
        const char* name;
        int64_t failAt;
        bool worker;
    };
    for (const Case& c : {Case{"inline", 0, false}, Case{"worker", 512 * 1024, true}}) {
        Searcher s;
        s.search.SetChunkSize(16 * 1024);
        s.search.SetInlineBudget(64 * 1024, std::chrono::milliseconds(1000));
        s.model.SetStream(std::make_shared<hextest::SlowBytesStream>(std::vector<uint8_t>(1 << 20, 0),
                                                                     std::chrono::microseconds(0), c.failAt),
                          0);
        std::vector<int64_t> successes;
        QObject::connect(&s.search, &HexSearchController::searchSuccess,
                         [&](qint64 r, int) { successes.push_back(r); });
        const int64_t found = s.search.Find("ABSENT", false, s.model.Size(), 0);
        EXPECT_EQ(found == HexSearchController::kSearchRunning, c.worker) << c.name;
        EXPECT_EQ(waitForEnd(s.search, found), HexSearchController::kSearchFailed) << c.name;
        EXPECT_EQ(s.search.LastResult(), HexSearchController::kSearchFailed) << c.name;
        EXPECT_EQ(s.search.LastError(), "File read error!") << c.name;
        EXPECT_EQ(s.model.FoundStart(), -1) << c.name;
        EXPECT_EQ(successes, c.worker ? std::vector<int64_t>{HexSearchController::kSearchFailed}
                                      : std::vector<int64_t>{})
            << c.name;
        // The next search that reads well clears the reason.
        s.model.SetStream(hextest::memoryStream(bytesOf("..ABSENT")), 0);
        EXPECT_EQ(s.find(bytesOf("ABSENT"), 0), 2) << c.name;
        EXPECT_TRUE(s.search.LastError().isEmpty()) << c.name;
    }
}

TEST(HexSearchController, ASearchKeepsTheCodePageItStartedWith) {
    // "ЖУК" in 1251 near the end of a slow stream; the search ignores case, so "жук" is compared through
    // the 1251 upper-case table. The display code page changes to UTF-8 (which folds ASCII only) while
    // the worker runs.
    std::vector<uint8_t> bytes(1 << 20, '.');
    const std::vector<uint8_t> upper{0xC6, 0xD3, 0xCA};
    std::copy(upper.begin(), upper.end(), bytes.end() - 10);
    Searcher s;
    s.model.SetDisplayCodePage(1251);
    s.search.SetChunkSize(16 * 1024);
    s.search.SetInlineBudget(16 * 1024, std::chrono::milliseconds(1000));
    s.model.SetStream(std::make_shared<hextest::SlowBytesStream>(bytes, std::chrono::microseconds(300)), 0);
    const int64_t found = s.search.Find(QByteArray("\xE6\xF3\xEA"), true, s.model.Size(), 0);
    ASSERT_EQ(found, HexSearchController::kSearchRunning);
    s.model.SetDisplayCodePage(65001);
    EXPECT_EQ(waitForEnd(s.search, found), int64_t(bytes.size()) - 10);
    // A search started now folds through the new page, in which these bytes have no upper case.
    EXPECT_EQ(s.find({0xE6, 0xF3, 0xEA}, 0, -1, true), -1);
}

} // namespace
