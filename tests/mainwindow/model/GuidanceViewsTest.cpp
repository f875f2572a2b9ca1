// The rows the views of a parcel's route guidance data and TMC infrastructure links write over the frames
// map of the fixture, the children their builders add, and the natural voice of a string record played
// through the host.
#include <gtest/gtest.h>

#include "ParcelBench.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/voice/VoiceManager.h"
#include "support/fixtures/VoiceFixtures.h"

namespace {

using parcelbench::ParcelBench;

// A host that keeps the play button's action and the sizes of the sounds played.
struct VoiceHost : ViewHostLog {
    std::function<void()> play;
    int buttons = 0;
    std::vector<size_t> played;

    void ShowPlayButton(std::function<void()> action) override {
        buttons += action ? 1 : 0;
        play = std::move(action);
    }
    void PlaySound(std::vector<uint8_t> waveImage) override { played.push_back(waveImage.size()); }
};

QString q(const char* text) {
    return QString::fromUtf8(text);
}

class GuidanceViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
        bench_.Open(fixture::framesAllDataPlan(), "guidance");
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

    ParcelBench bench_;
    RecordNode* parcel_ = nullptr;
};

TEST_F(GuidanceViewsTest, RouteGuidanceHeaderListsItsFrames) {
    RecordNode* guidance = at({"Route Guidance"});
    ASSERT_NE(guidance, nullptr);
    EXPECT_EQ(bench_.Show(*guidance),
              R"(1|         < Route Guidance Distribution Header >||Offset=0 x 00 00 25 60
2|||Help
0|File Name of Main Map Data Frame|ALLDATA.KWI|
0|Header Size|0 x 00 00 00 20|(32) 
0|Parcel ID Number|N48*36'40,0 / W1*23'20,0|48.611 / -1.389
0|Left Ahead Parcel Position Code within the Block Y-axis|0|
0|Left Ahead Parcel Position Code within the Block X-axis|0|
0|Divided/Integrated Identifier|0 x 00|(0) 
0|Type Number given by the Number of Managed Parcels|0 x 00|(0) 
0|Number of Divided/Inregrated Parcels in Latitudinal Direction|0|
0|Number of Divided/Inregrated Parcels in Longitudinal Direction|0|
0|Practical Management Code|0 x 00 C0 FF EE|(12648430) 
0|Height Information Existence Flag|YES|
0|Base Map Scale Standard|YES|NO-1/100, YES-1/10000
0|Base Map Identifier|291|
0|||
1|         < Basic Data Frame Management Record 0 >||
0|||
0|Offset to Data Frame|0 x 00 00 25 80|(9600)
0|Data Frame Size |0 x 00 00 00 8A|(138) 
0|||
1|         < Basic Data Frame Management Record 1 >||
0|||
0|Offset to Data Frame|0 x 00 00 26 0A|(9738)
0|Data Frame Size |0 x 00 00 00 8E|(142) 
@help format_english/pdf/0801122e.pdf
)");
    EXPECT_EQ(bench_.Children(*guidance), (std::vector<QString>{q("Guidance"), q("Strings")}));
}

