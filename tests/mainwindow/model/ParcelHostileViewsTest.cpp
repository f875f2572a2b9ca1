// Damaged parcel frames under the views and builders: records whose stored size is 0 or runs past their
// frame end the walk there, counts far beyond the frame add only what lies in it, a file cut inside a
// frame shows what is left, and records outside their frame show their header alone. Every damaged map is
// crawled whole (every node expanded and shown), which the sanitizer build checks for reads outside.
#include <gtest/gtest.h>

#include <functional>

#include "ParcelBench.h"
#include "TreeTestSupport.h"
#include "kiwi/core/MapCodePage.h"
#include "mainwindow/model/RecordTree.h"
#include "support/model/TreeDump.h"

namespace {

using parcelbench::ParcelBench;

QString q(const char* text) {
    return QString::fromUtf8(text);
}

void put16(std::vector<uint8_t>& bytes, int64_t at, uint16_t value) {
    bytes.at(size_t(at)) = uint8_t(value >> 8);
    bytes.at(size_t(at + 1)) = uint8_t(value);
}

uint16_t get16(const std::vector<uint8_t>& bytes, int64_t at) {
    return uint16_t(bytes.at(size_t(at)) << 8 | bytes.at(size_t(at + 1)));
}

// Where the first parcel's records lie in the intact fixture map.
struct Positions {
    int64_t road = -1;
    int64_t roadEnd = -1;
    std::vector<int64_t> multiLinks;  // of display class 0
    std::vector<int64_t> nameRecords; // of name class 0
    std::vector<int64_t> points;      // point objects of background class 0
    int64_t guidance = -1;
    int64_t strings = -1;
    int64_t infraLink = -1;
};

class ParcelHostileViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
        intact_ = fixture::buildAllData(fixture::framesAllDataPlan());
        ParcelBench bench;
        bench.Open(intact_, "intact");
        RecordNode* parcel = bench.FirstParcel();
        ASSERT_NE(parcel, nullptr);
        const auto frames = bench.Frames(*parcel);
        ASSERT_NE(frames, nullptr);
        at_.road = frames->Road.Position();
        at_.roadEnd = frames->Road.End();
        at_.guidance = frames->Guidance.Position();
        at_.strings = frames->Strings.Position();
        at_.infraLink = frames->InfraLink.Position();
        const auto offsets = [&](std::initializer_list<const char*> path) {
            RecordNode* node = parcel;
            for (const char* caption : path)
                node = node ? bench.Under(*node, q(caption)) : nullptr;
            std::vector<int64_t> out;
            if (node)
                for (const auto& child : bench.Built(*node))
                    out.push_back(child->recordOffset);
            return out;
        };
        at_.multiLinks = offsets({"Roads", "Display Class 0"});
        at_.nameRecords = offsets({"Names", "Display Class 0"});
        at_.points = offsets({"Background", "Display Class 0", "Points"});
        ASSERT_EQ(at_.multiLinks.size(), 2u);
        ASSERT_EQ(at_.nameRecords.size(), 5u);
        ASSERT_EQ(at_.points.size(), 2u);
    }

    // The fixture map with damage done to its bytes, opened on a bench.
    void open(const std::function<void(std::vector<uint8_t>&)>& damage, const std::string& name) {
        fixture::AllDataImage image = intact_;
        damage(image.allData);
        bench_.Open(image, name);
        parcel_ = bench_.FirstParcel();
        ASSERT_NE(parcel_, nullptr);
    }
    RecordNode* node(std::initializer_list<const char*> path) {
        RecordNode* n = parcel_;
        for (const char* caption : path)
            n = n ? bench_.Under(*n, q(caption)) : nullptr;
        return n;
    }
    std::vector<QString> children(std::initializer_list<const char*> path) {
        RecordNode* n = node(path);
        return n ? bench_.Children(*n) : std::vector<QString>{q("(missing)")};
    }

    // The whole map opened as the program does and crawled: every node expanded and shown.
    void crawlWhole() {
        treetest::Workbench bench;
        bench.data.map = bench_.map;
        RecordTree tree;
        auto root = RecordNode::MakeChild(nullptr, 7, q("ALL DATA"));
        root->held = HeldReader(bench_.map);
        root->stream = bench_.map->GetAllDataStream();
        root->hasChildren = true;
        tree.AddRoot(std::move(root));
        CrawlOptions options;
        options.maxNodes = 20000;
        const CrawlResult result = CrawlTree(tree, bench.context, options);
        EXPECT_EQ(result.selectErrors, 0);
        EXPECT_EQ(result.expandErrors, 0);
        EXPECT_FALSE(result.capped);
        EXPECT_LT(result.nodes, 3000);
    }

    fixture::AllDataImage intact_;
    Positions at_;
    ParcelBench bench_;
    RecordNode* parcel_ = nullptr;
};

