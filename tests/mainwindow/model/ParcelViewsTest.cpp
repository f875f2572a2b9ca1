// The rows the views of a parcel's road, background and name frames write over the frames map of the
// fixture (system numbers 2 and 8), the children their builders add, and the remarks of codes outside
// the name tables.
#include <gtest/gtest.h>

#include "ParcelBench.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/display/KiwiFormat.h"

namespace {

using parcelbench::ParcelBench;

QString q(const char* text) {
    return QString::fromUtf8(text);
}

// The map text code page for a test's duration.
class TextCodePage {
public:
    explicit TextCodePage(int codePage) : text_(MapTextCodePage.load()), ansi_(MapAnsiCodePage.load()) {
        MapTextCodePage.store(codePage);
        MapAnsiCodePage.store(0);
    }
    ~TextCodePage() {
        MapTextCodePage.store(text_);
        MapAnsiCodePage.store(ansi_);
    }

private:
    int text_;
    int ansi_;
};

class ParcelViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        bench_.Open(fixture::framesAllDataPlan(), "narrow");
        parcel_ = bench_.FirstParcel();
        ASSERT_NE(parcel_, nullptr);
    }
    RecordNode* at(std::initializer_list<const char*> captions) {
        RecordNode* node = parcel_;
        for (const char* caption : captions) {
            node = node ? bench_.Under(*node, q(caption)) : nullptr;
            if (!node) ADD_FAILURE() << "no node " << caption;
        }
        return node;
    }

    TextCodePage codePage_{65001};
    ParcelBench bench_;
    RecordNode* parcel_ = nullptr;
};

TEST_F(ParcelViewsTest, RoadFrameAndDisplayClassesShowTheirHeadersAndScales) {
    RecordNode* roads = at({"Roads"});
    ASSERT_NE(roads, nullptr);
    const std::string offset = "Offset=0 x 00 00 22 22";
    EXPECT_EQ(bench_.Show(*roads), R"(1|         < Road Data Frame >||)" + offset + R"(
2|||Help
0|Size of Distribution Header|0 x 00 00 00 14|(20) 
0|Total Number of Intersections|0 x 00 0A|(10) 
0|Number of Display Classes|3|
0|Count of Additional Data|1|
0|Level of Route Planning Data|0 x 80 01|(32769) 
0|Expansion Flag (Road Distribution Header)|YES|!!!
@help format_english/pdf/0702122e.pdf
)");
    EXPECT_EQ(bench_.Children(*roads),
              (std::vector<QString>{q("Display Class 0"), q("Display Class 1"), q("Display Class 2")}));

    // Class 0: code 3 of the level's list, every display scale, two multilinks.
    RecordNode* first = at({"Roads", "Display Class 0"});
    EXPECT_EQ(bench_.Show(*first), R"(1|         < Display Class >|Display Class 0|Offset=0 x 00 00 22 38
0|||
0|Road Display Class Code|0 x 03|(3) 
0|Road Type|Freeway class road (1)|
0|Offset to Display Class|0 x 00 00 22 38|(8760)
0|Number of Polylines|2|
0|Display Scale Flag 1|YES|1:100 m
0|Display Scale Flag 2|YES|1:999 m
0|Display Scale Flag 3|YES|1:1 km
0|Display Scale Flag 4|YES|1:25 km
0|Display Scale Flag 5|YES|
)");
    EXPECT_EQ(bench_.Children(*first), (std::vector<QString>{q("MultiLink 0"), q("MultiLink 1")}));
    // Class 2: display scale bits 00100 are flag 3 alone.
    bench_.Show(*at({"Roads", "Display Class 2"}));
    EXPECT_EQ(bench_.Row("Display Scale Flag 2"), "NO|1:999 m");
    EXPECT_EQ(bench_.Row("Display Scale Flag 3"), "YES|1:1 km");
    // Class 1 is empty (its offset points into the header): no position, no children.
    RecordNode* empty = at({"Roads", "Display Class 1"});
    bench_.Show(*empty);
    EXPECT_EQ(bench_.Row("Offset to Display Class"), "0 x FF FF FF FF|(-1)");
    EXPECT_TRUE(bench_.Children(*empty).empty());
}

