// The rows of levels, block sets, blocks, divided parcels and main map distribution headers over fixture
// maps, the block and parcel lists as provider rows, and what the views and builders do with what is
// missing, out of range or unreadable.
#include <gtest/gtest.h>

#include <set>

#include "MapViewsHarness.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "mainwindow/model/views/MainMapViews.h"
#include "mainwindow/model/views/ManagementRows.h"

namespace {

using management::ParcelKindName;
using management::RowRecordCache;
using mapviews::MapViews;

const std::vector<std::string> kBlock0 = {"Map Data", "Level 0", "BlockSet 0", "Block 0"};

std::vector<std::string> path(std::vector<std::string> base, const std::vector<std::string>& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

// A stream that raises on every read while failing is set.
class FailingStream : public TLN_Stream {
public:
    explicit FailingStream(std::shared_ptr<TLN_Stream> inner) : inner_(std::move(inner)) {}
    int64_t Size() override { return inner_->Size(); }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        if (failing) throw EReadError("File read error!");
        return inner_->ReadAt(position, buffer, count);
    }
    std::string FileName() const override { return inner_->FileName(); }
    bool failing = true;

private:
    std::shared_ptr<TLN_Stream> inner_;
};

TEST(MainMapViews, ALevelShowsItsCountsScalesDivisionsAndClassLists) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan(), "level");
    RecordNode* level = v.At({"Map Data", "Level 0"});
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(v.Show(*level), R"(1|         < Level Management Record 0 >||Offset=0 x 00 00 20 1E
2|||Help
0|Level Code|0 x 01|(1) 
0|Number of Regular Parcels Integrated on the Next-higher Level|4 x 4|
0|Number of Regular Parcels Divided on the Next-lower Level|1/2 x 1/2|
0|Number of Basic Data Frame Management Records|3|Main Map Data Frame
0|Number of Extended Data Frame Management Records|2|Main Map Data Frame
0|Number of Basic Data Frame Management Records|1|Route Guidance Data Frame
0|Number of Extended Data Frame Management Records|0|Route Guidance Data Frame
0|Display Scale Flag 1|10000|Scale in cm
0|Display Scale Flag 2|99999|Scale in cm
0|Display Scale Flag 3|100000|Scale in cm
0|Display Scale Flag 4|2500000|Scale in cm
0|Display Scale Flag 5|0xFFFFFFFF|Scale in cm
0|Number of Latitudinal Block Sets|1|Total Number = 2
0|Number of Longitudinal Block Sets|2|
0|Number of Latitudinal Blocks|2|Total Number = 4
0|Number of Longitudinal Blocks|2|
0|Number of Latitudinal Parcels|2|Total Number = 4
0|Number of Longitudinal Parcels|2|
0|Number of Latitudinal Divided Parcels (Parcel Division Type 1)|2|Total Number = 4
0|Number of Longitudinal Divided Parcels (Parcel Division Type 1)|2|
0|Number of Latitudinal Divided Parcels (Parcel Division Type 2)|4|Total Number = 16
0|Number of Longitudinal Divided Parcels (Parcel Division Type 2)|4|
0|Number of Latitudinal Divided Parcels (Parcel Division Type 3)|2|Total Number = 2
0|Number of Longitudinal Divided Parcels (Parcel Division Type 3)|1|
0|Offset to the Top of the Block Set Management Records of the Level|0 x 00 00 20 86|(8326)
0|Node Record Size|0 x 00 00 00 08|(8) 
0|||
1|         < Expansion Field >||
0|||
0|Number of Road Display Classes|2|
0|Number of Background Display Classes|2|
0|Number of Name Display Classes|1|
0|||
0|Road Display Class Code 0|0 x 03|(3) 
0|Road Display Class Code 1|0 x 11|(17) 
0|||
0|Background Display Class Code 0|0 x 01|(1) 
0|Background Display Class Code 1|0 x 28|(40) 
0|||
0|Name Display Class Code 0|0 x 05|(5) 
@help format_english/pdf/0600122e.pdf
)");
}

TEST(MainMapViews, DivisionRowsSplitTheirWordIntoLatitudinalAndLongitudinalCounts) {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    plan.levelRecordBytes = 40;
    // Blocks stored as the word 0x0304: 3 rows of 4.
    plan.levels[1].blocks = {4, 3};
    plan.levels[1].sets.clear();
    MapViews v;
    v.Open(plan, "division");
    RecordNode* level = v.At({"Map Data", "Level 1"});
    ASSERT_NE(level, nullptr);
    v.Show(*level);
    EXPECT_EQ(v.Row("Number of Latitudinal Blocks"), "3|Total Number = 12");
    EXPECT_EQ(v.Row("Number of Longitudinal Blocks"), "4|");
    // A record of 40 bytes has no expansion field: the node record size is its last row.
    EXPECT_EQ(v.Count("         < Expansion Field >"), 0);
    EXPECT_EQ(v.model.CellText(v.model.rowCount() - 1, 0), QStringLiteral("Node Record Size"));
}

