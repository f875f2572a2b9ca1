// The index data views and the walk from table rows to tree nodes, over the sample town's index (a POI
// search whose category and matching tables open in the data grids, its POI information table) and the
// fixture index (a search record whose category data file is missing): the rows, the tables opened, the
// items the views add, double-clicks and popup items leading to nodes, and beeps where a target is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "kiwi/core/MapCodePage.h"
#include "kiwi/index/IndexManager.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/VisibleText.h"
#include "mainwindow/model/index/IndexNavigation.h"
#include "mainwindow/model/index/IndexTable.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IndexFixture.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/TownIndex.h"
#include "support/model/GridDump.h"
#include "support/model/ViewHostLog.h"

namespace {

constexpr uint8_t kSrpo[] = {'S', 'R', 'P', 'O'};

struct IndexViews : ::testing::Test {
    FieldGridModel model;
    FieldGrid grid{model};
    ViewHostLog host;
    OpenData data;
    KindContext context{grid, host, data};
    RecordTree tree;
    IndexNavigation navigation{tree, context};
    RecordNode* root = nullptr;

    IndexViews() {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
        host.SetTree(&tree);
    }
    void open(const std::string& indexPath) {
        auto reader = std::make_shared<TLN_IndexManager>(indexPath);
        ASSERT_TRUE(reader->IsValid());
        auto node = RecordNode::MakeChild(nullptr, 1020, QStringLiteral("INDEXDAT"));
        node->held = reader;
        node->stream = reader->SharedStream();
        node->hasChildren = true;
        root = tree.AddRoot(std::move(node));
        tree.Expand(context, *root);
    }
    void openTown() {
        const std::string folder = fixture::scratchDir("index-views-town");
        fixture::TownIndexFiles files = fixture::buildTownIndex();
        // The search record's expansion field offset stored as all ones (none).
        std::fill_n(std::search(files.dataFile.begin(), files.dataFile.end(), kSrpo, kSrpo + 4) + 8, 4,
                    uint8_t(0xFF));
        fixture::writeFile(folder + "/INDEXDAT.KWI", files.index);
        fixture::writeFile(folder + "/SRCH0001.KWI", files.dataFile);
        open(folder + "/INDEXDAT.KWI");
    }
    std::vector<std::string> show(RecordNode& node) {
        host.Take();
        tree.Select(context, node);
        return host.Take();
    }
    QString row(const QString& name) {
        for (int r = 0; r < model.rowCount(); ++r)
            if (model.CellText(r, 0) == name)
                return model.CellText(r, 1) + QStringLiteral("|") + model.CellText(r, 2);
        return QStringLiteral("?");
    }
    static bool has(const std::vector<std::string>& log, const std::string& line) {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
};

TEST_F(IndexViews, HeaderVolumeAndASearchRecordWithItsTablesAndNextLevels) {
    openTown();
    show(*root);
    EXPECT_EQ(row(QStringLiteral("Data Declaration")), QStringLiteral("INDX|"));
    EXPECT_EQ(row(QStringLiteral("Date Creation Date")),
              QStringLiteral("0 x 2024060112000000|Format: YYYYMMDDhhmmssss"));
    EXPECT_EQ(row(QStringLiteral("Displayed Title Language-specific Character String")),
              QString::fromUtf8("Заречье|"));
    ASSERT_EQ(root->children.size(), 3u); // a volume, a POI record and an expansion record

    RecordNode& volume = *root->children[0];
    auto log = show(volume);
    EXPECT_EQ(model.CellText(0, 1), QStringLiteral("POI Search"));
    EXPECT_EQ(row(QStringLiteral("Number of Detailed Search Information Records")), QStringLiteral("1|"));
    EXPECT_TRUE(has(log, "@children 1"));
    ASSERT_EQ(volume.children.size(), 1u);
    // Shown again, the view adds nothing more.
    show(volume);
    EXPECT_EQ(volume.children.size(), 1u);

    RecordNode& record = *volume.children[0];
    EXPECT_EQ(record.kind, 310);
    log = show(record);
    EXPECT_EQ(row(QStringLiteral("Data Declaration")), QStringLiteral("SRPO|"));
    EXPECT_TRUE(row(QStringLiteral("Offset to Expansion Field")).endsWith(QStringLiteral("|(-1)")));
    EXPECT_EQ(row(QStringLiteral("Character Information Data List for Representation Items")),
              QString::fromUtf8("Места|"));
    EXPECT_TRUE(has(log, "@dataset category open \"Места\" rows=5 cols=3")) << log.size();
    EXPECT_TRUE(has(log, "@dataset matching open \"Места\" rows=9 cols=3"));
    EXPECT_NE(DumpGrid(model).indexOf(QStringLiteral("< Category Definition Frame >")), -1);
    EXPECT_NE(DumpGrid(model).indexOf(QStringLiteral("<  Matching Data Definition >")), -1);
    // One next-level node per category row (the default kind), numbered by the row.
    ASSERT_EQ(record.children.size(), 5u);
    EXPECT_EQ(record.children[2]->kind, 340);
    EXPECT_EQ(record.children[2]->caption, QStringLiteral("Item 2"));
    EXPECT_EQ(record.children[2]->indexDepth, 1);
    const IndexTable& category = *host.IndexTableOf(IndexGrid::Category);
    EXPECT_EQ(category.Layout().Columns()[1].name, "NAME");

    // Without next-level data ("NEXT" points into the file's "SRCHDATA" header) the sections stay empty.
    log = show(*record.children[1]);
    EXPECT_EQ(DumpGrid(model).toStdString(), "1|         <  Category Definition >||\n0|||\n0|||\n"
                                             "1|         < Category Parent Record >||\n0|||\n0|||\n"
                                             "1|         <  Matching Definition >||\n0|||\n");
    EXPECT_FALSE(has(log, "@dataset category open \"Места\" rows=5 cols=3"));
}

TEST_F(IndexViews, DoubleClicksAndPopupItemsLeadToNodesOrBeep) {
    openTown();
    RecordNode& volume = *root->children[0];
    show(volume);
    RecordNode& record = *volume.children[0];
    show(record);
    IndexTable* category = host.IndexTableOf(IndexGrid::Category).get();
    IndexTable* matching = host.IndexTableOf(IndexGrid::Matching).get();
    ASSERT_TRUE(category && matching);

    // "SRPO" is none of the named kinds: a category row selects the item of the same number.
    EXPECT_EQ(navigation.DoubleClick(IndexGrid::Category, category, &record, 3), record.children[3].get());
    EXPECT_TRUE(host.Take().empty());
    // Out of the table, and a matching row of a kind without a rule: beep, nothing selected.
    EXPECT_EQ(navigation.DoubleClick(IndexGrid::Category, category, &record, 5), nullptr);
    EXPECT_EQ(navigation.DoubleClick(IndexGrid::Matching, matching, &record, 0), nullptr);
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"@beep", "@beep"}));
    // No "NXKD" field: no next-level items in the popup.
    EXPECT_EQ(IndexNavigation::NextItems(category, 0), (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(navigation.NextLevel(IndexGrid::Category, category, &record, 0, 2), nullptr);
    // No "Next Level" node under this search record.
    EXPECT_EQ(navigation.GotoNextLevelNode(record.children[0].get(), 0), nullptr);
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"@beep", "@beep"}));

    // POI record 1 from a node deep below the index root, found by its kind whatever its caption says.
    root->caption = QStringLiteral("INDEXDAT  (Error)");
    RecordNode* first = navigation.GotoIndexDataItem(record.children[1].get(), 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->kind, 305);
    EXPECT_EQ(first->parent, root->children[1].get());
    EXPECT_EQ(navigation.GotoIndexDataItem(&record, 2), nullptr);
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"@beep"}));

    // A degenerate next level at an address the tree does not have is added (here the search frame itself),
    // then its item is selected; a second walk to it finds the node added.
    const int64_t frame = volume.children[0]->recordOffset - 16;
    RecordNode* item = navigation.GotoDegenerateNextLevel(&record, 0, frame);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->kind, 310);
    EXPECT_EQ(item->parent->caption, QStringLiteral("Degenerate Next Level"));
    const size_t children = record.children.size();
    EXPECT_EQ(navigation.GotoDegenerateNextLevel(&record, 3, frame), nullptr);
    EXPECT_EQ(record.children.size(), children);
    EXPECT_EQ(host.Take(), (std::vector<std::string>{"@beep"}));
}