TEST_F(ParcelViewsTest, MultiLinkHeaderRowsFollowItsFlags) {
    RecordNode* multiLink = at({"Roads", "Display Class 0", "MultiLink 0"});
    ASSERT_NE(multiLink, nullptr);
    bench_.Show(*multiLink);
    EXPECT_EQ(bench_.Row("Road_Type_Code"), "0 x 03|(3) Throughway");
    EXPECT_EQ(bench_.Row("MultiLink_Size"), "0 x 00 00 00 76|(118) ");
    EXPECT_EQ(bench_.Row("Street_Address_Flag"), "YES|");
    EXPECT_EQ(bench_.Row("MultiLink_Origin_Point (Start Link ID)"),
              "0 x 00 10 00 00|(1048576) Absolute Link ID");
    EXPECT_EQ(bench_.Row("MultiLink_End_Point (End Link ID)"), "0 x 00 10 00 04|(1048580) ");
    // A displacement remark keeps the row out of the address jump.
    EXPECT_EQ(bench_.Row("Route-type Guidance Data Offset"),
              "0 x 00 00 00 20|The displacement from the top of the guidance data frame");
    EXPECT_EQ(bench_.Row("Number_of_Nodes"), "3|");
    EXPECT_EQ(bench_.Children(*multiLink), (std::vector<QString>{q("Node 0"), q("Node 1"), q("Node 2")}));
    // Without its flag the link ID words are not read.
    bench_.Show(*at({"Roads", "Display Class 0", "MultiLink 1"}));
    EXPECT_EQ(bench_.Row("MultiLink_Origin_Point (Start Link ID)"), "0 x 00 00 00 00|(0) Absolute Link ID");
    EXPECT_EQ(bench_.Row("Road_Type_Code"), "0 x 05|(5) Frontage road");
}

TEST_F(ParcelViewsTest, NodeWithAdditionalInformationAndStreetAddress) {
    RecordNode* node = at({"Roads", "Display Class 0", "MultiLink 0", "Node 0"});
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(bench_.Show(*node), R"(1|         < Link/Node Connection Information >||
2|||Help
0|Target Node Type|0 x 01|(1) Start point of MultiLink
0|On-boundary Node Flag|YES|
0|Parcel Position the Node Connected to|0 x 02|(2) Right
0|Crossing MultiLink Display Class|3|
0|Crossing MultiLink Number|17|
0|Node Number in Crossing MultiLink|5|
0|Link ID Number Information Change Flag|YES|
0|Target Node Road Width/Lane Info Change Flag|YES|
0|Target Node Intersection-type Guidance Info Flag|NO|
0|Target Node Street Name Info Flag|NO|
0|Target Node Street Address Info Flag|YES|
0|Target Node Region Number Change Flag|NO|
0|Link Type Code|0 x 00|(0) 
0|Offset to Additional Node Record|0 x 00 32|(50) Displacement
0|||
1|         < Additional Node Information >||Offset=0 x 00 00 22 86
0|||
0|Link Shape Data Offset|0 x 01 00|(256) Displacement
0|Link ID Number Information|0 x 00 07|(7) Differential Link ID
0|Direction of Road Width/Lane|0 x 03|(3) Forward/Backward
0|Number of Forward Lanes|0 x 02|(2) 
0|Forward Road Width|0 x 04|(4) 
0|Number of Backward Lanes|0 x 01|(1) 
0|Backward Road Width|0 x 05|(5) 
0|Intersection-type Guidance Data Offset|0 x 00 00|(0) Displacement
0|Street Name Data Offset|0 x 00 00|(0) Displacement
0|Street Address Data Offset|0 x 00 3D|(61) Displacement
0|Passage Regulation Information Data Offset|0 x 00 00|(0) Displacement
0|Region Number|0 x 00 00|(0) 
0|Link_Length_Info|0 x 01 23|(291) 
0|||
1|         < Link Shape Data >||
0|||
0|One way Code|0 x 01|(1) FORWARD
0|One Way Flag|NO|Not validated
0|Relative Position in Integrated Parcel|1|X-axis
0|X-axis Coordinate (Longitude)|100|
0|Relative Position in Integrated Parcel|0|Y-axis
0|Y-axis Coordinate (Latitude)|200|
0|Number_of_intermediate_Points|2|
0|||
1|         < Street Address Information >||Offset=0 x 00 00 22 9C
0|||
0|Size of Street Address Information Record|0 x 00 12|(18) 
0|Storage Information Details|0 x 66 60|(26208) 
0|Street Address Type|3|Type C
0|Administrative Name (left) Data Offset|0 x 00 00 00 0E|Москва-0
0|Administrative Name (right) Data Offset|0 x 00 00 00 2C|Тверская-0
0|Street Name (left) Data Offset|0 x 00 00 00 50|Kremlin-0
0|Street Name (right) Data Offset|0 x 00 00 00 50|Kremlin-0
0|House Number Start Point (Left Side) |10|
0|House Number End Point (Left Side) |20|
0|House Number Start Point (Right Side) |11|
0|House Number End Point (Right Side) |31|
@help format_english/pdf/0702122e.pdf
)");
}

