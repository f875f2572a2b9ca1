// The index tables in the window: a search record of the sample town shows its category and matching
// tables in the "Выборка данных" tab with their record counts (the tab shows only while a table has
// records), a double-click on a category row selects the row's next-level node from the event loop, the
// popup's next-level items follow the row's next-level field, and a walk with no target beeps and stays.
#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>

#include "WindowTestSupport.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/MapCodePage.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/IndexGridsController.h"
#include "mainwindow/IndexTablesSheet.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/RecordNode.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/TownIndex.h"

namespace {

using windowtest::waitUntil;

// The services take a plain function for the beep.
int beeps = 0;

class IndexGridsTest : public windowtest::WindowTest {
protected:
    IndexGridsTest() {
        window.show();
        const std::string folder = spath("town");
        const fixture::TownIndexFiles files = fixture::buildTownIndex();
        fixture::writeFile(folder + "/INDEXDAT.KWI", files.index);
        fixture::writeFile(folder + "/SRCH0001.KWI", files.dataFile);
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
    }
    DataPage& page() const { return *window.DataCommands().Page(); }
    QAbstractItemModel* tree() const { return page().treeView->model(); }
    QModelIndex child(const QModelIndex& parent, int row) const { return tree()->index(row, 0, parent); }
    bool tabShown() const {
        return page().innerTabs->isTabVisible(page().innerTabs->indexOf(page().matchingSheet));
    }
    // Opens the town's index and selects its first search record; returns it.
    QModelIndex openSearchRecord() {
        EXPECT_TRUE(window.Opening().Open(OpenTabController::Source::File, path("town/INDEXDAT.KWI")));
        const QModelIndex root = tree()->index(0, 0);
        page().treeView->expand(root);
        EXPECT_TRUE(waitUntil([&] { return tree()->rowCount(root) == 3; }, 5000));
        const QModelIndex volume = child(root, 0);
        page().treeView->setCurrentIndex(volume);
        EXPECT_TRUE(waitUntil([&] { return tree()->rowCount(volume) == 1; }, 5000));
        const QModelIndex record = child(volume, 0);
        page().treeView->setCurrentIndex(record);
        EXPECT_TRUE(waitUntil([&] { return tree()->rowCount(record) == 5; }, 5000));
        return record;
    }