TEST_F(ParcelHostileViewsTest, AMultiLinkOfSizeZeroEndsItsClassesWalk) {
    open([&](std::vector<uint8_t>& b) { put16(b, at_.multiLinks[0], get16(b, at_.multiLinks[0]) & 0xF000); },
         "multilink-zero");
    EXPECT_TRUE(children({"Roads", "Display Class 0"}).empty());
    EXPECT_EQ(children({"Roads", "Display Class 2"}), std::vector<QString>{q("MultiLink 0")});
    crawlWhole();
}

TEST_F(ParcelHostileViewsTest, AMultiLinkRunningPastItsFrameEndsTheWalkBeforeIt) {
    open([&](std::vector<uint8_t>& b) { put16(b, at_.multiLinks[1], get16(b, at_.multiLinks[1]) | 0x0FFF); },
         "multilink-past");
    EXPECT_EQ(children({"Roads", "Display Class 0"}), std::vector<QString>{q("MultiLink 0")});
    crawlWhole();
}

TEST_F(ParcelHostileViewsTest, NameAndMinimumGraphicsWalksEndAtABadSize) {
    open(
        [&](std::vector<uint8_t>& b) {
            put16(b, at_.nameRecords[1], get16(b, at_.nameRecords[1]) & 0xF000);
            put16(b, at_.points[0], get16(b, at_.points[0]) | 0x0FFF);
        },
        "name-and-object");
    EXPECT_EQ(children({"Names", "Display Class 0"}), std::vector<QString>{q("Record 0")});
    EXPECT_TRUE(children({"Background", "Display Class 0", "Points"}).empty());
    EXPECT_EQ(children({"Background", "Display Class 0", "Lines"}), std::vector<QString>{q("Object 0")});
    // The record that no walk reaches still shows what it holds, within its frame.
    RecordNode* record = node({"Names", "Display Class 0", "Record 0"});
    ASSERT_NE(record, nullptr);
    record->recordOffset = at_.nameRecords[1];
    bench_.Show(*record);
    EXPECT_EQ(bench_.Row("Sizeof_Minimum_Graphics_Data_Record"), "0 x 00 00 00 00|(0) ");
    EXPECT_EQ(bench_.Row("String"), "Тверская-0|");
    crawlWhole();
}

TEST_F(ParcelHostileViewsTest, CountsFarBeyondTheFrameAddOnlyWhatLiesInIt) {
    open(
        [&](std::vector<uint8_t>& b) {
            // Display class 0's polylines, multilink 0's nodes.
            put16(b, at_.road + 10, 0x0FFF);
            put16(b, at_.multiLinks[0] + 4, 0x07FF);
            // The guidance frame's toward names, the string frame's items.
            put16(b, at_.guidance + 14, 0xFFFF);
            put16(b, at_.strings + 2, 0xFFFF);
            // The infrastructure link frame's meshes.
            put16(b, at_.infraLink + 18, 0xFFFF);
        },
        "counts");
    EXPECT_EQ(children({"Roads", "Display Class 0"}).size(), 2u);
    const size_t nodes = children({"Roads", "Display Class 0", "MultiLink 0"}).size();
    EXPECT_GE(nodes, 3u);
    EXPECT_LT(nodes, 64u);
    bench_.Show(*node({"Roads", "Display Class 0", "MultiLink 0"}));
    EXPECT_EQ(bench_.Row("Number_of_Nodes"), "2047|");
    RecordNode* guidance = node({"Route Guidance", "Guidance"});
    ASSERT_NE(guidance, nullptr);
    EXPECT_LT(bench_.Children(*guidance).size(), 100u);
    bench_.Show(*guidance);
    EXPECT_EQ(bench_.Row("Number of Toward Name Data Records"), "0 x FF FF|(65535) ");
    RecordNode* strings = node({"Route Guidance", "Strings"});
    ASSERT_NE(strings, nullptr);
    EXPECT_LT(bench_.Children(*strings).size(), 100u);
    bench_.Show(*strings);
    EXPECT_EQ(bench_.Row("Number of Character String Data Management Information Items"), "65535|");
    bench_.Show(*node({"TMC Infrastructure"}));
    EXPECT_EQ(bench_.Row("The Number of Meshes (The Number of Regions)"), "65535|");
    crawlWhole();
}

