// A crawl of the fixture map's record tree: every node expanded to depth 12 and selected, every main map
// kind reached, parcel nodes at their own frames, and no frame nodes for a map of format 8.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "TreeTestSupport.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/RecordTree.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/model/TreeDump.h"

namespace {

class MapCrawlTest : public ::testing::Test {
protected:
    void open(const fixture::AllDataPlan& plan, const std::string& name) {
        image_ = fixture::buildAllData(plan);
        const std::string path = fixture::writeAllData(image_, fixture::scratchDir("map-crawl-" + name));
        bench_.data.map = std::make_shared<TLN_KiwiMap>(path);
        ASSERT_TRUE(bench_.data.map->IsValid());
        auto root = RecordNode::MakeChild(nullptr, 7, QStringLiteral("ALL DATA"));
        root->held = HeldReader(bench_.data.map);
        root->stream = bench_.data.map->GetAllDataStream();
        root->hasChildren = true;
        tree_.AddRoot(std::move(root));
    }

    CrawlResult crawl() {
        CrawlOptions options;
        options.maxDepth = 12;
        options.visit = [this](RecordNode& node, int, const std::string& error) {
            EXPECT_EQ(error, "") << node.caption.toStdString();
            ++kinds_[node.kind];
            if (node.kind == 14) parcels_.push_back(&node);
            // Every node of the map lies in a stream: the hex viewer was placed on it.
            EXPECT_NE(bench_.host.hexStream, nullptr) << node.caption.toStdString();
            EXPECT_EQ(tree_.Current(), &node);
        };
        return CrawlTree(tree_, bench_.context, options);
    }

    fixture::AllDataImage image_;
    treetest::Workbench bench_;
    RecordTree tree_;
    std::map<int, int> kinds_;
    std::vector<RecordNode*> parcels_;
};

TEST_F(MapCrawlTest, EveryNodeOfTheFramesMapExpandsAndShowsWithoutError) {
    open(fixture::framesAllDataPlan(), "frames");
    const CrawlResult result = crawl();
    EXPECT_FALSE(result.capped);
    EXPECT_EQ(result.selectErrors, 0);
    EXPECT_EQ(result.expandErrors, 0);
    for (int kind : {7,  100, 9,  10, 11, 12, 14,  15,  16,  17,  23,   25,   26,   27,   28,   29,
                     30, 31,  40, 41, 42, 46, 431, 433, 435, 436, 2300, 2310, 2320, 2330, 2340, 2350})
        EXPECT_GT(kinds_[kind], 0) << "kind " << kind;

    // Each parcel node lies at a frame the fixture wrote, in the stream of the file that holds it.
    std::set<std::pair<std::string, int64_t>> frames;
    for (const fixture::ParcelEntry& entry : image_.parcels)
        frames.insert({entry.file.empty() ? std::string("ALLDATA.KWI") : entry.file, entry.frame});
    ASSERT_FALSE(parcels_.empty());
    for (const RecordNode* parcel : parcels_) {
        ASSERT_NE(parcel->stream, nullptr);
        std::string file = fileNamePart(parcel->stream->FileName());
        if (file.empty()) file = "ALLDATA.KWI";
        EXPECT_EQ(frames.count({file, parcel->recordOffset}), 1u)
            << parcel->caption.toStdString() << " at " << file << ":" << parcel->recordOffset;
        EXPECT_EQ(parcel->frameSize, parcel->parcelFrameSize);
        EXPECT_GT(parcel->frameSize, 0);
        // Sub-parcels of a divided parcel count from -1.
        if (parcel->parent->kind == 12) {
            EXPECT_LT(parcel->index, 0);
        } else {
            EXPECT_GT(parcel->index, 0);
        }
    }

    // Clearing the tree leaves the map to the window.
    tree_.Clear();
    EXPECT_EQ(bench_.data.map.use_count(), 1);
}

TEST_F(MapCrawlTest, ParcelsOfAFormatEightMapHaveNoFrameNodes) {
    open(fixture::framesAllDataPlan(true), "wide");
    const CrawlResult result = crawl();
    EXPECT_EQ(result.expandErrors, 0);
    ASSERT_FALSE(parcels_.empty());
    EXPECT_EQ(kinds_[15], 0);
    for (const RecordNode* parcel : parcels_) {
        EXPECT_TRUE(parcel->children.empty());
        EXPECT_FALSE(parcel->Expandable());
    }
}

TEST_F(MapCrawlTest, DamagedMapsDeclaringMillionsOfBlocksCrawlWithinTheirBounds) {
    for (const auto shape :
         {fixture::HostileMapShape::CrowdedBlockSets, fixture::HostileMapShape::OverlappingLevels}) {
        RecordTree tree;
        treetest::Workbench bench;
        const std::string path = fixture::writeAllData(fixture::buildHostileAllData(shape),
                                                       fixture::scratchDir("map-crawl-hostile"));
        bench.data.map = std::make_shared<TLN_KiwiMap>(path);
        auto root = RecordNode::MakeChild(nullptr, 7, QStringLiteral("ALL DATA"));
        root->held = HeldReader(bench.data.map);
        root->stream = bench.data.map->GetAllDataStream();
        root->hasChildren = true;
        tree.AddRoot(std::move(root));
        CrawlOptions options;
        const CrawlResult result = CrawlTree(tree, bench.context, options);
        EXPECT_EQ(result.selectErrors, 0);
        EXPECT_EQ(result.expandErrors, 0);
        // Only what the file holds becomes nodes: well below the cap.
        EXPECT_FALSE(result.capped);
        EXPECT_LT(result.nodes, 10000);
    }
}

TEST_F(MapCrawlTest, TheCrawlStopsAtItsNodeCap) {
    open(fixture::framesAllDataPlan(), "cap");
    CrawlOptions options;
    options.maxNodes = 50;
    options.select = false;
    const CrawlResult result = CrawlTree(tree_, bench_.context, options);
    EXPECT_TRUE(result.capped);
    EXPECT_EQ(result.nodes, 50);
}

} // namespace