TEST_F(GuidanceViewsTest, GuidanceFrameListsItsTablesAndTheirRecords) {
    RecordNode* frame = at({"Route Guidance", "Guidance"});
    ASSERT_NE(frame, nullptr);
    bench_.Show(*frame);
    EXPECT_EQ(bench_.Row("Intersection Link String Display Class"), "0 x 06|(6) ");
    EXPECT_EQ(bench_.Row("Intersection Link String Number"), "2748|");
    EXPECT_EQ(bench_.Row("Node Number in Intersection Link String"), "7|");
    EXPECT_EQ(bench_.Row("Offset to Toward Name Data List"), "0 x 00 00 25 A8|(9640)");
    EXPECT_EQ(bench_.Row("Number of Toward Name Data Records"), "0 x 00 02|(2) ");
    // An absent table has no position.
    EXPECT_EQ(bench_.Row("Offset to Road Name Data Table"), "0 x FF FF FF FF|(-1)");
    EXPECT_EQ(bench_.Row("Number of Road Name Data Records"), "0 x 00 00|(0) ");
    EXPECT_EQ(bench_.Row("Offset to Extended Data"), "0 x 00 00 26 00|(9728)");
    EXPECT_EQ(bench_.Children(*frame),
              (std::vector<QString>{q("Intersections 0"), q("Intersections 1"), q("Toward_Names 0"),
                                    q("Toward_Names 1"), q("Direction_Guide 0"), q("Road_Structure 0"),
                                    q("Road_Structure 1"), q("Extended_Data 8")}));
    // The intersection names have no layout: the two share the table's eight bytes (after the frame's 32
    // bytes of header and table references, before the toward names at 9640), each at its own record.
    const RecordNode* first = at({"Route Guidance", "Guidance", "Intersections 0"});
    const RecordNode* second = at({"Route Guidance", "Guidance", "Intersections 1"});
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->recordOffset, 9632);
    EXPECT_EQ(second->recordOffset, 9636);
}

TEST_F(GuidanceViewsTest, TowardNameDirectionGuideAndRoadStructureRecords) {
    bench_.Show(*at({"Route Guidance", "Guidance", "Toward_Names 1"}));
    EXPECT_EQ(bench_.Row("Toward Name Attribute Header"), "0 x 10 00|(4096) ");
    EXPECT_EQ(bench_.Row("Number of Guidance Point Management Records"), "2|");
    EXPECT_EQ(bench_.Count("         < Guidance Point Management Record 0 >"), 1);
    EXPECT_EQ(bench_.Count("         < Guidance Point Management Record 1 >"), 1);
    EXPECT_EQ(bench_.Count(" Number of Connected Node Information Records"), 2);
    EXPECT_EQ(bench_.Count("         < Connection Node Information Record 0 >"), 1);
    // A string flag whose offset is all ones names no string.
    EXPECT_EQ(bench_.Count("Offset to the Character String Data"), 2);

    EXPECT_EQ(bench_.Show(*at({"Route Guidance", "Guidance", "Direction_Guide 0"})),
              R"(1|         < Direction Indicator Data Record >||Offset=0 x 00 00 25 D2
2|||Help
0|Direction Indicator Attribute Header|0 x 01 01|(257) 
0|Number of Guidance Point Management Records|2|
0|||
1|         < Guidance Point Management Record 0 >||Offset=0 x 00 00 25 D6
0|||
0|Guidance Point Management Attribute Header|0 x 40 00 02 00|(1073742336) 
0| Number of Connected Node Information Records|1|
0|Guidance Code|0 x 21|(33) 
0|Intersection Information|0 x 0F 0F|(3855) 
0|Character String Data existence Flag|YES|
0|Offset to the Character String Data|0 x 00 00 26 32|(9778)
0|||
1|         < Connection Node Information Record 0 >||Offset=0 x 00 00 25 E0
0|||
0|Node Information|0 x 77 77 88 88|(2004322440) 
0|Direction Information|0 x 00 06|(6) 
0|||
1|         < Guidance Point Management Record 1 >||Offset=0 x 00 00 25 E6
0|||
0|Guidance Point Management Attribute Header|0 x 00 00 00 01|(1) 
0| Number of Connected Node Information Records|0|
0|Guidance Code|0 x 05|(5) 
0|Intersection Information|0 x 0E 0E|(3598) 
0|Character String Data existence Flag|NO|
0|Offset to the Character String Data|0 x FF FF FF FF|(-1)
@help format_english/pdf/08040106122e.pdf
)");

    bench_.Show(*at({"Route Guidance", "Guidance", "Road_Structure 0"}));
    EXPECT_EQ(bench_.Row("Distance Information"), "0 x 03 84|(900) ");
    EXPECT_EQ(bench_.Row("Offset Distance"), "0 x 03 85|(901) ");
    EXPECT_EQ(bench_.Row("Character String Data existence Flag"), "YES|");
    EXPECT_EQ(bench_.Row("Offset to the Character String Data"), "0 x 00 00 26 10|(9744)");
    // Fields whose bits are clear read as 0.
    bench_.Show(*at({"Route Guidance", "Guidance", "Road_Structure 1"}));
    EXPECT_EQ(bench_.Row("Distance Information"), "0 x 00 00|(0) ");
    EXPECT_EQ(bench_.Row("Offset Distance"), "0 x 0A 01|(2561) ");
    EXPECT_EQ(bench_.Row("Intersection Information"), "0 x 0A 02|(2562) ");
}

