// Define-block rules: the offered lists, end and length modes, refused input (an unreadable box never lets
// an older value through), the clamps to the stream, 64-bit offsets and the three histories.
#include <gtest/gtest.h>

#include "TempSettings.h"
#include "hexview/dialogs/model/DefineBlockDialogModel.h"

using hexdialogstest::offsetBytes;
using hexdialogstest::TempSettings;
using EndMode = DefineBlockDialogModel::EndMode;

namespace {

BlockSetup setupOf(int64_t size, int64_t start = 0, int64_t end = -1, bool endGroup = true) {
    return BlockSetup{size, start, end, endGroup};
}

DefineBlockDialogModel::Input byEnd(const QString& start, const QString& end) {
    return {start, end, QString(), EndMode::End};
}

DefineBlockDialogModel::Input byLength(const QString& start, const QString& length) {
    return {start, QString(), length, EndMode::Length};
}

} // namespace

TEST(DefineBlockDialogModel, OffersTheCurrentBlockThenTheHistories) {
    TempSettings settings;
    SettingsStore store = settings.Store();
    store.write("GotoCash", offsetBytes({0x40, 0, 0x41}));
    store.write("EndCash", offsetBytes({0x80}));
    store.write("LengthCash", offsetBytes({-1, 0x8}));
    DefineBlockDialogModel model(settings.Store(), setupOf(0x1000, 0x10, 0x20));
    EXPECT_EQ(model.StartItems(), (QStringList{"10", "40", "41"}));
    EXPECT_EQ(model.EndItems(), (QStringList{"20", "80"}));
    EXPECT_EQ(model.LengthItems(), (QStringList{"11", "08"}));
}

TEST(DefineBlockDialogModel, WithoutABlockOnlyTheHistoriesAreOffered) {
    TempSettings settings;
    SettingsStore store = settings.Store();
    store.write("EndCash", offsetBytes({0x80}));
    // No block: the cursor as start, end -1.
    EXPECT_EQ(DefineBlockDialogModel(settings.Store(), setupOf(0x1000, 0x30)).StartItems(),
              QStringList{"30"});
    EXPECT_EQ(DefineBlockDialogModel(settings.Store(), setupOf(0x1000, 0x30)).EndItems(), QStringList{"80"});
    EXPECT_TRUE(DefineBlockDialogModel(settings.Store(), setupOf(0x1000, 0x30)).LengthItems().isEmpty());
    // A one-byte block, and a block at 0 ending at 0, are not offered as end either.
    EXPECT_EQ(DefineBlockDialogModel(settings.Store(), setupOf(0x1000, 0x30, 0x30)).EndItems(),
              QStringList{"80"});
    EXPECT_EQ(DefineBlockDialogModel(settings.Store(), setupOf(0x1000, 0, 0)).EndItems(), QStringList{"80"});
    // With the end group disabled nothing is offered for the end.
    DefineBlockDialogModel disabled(settings.Store(), setupOf(0x1000, 0x10, 0x20, false));
    EXPECT_TRUE(disabled.EndItems().isEmpty());
    EXPECT_TRUE(disabled.LengthItems().isEmpty());
}

TEST(DefineBlockDialogModel, StartAndEnd) {
    TempSettings settings;
    DefineBlockDialogModel model(settings.Store(), setupOf(0x1000));
    const auto outcome = model.Submit(byEnd("10", "20"));
    ASSERT_TRUE(outcome.range);
    EXPECT_EQ(*outcome.range, (BlockRange{0x10, 0x20}));
    EXPECT_EQ(settings.Binary("GotoCash"), offsetBytes({0x10}));
    EXPECT_EQ(settings.Binary("EndCash"), offsetBytes({0x20}));
    EXPECT_FALSE(settings.Has("LengthCash"));
    // A one-byte block.
    EXPECT_EQ(model.Submit(byEnd("30", "30")).range, (BlockRange{0x30, 0x30}));
}

TEST(DefineBlockDialogModel, StartAndLength) {
    TempSettings settings;
    DefineBlockDialogModel model(settings.Store(), setupOf(0x1000));
    EXPECT_EQ(model.Submit(byLength("10", "10")).range, (BlockRange{0x10, 0x1F}));
    EXPECT_EQ(model.Submit(byLength("0", "1")).range, (BlockRange{0, 0}));
    EXPECT_EQ(settings.Binary("LengthCash"), offsetBytes({1, 0x10}));
    EXPECT_FALSE(settings.Has("EndCash"));
    // The start 0 is not remembered.
    EXPECT_EQ(settings.Binary("GotoCash"), offsetBytes({0x10}));
}

