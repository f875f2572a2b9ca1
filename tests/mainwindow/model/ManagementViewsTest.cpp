// The rows of the data volume, the management header records and the main map data management header
// over fixture maps: field order and texts, the data types named by position, the background defaults, a
// part past the end of ALLDATA.KWI, a main map part in a file of its own, and maps that are missing.
#include <gtest/gtest.h>

#include "MapViewsHarness.h"
#include "kiwi/core/FileNames.h"
#include "mainwindow/model/views/ManagementViews.h"

namespace {

using mapviews::MapViews;

// The small map with further management headers: one inside ALLDATA.KWI, one past its end, one naming a
// file of its own.
fixture::AllDataPlan plan() {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    plan.headers[4] = {4096, 1, ""};
    plan.headers[30] = {-1, 1, "PCT2MNG.KWI"};
    plan.headers[40] = {int64_t(1) << 24, 1, ""};
    return plan;
}

// Rewrites the data volume's level lists (from byte 492): count, then per type its code and levels.
void writeDataTypes(fixture::AllDataImage& image, uint16_t count,
                    const std::vector<std::pair<uint8_t, std::vector<uint8_t>>>& types) {
    std::vector<uint8_t> bytes = {uint8_t(count >> 8), uint8_t(count)};
    for (const auto& [type, levels] : types) {
        bytes.push_back(type);
        bytes.push_back(uint8_t(levels.size()));
        for (uint8_t code : levels)
            bytes.insert(bytes.end(), {code, 0, 0, 7});
    }
    std::copy(bytes.begin(), bytes.end(), image.allData.begin() + 492);
}

TEST(ManagementViews, TheDataVolumeShowsItsRecordsInFieldOrder) {
    MapViews v;
    v.Open(plan(), "volume");
    EXPECT_EQ(v.Show(*v.root), R"(1|         < Data Volume >|ALLDATA.KWI|
2|||Help
0|System-specific identification:||
0|Latitude and Longitude of the Maker''s Office Location|N4*26'40,0 / E17*27'55,0|4.444 / 17.465  ()
0|Floor of The Makers''s Office|3|
0|Date of Maker Identification|2000-07-10|
0|System-specific Identification|AFEU:2.05|Defined by maker
0|||
0|Data Autor identification:||
0|Latitude and Longitude of the Data Autor''s Office Location|N4*28'45,0 / E17*30'0,0|4.479 / 17.500
0|Floor of The Data Autor''s Office|1|
0|Date of Data Autor Identification|2000-07-11|
0|System-specific Identification|DATA AUTHOR|Defined by maker
0|||
0|System identification:||
0|Latitude and Longitude of the Hardware Manufacturer Location|N4*30'50,0 / E17*32'5,0|4.514 / 17.535
0|Floor od The Hardware Manufacturer''s Office|2|
0|Date of Hardware Manufacturer Identification|2000-07-12|
0|Hardware Manufacturer Identification|HW MAKER|Defined by maker
0|||
0|Format Version Number|KIWI FORMAT 1.22|
0|Data Version Number|2005/06/30/01|year/month/day/serial number
0|Disk Title|FIXTURE DISC|
0|Data Contents|0 x 00 03|(3) 
0|Media Version Number|MEDIA 1.0|
0|Lower Left Corner of the Coverage Area|N48*36'40,0 / W1*23'20,0|48.611 / -1.389
0|Upper Right Corner of the Coverage Area|N52*5'0,0 / E2*5'0,0|52.083 / 2.083
0|Logical Sector Size|32|
0|Sector Size|2048|
0|Background data Default (with Map Data)|0 x 00 00|(0) Land
0|Background data Default (No Map Data)|0 x 00 00|(0) Land
0|||
1|         < Level Management Information >||
0|||
0|Number of Data Types|1|Number of Data Types described below
0|||
1|         < < Level Management Header > >||
0|||
0|Data Type|0 x 01|(1) Main Map
0|Total Number of Levels|2|
0|||
0|Main Map  Level 0||
0|Level Code|0 x 01|(1) 
0|Total Number of Block Management Records|4|
0|||
0|Main Map  Level 1||
0|Level Code|0 x 02|(2) 
0|Total Number of Block Management Records|2|
@help format_english/pdf/0500122e.pdf
)");
}

TEST(ManagementViews, DataTypesAreNamedByPositionAndAFourthHasNoName) {
    fixture::AllDataImage image = fixture::buildAllData(plan());
    writeDataTypes(image, 4, {{1, {4}}, {2, {}}, {3, {4, 8}}, {9, {12}}});
    // Bit 15 of the background defaults: the sea where there is map data, land where there is none.
    image.allData[476] = 0x80;
    image.allData[477] = 0x00;
    MapViews v;
    v.Open(image, "types");
    v.Show(*v.root);
    EXPECT_EQ(v.Row("Number of Data Types"), "4|Number of Data Types described below");
    EXPECT_EQ(v.Count("         < < Level Management Header > >"), 4);
    EXPECT_EQ(v.Count("Data Type"), 4);
    // Levels count from 0 in every type; the fourth type's levels carry no type name.
    for (const char* row :
         {"Main Map  Level 0", "Route Planning  Level 0", "Route Planning  Level 1", "  Level 0"})
        EXPECT_EQ(v.Count(row), 1) << row;
    EXPECT_EQ(v.Count("Route Guidance  Level 0"), 0);
    std::vector<std::string> remarks;
    for (int row = 0; row < v.model.rowCount(); ++row)
        if (v.model.CellText(row, 0) == QStringLiteral("Data Type"))
            remarks.push_back(v.model.CellText(row, 2).toStdString());
    EXPECT_EQ(remarks,
              (std::vector<std::string>{"(1) Main Map", "(2) Route Guidance", "(3) Route Planning", "(9) "}));
    EXPECT_EQ(v.Row("Background data Default (with Map Data)"), "0 x 00 01|(1) Sea");
    EXPECT_EQ(v.Row("Background data Default (No Map Data)"), "0 x 00 00|(0) Land");

    // Five or more data types: the count is shown, no level lists were read.
    writeDataTypes(image, 5, {});
    image.allData[476] = 0x40;
    MapViews five;
    five.Open(image, "five-types");
    five.Show(*five.root);
    EXPECT_EQ(five.Row("Number of Data Types"), "5|Number of Data Types described below");
    EXPECT_EQ(five.Count("Data Type"), 0);
    EXPECT_EQ(five.Row("Background data Default (with Map Data)"), "0 x 00 00|(0) Land");
    EXPECT_EQ(five.Row("Background data Default (No Map Data)"), "0 x 00 01|(1) Sea");
}

TEST(ManagementViews, AnInvalidOrMissingMapLeavesTheDataVolumeEmpty) {
    fixture::AllDataPlan invalid = plan();
    invalid.logicalSectorSize = 16;
    MapViews v;
    ASSERT_FALSE(v.Open(invalid, "invalid")->IsValid());
    EXPECT_EQ(v.Show(*v.root), "");
    v.data.map.reset();
    EXPECT_EQ(v.Show(*v.root), "");
}

TEST(ManagementViews, ManagementHeadersShowAddressSizeAndFileName) {
    MapViews v;
    v.Open(plan(), "headers");
    RecordNode* infrastructure = v.Child(*v.root, "Infrastructure Data");
    ASSERT_NE(infrastructure, nullptr);
    EXPECT_EQ(v.Show(*infrastructure),
              R"(1|         < Management Header Record 5 >|Infrastructure Data Management|
2|||Help
0|Address of the Management Header|0 x 00 00 10 00|(4096)
0|Size of the Management Header|0 x 00 00 00 20|(32) 
0|Management File Name||
@help format_english/pdf/0500122e.pdf
)");
    // Past the end of ALLDATA.KWI: the caption says so, and so does the view.
    RecordNode* beyond = v.Child(*v.root, "Management 41  (Error)");
    ASSERT_NE(beyond, nullptr);
    EXPECT_EQ(beyond->kind, 140);
    EXPECT_EQ(v.Show(*beyond), R"(1|         < Management Header Record 41 >||
2|||Help
0|Address of the Management Header|0 x 01 00 00 00|(16777216)
0|Size of the Management Header|0 x 00 00 00 20|(32) 
0|Management File Name||
5|         Management Address exceeds the file size !!!||
@help format_english/pdf/0500122e.pdf
)");
}

TEST(ManagementViews, OtherViewsStartWithTheManagementHeaderOfManagementNodesOnly) {
    MapViews v;
    v.Open(plan(), "first-rows");
    // A header naming a file of its own is not past the end, whatever its address; its file is missing.
    RecordNode* pictures = v.Child(*v.root, "Picture Data  (Error)");
    ASSERT_NE(pictures, nullptr);
    AddManagementHeaderRows(v.context, *pictures, HelpDocument::PictureData);
    EXPECT_EQ(DumpGrid(v.model).toStdString(), R"(1|         < Management Header Record 31 >||
2|||Help
0|Address of the Management Header|0 x FF FF FF FF|(-1)
0|Size of the Management Header|0 x 00 00 00 20|(32) 
0|Management File Name|PCT2MNG.KWI|
0|Ошибка||Файл PCT2MNG.KWI не найден в папке )" + v.folder +
                                                   "\n@help format_english/pdf/0807122e.pdf\n");
    // The root of a file opened alone is no management record.
    v.grid.Clear();
    auto region = harness::Root(1400, QStringLiteral("REGION"), HeldReader());
    AddManagementHeaderRows(v.context, *region, HelpDocument::RegionData);
    EXPECT_EQ(v.model.rowCount(), 0);
    // A management kind past the 64 records (the table's fallback up to 170): its title only.
    auto spare = RecordNode::MakeChild(v.root.get(), 165, QStringLiteral("Management 66"), 65);
    EXPECT_EQ(v.Show(*spare), R"(1|         < Management Header Record 66 >||
2|||Help
@help format_english/pdf/0500122e.pdf
)");
    // Without a map: the title only.
    v.data.map.reset();
    EXPECT_EQ(v.Show(*v.Child(*v.root, "Infrastructure Data")),
              R"(1|         < Management Header Record 5 >|Infrastructure Data Management|
2|||Help
@help format_english/pdf/0500122e.pdf
)");
}