TEST_F(ParcelViewsTest, NodeWhoseAdditionalOffsetIsAllOnesHasNoAdditionalSection) {
    bench_.Show(*at({"Roads", "Display Class 0", "MultiLink 0", "Node 1"}));
    EXPECT_EQ(bench_.Row("Offset to Additional Node Record"), "0 x FF FF|(65535) Displacement");
    EXPECT_EQ(bench_.Count("         < Additional Node Information >"), 0);
    EXPECT_EQ(bench_.Count("         < Street Address Information >"), 0);
    EXPECT_EQ(bench_.Row("One way Code"), "0 x 02|(2) BACKWARD");
    EXPECT_EQ(bench_.Row("Parcel Position the Node Connected to"), "0 x 07|(7) Upper left");
    EXPECT_EQ(bench_.Row("Target Node Type"), "0 x 00|(0) Intermediate point of MultiLink");
    // A closed road whose one-way code is not validated.
    bench_.Show(*at({"Roads", "Display Class 0", "MultiLink 0", "Node 2"}));
    EXPECT_EQ(bench_.Row("One way Code"), "0 x 03|(3) Road closed");
    EXPECT_EQ(bench_.Row("One Way Flag"), "YES|Not validated");
    EXPECT_EQ(bench_.Row("Intersection-type Guidance Data Offset"), "0 x 0A 0A|(2570) Displacement");
    EXPECT_EQ(bench_.Row("Region Number"), "0 x 00 28|(40) ");
}

TEST_F(ParcelViewsTest, BackgroundClassesTypeUnitsAndMinimumGraphics) {
    RecordNode* background = at({"Background"});
    ASSERT_NE(background, nullptr);
    bench_.Show(*background);
    EXPECT_EQ(bench_.Row("Size of Background Distribution Header"), "0 x 00 00 00 0A|(10) ");
    EXPECT_EQ(bench_.Row("Number Of Element Management Information Records"), "2|from Level Management");
    // Class 1 has no element unit: no node.
    EXPECT_EQ(bench_.Children(*background), std::vector<QString>{q("Display Class 0")});
    RecordNode* element = at({"Background", "Display Class 0"});
    EXPECT_EQ(bench_.Show(*element), R"(1|         < Element Management Information >||
0|||
0|Background Display Class Code|0 x 01|(1) 
0|Background type|(RESERVED)|
0|Element Unit Offset|0 x 00 00 23 2E|(9006)
0|Element Unit Size|0 x 00 00 00 6C|(108) 
)");
    EXPECT_EQ(bench_.Children(*element), (std::vector<QString>{q("Points"), q("Lines"), q("Areas")}));
    bench_.Show(*at({"Background", "Display Class 0", "Areas"}));
    EXPECT_EQ(bench_.Row("Shape Classification"), "0 x 02|(2) ");
    EXPECT_EQ(bench_.Row("Height Information Flag"), "YES|");
    EXPECT_EQ(bench_.Row("Number of Minimum Graphics Data Records"), "1|");

    // A point with auxiliary data and a name; flags that are clear show no row.
    EXPECT_EQ(bench_.Show(*at({"Background", "Display Class 0", "Points", "Object 0"})),
              R"(1|         < Minimum Graphics Data Record >||Offset=0 x 00 00 23 3C
2|||Help
0|Type Code|0 x 04 64|(1124) University, college
0|Size of_Minimum Graphics Data Record|0 x 00 00 00 14|(20) 
0|Extended Data Flag|NO|
0|Display Scale Flag 1|YES|
0|Display Scale Flag 2|NO|
0|Display Scale Flag 3|NO|
0|Display Scale Flag 4|NO|
0|Display Scale Flag 5|NO|
0|Auxiliary Data Flag|YES|
0|Auxiliary Data|13|Prefecture code = 13
0|Temporal Information Flag|YES|
0|Name Flag|YES|
0|Name Offset|0 x 00 00 00 07|The name offset represents the displacement of the beginning of the particular name data record from the beginning of the name data frame.
0|||
0|Multiplication Constant|0 x 00|(0) 
0|Relative Position X|0 x 01|(1) 
0|Starting Coordinate X|0 x 01 90|(400) 
0|Relative Position Y|0 x 00|(0) 
0|Starting Coordinate Y|0 x 01 F4|(500) 
0|Number of Offset Coordinates Records|0|
@help format_english/pdf/0703122e.pdf
)");
    // Shown whatever its display scales (flag 3 alone): pen up and underground.
    bench_.Show(*at({"Background", "Display Class 0", "Points", "Object 1"}));
    EXPECT_EQ(bench_.Row("Pen up Flag"), "YES|");
    EXPECT_EQ(bench_.Row("Underground Attribute Flag"), "YES|");
    EXPECT_EQ(bench_.Row("Auxiliary Data Flag"), "absent");
    EXPECT_EQ(bench_.Row("Type Code"), "0 x 02 80|(640) Airport");
    // A line's offsets are signed byte pairs.
    bench_.Show(*at({"Background", "Display Class 0", "Lines", "Object 0"}));
    EXPECT_EQ(bench_.Count("Coordinate_Offset X / Y"), 3);
    EXPECT_EQ(bench_.Row("Coordinate_Offset X / Y"), "10 / 11|");
    EXPECT_EQ(bench_.Row("Multiplication Constant"), "0 x 02|(2) ");
    // An area whose additional information is a building ID.
    bench_.Show(*at({"Background", "Display Class 0", "Areas", "Object 0"}));
    EXPECT_EQ(bench_.Row("Additional Background Information Type"), "0 x 02|(2) Building ID");
    EXPECT_EQ(bench_.Row("Building ID"), "0 x 00 AB C0 00|(11255808) See search data (building information "
                                         "search) in Guidance and Index Data (Chapter 11).");
    EXPECT_EQ(bench_.Row("Additional Background Information Pointer"), "absent");
    EXPECT_EQ(bench_.Count("Coordinate_Offset X / Y"), 4);
}