TEST_F(GuidanceViewsTest, StringRecordsWithAndWithoutNaturalVoice) {
    RecordNode* strings = at({"Route Guidance", "Strings"});
    ASSERT_NE(strings, nullptr);
    bench_.Show(*strings);
    EXPECT_EQ(bench_.Row("Size of the String Distribution Header"), "0 x 00 00 00 0C|(12) ");
    EXPECT_EQ(bench_.Row("Number of Character String Data Management Information Items"), "2|");
    EXPECT_EQ(bench_.Children(*strings), (std::vector<QString>{q("String 0"), q("String 1"), q("String 2")}));

    // Without natural voice data: the flag is NO and no play button is offered.
    EXPECT_EQ(bench_.Show(*at({"Route Guidance", "Strings", "String 1"})),
              R"(1|         < Character String Data Record 1 >||
0|||
0|String Attribute Header|0 x 5A 0F 00 33|(1510932531) 
0|Display String|Садовое кольцо 0|
0|Pronunciation String||
0| Natural Voice Data Existence Flag|NO|
)");

    // With natural voice data but no voice reader: its rows, no button.
    RecordNode* voiced = at({"Route Guidance", "Strings", "String 0"});
    EXPECT_EQ(bench_.Show(*voiced), R"(1|         < Character String Data Record 0 >||
0|||
0|String Attribute Header|0 x 5A 10 07 33|(1510999859) 
0|Display String|Ленинградское ш. 0|
0|Pronunciation String|leningradskoe|
0| Natural Voice Data Existence Flag|YES|
0|Speaker Code|0 x 02|(2) 
0|Regeneration Method Identification|0 x 05|(5) 
0|Natural Voice Data Address|0 x 00 01 23 40|(74560)
0|Natural Voice Data Size|0 x 00 00 00 60|(96) 
)");

    // With a voice reader whose data covers the record's: played at once, and again by the button.
    fixture::VoiceDatFixture voice = fixture::buildVoiceDat();
    voice.bytes.resize(0x12340 + 96 + 64, 0);
    const std::string path = fixture::scratchDir("guidance-voice") + "/VOICEDAT.KWI";
    fixture::writeFile(path, voice.bytes);
    bench_.data.voice = std::make_shared<TLN_VoiceManager>(path);
    ASSERT_TRUE(bench_.data.voice->IsValid());
    VoiceHost host;
    KindContext context{bench_.grid, host, bench_.data};
    bench_.table.Show(context, *voiced);
    EXPECT_EQ(host.buttons, 1);
    ASSERT_EQ(host.played.size(), 1u);
    // 96 bytes of CD-I sound groups (128 bytes each) hold no whole group: a WAVE image of its header.
    EXPECT_GE(host.played[0], 44u);
    ASSERT_TRUE(host.play);
    host.play();
    ASSERT_EQ(host.played.size(), 2u);
    EXPECT_EQ(host.played[1], host.played[0]);
    // The record without voice data offers no button even with a reader.
    host = VoiceHost();
    bench_.table.Show(context, *at({"Route Guidance", "Strings", "String 2"}));
    EXPECT_EQ(host.buttons, 0);
    EXPECT_TRUE(host.played.empty());
}

