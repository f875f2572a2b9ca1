// The parameter views over the standard parameters part: the distribution header of a file (its own
// help link), management records of each layout and of an unknown code, palettes as swatches, landmark
// frames and the pattern tables of the three layouts with their patterns as images.
#include <gtest/gtest.h>

#include "KindHarness.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/ParamManager.h"
#include "support/fixtures/ParamFixture.h"
#include "support/model/GridDump.h"

namespace {

constexpr size_t kPrefix = 64;

struct ParameterViews : ::testing::Test {
    harness::KindHarness h;

    std::shared_ptr<TLN_ParamManager> open(std::vector<uint8_t> bytes) {
        return std::make_shared<TLN_ParamManager>(std::make_shared<TLN_MemoryStream>(std::move(bytes)),
                                                  int64_t(kPrefix));
    }
    QString show(RecordNode& node) {
        h.table.Show(h.context, node);
        h.host.Take();
        return DumpGrid(h.model);
    }
    QString row(const QString& name) {
        for (int r = 0; r < h.model.rowCount(); ++r)
            if (h.model.CellText(r, 0) == name)
                return h.model.CellText(r, 1) + QStringLiteral("|") + h.model.CellText(r, 2);
        return QStringLiteral("?");
    }
    int rowsNamed(const QString& name) {
        int count = 0;
        for (int r = 0; r < h.model.rowCount(); ++r)
            count += h.model.CellText(r, 0) == name ? 1 : 0;
        return count;
    }
};

TEST_F(ParameterViews, FileHeaderRecordsPalettesAndLandmarks) {
    const auto reader = open(fixture::buildParamPart(fixture::standardParamPlan(), kPrefix));
    auto root = harness::Root(1320, QStringLiteral("PARAM.KWI"), reader, reader->SharedStream());
    QString dump = show(*root);
    EXPECT_TRUE(
        dump.startsWith(QStringLiteral("1|         < Parameters Distribution Header >||\n2|||Help\n")));
    EXPECT_EQ(row(QStringLiteral("Number of Records")), QStringLiteral("3|"));
    EXPECT_TRUE(dump.endsWith(QStringLiteral("@help format_english/pdf/1200122e.pdf\n")));

    const auto records = h.Expand(*root);
    dump = show(*records[0]);
    EXPECT_EQ(row(QStringLiteral("Data_Classification_Code")), QStringLiteral("0 x 00 00 12 01|(4609) "));
    EXPECT_TRUE(dump.contains(QStringLiteral("< Drawing parameter management information record >")));
    EXPECT_EQ(row(QStringLiteral("Line Style Palette Table existence Flag")), QStringLiteral("YES|"));
    EXPECT_EQ(row(QStringLiteral("Number of Colors on Color Palette")), QStringLiteral("4|"));
    EXPECT_NE(row(QStringLiteral(" Offset to Color Palette Table")), QStringLiteral("?"));
    show(*records[1]);
    EXPECT_NE(row(QStringLiteral("Size of the Landmark Data Frame ")), QStringLiteral("?"));
    EXPECT_TRUE(DumpGrid(h.model).contains(QStringLiteral("< 3-D symbol management information record >")));
    show(*records[2]);
    EXPECT_TRUE(DumpGrid(h.model).contains(QStringLiteral("< Route number display-frame record >")));

    const auto frames = h.Expand(*records[0]);
    show(*frames[0]);
    EXPECT_EQ(row(QStringLiteral("Number of Color Palettes")), QStringLiteral("2|"));
    const auto palettes = h.Expand(*frames[0]);
    dump = show(*palettes[0]);
    // Palette 0: magenta, red, green, blue as swatches of 0x00BBGGRR.
    EXPECT_TRUE(dump.contains(QStringLiteral("3|Color 1|0 x 00 00 00 FF||colour=000000FF")))
        << dump.toStdString();
    EXPECT_TRUE(dump.contains(QStringLiteral("3|Color 3|0 x 00 FF 00 00||colour=00FF0000")));
    EXPECT_EQ(h.model.Row(h.model.rowCount() - 1).tag, RowTag::ColorSwatch);

    RecordNode& landmarks = *frames[4];
    show(landmarks);
    EXPECT_EQ(row(QStringLiteral("Number of Category Codes")), QStringLiteral("7|"));
    const auto tables = h.Expand(landmarks);
    // Table 1: 4 bits per pixel, two patterns found by offset, use code 0x0201.
    dump = show(*tables[1]);
    EXPECT_EQ(row(QStringLiteral("Use Code")), QStringLiteral("0 x 02 01|(513) Landmark Shadow"));
    EXPECT_EQ(row(QStringLiteral("Landmark Pattern Offset Flag")), QStringLiteral("YES|"));
    EXPECT_EQ(rowsNamed(QStringLiteral("Category Code")), 2);
    EXPECT_EQ(rowsNamed(QStringLiteral("Pattern")), 2);
    EXPECT_TRUE(dump.contains(QStringLiteral("4|Pattern|||image=1 3x2"))) << dump.toStdString();
    // Format flag 2: the patterns are listed without images.
    dump = show(*tables[7]);
    EXPECT_EQ(rowsNamed(QStringLiteral("Category Code")), 1);
    EXPECT_EQ(rowsNamed(QStringLiteral("Pattern")), 0);

    // Layout 2 and layout 3 tables.
    const auto symbol = h.Expand(*h.Expand(*records[1])[0]);
    show(*symbol[0]);
    EXPECT_EQ(row(QStringLiteral("Number of Landmark Pattern Groups")), QStringLiteral("3|"));
    const auto route = h.Expand(*h.Expand(*records[2])[0]);
    show(*route[0]);
    EXPECT_EQ(row(QStringLiteral("Intra-display-frame Character Display Height")),
              QStringLiteral("0 x 00 06|(6) "));
    EXPECT_EQ(row(QStringLiteral("Use Code")),
              QStringLiteral("0 x 00 01|(1) (0-Reserved, 1-Landmark, 2-Logo)"));
    EXPECT_EQ(rowsNamed(QStringLiteral("Route Number Display-frame Code")), 2);
    EXPECT_EQ(rowsNamed(QStringLiteral("Category Code")), 0);
}

TEST_F(ParameterViews, UnknownDataClassificationCodeShowsItsSectionOnly) {
    std::vector<uint8_t> bytes = fixture::buildParamPart(fixture::standardParamPlan(), kPrefix);
    bytes[kPrefix + 4 + 13] = 0x12;
    bytes[kPrefix + 4 + 14] = 0x07; // 4615
    const auto reader = open(std::move(bytes));
    auto root = harness::Root(1320, QStringLiteral("PARAM.KWI"), reader, reader->SharedStream());
    const auto records = h.Expand(*root);
    const QString dump = show(*records[0]);
    EXPECT_EQ(h.model.CellText(h.model.rowCount() - 2, 0), QStringLiteral("         < Unknkwn Data Type >"))
        << dump.toStdString();
    EXPECT_EQ(row(QStringLiteral("Offset to Data Frame")), QStringLiteral("?"));
}

TEST_F(ParameterViews, NoReaderShowsTheHeadersOnly) {
    auto root = harness::Root(1320, QStringLiteral("PARAM.KWI"), HeldReader());
    show(*root);
    EXPECT_EQ(h.model.rowCount(), 2);
    auto record = RecordNode::MakeChild(root.get(), 190, QStringLiteral("Record 0"));
    show(*record);
    EXPECT_EQ(h.model.rowCount(), 2);
    for (int kind : {191, 192, 194, 195, 197, 199}) {
        auto other = RecordNode::MakeChild(record.get(), kind, QStringLiteral("x"));
        show(*other); // nothing to read: headers only, never a crash
        EXPECT_LE(h.model.rowCount(), 2) << kind;
    }
}

} // namespace