TEST_F(ParcelViewsTest, NameClassesAndRecordsOfEveryStringType) {
    RecordNode* names = at({"Names"});
    ASSERT_NE(names, nullptr);
    bench_.Show(*names);
    EXPECT_EQ(bench_.Row("Size of Name Distribution Header"), "0 x 00 00 00 0E|(14) ");
    EXPECT_EQ(bench_.Children(*names),
              (std::vector<QString>{q("Display Class 0"), q("Display Class 1"), q("Display Class 2")}));
    bench_.Show(*at({"Names", "Display Class 1"}));
    EXPECT_EQ(bench_.Row("Name type"), "Main road facility name|");
    EXPECT_EQ(bench_.Row("Number of Name Data Records "), "0|");
    RecordNode* first = at({"Names", "Display Class 0"});
    EXPECT_EQ(bench_.Children(*first).size(), 5u);

    bench_.Show(*at({"Names", "Display Class 0", "Record 0"}));
    EXPECT_EQ(bench_.Row("String"), "Москва-0|");
    EXPECT_EQ(bench_.Row("String_Placement_Position"), "0 x 00|(0) Barycentric string");
    EXPECT_EQ(bench_.Row("Display_Scale_Flag 5"), "YES|");
    EXPECT_EQ(bench_.Row("Starting_Coordinate_Y"), "0 x 00 C8|(200) ");
    // Type 4: placement type, identification flag, the data to be drawn; shown whatever its scales.
    bench_.Show(*at({"Names", "Display Class 0", "Record 2"}));
    EXPECT_EQ(bench_.Row("String"), "Kremlin-0|");
    EXPECT_EQ(bench_.Row("String Placement Type"), "0 x 05|(5) ");
    EXPECT_EQ(bench_.Row("Identification_Flag"), "0 x 02|(2) ");
    EXPECT_EQ(bench_.Row("Offset to the Data to be drawn"), "0 x 00 00 01 23|(291)");
    EXPECT_EQ(bench_.Row("Display_Scale_Flag 1"), "NO|");
    // Type 6 stores its placement position.
    bench_.Show(*at({"Names", "Display Class 0", "Record 4"}));
    EXPECT_EQ(bench_.Row("String_Placement_Position"), "0 x 01|(1) Symbol + String");
    // A record of a type without a layout shows its flags and no string.
    bench_.Show(*at({"Names", "Display Class 2", "Record 0"}));
    EXPECT_EQ(bench_.Row("String Type"), "0 x 00|(0) ");
    EXPECT_EQ(bench_.Row("String"), "|");
    EXPECT_EQ(bench_.Row("String_Placement_Position"), "0 x 00|(0) (RESERVED)");
    // A two-language string reads the first language.
    bench_.Show(*at({"Names", "Display Class 2", "Record 1"}));
    EXPECT_EQ(bench_.Row("String"), "Невский-0|");
}