TEST(MainMapViews, ABlockSetListsTheLevelsBlocksAsProviderRows) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan(), "block-set");
    RecordNode* set = v.At({"Map Data", "Level 0", "BlockSet 1"});
    ASSERT_NE(set, nullptr);
    // Block 0 names the file of its information; block 1 has none and reads as no block.
    EXPECT_EQ(v.Show(*set), R"(1|         < Block Set Management Record 1 >||Offset=0 x 00 00 20 90
2|||Help
0|Level Code|0 x 01|(1) 
0|Block Set Number|1|
0|Offset to Block Management Table|0 x 00 00 20 EC|(8428)
0|Size of Block Management Table|0 x 00 00 00 48|(72) 
0|||
1|         < Block Management Table >||
0|||
0|Block 0   (Address of Parcel Management Information)   (BLOCK10.PMI)|0 x 00 00 08 00|Size = 0 x 80
0|Block 1||
0|Block 2   (Address of Parcel Management Information)|0 x 00 00 2B E0|Size = 0 x 40
0|Block 3   (Address of Parcel Management Information)|0 x 00 00 2F A0|Size = 0 x 40
@help format_english/pdf/0600122e.pdf
)");
    EXPECT_EQ(v.model.VirtualRowCount(), 4);
}

TEST(MainMapViews, ABlockShowsItsParcelManagementInformationAndListsItsParcels) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan(), "block");
    RecordNode* block = v.At(kBlock0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(v.Show(*block), R"(1|         < Block Management Record 0 >||Offset=0 x 00 00 20 A4
2|||Help
0|Address of Parcel Management Information|0 x 00 00 21 60|(8544)
0|Size of Parcel Management Information|0 x 00 00 00 60|(96) 
0|File name of Parcel Management Information||
0|||
1|         < Parcel Management Information  >|Main Map Data Management |Offset=0 x 00 00 21 60
0|||
0|Division Type Number|0 x 00|(0) 
0|List Type Number|0 x 00|(0) 
0|Offset to Route Guidance Parcel Management List|0 x 00 00 21 98|(8600)
0|Parcel 0  (Address of Main Map Data Frame)|0 x 00 00 21 C0|Size = 0 x E0
0|Parcel 1  (Address of Main Map Data Frame)|0 x 00 00 21 7C|Size = 0 x 00
0|Parcel 2  (Address of Main Map Data Frame)|0 x 00 00 26 40|Size = 0 x 01 20
0|Parcel 3||
@help format_english/pdf/0600122e.pdf
)");

    // List type 100: each parcel's frame lies in the file its record names; a missing file reads as no
    // parcel.
    v.Show(*v.At({"Map Data", "Level 0", "BlockSet 0", "Block 2"}));
    EXPECT_EQ(v.Row("List Type Number"), "0 x 64|(100) ");
    EXPECT_EQ(v.Row("File Name of Parcel Management Information"), "<none>");
    const int first = v.model.FirstVirtualRow();
    EXPECT_EQ(v.model.CellText(first, 0).toStdString(),
              "Parcel 0  (Address of Main Map Data Frame)   (MAP100.DAT)");
    EXPECT_EQ(v.model.CellText(first + 3, 0).toStdString(), "Parcel 3");
    EXPECT_EQ(v.model.CellText(first + 3, 1).toStdString(), "");

    // List type 202 names its data file in the information.
    v.Show(*v.At({"Map Data", "Level 0", "BlockSet 0", "Block 3"}));
    EXPECT_EQ(v.Row("File Name of Parcel Management Information"), "MAP202.DAT|");

    // A level without route guidance frames has no route guidance list.
    v.Show(*v.At({"Map Data", "Level 1", "BlockSet 0", "Block 0"}));
    EXPECT_EQ(v.Row("Offset to Route Guidance Parcel Management List"), "<none>");
    EXPECT_EQ(v.Row("File name of Parcel Management Information"), "|");

    // Without file name designation the block record has no file name.
    fixture::AllDataPlan unnamed = fixture::smallAllDataPlan();
    unnamed.fileNameDesignation = false;
    unnamed.levels[1].sets.clear();
    unnamed.levels[0].sets[1].blocks[0].blockFile.clear();
    MapViews w;
    w.Open(unnamed, "block-unnamed");
    w.Show(*w.At(kBlock0));
    EXPECT_EQ(w.Row("File name of Parcel Management Information"), "<none>");
    EXPECT_EQ(w.Row("Division Type Number"), "0 x 00|(0) ");
}

