// The node kind table: its rows agree with themselves and cover every kind the builders make from a disc,
// the fallbacks for kinds without a row, and the builders each family provides.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "TreeTestSupport.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/SourceOpener.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "support/model/TreeDump.h"

namespace {

// The kinds of every node the program's builders make from a disc with every data part (the fixture
// folder), crawled as the window would expand it.
std::set<int> kindsBuiltFromADisc() {
    const std::string folder = fixture::scratchDir("node-kinds-disc");
    fixture::SourceFolderPlan plan;
    plan.dataParts = true;
    fixture::writeSourceFolder(folder, plan);
    RecordTree tree;
    OpenData data;
    MapCodePageChoice codePages;
    SourceOpener opener(tree, data, codePages);
    opener.OpenFolder(QString::fromStdString(folder));
    treetest::Workbench bench;
    bench.data = data;
    std::set<int> kinds;
    CrawlOptions options;
    options.select = false;
    options.visit = [&](RecordNode& node, int, const std::string&) { kinds.insert(node.kind); };
    CrawlTree(tree, bench.context, options);
    SourceOpener::CloseAllHeadless(tree, data);
    return kinds;
}

TEST(NodeKinds, EveryRowIsItsOwnKindAndEveryKindTheBuildersMakeHasARow) {
    const NodeKinds& table = NodeKinds::Table();
    for (const auto& [kind, info] : table.Rows()) {
        EXPECT_EQ(info.kind, kind);
        ASSERT_NE(info.viewName, nullptr) << "kind " << kind;
        const std::string name = info.viewName;
        EXPECT_TRUE(name.starts_with("Show") || name.starts_with("Next")) << "kind " << kind << " " << name;
        // A view that is built has a name of its own; the not-implemented name has no view behind it.
        if (name == "ShowNotImplemented") {
            EXPECT_FALSE(info.view) << "kind " << kind;
        }
    }
    // The management header records: one row for each of the 64 an ALLDATA file may hold.
    for (int kind = 100; kind < 164; ++kind)
        EXPECT_TRUE(table.Has(kind)) << "kind " << kind;
    const std::set<int> built = kindsBuiltFromADisc();
    // Every family of the disc is reached, not just its roots.
    EXPECT_GT(built.size(), 60u);
    for (int kind : built)
        EXPECT_TRUE(table.Has(kind)) << "a builder makes kind " << kind << ", which has no row";
}

TEST(NodeKinds, KindsWithoutARowFallBack) {
    const NodeKinds& table = NodeKinds::Table();
    EXPECT_EQ(std::string(table.Resolve(kKindInvalid).viewName), "ShowInvalidData");
    for (int kind : {164, 170})
        EXPECT_EQ(std::string(table.Resolve(kind).viewName), "ShowManagementHeader") << kind;
    for (int kind : {0, 8, 171, 999, 5000})
        EXPECT_EQ(std::string(table.Resolve(kind).viewName), "ShowNotImplemented") << kind;
    // The unknown basic frame kind lies outside the real kinds and has no children.
    EXPECT_TRUE(table.Has(kKindUnknownFrame));
    EXPECT_FALSE(table.Resolve(kKindUnknownFrame).builder);
}

TEST(NodeKinds, TheBuildersOfTheHeaderAllDataAndMainMapFamiliesAreRegistered) {
    const NodeKinds& table = NodeKinds::Table();
    for (int kind : {1,  2,  3,  4,  1500, 7,  100, 9,  10, 11, 12,   14,   15,
                     23, 25, 16, 27, 28,   17, 30,  40, 41, 42, 2300, 2320, 2340})
        EXPECT_TRUE(table.Resolve(kind).builder) << "kind " << kind;
    for (int kind : {18, 19, 13, 26, 29, 31, 46, 2000, 5, 1510, 2350})
        EXPECT_FALSE(table.Resolve(kind).builder) << "kind " << kind;
}

TEST(NodeKinds, ShowClearsTheGridAndAnUnbuiltViewIsNotImplemented) {
    const NodeKinds& table = NodeKinds::Table();
    treetest::Workbench bench;
    bench.grid.AddTextRow(QStringLiteral("left over"), QStringLiteral("x"));
    bench.grid.SetVirtualRows(10, [](int, int, QString&) { return false; });
    // Kind 18 has a row whose view is not built.
    auto node = RecordNode::MakeChild(nullptr, 18, QStringLiteral("Additional A"));
    table.Show(bench.context, *node);
    EXPECT_EQ(bench.gridModel.FirstVirtualRow(), FieldGridModel::kNoVirtualRows);
    ASSERT_EQ(bench.gridModel.StoredRowCount(), 1);
    EXPECT_EQ(bench.cell(0, 0), "Sorry. Not Implimented");
    EXPECT_EQ(bench.cell(0, 1), "Additional A");
    // Kind 164 falls back on the management header view.
    auto spare = RecordNode::MakeChild(nullptr, 164, QStringLiteral("Management 65"), 64);
    table.Show(bench.context, *spare);
    EXPECT_EQ(bench.cell(0, 0), "         < Management Header Record 65 >");

    // Register keeps a kind's name when given none, and replaces it when given one.
    NodeKinds own;
    own.Name(1400, "ShowRegionHeader");
    own.Register({1400, nullptr, {}, {}});
    EXPECT_EQ(std::string(own.Resolve(1400).viewName), "ShowRegionHeader");
    own.Register({1400, "ShowOther", {}, {}});
    EXPECT_EQ(std::string(own.Resolve(1400).viewName), "ShowOther");
}

} // namespace