TEST(ManagementViews, TheMainMapDataManagementHeaderFollowsItsManagementHeader) {
    MapViews v;
    v.Open(plan(), "main-map");
    RecordNode* mapData = v.Child(*v.root, "Map Data");
    ASSERT_NE(mapData, nullptr);
    EXPECT_EQ(v.Show(*mapData), R"(1|         < Management Header Record 1 >|Map Data Management|
2|||Help
0|Address of the Management Header|0 x 00 00 20 00|(8192)
0|Size of the Management Header|0 x 00 00 01 60|(352) 
0|Management File Name||
0|||
1|         < Parcel Data Management Distribution Header >|Main Map Data Management|Offset=0 x 00 00 20 00
0|||
0|Header Size|0 x 00 00 00 1E|(30) 
0|File Name Designation|YES|
0|Latitude of Upper Edge of Coverage Area|N52*5'0,0|52.083
0|Latitude of Lower Edge of Coverage Area|N48*36'40,0|48.611
0|Longitude of Left Edge of Coverage Area|W1*23'20,0|-1.389
0|Longitude of Right Edge of Coverage Area|E2*5'0,0|2.083
0|Size of Level Management Record|0 x 00 00 00 34|(52) 
0|Size of Block Set Management Record|0 x 00 00 00 0A|(10) 
0|Size of Block Management Record|0 x 00 00 00 12|(18) 
0|Total Number of Level Management Records |2|
0|Total Number of Block Set Management Records|3|
@help format_english/pdf/0600122e.pdf
)");
    EXPECT_TRUE(mapData->Expandable());
}