TEST(MainMapViews, ADividedParcelShowsItsOwnParcelManagementInformation) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan(), "divided");
    RecordNode* divided = v.At(path(kBlock0, {"Divided Parcel 1"}));
    ASSERT_NE(divided, nullptr);
    EXPECT_EQ(v.Show(*divided),
              R"(1|         < Parcel Management Information  >|Main Map Data|Offset=0 x 00 00 21 7C
2|||Help
0|Division Type Number|0 x 01|(1) 
0|List Type Number|0 x 00|(0) 
0|File Name of Parcel Management Information||
0|Offset to Route Guidance Parcel Management List|0 x FF FF|(65535) 
@help format_english/pdf/0600122e.pdf
)");
}

TEST(MainMapViews, AParcelShowsItsMainMapDistributionHeader) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan(), "header");
    // Parcel 2 of block 0: eight neighbours (one divided, one absent) and an extension field.
    RecordNode* parcel = v.At(path(kBlock0, {"Parcel 2"}));
    ASSERT_NE(parcel, nullptr);
    const std::string shown = v.Show(*parcel);
    const auto has = [&](const std::string& rows) { return shown.find(rows) != std::string::npos; };
    EXPECT_TRUE(has("1|         < Main Map Distribution Header >||Offset=0 x 00 00 26 40\n2|||Help\n"
                    "0|Frame Size (File Name of Main Map Data Frame)|0 x 00 00 01 20|(288) ALLDATA.KWI\n"
                    "0|Header Size|0 x 00 00 00 8E|(142) \n"))
        << shown;
    EXPECT_EQ(v.Row("Practical Management Code"), "0 x 20 00 00 05|(536870917) Area Code = 32");
    EXPECT_EQ(v.Row("Data Source Flag (Scale)"), "50000|");
    // Stored 0x8003 and 0x0003: 300 m and 3 m.
    EXPECT_EQ(v.Row("Real-length Data in Normalized Longitudinal(X-axis) Direction"), "300.00|(meter)");
    EXPECT_EQ(v.Row("Real-length Data in Normalized Latitudinal(Y-axis) Direction"), "3.00|(meter)");
    EXPECT_TRUE(
        has("0|Number of Regions used for Route Planning Data|2|\n0|||\n"
            "0|Level Code for Route Planning Data|1|\n0|Region Number for Route Planning Data|105|\n0|||\n"))
        << shown;
    // The second extended frame has no size: no row.
    EXPECT_TRUE(has("0|Offset to Names Data Frame|0 x 00 00 26 EE|Size = 0 x 10\n"
                    "0|Offset to Extended Data Frame 0|0 x 00 00 26 FE|Size = 0 x 10\n0|||\n"))
        << shown;
    EXPECT_EQ(v.Count("Offset to Extended Data Frame 1"), 0);
    EXPECT_TRUE(has("0|Adjacent Parcel Upper Right||\n"
                    "0|Offset to Adjecent Main Map Data Frame |0 x 00 00 26 40|(9792)\n"
                    "0|Size of Adjecent Main Map Data Frame|0 x 00 00 01 20|(288) \n0|||\n"
                    "0|Adjacent Divided Parcel Right 0||\n"
                    "0|Offset to Adjecent Main Map Data Frame |0 x 00 00 26 40|Divided Parcel\n"))
        << shown;
    EXPECT_EQ(v.Count("Adjacent Divided Parcel Right 1"), 1);
    EXPECT_TRUE(has("0|Adjacent Parcel Lower Left||\n"
                    "0|Offset to Adjecent Main Map Data Frame |0 x FF FF FF FF|(-1)\n"))
        << shown;
    EXPECT_EQ(v.Count("Adjacent Parcel Upper Left"), 1);
    EXPECT_TRUE(has("1|         < Extension Filed >|Sorry, not implemented!|\n0|||\n@help "
                    "format_english/pdf/0701122e.pdf\n"))
        << shown;
    // Without neighbours or an extension field the frame records end the header.
    v.Show(*v.At(path(kBlock0, {"Parcel 0"})));
    EXPECT_EQ(v.Count("         < Adjacent Parcel Address Information >"), 0);
    EXPECT_EQ(v.Count("         < Extension Filed >"), 0);
}

