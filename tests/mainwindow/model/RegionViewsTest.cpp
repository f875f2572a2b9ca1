// The route planning views over the sample region data: the header of REGION.KWI alone (no management
// header, no map needed), levels, a region with its distribution, node and coordinate headers, a node with
// regulations and between-links costs, a link with its cost; and the more-node showing its region.
#include <gtest/gtest.h>

#include "KindHarness.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/region/RegionManager.h"
#include "support/fixtures/RegionFixture.h"
#include "support/model/GridDump.h"

namespace {

struct RegionViews : ::testing::Test {
    harness::KindHarness h;
    fixture::RegionImage image = fixture::buildRegionData(fixture::sampleRegionPlan());
    std::shared_ptr<TLN_RegionManager> reader =
        std::make_shared<TLN_RegionManager>(std::make_shared<TLN_MemoryStream>(image.bytes), 0);
    std::unique_ptr<RecordNode> root =
        harness::Root(1400, QStringLiteral("REGION"), reader, reader->SharedStream());

    QString show(RecordNode& node) {
        h.table.Show(h.context, node);
        h.host.Take();
        return DumpGrid(h.model);
    }
    // The value and remark of the first row named name, or "?" when there is none.
    QString row(const QString& name) {
        for (int r = 0; r < h.model.rowCount(); ++r)
            if (h.model.CellText(r, 0) == name)
                return h.model.CellText(r, 1) + QStringLiteral("|") + h.model.CellText(r, 2);
        return QStringLiteral("?");
    }
};

TEST_F(RegionViews, RegionFileAloneShowsItsHeaderWithoutAManagementHeader) {
    const QString dump = show(*root);
    // The first row is the region header itself, at the data's start, with the region chapter linked.
    EXPECT_TRUE(dump.startsWith(QStringLiteral("1|         < Region Data Management Distribution Header >||"
                                               "Offset=0 x 00 00 00 00\n2|||Help\n")))
        << dump.toStdString();
    EXPECT_TRUE(dump.endsWith(QStringLiteral("@help format_english/pdf/0900122e.pdf\n")));
    EXPECT_EQ(row(QStringLiteral("Region Management Record Type Code")), QStringLiteral("0 x 00 64|(100) "));
    EXPECT_EQ(row(QStringLiteral("Total Number of Level Management Records ")), QStringLiteral("2|"));
    EXPECT_EQ(row(QStringLiteral("Level Management Record Size")), QStringLiteral("0 x 00 00 00 09|(9) "));
    EXPECT_EQ(h.model.Row(0).tag, RowTag::SectionHeader);
}

TEST_F(RegionViews, LevelRegionNodeAndLink) {
    RecordNode& level = *h.Expand(*root)[0];
    show(level);
    EXPECT_EQ(row(QStringLiteral("Level Code ")), QStringLiteral("0 x 01|(1) "));
    EXPECT_EQ(row(QStringLiteral("Number of Extended Route Planning Data Frame")),
              QStringLiteral("0 x 01|(1) "));
    EXPECT_EQ(row(QStringLiteral("Node Record Size")), QStringLiteral("0 x 00 00 00 04|(4) "));

    RecordNode& region = *h.Expand(level)[0];
    const QString dump = show(region);
    EXPECT_EQ(row(QStringLiteral("Uppermost Latitude of Region")).section('|', 1), QStringLiteral("137.153"));
    EXPECT_TRUE(row(QStringLiteral("Leftmost Longitude of Region")).startsWith(QStringLiteral("W")));
    EXPECT_EQ(row(QStringLiteral("Number of Lower-level Regions")), QStringLiteral("0 x 00 02|(2) "));
    EXPECT_EQ(row(QStringLiteral("Practical Management Code")),
              QStringLiteral("0 x 12 34 56 78|(305419896) "));
    EXPECT_TRUE(dump.contains(QStringLiteral("         < Extended Data Frame Management Record 0 >")));
    EXPECT_TRUE(dump.contains(QStringLiteral("         < Rank Management Information 1 >")));
    EXPECT_TRUE(dump.contains(QStringLiteral("         < Node Coordinate Distribution Header >")));
    EXPECT_EQ(row(QStringLiteral("Number of the Latitudinal Reference Grid Management data")),
              QStringLiteral("2|"));
    const QString nodeFrame =
        QStringLiteral("Offset=") + QString::fromStdString(FormatHex32Spaced(image.regions[0][0].nodeFrame));
    EXPECT_TRUE(dump.contains(QStringLiteral("Node Distribution Header >||") + nodeFrame))
        << dump.toStdString();

    const auto nodes = h.Expand(region);
    show(*nodes[0]);
    EXPECT_EQ(row(QStringLiteral("Traffic Light Flag")), QStringLiteral("YES|"));
    EXPECT_EQ(row(QStringLiteral("Rotary Flag")), QStringLiteral("?")); // shown only when set
    EXPECT_EQ(row(QStringLiteral("Number of Link Records")), QStringLiteral("0 x 02|(2) "));
    EXPECT_EQ(row(QStringLiteral("Offset to the Link Table")).section('|', 0, 0),
              QString::fromStdString(FormatHex32Spaced(image.regions[0][0].linkTables[0])));
    EXPECT_EQ(row(QStringLiteral("Number of Regulations")), QStringLiteral("1|"));
    EXPECT_TRUE(DumpGrid(h.model).contains(QStringLiteral("< Between-links Cost Record 0 >")));
    // Node 3's grid cell does not exist: no coordinate, the stored values' degrees in the remark.
    show(*nodes[3]);
    EXPECT_EQ(row(QStringLiteral("Node Coordinate")), QStringLiteral("- - - - - - - -|-291.271 / -291.271"));

    const auto links = h.Expand(*nodes[0]);
    const QString link = show(*links[0]);
    EXPECT_TRUE(link.startsWith(QStringLiteral("1|         < Link Record 0 >||\n")));
    EXPECT_EQ(row(QStringLiteral("City/Suburbs Identification Flag")), QStringLiteral("YES|"));
    EXPECT_EQ(row(QStringLiteral("Link Length")), QStringLiteral("320|meter"));
    EXPECT_EQ(row(QStringLiteral("Absolute Link ID")), QStringLiteral("0 x 00 01 00 01|(65537) "));
    // Status 2 and speed limit 5 of the first cost record.
    EXPECT_EQ(row(QStringLiteral("Road Status Flag")), QStringLiteral("0 x 02|(2) Not paved"));
    EXPECT_EQ(row(QStringLiteral("Speed Limits")), QStringLiteral("0 x 05|(5) 90 to 100 km/h"));
}

TEST_F(RegionViews, AMoreNodeShowsItsRegionAndEveryRegionOfALongListIsShown) {
    auto longReader = std::make_shared<TLN_RegionManager>(
        std::make_shared<TLN_MemoryStream>(fixture::buildRegionData(fixture::manyRegionsPlan(501, 3)).bytes),
        0);
    auto longRoot = harness::Root(1400, QStringLiteral("REGION"), longReader, longReader->SharedStream());
    RecordNode& paged = *h.Expand(*longRoot)[1];
    h.Expand(paged);
    RecordNode& more = *paged.children[499];
    ASSERT_EQ(more.kind, 1421);
    show(more);
    EXPECT_EQ(h.model.CellText(0, 0), QStringLiteral("         < Region Management Record >"));
    EXPECT_EQ(h.model.CellText(0, 2),
              QStringLiteral("Offset=") + QString::fromStdString(FormatHex32Spaced(more.recordOffset)));
    h.NextPage(more);
    show(*paged.children[500]);
    EXPECT_EQ(h.model.CellText(0, 2), QStringLiteral("Offset=") + QString::fromStdString(FormatHex32Spaced(
                                                                      paged.children[500]->recordOffset)));
}

TEST_F(RegionViews, ARegionPartWithoutAReaderShowsItsHeaderOnly) {
    auto part = harness::Root(101, QStringLiteral("Region Data"), HeldReader());
    show(*part);
    EXPECT_EQ(h.model.CellText(h.model.rowCount() - 2, 0),
              QStringLiteral("         < Region Data Management Distribution Header >"));
    auto bare = harness::Root(1400, QStringLiteral("REGION"), HeldReader());
    const QString dump = show(*bare);
    EXPECT_EQ(h.model.rowCount(), 2) << dump.toStdString();
}

} // namespace
