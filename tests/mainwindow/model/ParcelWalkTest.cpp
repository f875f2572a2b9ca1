// The walk from a selected parcel to its node on the fixture map: the path down "ALL DATA", "Map Data", the
// level, block set and block; the parcel's node at the frame the fixture wrote (under its divided parcel's
// node for a sub-parcel), built one level deep; a second walk into the block leaving only the second
// parcel; a missing block or record stopping the walk with the tree as it was.
#include <gtest/gtest.h>

#include "TreeTestSupport.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/ParcelWalk.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/QtPrinting.h"

namespace {

class ParcelWalkTest : public ::testing::Test {
protected:
    ParcelWalkTest() {
        image_ = fixture::buildAllData(fixture::framesAllDataPlan());
        const std::string path = fixture::writeAllData(image_, fixture::scratchDir("parcel-walk"));
        bench_.data.map = std::make_shared<TLN_KiwiMap>(path);
        auto root = RecordNode::MakeChild(nullptr, 7, QStringLiteral("ALL DATA"));
        root->held = HeldReader(bench_.data.map);
        root->stream = bench_.data.map->GetAllDataStream();
        root->hasChildren = true;
        tree_.AddRoot(std::move(root));
    }

    TLN_KiwiMap& map() { return *bench_.data.map; }

    // A parcel of level 0 (2 × 1 block sets of 2 × 2 blocks of 2 × 2 parcels) by its units' indices.
    static TLN_ParcelNumber parcel(uint8_t setX, uint8_t blockX, uint8_t blockY, uint8_t parcelX,
                                   uint8_t parcelY) {
        TLN_ParcelNumber number;
        number.BlockSetX = setX;
        number.BlockX = blockX;
        number.BlockY = blockY;
        number.ParcelX = parcelX;
        number.ParcelY = parcelY;
        return number;
    }

    const fixture::ParcelEntry* entry(int blockSet, int block, int parcel, int sub) const {
        for (const fixture::ParcelEntry& e : image_.parcels)
            if (e.level == 0 && e.blockSet == blockSet && e.block == block && e.parcel == parcel &&
                e.sub == sub)
                return &e;
        return nullptr;
    }

    static QStringList captions(const RecordNode& node) {
        QStringList list;
        for (const auto& child : node.children)
            list << child->caption;
        return list;
    }