TEST(DefineBlockDialogModel, AnEndBeforeTheStartKeepsTheDialog) {
    TempSettings settings;
    DefineBlockDialogModel model(settings.Store(), setupOf(0x1000));
    const auto outcome = model.Submit(byEnd("20", "10"));
    EXPECT_FALSE(outcome.range);
    EXPECT_FALSE(outcome.badStart || outcome.badEnd || outcome.badLength);
    EXPECT_FALSE(model.Submit(byLength("20", "0")).range);
    EXPECT_FALSE(settings.Has("GotoCash"));
}

TEST(DefineBlockDialogModel, UnreadableBoxesAreNamed) {
    TempSettings settings;
    DefineBlockDialogModel model(settings.Store(), setupOf(0x1000, 0x10, 0x20));
    auto outcome = model.Submit(byEnd("X", "20"));
    EXPECT_FALSE(outcome.range);
    EXPECT_TRUE(outcome.badStart);
    outcome = model.Submit(byEnd("", ""));
    EXPECT_TRUE(outcome.badStart && outcome.badEnd);
    EXPECT_FALSE(outcome.badLength);
    // The end box of a block that already ends at 0x20 must not let that end stand in for a bad length.
    outcome = model.Submit(byLength("10", "1 0"));
    EXPECT_FALSE(outcome.range);
    EXPECT_TRUE(outcome.badLength);
    EXPECT_FALSE(outcome.badEnd);
    EXPECT_FALSE(settings.Has("GotoCash"));
}

TEST(DefineBlockDialogModel, TheBlockIsClampedToTheStream) {
    TempSettings settings;
    DefineBlockDialogModel model(settings.Store(), setupOf(0x100));
    // A start past the end: one byte on the last byte.
    EXPECT_EQ(model.Submit(byEnd("200", "300")).range, (BlockRange{0xFF, 0xFF}));
    EXPECT_EQ(model.Submit(byEnd("100", "100")).range, (BlockRange{0xFF, 0xFF}));
    // An end at or past the end: the last byte.
    EXPECT_EQ(model.Submit(byEnd("10", "100")).range, (BlockRange{0x10, 0xFF}));
    EXPECT_EQ(model.Submit(byEnd("10", "FFFFFFFFFFFF")).range, (BlockRange{0x10, 0xFF}));
    EXPECT_EQ(model.Submit(byLength("10", "FFFFFFFFFFFF")).range, (BlockRange{0x10, 0xFF}));
    // Start and length that together pass the 64-bit range.
    EXPECT_EQ(model.Submit(byLength("7FFFFFFFFFFFFFF0", "7FFFFFFFFFFFFFF0")).range, (BlockRange{0xFF, 0xFF}));
    // What is remembered is the clamped start and end, and a length as typed only when it fits.
    EXPECT_EQ(OffsetHistory::Parse(settings.Binary("EndCash")).Listed(), std::vector<int64_t>{0xFF});
    EXPECT_TRUE(OffsetHistory::Parse(settings.Binary("LengthCash")).Listed().empty());
}

TEST(DefineBlockDialogModel, AnEmptyStreamHasNoBlock) {
    TempSettings settings;
    DefineBlockDialogModel model(settings.Store(), setupOf(0));
    EXPECT_FALSE(model.Submit(byEnd("0", "0")).range);
    EXPECT_FALSE(model.Submit(byLength("0", "1")).range);
}

TEST(DefineBlockDialogModel, OffsetsBeyondFourGigabytes) {
    TempSettings settings;
    const int64_t size = int64_t(6) << 30;
    DefineBlockDialogModel model(settings.Store(), setupOf(size));
    EXPECT_EQ(model.Submit(byEnd("100000000", "17FFFFFFF")).range, (BlockRange{0x100000000, 0x17FFFFFFF}));
    EXPECT_EQ(model.Submit(byLength("100000000", "80000000")).range, (BlockRange{0x100000000, 0x17FFFFFFF}));
    EXPECT_EQ(model.Submit(byLength("100000000", "200000000")).range, (BlockRange{0x100000000, size - 1}));
}

TEST(DefineBlockDialogModel, WithoutTheEndGroupTheEndStays) {
    TempSettings settings;
    DefineBlockDialogModel model(settings.Store(), setupOf(0x1000, 0x10, 0x30, false));
    EXPECT_EQ(model.Submit(byEnd("20", "X")).range, (BlockRange{0x20, 0x30}));
    EXPECT_EQ(model.Submit(byLength("40", "X")).range, (BlockRange{0x40, 0x40}));
    EXPECT_FALSE(settings.Has("EndCash"));
    EXPECT_FALSE(settings.Has("LengthCash"));
    EXPECT_EQ(settings.Binary("GotoCash"), offsetBytes({0x40, 0x20}));
}