TEST_F(GuidanceViewsTest, InfrastructureLinkFrameAreasMeshesAndLinks) {
    RecordNode* tmc = at({"TMC Infrastructure"});
    ASSERT_NE(tmc, nullptr);
    bench_.Show(*tmc);
    EXPECT_EQ(bench_.Row("Floor of The User''s Office"), "3|");
    EXPECT_EQ(bench_.Row("Date of User Identification"), "2001-03-24|");
    EXPECT_EQ(bench_.Row("Data Identification Code").substr(0, 15), "0 x 00 31 01 00");
    EXPECT_EQ(bench_.Count("         < Parcel Infrastructure Corresponding Distribution Header >"), 1);
    EXPECT_EQ(bench_.Row("The Number of Meshes (The Number of Regions)"), "2|");
    EXPECT_EQ(bench_.Row("Size of Road Link Corresponding Record"), "0 x 00 00 00 0C|(12) ");
    // Area 2 has no links but its reference is set; every area is listed.
    EXPECT_EQ(bench_.Children(*tmc), (std::vector<QString>{q("Wide-bounds Area"), q("Medium-bounds Area"),
                                                           q("Narrow-bounds Area")}));

    RecordNode* area = at({"TMC Infrastructure", "Wide-bounds Area"});
    bench_.Show(*area);
    EXPECT_EQ(bench_.Row("Size of Infrastructure Link Corresponding Data Table"), "0 x 00 00 00 30|(48) ");
    EXPECT_EQ(bench_.Children(*area), (std::vector<QString>{q("Region (Mesh) 0"), q("Region (Mesh) 1")}));
    RecordNode* mesh = at({"TMC Infrastructure", "Wide-bounds Area", "Region (Mesh) 0"});
    bench_.Show(*mesh);
    EXPECT_EQ(bench_.Row("Mesh Code (Region code)"), "0 x 50 00|(20480) CC = 0x50, LTN = 0");
    EXPECT_EQ(bench_.Children(*mesh),
              (std::vector<QString>{q("Intercity Highway( Normal)"), q("Intercity Highway( Exception 2)")}));

    // The count view is its one row.
    RecordNode* group = bench_.Under(*mesh, q("Intercity Highway( Exception 2)"));
    EXPECT_EQ(bench_.Show(*group), "0|Number of Infrastructure Links|1|\n");

    // An independent link with its road links; no boundary flags, no remark.
    RecordNode* link = bench_.Under(*bench_.Under(*mesh, q("Intercity Highway( Normal)")), q("Infra-Link 0"));
    bench_.Show(*link);
    EXPECT_EQ(bench_.Row("Infrastructure Link Attribute"), "0 x 00|(0) Independent link");
    EXPECT_EQ(bench_.Row("Exceptional Flag"), "0 x 00|(0) ");
    EXPECT_EQ(bench_.Row("Infrastructure Link Length"), "250|in units of meters");
    EXPECT_EQ(bench_.Row("Number of records Corresponding to Road Link"), "2|");
    EXPECT_EQ(bench_.Row("First Record number Corresponding to the top Road Link"), "0|");
    EXPECT_EQ(bench_.Row("Infrastructure Link Origin Point Distance"), "absent");
    // A 16-byte record carries the 32-bit link number, shown last.
    EXPECT_EQ(bench_.Row("Infrastructure Link Number"), "16777216|");
    EXPECT_EQ(bench_.Children(*link), (std::vector<QString>{q("Road 0"), q("Road 1")}));
    bench_.Show(*bench_.Under(*link, q("Road 1")));
    EXPECT_EQ(bench_.Row("Direction Flag"), "0 x 01|(1) 0-Forward, 1-Backward");
    // The second road link is the road frame's second multilink, in words from the frame's start.
    const auto words = uint32_t(
        (at({"Roads", "Display Class 0", "MultiLink 1"})->recordOffset - at({"Roads"})->recordOffset) / 2);
    EXPECT_EQ(bench_.Row("Offset to Link String Data Record (Road Data Frame)"),
              FormatDWordHex(words) + "|(" + std::to_string(words) +
                  ") Displacement from the Top of Road Data Frame");
    EXPECT_EQ(bench_.Row("Start Node Record Number (Road Data Frame)"), "2|");
    EXPECT_EQ(bench_.Row("Node Change Count"), "1|");
    EXPECT_EQ(bench_.Row("Start Link ID Number"), "0 x 00 20 00 01|(2097153) ");
    EXPECT_EQ(bench_.Row("ID Change Count"), "2|");
}