// System number 8: wide background entries and type unit headers, name entries from N + 4, texts in
// UTF-16. The parcels of such a map have no frame nodes of their own; they are made here.
TEST(ParcelViewsWide, EntriesAreReadAtTheirWidePositions) {
    TextCodePage codePage(1200);
    ParcelBench bench;
    bench.Open(fixture::framesAllDataPlan(true), "wide");
    RecordNode* parcel = bench.FirstParcel();
    ASSERT_NE(parcel, nullptr);
    EXPECT_TRUE(parcel->children.empty());
    const auto frames = bench.Frames(*parcel);
    ASSERT_NE(frames, nullptr);

    RecordNode* background = bench.AddFrameNode(*parcel, 16, q("Background"), frames->Background.Position());
    EXPECT_EQ(bench.Children(*background), std::vector<QString>{q("Display Class 0")});
    RecordNode* element = bench.Under(*background, q("Display Class 0"));
    bench.Show(*element);
    // The wide header: 4 bytes, then 6 bytes per class.
    const int64_t unit = frames->Background.Position() + 16;
    EXPECT_EQ(bench.Row("Element Unit Offset"), FormatHex32Spaced(unit) + "|(" + std::to_string(unit) + ")");
    EXPECT_EQ(bench.Children(*element), (std::vector<QString>{q("Points"), q("Lines"), q("Areas")}));
    RecordNode* areas = bench.Under(*element, q("Areas"));
    bench.Show(*bench.Under(*areas, q("Object 0")));
    EXPECT_EQ(bench.Row("Building ID"), "0 x 00 AB C0 00|(11255808) See search data (building information "
                                        "search) in Guidance and Index Data (Chapter 11).");

    RecordNode* names = bench.AddFrameNode(*parcel, 17, q("Names"), frames->Name.Position());
    RecordNode* first = bench.Under(*names, q("Display Class 0"));
    ASSERT_NE(first, nullptr);
    bench.Show(*first);
    EXPECT_EQ(bench.Row("Number of Name Data Records "), "5|");
    EXPECT_EQ(bench.Row("Offset to the Name Data List"),
              FormatHex32Spaced(frames->Name.Position() + 16) + "|(" +
                  std::to_string(frames->Name.Position() + 16) + ")");
    bench.Show(*bench.Under(*first, q("Record 1")));
    EXPECT_EQ(bench.Row("String"), "Тверская-0|");

    // Node records of 10 bytes carry a link type code.
    RecordNode* roads = bench.AddFrameNode(*parcel, 15, q("Roads"), frames->Road.Position());
    RecordNode* node =
        bench.Under(*bench.Under(*bench.Under(*roads, q("Display Class 0")), q("MultiLink 0")), q("Node 0"));
    ASSERT_NE(node, nullptr);
    bench.Show(*node);
    EXPECT_EQ(bench.Row("Link Type Code"), "0 x 15|(21) ");
    EXPECT_EQ(bench.Row("Administrative Name (left) Data Offset"), "0 x 00 00 00 10|Москва-0");
}

// Codes outside the name tables get the table's own "other" text, never a neighbouring table's.
TEST(ParcelViewsCodes, CodesPastTheNameTablesAreReserved) {
    TextCodePage codePage(65001);
    fixture::AllDataPlan plan = fixture::framesAllDataPlan();
    for (fixture::LevelPlan& level : plan.levels) {
        level.roadClasses = {3, 200, 16};
        level.nameClasses = {64, 6, 15};
        level.backgroundClasses = {255, 31};
    }
    ParcelBench bench;
    bench.Open(plan, "codes");
    RecordNode* parcel = bench.FirstParcel();
    ASSERT_NE(parcel, nullptr);
    RecordNode* roads = bench.Under(*parcel, q("Roads"));
    bench.Show(*bench.Under(*roads, q("Display Class 1")));
    EXPECT_EQ(bench.Row("Road Type"), "(RESERVED)|");
    EXPECT_EQ(bench.Row("Road Display Class Code"), "0 x C8|(200) ");
    bench.Show(*bench.Under(*roads, q("Display Class 2")));
    EXPECT_EQ(bench.Row("Road Type"), "(RESERVED)|");
    RecordNode* names = bench.Under(*parcel, q("Names"));
    bench.Show(*bench.Under(*names, q("Display Class 0")));
    EXPECT_EQ(bench.Row("Name type"), "(RESERVED)|");
    bench.Show(*bench.Under(*names, q("Display Class 2")));
    EXPECT_EQ(bench.Row("Name type"), "Address level 1|");
    RecordNode* background = bench.Under(*parcel, q("Background"));
    bench.Show(*bench.Under(*background, q("Display Class 0")));
    EXPECT_EQ(bench.Row("Background type"), "(RESERVED)|");
    EXPECT_EQ(bench.Row("Background Display Class Code"), "0 x FF|(255) ");
}

} // namespace