    // The window takes the services as they are when it is made.
    bool countBeeps = (
        beeps = 0, services.beep = [] { ++beeps; }, true);
    MainWindow window{services, &mapView};
};

TEST_F(IndexGridsTest, ASearchRecordShowsItsTablesWithTheirCounts) {
    EXPECT_FALSE(tabShown());
    openSearchRecord();
    EXPECT_TRUE(tabShown());
    EXPECT_EQ(page().innerTabs->currentWidget(), page().matchingSheet);
    IndexTablesSheet& sheet = *page().indexSheet;
    EXPECT_EQ(sheet.categoryGrid->model()->rowCount(), 5);
    EXPECT_EQ(sheet.matchingGrid->model()->rowCount(), 9);
    EXPECT_EQ(sheet.label3->text(), QStringLiteral("Записей в таблице:"));
    EXPECT_EQ(sheet.categoryCount->text(), QStringLiteral("5"));
    EXPECT_EQ(sheet.matchingCount->text(), QStringLiteral("9"));
    EXPECT_EQ(sheet.categoryRepresentation->text(), QString::fromUtf8("Места"));
    EXPECT_EQ(sheet.categoryGrid->model()->index(2, 1).data().toString(), QString::fromUtf8("Магазины"));
    EXPECT_EQ(sheet.categoryGrid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("NAME"));
    // The NAME column is 40 characters wide.
    const int digit = sheet.categoryGrid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    EXPECT_GE(sheet.categoryGrid->horizontalHeader()->sectionSize(1), 40 * digit);

    // Another node closes the tables and hides their tab.
    page().treeView->setCurrentIndex(tree()->index(0, 0));
    EXPECT_FALSE(tabShown());
    EXPECT_EQ(sheet.Table(IndexGrid::Category), nullptr);
}

TEST_F(IndexGridsTest, ADoubleClickSelectsTheRowsNodeAndAWalkWithoutTargetBeeps) {
    const QModelIndex record = openSearchRecord();
    IndexTablesSheet& sheet = *page().indexSheet;
    QTableView* grid = sheet.categoryGrid;
    emit grid->doubleClicked(grid->model()->index(3, 1));
    // From the event loop, not inside the grid's own handler.
    EXPECT_EQ(page().treeView->currentIndex(), record);
    ASSERT_TRUE(waitUntil([&] { return page().treeView->currentIndex() == child(record, 3); }, 5000));
    EXPECT_EQ(page().treeView->currentIndex().data().toString(), QStringLiteral("Item 3"));
    EXPECT_EQ(beeps, 0);

    // Back on the record: the matching grid has no rule for its kind, and no next-level field to follow.
    page().treeView->setCurrentIndex(record);
    window.DataCommands().IndexGrids()->DoubleClick(IndexGrid::Matching, 0);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(page().treeView->currentIndex(), record);
    window.DataCommands().IndexGrids()->PreparePopup(IndexGrid::Category, 0);
    WindowMenus* menus = window.DataCommands().Menus();
    ASSERT_NE(menus, nullptr);
    EXPECT_FALSE(menus->dbNext1Item->isEnabled());
    EXPECT_FALSE(menus->dbNext3Item->isEnabled());
}

// The data grids' menu: "Копировать" copies the field under the mouse, the hex item shows the grid's
// current record in its table's stream.
TEST_F(IndexGridsTest, TheDataGridMenuCopiesAFieldAndShowsTheCurrentRecordInTheHexViewer) {
    window.SetHexViewer(&hex);
    openSearchRecord();
    QTableView* grid = page().categoryGrid;
    const QModelIndex field = grid->model()->index(2, 1);
    grid->setCurrentIndex(field);
    emit grid->customContextMenuRequested(grid->visualRect(field).center());
    window.DataCommands().Menus()->dbMenu->close();
    window.DataCommands().Menus()->copyDbGridItem->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Магазины"));
    log.clear();
    window.DataCommands().Menus()->showInHexViewerDbItem->trigger();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("hex stream ", 0), 0u) << log[0];
    EXPECT_NE(hex.Stream(), nullptr);
}

// The town's search record has no next-level frame: the node a category row leads to still shows its
// level's category definition, parent record and matching definition, and reopens the tables.
TEST_F(IndexGridsTest, ANextLevelWithoutNextLevelDataShowsItsSectionsEmpty) {
    const QModelIndex record = openSearchRecord();
    QTableView* grid = page().indexSheet->categoryGrid;
    emit grid->doubleClicked(grid->model()->index(3, 1));
    ASSERT_TRUE(waitUntil([&] { return page().treeView->currentIndex() == child(record, 3); }, 5000));
    QStringList names;
    const FieldGridModel& rows = window.DataCommands().GridModel();
    for (int row = 0; row < rows.rowCount(); ++row)
        names << rows.CellText(row, 0);
    EXPECT_EQ(names.join(QLatin1Char('|')), QStringLiteral("         <  Category Definition >|||"
                                                           "         < Category Parent Record >|||"
                                                           "         <  Matching Definition >|"));
    // No tables: the tab hides, as for a category without records.
    EXPECT_FALSE(tabShown());
}