TEST(MainMapViews, ParcelKindsAreNamedByTheirIdentifier) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan(), "kinds");
    RecordNode* sub = v.At(path(kBlock0, {"Divided Parcel 1", "Parcel 0"}));
    ASSERT_NE(sub, nullptr);
    v.Show(*sub);
    EXPECT_EQ(v.model.CellText(0, 1), QStringLiteral("Divided Parcel"));
    EXPECT_EQ(v.Row("Divided/Integrated Identifier"), "0 x 01|(1) Divided Parcel");
    RecordNode* integrated = v.At({"Map Data", "Level 1", "BlockSet 0", "Block 0", "Parcel 0"});
    ASSERT_NE(integrated, nullptr);
    v.Show(*integrated);
    EXPECT_EQ(v.Row("Divided/Integrated Identifier"), "0 x 02|(2) Integrated Parcel");
    EXPECT_EQ(v.Row("Number of Divided/Inregrated Parcels in Longitudinal Direction"), "2|");
    // Identifier 0 has no name, 3 is a regular parcel, and nothing else can name one.
    EXPECT_EQ(ParcelKindName(0), QString());
    EXPECT_EQ(ParcelKindName(3), QStringLiteral("Regular Parcel"));
    for (int outside : {-1, 4, 255})
        EXPECT_EQ(ParcelKindName(outside), QString()) << outside;
}

TEST(MainMapViews, GeomagneticRowsOnlyWithAStrength) {
    fixture::AllDataImage image = fixture::buildAllData(fixture::smallAllDataPlan());
    // The first parcel of block 0 of the first block set: its geomagnetic strength (+24) cleared.
    const fixture::ParcelEntry* first = nullptr;
    for (const fixture::ParcelEntry& entry : image.parcels)
        if (entry.level == 0 && entry.blockSet == 0 && entry.block == 0 && entry.parcel == 0) first = &entry;
    ASSERT_NE(first, nullptr);
    image.allData[size_t(first->frame) + 24] = 0;
    image.allData[size_t(first->frame) + 25] = 0;
    MapViews v;
    v.Open(image, "geomagnetic");
    v.Show(*v.At(path(kBlock0, {"Parcel 0"})));
    EXPECT_EQ(v.Row("Geomagnetic Strength Data"), "<none>");
    EXPECT_EQ(v.Row("Geomagnetic Declination Data"), "<none>");
    EXPECT_NE(v.Row("Data Source Flag (Scale)"), "<none>");
    v.Show(*v.At(path(kBlock0, {"Parcel 2"})));
    EXPECT_EQ(v.Row("Geomagnetic Strength Data"), "480|100 (nT)");
    EXPECT_EQ(v.Row("Geomagnetic Declination Data"), "70.00|0.1 (degree)");
}

TEST(MainMapViews, WithoutAMapEachViewShowsItsHeaderOnly) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan(), "no-map");
    RecordNode* sub = v.At(path(kBlock0, {"Divided Parcel 1", "Parcel 0"}));
    ASSERT_NE(sub, nullptr);
    std::vector<RecordNode*> nodes = {v.At({"Map Data"}),
                                      v.At({"Map Data", "Level 0"}),
                                      v.At({"Map Data", "Level 0", "BlockSet 0"}),
                                      v.At(kBlock0),
                                      v.At(path(kBlock0, {"Divided Parcel 1"})),
                                      sub};
    // The nodes hold the map they were built under: they let go of it, and the window closes it.
    for (RecordNode* node : nodes)
        node->held = HeldReader();
    v.data.map.reset();
    for (RecordNode* node : nodes) {
        const std::string shown = v.Show(*node);
        EXPECT_EQ(v.model.CellText(0, 0).startsWith(QStringLiteral("         < ")), true) << shown;
        EXPECT_LE(v.model.rowCount(), 2) << shown;
        EXPECT_EQ(v.model.VirtualRowCount(), 0) << shown;
    }
    // A level the map does not have reads nothing either.
    MapViews w;
    w.Open(fixture::smallAllDataPlan(), "no-level");
    RecordNode* level = w.At({"Map Data", "Level 1"});
    ASSERT_NE(level, nullptr);
    level->level = 300;
    w.Show(*level);
    EXPECT_EQ(w.model.rowCount(), 2);
}

