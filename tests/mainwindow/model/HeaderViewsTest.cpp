// The rows the header views write over fixture files: LOADING.KWI of two makers, a CMP list with types 0,
// 2 and 258, COVERAGE.BIN with a present and a missing picture; and the shared help table and enumText.
#include <gtest/gtest.h>

#include <set>

#include "KindHarness.h"
#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/Loading.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/views/ViewSupport.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LoadingFixtures.h"
#include "support/model/GridDump.h"

namespace {

struct HeaderHarness : harness::KindHarness {
    HeaderHarness() { RegisterHeaderKinds(table); }
    // The grid and the host's log after showing node, as one text.
    std::string Show(RecordNode& node) {
        table.Show(context, node);
        std::string dump = DumpGrid(model).toStdString();
        for (const std::string& line : host.Take())
            dump += line + "\n";
        return dump;
    }
};

TEST(ViewSupport, HelpDocumentsAreKeyedInOrderAndNamedAsTheStandardNamesThem) {
    std::set<std::string_view> paths;
    for (size_t i = 0; i < kHelpDocuments.size(); ++i) {
        EXPECT_EQ(size_t(kHelpDocuments[i].document), i);
        const std::string_view path = kHelpDocuments[i].path;
        EXPECT_TRUE(path.starts_with("format_english/pdf/") && path.ends_with("122e.pdf")) << path;
        paths.insert(path);
    }
    EXPECT_EQ(paths.size(), 18u);
    EXPECT_EQ(helpDocumentPath(HelpDocument::Loading), QStringLiteral("format_english/pdf/3000122e.pdf"));
    EXPECT_EQ(helpDocumentPath(HelpDocument::IndexData), QStringLiteral("format_english/pdf/11A201122e.pdf"));
    EXPECT_EQ(helpDocumentPath(HelpDocument::RoadStructure),
              QStringLiteral("format_english/pdf/08040107122e.pdf"));
}

TEST(ViewSupport, EnumTextNeverReadsPastItsList) {
    constexpr std::array<std::string_view, 2> texts{"Zero", "Один"};
    EXPECT_EQ(enumText(texts, 0), QStringLiteral("Zero"));
    EXPECT_EQ(enumText(texts, 1), QString::fromUtf8("Один"));
    EXPECT_EQ(enumText(texts, 2), QString());
    EXPECT_EQ(enumText(texts, -1, "RESERVED"), QStringLiteral("RESERVED"));
    EXPECT_EQ(enumText(texts, 1LL << 40, "Invalid value"), QStringLiteral("Invalid value"));
}

TEST(HeaderViews, LoadingOfTwoMakers) {
    const std::string folder = fixture::scratchDir("header-views-loading");
    fixture::LoadingFixture loading = fixture::buildLoading();
    loading.bytes[loading.aisinModule0 + 1] = 0x10; // diagnostic service, initial program
    loading.bytes[loading.aisinModule1 + 1] = 0x83; // neither flag, data
    // The DENSO system's identification date is 65535: no date.
    loading.bytes[4 + 16 + 10] = 0xFF;
    loading.bytes[4 + 16 + 11] = 0xFF;
    fixture::writeFile(folder + "/LOADING.KWI", loading.bytes);
    HeaderHarness h;
    auto root = harness::Root(1, QStringLiteral("LOADING"),
                              HeldReader(std::make_shared<TLN_Loading>(folder + "/LOADING.KWI")));
    EXPECT_EQ(h.Show(*root), R"(1|         < Loading Module Management Frame >|)" + folder + R"(|
2|||Help
0|Number of Accommodated Systems|2|
@help format_english/pdf/3000122e.pdf
)");
    const auto systems = h.Expand(*root);
    ASSERT_EQ(systems.size(), 2u);
    EXPECT_EQ(h.Show(*systems[0]), R"(1|         < System Identification Information >|AISIN-AW|
2|||Help
0|Latitude and Longitude of the Maker''s Office Location|N34*54'12,3 / E137*4'17,2|34.903 / 137.071  (AISIN-AW)
0|Floor of The Makers''s Office|5|
0|Date of Maker Identification|2014-12-11|
0|||
0|Number of Accommodated Modules|2|
@help format_english/pdf/3000122e.pdf
)");
    EXPECT_EQ(h.Show(*systems[1]), R"(1|         < System Identification Information >|DENSO|
2|||Help
0|Latitude and Longitude of the Maker''s Office Location|N34*59'51,5 / E137*0'31,6|34.998 / 137.009  (DENSO)
0|Floor of The Makers''s Office|7|
0|Date of Maker Identification|- - - - - - - -|
0|||
0|Number of Accommodated Modules|1|
@help format_english/pdf/3000122e.pdf
)");
    const auto modules = h.Expand(*systems[0]);
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(h.Show(*modules[0]), R"(1|         < Module Information >||
2|||Help
0|Module Name|MAIN PROGRAM|
0|Module Title|NAVI MAIN|
0|Module Version Number|ID000001|
0|Diagnostic service module|YES|
0|Test module|NO|
0|Module Category|Initial program|
0|Date when the function of the module ON|1999-02-12|
0|Date when the function of the module OFF|- - - - - - - -|
0|Address of the Module Code|0 x 00 00 10 00|(4096)
0|Size of the Module Code|0 x 00 00 00 02|(2) 
0|Number of Units in module|3|
@help format_english/pdf/3000122e.pdf
)");
    EXPECT_EQ(h.Show(*modules[1]), R"(1|         < Module Information >||
2|||Help
0|Module Name|MAP DATA|
0|Module Title|NAVI DATA|
0|Module Version Number|ID000002|
0|Diagnostic service module|NO|
0|Test module|NO|
0|Module Category|Data|
0|Date when the function of the module ON|2001-12-06|
0|Date when the function of the module OFF|- - - - - - - -|
0|Address of the Module Code|0 x 00 00 20 40|(8256)
0|Size of the Module Code|0 x 00 00 00 01|(1) 
0|Number of Units in module|2|
@help format_english/pdf/3000122e.pdf
)");
    const auto units = h.Expand(*modules[0]);
    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(h.Show(*units[1]), R"(1|         < Unit Information >||Offset=0 x 00 00 12 00
0|||
0|Unit Name|NAVP|
0|Unit Version|V1.02|
0|Date|2004-05-06|
0|Copyright|(C) NAV CO|
0|RAM Memory Offset of the Unit|0 x 00 20 00 00|(2097152)
0|Unit Size|0 x 00 01 23 45|(74565) 
0|Unit Checksum|0 x DE AD BE EF|(3735928559) 
)");
    // A unit whose identification lies past the file shows its header only.
    units[2]->recordOffset = 1 << 20;
    EXPECT_EQ(h.Show(*units[2]), R"(1|         < Unit Information >||Offset=0 x 00 10 00 00
0|||
)");
}

TEST(HeaderViews, LoadingWithoutAValidReaderLeavesTheGridEmpty) {
    HeaderHarness h;
    auto root = harness::Root(1, QStringLiteral("LOADING"), HeldReader());
    EXPECT_EQ(h.Show(*root), "");
    auto cmp = harness::Root(4, QStringLiteral("05.CMP"), HeldReader());
    EXPECT_EQ(h.Show(*cmp), "");
}

TEST(HeaderViews, CmpListWithTypes0And2And258) {
    const std::string folder = fixture::scratchDir("header-views-cmp");
    std::vector<fixture::CmpListEntryPlan> plans(3);
    plans[0].name = "PLAIN.KWI";
    plans[0].type = 0;
    plans[1].name = "PACKED.KWI";
    plans[1].type = 2;
    plans[1].blockCount = 3;
    plans[1].fileSize = 0x24000;
    plans[1].sectors = {10, 20, 30};
    plans[1].sizes = {0x1234, 0, 0x800};
    plans[2].name = "SEG.KWI";
    plans[2].type = 258;
    plans[2].blockCount = 2;
    plans[2].fileSize = 0x18000;
    plans[2].segments = {{0, 40}};
    plans[2].offsets = {0, 5};
    fixture::writeFile(folder + "/05.CMP", fixture::buildCmpList(plans));
    HeaderHarness h;
    auto list = std::make_shared<TLN_CompressionManager>(folder + "/05.CMP");
    ASSERT_TRUE(list->IsValid());
    auto root = harness::Root(4, QStringLiteral("05.CMP"), HeldReader(list));
    EXPECT_EQ(h.Show(*root), R"(1|         < Compression Management Frame >|05.CMP|
0|||
0|Number of Compressed Files|3|
)");
    const auto entries = h.Expand(*root);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(h.Show(*entries[0]), R"(1|         < Compression Information >|PLAIN.KWI|Offset=0 x 00 00 00 04
0|||
0|Address of the Compression Management Information|0 x 00 00 00 00|(0)
0|Compression Type|0.0|(Not compressed) 0
0|Length of the filename|9|
)");
    EXPECT_EQ(h.Show(*entries[1]), R"(1|         < Compression Information >|PACKED.KWI|Offset=0 x 00 00 00 16
0|||
0|Address of the Compression Management Information|0 x 00 00 00 38|(56)
0|Compression Type|2.0|(GZIP type) 2
0|Length of the filename|10|
0|Signature|KIWI|
0|Number of Packed Blocks|3|
0|Size of Unpacked File|0 x 00 02 40 00|(147456) 
0|||
1|         < A Sequence of Packed Block Records >||
0|||
0|Address of Packed Block 0|0 x 00 00 50 00|Size = 0 x 12 34
0|Address of Packed Block 1|0 x 00 00 A0 00|Size = 0 x 00
0|Address of Packed Block 2|0 x 00 00 F0 00|Size = 0 x 08 00
)");
    EXPECT_EQ(h.Show(*entries[2]), R"(1|         < Compression Information >|SEG.KWI|Offset=0 x 00 00 00 28
0|||
0|Address of the Compression Management Information|0 x 00 00 00 58|(88)
0|Compression Type|2.1|(GZIP type) 258
0|Length of the filename|7|
0|Signature|KIWI|
0|Number of Packed Blocks|2|
0|Size of Unpacked File|0 x 00 01 80 00|(98304) 
)");
}

TEST(HeaderViews, ADamagedBlockTableListsNoPackedBlocks) {
    const std::string folder = fixture::scratchDir("header-views-cmp-damaged");
    std::vector<fixture::CmpListEntryPlan> plans(1);
    plans[0].name = "HUGE.KWI";
    plans[0].blockCount = 0x7FFFFFF0; // far more than the list holds
    plans[0].fileSize = 0x10000;
    fixture::writeFile(folder + "/05.CMP", fixture::buildCmpList(plans));
    HeaderHarness h;
    auto root = harness::Root(4, QStringLiteral("05.CMP"),
                              HeldReader(std::make_shared<TLN_CompressionManager>(folder + "/05.CMP")));
    const auto entries = h.Expand(*root);
    ASSERT_EQ(entries.size(), 1u);
    h.Show(*entries[0]);
    EXPECT_EQ(h.model.VirtualRowCount(), 0);
    EXPECT_EQ(h.model.CellText(h.model.rowCount() - 3, 0),
              QStringLiteral("         < A Sequence of Packed Block Records >"));
    // ... and the entry says why.
    EXPECT_EQ(entries[0]->caption, QStringLiteral("HUGE.KWI  (Error)"));
    EXPECT_EQ(h.model.CellText(h.model.rowCount() - 1, 2),
              QStringLiteral("the block table of HUGE.KWI counts 2147483632 blocks, more than 65536"));
}

TEST(HeaderViews, CoverageWithAPresentAndAMissingPicture) {
    const std::string folder = fixture::scratchDir("header-views-coverage");
    fixture::writeFile(folder + "/COVERAGE.BIN",
                       fixture::buildCoverage({{0x0102, "AREA1.BMP"}, {3, "none.bmp"}}));
    fixture::writeFile(folder + "/AREA1.BMP", fixture::buildBmp(5, 3, fixture::coveragePictureColour));
    HeaderHarness h;
    auto root = harness::Root(1500, QStringLiteral("COVERAGE"),
                              HeldReader(std::make_shared<TLN_Coverage>(folder + "/COVERAGE.BIN")));
    EXPECT_EQ(h.Show(*root), R"(1|         < Coverage Information >|COVERAGE.BIN|
0|||
0|Number of Picture Items|2|
)");
    const auto items = h.Expand(*root);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(h.Show(*items[0]), R"(1|         < Coverage Information Item >|AREA1.BMP|
0|||
0|Picture Type Code|0 x 01 02|(258) 
0|Picture Heigth|3|
0|Picture Width|5|
@picture 5x3
)");
    EXPECT_EQ(h.Show(*items[1]), R"(1|         < Coverage Information Item >|none.bmp|
0|||
0||File doesnt exist or is unreadable|
@beep
)");
}

TEST(HeaderViews, FallbackViews) {
    HeaderHarness h;
    auto node = harness::Root(18, QStringLiteral("Something"), HeldReader());
    EXPECT_EQ(h.Show(*node), R"(0|Sorry. Not Implimented|Something|
)");
    node->recordOffset = 0x1234;
    EXPECT_EQ(h.Show(*node), R"(0|Sorry. Not Implimented|Something|Offset = 0 x 00 00 12 34
)");
    auto missing = harness::Root(99, QStringLiteral("GONE.KWI"), HeldReader());
    EXPECT_EQ(h.Show(*missing), R"(0|Sorry. File doesn''t exists|GONE.KWI|
)");
}

} // namespace