// An address row into a data file opens that file in the hex viewer at the address, or only moves there
// when the viewer shows that file already.
TEST_F(IndexGridsTest, AnAddressIntoADataFileOpensThatFileInTheHexViewer) {
    window.SetHexViewer(&hex);
    EXPECT_TRUE(window.Opening().Open(OpenTabController::Source::File, path("town/INDEXDAT.KWI")));
    const QModelIndex root = tree()->index(0, 0);
    page().treeView->expand(root);
    ASSERT_TRUE(waitUntil([&] { return tree()->rowCount(root) == 3; }, 5000));
    const QModelIndex volume = child(root, 0);
    page().treeView->setCurrentIndex(volume);
    ASSERT_NE(hex.Stream(), nullptr);
    EXPECT_EQ(fileNamePart(hex.Stream()->FileName()), "INDEXDAT.KWI");
    FieldGridView* view = page().fieldGrid;
    const auto jumpFrom = [&](const QString& name) {
        const FieldGridModel& rows = window.DataCommands().GridModel();
        for (int row = 0; row < rows.rowCount(); ++row)
            if (rows.CellText(row, 0) == name) {
                log.clear();
                emit view->doubleClicked(rows.index(row, 1));
                return rows.JumpOffset(row).value_or(-1);
            }
        ADD_FAILURE() << "no row " << name.toStdString();
        return int64_t(-1);
    };
    const int64_t frame = jumpFrom(QStringLiteral("Address to Management Frame of Search Frame"));
    ASSERT_GT(frame, 0);
    EXPECT_EQ(log, (windowtest::Log{"hex stream " + std::to_string(frame)}));
    EXPECT_EQ(fileNamePart(hex.Stream()->FileName()), "SRCH0001.KWI");

    // The search record lies in that file: its own addresses there only move the viewer.
    ASSERT_TRUE(waitUntil([&] { return tree()->rowCount(volume) == 1; }, 5000));
    page().treeView->setCurrentIndex(child(volume, 0));
    EXPECT_EQ(fileNamePart(hex.Stream()->FileName()), "SRCH0001.KWI");
    const int64_t data = jumpFrom(QStringLiteral("Address to the Category Data Frame"));
    ASSERT_GT(data, 0);
    EXPECT_EQ(log, (windowtest::Log{"hex goto " + std::to_string(data)}));
}

// The town's expansion entry and the declaration of the element frame it names hold a line break and other
// control bytes. Whatever is read, no control byte reaches a caption or a cell raw.
TEST_F(IndexGridsTest, BytesThatAreNotTextNeverReachACaptionOrACellRaw) {
    fixture::TownIndexFiles files = fixture::buildTownIndex();
    std::vector<uint8_t>& bytes = files.dataFile;
    for (const std::string& code : {std::string("ELM1"), std::string("ELMF")}) {
        const auto at = std::search(bytes.begin(), bytes.end(), code.begin(), code.end());
        ASSERT_NE(at, bytes.end()) << code;
        at[1] = '\n';
        at[2] = 0x01;
    }
    fixture::writeFile(spath("town/SRCH0001.KWI"), bytes);
    EXPECT_TRUE(window.Opening().Open(OpenTabController::Source::File, path("town/INDEXDAT.KWI")));
    const QModelIndex root = tree()->index(0, 0);
    page().treeView->expand(root);
    ASSERT_TRUE(waitUntil([&] { return tree()->rowCount(root) == 3; }, 5000));
    const QModelIndex expansion = child(root, 2);
    page().treeView->setCurrentIndex(expansion);
    ASSERT_TRUE(waitUntil([&] { return tree()->rowCount(expansion) == 1; }, 5000));
    const QModelIndex entry = child(expansion, 0);
    page().treeView->setCurrentIndex(entry);
    EXPECT_EQ(window.DataCommands().TreeModel()->Node(entry)->caption,
              QStringLiteral("E\n\x01") + QLatin1Char('1'));
    EXPECT_EQ(entry.data().toString(), QStringLiteral("E..1"));
    const auto control = [](const QString& text) {
        for (QChar c : text)
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)) return true;
        return false;
    };
    int raw = 0;
    const auto checkGrid = [&](const QAbstractItemModel* model, const char* what) {
        if (!model) return;
        for (int row = 0; row < std::min(model->rowCount(), 200); ++row)
            for (int column = 0; column < model->columnCount(); ++column)
                EXPECT_FALSE(control(model->index(row, column).data().toString()))
                    << what << " " << row << "," << column;
    };
    const FieldGridModel& rows = window.DataCommands().GridModel();
    for (int row = 0; row < rows.rowCount(); ++row)
        for (int column = 0; column < 3; ++column)
            raw += control(rows.CellText(row, column));
    checkGrid(&rows, "field grid");
    for (int item = 0; item < tree()->rowCount(entry); ++item) {
        const QModelIndex node = child(entry, item);
        EXPECT_FALSE(control(node.data().toString())) << item;
        page().treeView->setCurrentIndex(node);
        checkGrid(&window.DataCommands().GridModel(), "item grid");
        checkGrid(page().indexSheet->categoryGrid->model(), "category grid");
        checkGrid(page().indexSheet->matchingGrid->model(), "matching grid");
    }
    // The bytes read as text did hold control bytes.
    EXPECT_GT(raw, 0);
}

} // namespace