TEST_F(IndexViews, PoiRecordsAndTheirInformationTable) {
    openTown();
    RecordNode& poi = *root->children[1];
    show(poi);
    EXPECT_EQ(row(QStringLiteral("POI Information Type Declaration")), QStringLiteral("PKNR|"));
    EXPECT_EQ(row(QStringLiteral("Number of Detailed  POI Information Records")), QStringLiteral("1|"));
    ASSERT_EQ(poi.children.size(), 1u);
    const auto log = show(*poi.children[0]);
    EXPECT_TRUE(has(log, "@dataset category open \"POI Info Table\" rows=9 cols=3"));
    EXPECT_EQ(host.IndexTableOf(IndexGrid::Category)->Caption(), QStringLiteral("POI INFO"));
    EXPECT_EQ(row(QStringLiteral("Total Number of the Records of POI Information Data Frame")),
              QStringLiteral("9|"));
}

TEST_F(IndexViews, AMissingDataFileIsSaidAndNeverOpened) {
    const std::string folder = fixture::scratchDir("index-views-fixture");
    const std::string path = fixture::writeIndexFixture(folder, fixture::buildIndexFixture());
    open(path);
    RecordNode& volume = *root->children[0];
    show(volume);
    ASSERT_FALSE(volume.children.empty());
    const auto log = show(*volume.children[0]);
    const QString dump = DumpGrid(model);
    EXPECT_NE(dump.indexOf(QStringLiteral("< File CATDATA.KWI does not exist !!! >")), -1)
        << dump.toStdString();
    for (const std::string& line : log)
        EXPECT_EQ(line.find("@dataset category open"), std::string::npos) << line;

    // The whole data file gone: the volume's frame says so and adds no items.
    std::filesystem::remove(folder + "/SRCH0001.KWI");
    auto missing = RecordNode::MakeChild(root, 300, QStringLiteral("VOL1"), 0);
    missing->held = root->held;
    RecordNode& again = *missing;
    std::vector<std::unique_ptr<RecordNode>> one;
    one.push_back(std::move(missing));
    tree.AddChildren(*root, std::move(one));
    show(again);
    EXPECT_NE(DumpGrid(model).indexOf(QStringLiteral("< File SRCH0001.KWI does not exist !!! >")), -1);
    EXPECT_TRUE(again.children.empty());
}

