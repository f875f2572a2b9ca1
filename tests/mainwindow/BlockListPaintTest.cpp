// The block list of a block set of 255 x 255 blocks on screen (offscreen): its 65 025 rows come from the
// block set view's provider, which one paint asks for the rows it shows and no others.
#include <gtest/gtest.h>

#include "kiwi/map/KiwiMap.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/model/ViewHostLog.h"

namespace {

constexpr int kSide = 255;
constexpr int kBlocks = kSide * kSide;

// One level of one block set of 255 x 255 blocks, each naming the parcel management information of the
// first (only the first is written; the others copy its record), so that every row reads a block.
std::string writeCrowdedBlockSet() {
    fixture::AllDataPlan plan;
    fixture::LevelPlan level;
    level.blocks = {kSide, kSide};
    level.routeBasic = 0;
    fixture::BlockSetPlan set;
    set.blocks.resize(kBlocks);
    for (size_t block = 1; block < set.blocks.size(); ++block)
        set.blocks[block].absent = true;
    level.sets = {set};
    plan.levels = {level};
    fixture::AllDataImage image = fixture::buildAllData(plan);
    // The block set record holds the block table's offset in words from the part base at +2.
    const size_t record = size_t(image.blockSetTables.at(0));
    const auto& bytes = image.allData;
    const uint32_t words = uint32_t(bytes[record + 2]) << 24 | uint32_t(bytes[record + 3]) << 16 |
                           uint32_t(bytes[record + 4]) << 8 | bytes[record + 5];
    const size_t table = size_t(image.partBase) + 2 * size_t(words);
    constexpr size_t kRecordBytes = 18;
    for (size_t block = 1; block < size_t(kBlocks); ++block)
        std::copy_n(image.allData.begin() + long(table), kRecordBytes,
                    image.allData.begin() + long(table + block * kRecordBytes));
    return fixture::writeAllData(image, fixture::scratchDir("block-list-paint"));
}

TEST(BlockListPaint, OnePaintAsksTheProviderForTheRowsOnScreenOnly) {
    OpenData data;
    data.map = std::make_shared<TLN_KiwiMap>(writeCrowdedBlockSet());
    FieldGridModel model;
    FieldGrid grid(model);
    ViewHostLog host;
    KindContext context{grid, host, data};
    auto set = RecordNode::MakeChild(nullptr, 10, QStringLiteral("BlockSet 0"), 0);
    set->stream = data.map->PartStream();
    NodeKinds::Table().Show(context, *set);
    ASSERT_EQ(model.VirtualRowCount(), kBlocks);
    const int last = model.FirstVirtualRow() + kBlocks - 1;

    FieldGridView view;
    view.SetGridModel(&model);
    view.resize(1000, 700);
    view.show();
    // Three cells a row: at most a thousand rows for one paint.
    int64_t before = model.ProviderCalls();
    view.grab();
    EXPECT_GT(model.ProviderCalls() - before, 0);
    EXPECT_LE(model.ProviderCalls() - before, 3 * 1000);
    view.scrollToBottom();
    before = model.ProviderCalls();
    view.grab();
    EXPECT_LE(model.ProviderCalls() - before, 3 * 1000);
    EXPECT_EQ(model.CellText(last, 0).toStdString(),
              "Block 65024   (Address of Parcel Management Information)");
    EXPECT_EQ(model.CellText(last, 1), model.CellText(model.FirstVirtualRow(), 1));
    EXPECT_TRUE(model.CellText(last, 2).startsWith(QStringLiteral("Size = 0 x ")));
}

} // namespace
