// The RDS-TMC, localisation and management 32 views over a disc folder with every data part, opened and
// built as the program does: TMC management, regions named by their areas, locations, the three message
// layouts, the localisation frame and its areas, and the "Management 32/5" node showing top-level header
// 32 with its sub-record 5 (while the "Management 21" node shows header 21 for both).
#include <gtest/gtest.h>

#include "TreeTestSupport.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/SourceOpener.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "support/model/GridDump.h"

namespace {

struct TmcAndLocalViews : ::testing::Test {
    treetest::Workbench bench;
    RecordTree tree;
    MapCodePageChoice codePages;
    SourceOpener opener{tree, bench.data, codePages};

    void SetUp() override {
        const std::string folder = fixture::scratchDir("tmc-local-views");
        fixture::SourceFolderPlan plan;
        plan.loading = plan.cmp05 = plan.coverage = false;
        plan.dataParts = true;
        fixture::writeSourceFolder(folder, plan);
        ASSERT_TRUE(opener.OpenFolder(ToQtPath(folder)).found);
    }
    void TearDown() override { SourceOpener::CloseAllHeadless(tree, bench.data); }

    // The child of node captioned caption, built first.
    RecordNode& child(RecordNode& node, const QString& caption) {
        tree.Expand(bench.context, node);
        for (const auto& c : node.children)
            if (c->caption == caption) return *c;
        ADD_FAILURE() << "no " << caption.toStdString() << " under " << node.caption.toStdString();
        return node;
    }
    RecordNode& allData() { return *tree.Roots().at(0); }
    QString show(RecordNode& node) {
        tree.Select(bench.context, node);
        return DumpGrid(bench.gridModel);
    }
    // The first row named name at or after row from.
    QString row(const QString& name, int from = 0) {
        for (int r = from; r < bench.gridModel.rowCount(); ++r)
            if (bench.gridModel.CellText(r, 0) == name)
                return bench.gridModel.CellText(r, 1) + QStringLiteral("|") + bench.gridModel.CellText(r, 2);
        return QStringLiteral("?");
    }
};

TEST_F(TmcAndLocalViews, RdsTmcRegionsLocationsAndTheThreeMessageLayouts) {
    RecordNode& tmc = child(allData(), QStringLiteral("RDS-TMC Data"));
    QString dump = show(tmc);
    EXPECT_TRUE(dump.contains(QStringLiteral("1|         < RDS-TMS Management >|ALL DATA|")));
    EXPECT_EQ(row(QStringLiteral("Number of Region Records")), QStringLiteral("2|"));
    EXPECT_EQ(row(QStringLiteral("Usage Code")), QStringLiteral("0 x AF 50|(44880) "));

    // The region is named by its area in the localisation data.
    RecordNode& region = child(tmc, QStringLiteral("Region 0 (SPB)"));
    show(region);
    EXPECT_EQ(row(QStringLiteral("Area Code ")), QStringLiteral("0 x 02|(2) SPB"));
    EXPECT_EQ(row(QStringLiteral("Extended Country Code ")), QStringLiteral("0 x E0|(224) ECC"));
    RecordNode& group = child(region, QStringLiteral("Group 0"));
    show(group);
    EXPECT_EQ(row(QStringLiteral("Number of Locations")).section('|', 0, 0).toInt(), 2);
    show(child(group, QStringLiteral("Location 1")));
    EXPECT_EQ(row(QStringLiteral("Location Type")), QStringLiteral("0 x 02|(2) CROSSROAD"));
    EXPECT_NE(row(QStringLiteral("Latitude and Longitude of the Location")), QStringLiteral("?"));

    RecordNode& events = child(tmc, QStringLiteral("Events Data"));
    const int rows[3] = {4, 3, 2}; // message number, then the layout's fields
    for (int p = 0; p < 3; ++p) {
        RecordNode& partition = child(events, QStringLiteral("Partition %1").arg(p));
        RecordNode& message = child(partition, QStringLiteral("Message 0"));
        ASSERT_EQ(message.kind, 2180 + 10 * p);
        show(message);
        EXPECT_EQ(bench.gridModel.rowCount(), 2 + rows[p]) << p;
        EXPECT_NE(row(QStringLiteral("Address of Message Character String")), QStringLiteral("?")) << p;
        EXPECT_EQ(row(QStringLiteral("Property 2")) != QStringLiteral("?"), p == 0) << p;
    }
}

TEST_F(TmcAndLocalViews, LocalisationFrameAndAreas) {
    RecordNode& local = child(allData(), QStringLiteral("Local Data"));
    show(local);
    EXPECT_EQ(row(QStringLiteral("Number of Languages")), QStringLiteral("3|"));
    EXPECT_EQ(row(QStringLiteral("RUS")), QStringLiteral("|"));
    show(child(local, QStringLiteral("Area 1")));
    EXPECT_NE(row(QStringLiteral("Area Toponim")), QStringLiteral("?"));
    EXPECT_NE(row(QStringLiteral("Main City of the Area")), QStringLiteral("?"));
}

TEST_F(TmcAndLocalViews, ManagementThirtyTwoSlashFiveShowsHeaderThirtyTwoAndItsSubRecordFive) {
    const TLN_KiwiMap& map = *bench.data.map;
    const TLN_Management_Header top = map.GetManagementHeader(31);
    const TLN_Management_Header five = map.AllDataManager().ReadManagementHeaderRecord(5, top.Address);
    const TLN_Management_Header header21 = map.GetManagementHeader(20);
    ASSERT_GT(five.Size, 0u);

    RecordNode& management32 = child(allData(), QStringLiteral("Management 32"));
    RecordNode& sub5 = child(management32, QStringLiteral("Management 32/5"));
    ASSERT_EQ(sub5.kind, 120);
    ASSERT_EQ(sub5.index, 5);
    QString dump = show(sub5);
    // Top-level header 32 first (the management header rows every part view starts with), then its
    // sub-record 5 in a section of its own.
    EXPECT_EQ(row(QStringLiteral("Address of the Management Header")).section('|', 0, 0),
              QString::fromStdString(FormatHex32Spaced(top.Address)));
    int section = 0;
    while (section < bench.gridModel.rowCount() &&
           !bench.gridModel.CellText(section, 0).contains(QStringLiteral("Management Header Record 32/5")))
        ++section;
    ASSERT_LT(section, bench.gridModel.rowCount());
    EXPECT_EQ(row(QStringLiteral("Address of the Management Header"), section).section('|', 0, 0),
              QString::fromStdString(FormatHex32Spaced(five.Address)));
    EXPECT_EQ(row(QStringLiteral("Size of the Management Header"), section).section('|', 0, 0),
              QString::fromStdString(FormatDWordHex(five.Size)));
    EXPECT_EQ(row(QStringLiteral("Number of Records in Main Table")), QStringLiteral("7|"));
    // Not top-level header 6 (index 5 + 1), which this disc does not even have.
    EXPECT_FALSE(dump.contains(QStringLiteral("Management Header Record 6 >")));

    RecordNode& manager21 = child(allData(), QStringLiteral("Management 21"));
    show(manager21);
    EXPECT_EQ(row(QStringLiteral("Address of the Management Header")).section('|', 0, 0),
              QString::fromStdString(FormatHex32Spaced(header21.Address)));

    RecordNode& sub7 = child(management32, QStringLiteral("Management 32/7"));
    dump = show(sub7);
    EXPECT_TRUE(dump.startsWith(QStringLiteral("1|         < Management Header Record 32/7 >||")));
    EXPECT_EQ(row(QStringLiteral("Management File Name")), QStringLiteral("SUB7.KWI|"));
}

} // namespace