TEST_F(IndexViews, ExpansionRecordsAndCharacterInformation) {
    openTown();
    RecordNode& expansion = *root->children[2];
    ASSERT_EQ(expansion.kind, 302);
    show(expansion);
    EXPECT_EQ(row(QStringLiteral("Data Declaration")), QStringLiteral("EXP1|"));
    EXPECT_EQ(row(QStringLiteral("Number of character information management records")),
              QStringLiteral("1|"));
    ASSERT_EQ(expansion.children.size(), 1u);
    RecordNode& entry = *expansion.children[0];
    EXPECT_EQ(entry.caption, QStringLiteral("ELM1"));
    show(entry);
    EXPECT_EQ(model.CellText(0, 0), QStringLiteral("         < Character Information Management Record 0 >"));
    EXPECT_EQ(row(QStringLiteral("Address Description Declaration")), QStringLiteral("FNME|"));
    // The entry names the element frame, whose one record names the search frame and its one record.
    const QString dump = DumpGrid(model);
    EXPECT_NE(dump.indexOf(QStringLiteral("0|Data Declaration|ELMF|")), -1) << dump.toStdString();
    EXPECT_EQ(row(QStringLiteral("Number of character information management records")),
              QStringLiteral("1|"));
    EXPECT_EQ(row(QStringLiteral("Number of Detailed Information Records")), QStringLiteral("1|"));
    ASSERT_EQ(entry.children.size(), 1u);
    RecordNode& item = *entry.children[0];
    EXPECT_EQ(item.caption, QStringLiteral("Item 0"));
    show(item);
    EXPECT_EQ(row(QStringLiteral("Data Declaration")), QStringLiteral("SRPO|"));

    // The element frame read from word 0x31 of the data file: no control bytes shown, the header marked.
    const std::string folder = fixture::scratchDir("index-views-elsewhere");
    fixture::TownIndexFiles files = fixture::buildTownIndex();
    const uint8_t elm1[] = {'E', 'L', 'M', '1'};
    const auto offset = std::search(files.dataFile.begin(), files.dataFile.end(), elm1, elm1 + 4) + 13 + 12;
    std::fill_n(offset, 3, uint8_t(0));
    offset[3] = 0x31;
    fixture::writeFile(folder + "/INDEXDAT.KWI", files.index);
    fixture::writeFile(folder + "/SRCH0001.KWI", files.dataFile);
    open(folder + "/INDEXDAT.KWI");
    show(*root->children[2]);
    show(*root->children[2]->children[0]);
    const QString shown = VisibleText(DumpGrid(model));
    EXPECT_TRUE(shown.contains(QStringLiteral("Management Frame >|SRCH0001.KWI|объявление «.Б")));
    EXPECT_TRUE(shown.contains(QStringLiteral("|Data Declaration|.Б")));
}

} // namespace
