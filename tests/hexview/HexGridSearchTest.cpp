// The grid while it searches: the "searching" balloon, no input until the end, the completion balloon
// for "not found" only, and a grid destroyed in the middle of a search.
#include <gtest/gtest.h>

#include "HexGridTestSupport.h"
#include "support/fixtures/SearchFixture.h"

namespace {

using gridtest::ShownGrid;

std::shared_ptr<TLN_Stream> slowStream() {
    return std::make_shared<hextest::SlowStream>(int64_t(1) << 30, std::chrono::milliseconds(2));
}

TEST(HexGridSearch, NoInputWhileTheWorkerRunsAndNoCompletionBalloonAfterCancel) {
    ShownGrid s;
    s.grid.Search().SetInlineBudget(64 * 1024, std::chrono::milliseconds(10));
    s.grid.SetStream(slowStream(), 40);
    std::vector<int> progress;
    QObject::connect(&s.grid, &HexGrid::searchProgress, [&](int p) { progress.push_back(p); });
    const int64_t found = s.grid.Find("ABSENT", false, s.grid.Size(), 0);
    ASSERT_EQ(found, HexGrid::kSearchRunning);
    EXPECT_TRUE(s.grid.Searching());
    EXPECT_EQ(s.grid.BalloonText(), "Searching . . .");
    gridtest::click(s.grid, s.grid.CellRect(50, true).center());
    gridtest::key(s.grid, Qt::Key_Right);
    EXPECT_EQ(s.grid.Cursor(), 40);
    s.grid.CancelSearch();
    EXPECT_EQ(hextest::waitForEnd(s.grid.Search(), found), -2);
    EXPECT_FALSE(s.grid.BalloonVisible());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 1);
    EXPECT_EQ(progress.back(), -1);
    gridtest::key(s.grid, Qt::Key_Right);
    EXPECT_EQ(s.grid.Cursor(), 41);
}

TEST(HexGridSearch, NotFoundShowsTheCompletionBalloonAndAHitIsSelected) {
    ShownGrid s;
    s.grid.SetRussianTexts(true);
    s.grid.Search().SetInlineBudget(4096, std::chrono::milliseconds(10));
    const auto bytes =
        fixture::searchHaystack(size_t(8) << 20, 3, {{(8 << 20) - 4, fixture::bytesOf("TAIL")}});
    s.grid.SetStream(hextest::memoryStream(bytes), 0);
    std::vector<std::pair<qint64, int>> successes;
    QObject::connect(&s.grid, &HexGrid::searchSuccess, [&](qint64 r, int n) { successes.push_back({r, n}); });
    int64_t found = s.grid.Find("TAIL", false, s.grid.Size(), 0);
    if (found == HexGrid::kSearchRunning) {
        EXPECT_EQ(s.grid.BalloonText(), "Идет поиск . . .");
    }
    EXPECT_EQ(hextest::waitForEnd(s.grid.Search(), found), (8 << 20) - 4);
    EXPECT_EQ(s.grid.Model().FoundEnd(), (8 << 20) - 1);
    EXPECT_EQ(s.grid.Cursor(), (8 << 20) - 4);
    EXPECT_FALSE(s.grid.BalloonVisible());
    EXPECT_EQ(successes, (std::vector<std::pair<qint64, int>>{{(8 << 20) - 4, 4}}));
    found = s.grid.Find("TAIL", false, s.grid.Size(), (8 << 20) - 3);
    EXPECT_EQ(hextest::waitForEnd(s.grid.Search(), found), -1);
    EXPECT_EQ(s.grid.BalloonText(), "Поиск завершен");
}

TEST(HexGridSearch, AGridDestroyedDuringASearchJoinsItsWorker) {
    auto stream = slowStream();
    {
        ShownGrid s;
        s.grid.Search().SetInlineBudget(64 * 1024, std::chrono::milliseconds(10));
        s.grid.SetStream(stream, 0);
        ASSERT_EQ(s.grid.Find("ABSENT", false, s.grid.Size(), 0), HexGrid::kSearchRunning);
    }
    EXPECT_EQ(stream.use_count(), 1);
    QCoreApplication::processEvents();
}

} // namespace