    fixture::AllDataImage image_;
    treetest::Workbench bench_;
    RecordTree tree_;
    RecordTreeModel model_{tree_, bench_.context};
};

TEST_F(ParcelWalkTest, IndicesCountRowByRow) {
    TLN_Level_Management_Record level;
    level.BlockSets = {3, 2};
    level.Blocks = {4, 4};
    level.Parcels = {2, 5};
    TLN_ParcelNumber number = parcel(2, 1, 3, 1, 4);
    number.BlockSetY = 1;
    number.CountX = 4;
    number.SubX = 3;
    number.SubY = 2;
    const ParcelIndices indices = ParcelIndicesOf(level, number);
    EXPECT_EQ(indices.blockSet, 1u * 3 + 2);
    EXPECT_EQ(indices.block, 3u * 4 + 1);
    EXPECT_EQ(indices.parcel, 4u * 2 + 1);
    EXPECT_EQ(indices.subParcel, 2u * 4 + 3);
}

TEST_F(ParcelWalkTest, ARegularParcelIsFoundBelowItsBlockAndBuiltOneLevel) {
    const ParcelWalk walk = WalkToParcel(model_, map(), parcel(0, 1, 0, 0, 1));
    ASSERT_NE(walk.parcel, nullptr);
    ASSERT_EQ(walk.path.size(), 5u);
    QStringList path;
    for (const RecordNode* node : walk.path)
        path << node->caption;
    EXPECT_EQ(path, (QStringList{"ALL DATA", "Map Data", "Level 0", "BlockSet 0", "Block 1"}));
    const RecordNode* block = walk.path.back();
    EXPECT_TRUE(block->partialWalk);
    EXPECT_EQ(captions(*block), QStringList{"Parcel 2"});
    EXPECT_EQ(walk.parcel->parent, block);
    EXPECT_EQ(walk.parcel->kind, 14);
    EXPECT_EQ(walk.parcel->index, 3);
    const fixture::ParcelEntry* written = entry(0, 1, 2, -1);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(walk.parcel->recordOffset, written->frame);
    EXPECT_EQ(walk.parcel->frameSize, written->frameSize);
    // Built one level deep: the parcel's data frames.
    EXPECT_TRUE(walk.parcel->built);
    EXPECT_FALSE(walk.parcel->children.empty());
    // The model shows it as the tree's current node.
    model_.Select(model_.IndexOf(walk.parcel));
    EXPECT_EQ(tree_.Current(), walk.parcel);
}

TEST_F(ParcelWalkTest, ASubParcelIsFoundBelowItsDividedParcel) {
    // Block 0 of block set 0: parcel 1 is divided 2 × 2; sub-parcel (1, 1) is number 3.
    TLN_ParcelNumber number = parcel(0, 0, 0, 1, 0);
    number.Kind = 1;
    number.CountX = 2;
    number.CountY = 2;
    number.SubX = 1;
    number.SubY = 1;
    const ParcelWalk walk = WalkToParcel(model_, map(), number);
    ASSERT_NE(walk.parcel, nullptr);
    ASSERT_EQ(walk.path.size(), 6u);
    const RecordNode* divided = walk.path.back();
    EXPECT_EQ(divided->caption, "Divided Parcel 1");
    EXPECT_EQ(divided->kind, 12);
    EXPECT_EQ(divided->index, 1);
    EXPECT_EQ(captions(*walk.path[4]), QStringList{"Divided Parcel 1"});
    EXPECT_EQ(captions(*divided), QStringList{"Parcel 3"});
    EXPECT_EQ(walk.parcel->index, -4);
    const fixture::ParcelEntry* written = entry(0, 0, 1, 3);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(walk.parcel->recordOffset, written->frame);
}

TEST_F(ParcelWalkTest, WalkingTwiceIntoOneBlockLeavesOnlyTheSecondParcel) {
    const ParcelWalk first = WalkToParcel(model_, map(), parcel(0, 0, 0, 0, 0));
    ASSERT_NE(first.parcel, nullptr);
    model_.Select(model_.IndexOf(first.parcel));
    const ParcelWalk second = WalkToParcel(model_, map(), parcel(0, 0, 0, 0, 1));
    ASSERT_NE(second.parcel, nullptr);
    const RecordNode* block = second.path.back();
    EXPECT_EQ(block, first.path.back());
    EXPECT_EQ(captions(*block), QStringList{"Parcel 2"});
    // The first parcel's node went, and with it the current node.
    EXPECT_EQ(tree_.Current(), nullptr);
}

TEST_F(ParcelWalkTest, CollapsingTheWalkedBlockGivesBackAllItsParcels) {
    const ParcelWalk walk = WalkToParcel(model_, map(), parcel(0, 0, 0, 0, 0));
    ASSERT_NE(walk.parcel, nullptr);
    RecordNode* block = walk.path.back();
    EXPECT_TRUE(tree_.ResetPartialBlock(*block));
    tree_.Expand(bench_.context, *block);
    EXPECT_EQ(captions(*block), (QStringList{"Parcel 0", "Divided Parcel 1", "Parcel 2"}));
}

TEST_F(ParcelWalkTest, AMissingBlockStopsTheWalkAtItsBlockSet) {
    // Block set 1's block 1 is absent.
    const ParcelWalk walk = WalkToParcel(model_, map(), parcel(1, 1, 0, 0, 0));
    EXPECT_EQ(walk.parcel, nullptr);
    ASSERT_EQ(walk.path.size(), 4u);
    EXPECT_EQ(walk.path.back()->caption, "BlockSet 1");
    EXPECT_EQ(captions(*walk.path.back()), (QStringList{"Block 0", "Block 2", "Block 3"}));
}

TEST_F(ParcelWalkTest, AParcelWithoutARecordLeavesTheBlockAsItWas) {
    // Parcel 3 of block 0 is an empty record; indices past the level's counts name no parcel.
    for (const TLN_ParcelNumber& number : {parcel(0, 0, 0, 1, 1), parcel(0, 0, 0, 2, 0)}) {
        const ParcelWalk walk = WalkToParcel(model_, map(), number);
        EXPECT_EQ(walk.parcel, nullptr);
        ASSERT_EQ(walk.path.size(), 5u);
        EXPECT_FALSE(walk.path.back()->partialWalk);
        EXPECT_TRUE(walk.path.back()->children.empty());
    }
}

TEST_F(ParcelWalkTest, AMapWithoutTheRootOrTheLevelIsNotWalked) {
    TLN_ParcelNumber number = parcel(0, 0, 0, 0, 0);
    number.Level = 9;
    EXPECT_TRUE(WalkToParcel(model_, map(), number).path.empty());
    tree_.Clear();
    const ParcelWalk walk = WalkToParcel(model_, map(), parcel(0, 0, 0, 0, 0));
    EXPECT_TRUE(walk.path.empty());
    EXPECT_EQ(walk.parcel, nullptr);
}

} // namespace