TEST(MainMapViews, AProviderThatFailsShowsEmptyCellsAndReadsAgainLater) {
    MapViews v;
    const auto map = v.Open(fixture::smallAllDataPlan(), "failing");
    TLN_Block_Management_Record block;
    ASSERT_TRUE(map->ReadBlock(0, 0, 1, block));
    auto failing = std::make_shared<FailingStream>(block.Stream);
    v.grid.AddSectionHeader(QStringLiteral("Parcels"));
    v.grid.SetVirtualRows(4, ParcelRowText(map, 0, failing, block.Address));
    const int first = v.model.FirstVirtualRow();
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(v.model.CellText(first, column), QString()) << column;
    failing->failing = false;
    v.model.RefreshVirtualRows();
    EXPECT_EQ(v.model.CellText(first, 0).toStdString(), "Parcel 0  (Address of Main Map Data Frame)");
    EXPECT_TRUE(v.model.CellText(first, 2).startsWith(QStringLiteral("Size = 0 x ")))
        << v.model.CellText(first, 2).toStdString();
}

TEST(MainMapViews, ARowRecordIsReadOnceForItsThreeCells) {
    int reads = 0;
    RowRecordCache<int> cache([&](int row, int& record) {
        ++reads;
        if (row == 7) throw EReadError("File read error!");
        record = row * 10;
        return row != 5;
    });
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(*cache.Get(3), 30);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(cache.Get(5), nullptr);
    EXPECT_EQ(cache.Get(5), nullptr);
    EXPECT_EQ(reads, 2);
    // A read that raised is not kept: the next cell reads again.
    EXPECT_THROW(cache.Get(7), EReadError);
    EXPECT_THROW(cache.Get(7), EReadError);
    EXPECT_EQ(reads, 4);
    EXPECT_EQ(*cache.Get(3), 30);
    EXPECT_EQ(cache.Reads(), 5);
}

TEST(MainMapBuilders, ParcelNodesLieAtTheirOwnFramesInTheirBlocksStreams) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan(), "parcel-nodes");
    std::set<std::pair<std::string, int64_t>> frames;
    const fixture::AllDataImage image = fixture::buildAllData(fixture::smallAllDataPlan());
    for (const fixture::ParcelEntry& entry : image.parcels)
        frames.insert({entry.file.empty() ? std::string("ALLDATA.KWI") : entry.file, entry.frame});
    int parcels = 0;
    for (const std::vector<std::string>& blockPath :
         {kBlock0, std::vector<std::string>{"Map Data", "Level 0", "BlockSet 0", "Block 2"},
          std::vector<std::string>{"Map Data", "Level 0", "BlockSet 1", "Block 0"}}) {
        RecordNode* block = v.At(blockPath);
        ASSERT_NE(block, nullptr);
        v.Expand(*block);
        for (const auto& child : block->children) {
            std::vector<RecordNode*> parcelNodes;
            if (child->kind == 12) {
                // A divided parcel lies at its sub-parcels' information, in its block's stream.
                TLN_Block_Management_Record record;
                ASSERT_TRUE(
                    v.data.map->ReadBlock(0, uint32_t(block->blockSetIndex), uint32_t(block->index), record));
                EXPECT_EQ(child->stream, record.Stream);
                TLN_Parcel_Management_Info info;
                EXPECT_TRUE(v.data.map->ReadParcelManagement(child->stream, 0, info, child->recordOffset));
                for (RecordNode* sub : v.Expand(*child))
                    parcelNodes.push_back(sub);
            } else {
                parcelNodes.push_back(child.get());
            }
            for (RecordNode* parcel : parcelNodes) {
                ++parcels;
                ASSERT_NE(parcel->stream, nullptr);
                std::string file = fileNamePart(parcel->stream->FileName());
                EXPECT_EQ(frames.count({file, parcel->recordOffset}), 1u)
                    << parcel->caption.toStdString() << " at " << file << ":" << parcel->recordOffset;
                EXPECT_GT(parcel->frameSize, 0);
            }
        }
    }
    EXPECT_GT(parcels, 20);
}

TEST(MainMapBuilders, ParcelsOfAFormatEightMapShowTheirHeaderButDoNotExpand) {
    MapViews v;
    v.Open(fixture::smallAllDataPlan("AFEU:8.05"), "format-8");
    RecordNode* parcel = v.At(path(kBlock0, {"Parcel 0"}));
    ASSERT_NE(parcel, nullptr);
    EXPECT_FALSE(parcel->Expandable());
    EXPECT_TRUE(v.Expand(*parcel).empty());
    v.Show(*parcel);
    EXPECT_EQ(v.Row("Header Size"), "0 x 00 00 00 42|(66) ");
    // Below format 8 the same parcel opens into its frames.
    MapViews w;
    w.Open(fixture::smallAllDataPlan("AFEU:7.05"), "format-7");
    RecordNode* seven = w.At(path(kBlock0, {"Parcel 0"}));
    ASSERT_NE(seven, nullptr);
    EXPECT_TRUE(seven->Expandable());
    EXPECT_FALSE(w.Expand(*seven).empty());
}

} // namespace