TEST(ManagementViews, AMainMapPartInAFileOfItsOwnIsShownThere) {
    fixture::AllDataPlan own = plan();
    own.mainMapFile = "MAINMAP.KWI";
    own.fileNameDesignation = false;
    MapViews v;
    v.Open(own, "own-file");
    RecordNode* mapData = v.Child(*v.root, "Map Data");
    ASSERT_NE(mapData, nullptr);
    const std::string shown = v.Show(*mapData);
    EXPECT_NE(shown.find("\n@hex MAINMAP.KWI 8192\n"), std::string::npos) << shown;
    EXPECT_EQ(v.Row("Management File Name"), "MAINMAP.KWI|");
    EXPECT_EQ(v.Row("File Name Designation"), "NO|");
    // The levels lie in that file too: the level view moves the hex viewer there only when its node is
    // not already shown there.
    RecordNode* level = v.Child(*mapData, "Level 0");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(fileNamePart(level->stream->FileName()), "MAINMAP.KWI");
    EXPECT_EQ(v.Show(*level).find("@hex"), std::string::npos);
}

} // namespace

namespace {

TEST(ManagementViews, TheKindTableShowsTheseRecordsThroughTheirViews) {
    const NodeKinds& table = NodeKinds::Table();
    for (int kind : {7, 100, 104, 118, 131, 140, 163, 9, 10, 11, 12, 14})
        EXPECT_TRUE(table.Resolve(kind).view) << "kind " << kind;
    // Management kinds past the table's rows fall back on the management header view.
    EXPECT_TRUE(table.Resolve(170).view);
    EXPECT_EQ(std::string(table.Resolve(170).viewName), "ShowManagementHeader");
}

} // namespace