TEST_F(ParcelHostileViewsTest, AClassOutsideItsFrameHasNoMultiLinks) {
    open([&](std::vector<uint8_t>& b) { put16(b, at_.road + 8, 0xFFF0); }, "class-outside");
    EXPECT_TRUE(children({"Roads", "Display Class 0"}).empty());
    bench_.Show(*node({"Roads", "Display Class 0"}));
    EXPECT_EQ(bench_.Row("Offset to Display Class"), "0 x FF FF FF FF|(-1)");
    EXPECT_EQ(bench_.Row("Number of Polylines"), "2|");
    crawlWhole();
}

TEST_F(ParcelHostileViewsTest, AFileCutInsideTheRoadFrameShowsWhatIsLeft) {
    open([&](std::vector<uint8_t>& b) { b.resize(size_t(at_.multiLinks[0] + 20)); }, "cut");
    RecordNode* roads = node({"Roads"});
    ASSERT_NE(roads, nullptr);
    bench_.Show(*roads);
    EXPECT_EQ(bench_.Row("Number of Display Classes"), "3|");
    // The first multilink begins before the cut but ends after it: the walk ends there.
    EXPECT_TRUE(children({"Roads", "Display Class 0"}).empty());
    bench_.Show(*node({"Roads", "Display Class 0"}));
    EXPECT_EQ(bench_.Row("Number of Polylines"), "2|");
    // The frames after the cut show their headers alone.
    RecordNode* names = node({"Names"});
    if (names) {
        bench_.Show(*names);
        EXPECT_EQ(bench_.Row("Size of Name Distribution Header"), "absent");
    }
    crawlWhole();
}

TEST_F(ParcelHostileViewsTest, RecordsOutsideTheirFrameShowTheirHeaderAlone) {
    open([](std::vector<uint8_t>&) {}, "outside");
    const int64_t outside = at_.roadEnd + 4096;
    for (const auto& path : std::vector<std::vector<const char*>>{
             {"Roads", "Display Class 0", "MultiLink 0"},
             {"Background", "Display Class 0", "Points", "Object 0"},
             {"Names", "Display Class 0", "Record 0"},
             {"Route Guidance", "Guidance", "Toward_Names 0"},
             {"Route Guidance", "Guidance", "Direction_Guide 0"},
             {"Route Guidance", "Guidance", "Road_Structure 0"},
             {"Route Guidance", "Strings", "String 0"},
         }) {
        RecordNode* n = parcel_;
        for (const char* caption : path)
            n = n ? bench_.Under(*n, q(caption)) : nullptr;
        ASSERT_NE(n, nullptr) << path.back();
        n->recordOffset = outside;
        bench_.Show(*n);
        // The section header, its blank row or help link, nothing else.
        EXPECT_LE(bench_.model.rowCount(), 2) << path.back();
    }
    // A node past the multilink's nodes.
    RecordNode* multiLink = node({"Roads", "Display Class 0", "MultiLink 0"});
    multiLink->recordOffset = at_.multiLinks[0];
    RecordNode* first = bench_.Under(*multiLink, q("Node 0"));
    ASSERT_NE(first, nullptr);
    first->index = 5000;
    bench_.Show(*first);
    EXPECT_EQ(bench_.model.rowCount(), 2);
}

} // namespace