TEST_F(GuidanceViewsTest, InfrastructureLinkNamesFollowTheAttribute) {
    RecordNode* mesh = at({"TMC Infrastructure", "Wide-bounds Area", "Region (Mesh) 0"});
    ASSERT_NE(mesh, nullptr);
    // The area's records in order: the independent link and the top link of mesh 0, then the midpoint
    // link of mesh 1.
    bench_.Show(*bench_.Under(*bench_.Under(*mesh, q("Intercity Highway( Exception 2)")), q("Infra-Link 0")));
    EXPECT_EQ(bench_.Row("Infrastructure Link Attribute"), "0 x 01|(1) Top link");
    EXPECT_EQ(bench_.Row("Exceptional Flag"),
              "0 x 01|(1) The origin point of the link is beyond the parcel boundary");
    EXPECT_EQ(bench_.Row("Following Infrastructure Link Data Record Number"), "3|");
    EXPECT_EQ(bench_.Row("First Record number Corresponding to the top Road Link"), "2|");
    EXPECT_EQ(bench_.Row("Infrastructure Link Origin Point Distance"), "70|in units of meters");
    EXPECT_EQ(bench_.Row("Infrastructure Link end Point Distance"), "absent");

    RecordNode* second = at({"TMC Infrastructure", "Wide-bounds Area", "Region (Mesh) 1"});
    bench_.Show(
        *bench_.Under(*bench_.Under(*second, q("Intercity Highway( Exception 1)")), q("Infra-Link 0")));
    EXPECT_EQ(bench_.Row("Infrastructure Link Attribute"), "0 x 03|(3) Midpoint link");
    EXPECT_EQ(bench_.Row("Exceptional Flag"),
              "0 x 03|(3) Both the origin point and end point of the link are beyond the parcel boundary");
    // Attribute 3: the first number is the preceding record, the second the following one.
    EXPECT_EQ(bench_.Row("Preceding Infrastructure Link Data Record Number"), "1|");
    EXPECT_EQ(bench_.Row("Following Infrastructure Link Data Record Number"), "2|");
    EXPECT_EQ(bench_.Row("First Record number Corresponding to the top Road Link"), "absent");
    // An origin distance of all ones is none.
    EXPECT_EQ(bench_.Row("Infrastructure Link Origin Point Distance"), "0xFFFFFFFF|in units of meters");
    EXPECT_EQ(bench_.Row("Infrastructure Link end Point Distance"), "120|in units of meters");

    RecordNode* medium = at({"TMC Infrastructure", "Medium-bounds Area", "Region (Mesh) 0"});
    bench_.Show(*bench_.Under(*bench_.Under(*medium, q("Intercity Highway( Normal)")), q("Infra-Link 0")));
    EXPECT_EQ(bench_.Row("Infrastructure Link Attribute"), "0 x 02|(2) End-point link");
    EXPECT_EQ(bench_.Row("Exceptional Flag"),
              "0 x 02|(2) The end point of the link is beyond the parcel boundary");
    EXPECT_EQ(bench_.Row("Preceding Infrastructure Link Data Record Number"), "0|");
    EXPECT_EQ(bench_.Row("Infrastructure Link end Point Distance"), "40|in units of meters");
}

} // namespace
