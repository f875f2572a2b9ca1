// Pictures of the main window's tabs for a person to review: each must show something (not one colour),
// and with STROVANE_SCREENSHOT_DIR set they are saved there as PNG files.
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>

#include "WindowTestSupport.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/IndexTablesSheet.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/PictureFixture.h"
#include "support/fixtures/RegionFixture.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "support/fixtures/TownIndex.h"
#include "support/window/HexViewPlaceholder.h"
#include "support/window/MapViewPlaceholder.h"
#include "widgets/flat/FlatButton.h"

namespace {

using windowtest::WindowTest;

bool uniform(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first) return false;
    return true;
}

void keep(const QImage& image, const char* name) {
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    image.save(QString::fromLocal8Bit(folder) + "/" + name);
}

class ScreenshotTest : public WindowTest {};

TEST_F(ScreenshotTest, TabsShowTheirContent) {
    fixture::writeSourceFolder(spath("disc"));
    // A route planning file with a long region list, which the map's region header names.
    fixture::writeRegionData(fixture::buildRegionData(fixture::manyRegionsPlan(1200)), spath("disc"));
    ReopenList list;
    for (const char* p : {"/media/cdrom", "/home/user/Навигация/Европа 2012/ALLDATA.KWI"})
        list.Add(QString::fromUtf8(p));
    list.Add(path("disc"));

    HexViewPlaceholder hexWindow;
    // The placeholder map view, whose events the test fires; the Map tab takes it into its layout, so the
    // window deletes it.
    auto* shownMap = new MapViewPlaceholder();
    MainWindow window(services, shownMap);
    window.SetHexViewer(&hexWindow);
    window.show();
    window.Opening().OnReopenChanged();
    window.Opening().FinishReopenAnimation();
    const QImage open = window.grab().toImage();
    EXPECT_FALSE(uniform(open));
    keep(open, "open-tab.png");

    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    const RecordNode* first = window.DataCommands().Tree().Roots().front().get();
    window.DataCommands().Page()->treeView->setCurrentIndex(
        window.DataCommands().TreeModel()->IndexOf(first));
    const QImage data = window.grab().toImage();
    EXPECT_FALSE(uniform(data));
    keep(data, "data-tab.png");
    EXPECT_TRUE(windowtest::tabShown(window, &hexWindow));

    // "ALL DATA" expanded, the paged region list down to its ". . . . ." node, a region selected, and
    // below its record every kind of row the grid draws (section and sub-headers, a swatch, a Help link).
    QTreeView* tree = window.DataCommands().Page()->treeView;
    QAbstractItemModel* model = tree->model();
    auto child = [&](const QModelIndex& parent, const QString& caption) {
        for (int row = 0; row < model->rowCount(parent); ++row)
            if (model->index(row, 0, parent).data().toString() == caption)
                return model->index(row, 0, parent);
        return QModelIndex();
    };
    const QModelIndex regionData = child(child({}, "ALL DATA"), "Region Data");
    tree->expand(regionData);
    const QModelIndex level = child(regionData, "Level 1");
    tree->expand(level);
    ASSERT_EQ(model->rowCount(level), 500);
    tree->setCurrentIndex(model->index(497, 0, level));
    tree->scrollTo(model->index(499, 0, level));
    FieldGrid grid(window.DataCommands().GridModel());
    grid.AddSectionHeader(QStringLiteral("Route Planning Region Record"));
    grid.SetHelpLink(QStringLiteral("KIWI/RoutePlanning.pdf"));
    grid.AddSectionHeaderOffset(QStringLiteral("Region Frame"), QString(), 0x1234);
    grid.AddWordRow(QStringLiteral("Region Number"), QStringLiteral("remark"), 497);
    grid.AddSubHeader(QStringLiteral("Sub-record"), QStringLiteral("value"));
    grid.AddColorRow(QStringLiteral("Colour"), 0x0000FF);
    grid.AddHexDecRow(QStringLiteral("Offset to Frame"), QStringLiteral("Address"), 0x2000);
    const QImage regions = window.grab().toImage();
    EXPECT_FALSE(uniform(regions));
    keep(regions, "data-tab-regions.png");

    windowtest::tabsOf(window)->setCurrentWidget(&hexWindow);
    keep(window.grab().toImage(), "hex-tab.png");
    // The Map tab with the placeholder view: the level table, status panels, a divided parcel selected
    // with its division picture, and the viewport framed on the world overview.
    windowtest::tabsOf(window)->setCurrentWidget(window.MapCommands().Page());
    auto* view = dynamic_cast<StoredMapView*>(window.MapCommands().View());
    ASSERT_NE(view, nullptr);
    view->SetScaleState(QStringLiteral("1:200 m"), 4);
    view->FireScaleChanged();
    view->FirePosChanged({-20000, 1450000});
    TLN_ParcelNumber divided;
    divided.ParcelX = 1;
    divided.Kind = 1;
    divided.CountX = 2;
    divided.CountY = 2;
    divided.SubX = 1;
    view->SetSelectionState(true, divided);
    view->FireSelectionChanged();
    // A viewport over Europe, so the frame stands clear of the picture's edges.
    view->SetViewPortState({-10 * 28800, 60 * 28800, 30 * 28800, 36 * 28800});
    view->FireViewPortChanged();
    const QImage map = window.grab().toImage();
    EXPECT_FALSE(uniform(map));
    keep(map, "map-tab.png");
}

// A road record and a background record of a parcel, as the Data tab shows them when selected.
TEST_F(ScreenshotTest, ParcelRecordsShowTheirRows) {
    fixture::writeAllData(fixture::buildAllData(fixture::framesAllDataPlan()), spath("frames"));
    HexViewPlaceholder hexWindow;
    MainWindow window(services);
    window.SetHexViewer(&hexWindow);
    window.resize(1280, 900);
    window.show();
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("frames")));
    QTreeView* tree = window.DataCommands().Page()->treeView;
    QAbstractItemModel* model = tree->model();
    // Expands along the captions and selects the last.
    auto select = [&](const QStringList& captions) {
        QModelIndex index;
        for (const QString& caption : captions) {
            tree->expand(index);
            QModelIndex next;
            for (int row = 0; row < model->rowCount(index) && !next.isValid(); ++row)
                if (model->index(row, 0, index).data().toString() == caption)
                    next = model->index(row, 0, index);
            if (!next.isValid()) return false;
            index = next;
        }
        tree->setCurrentIndex(index);
        tree->scrollTo(index);
        return true;
    };
    const QStringList parcel{"ALL DATA", "Map Data", "Level 0", "BlockSet 0", "Block 0", "Parcel 0"};
    ASSERT_TRUE(select(parcel + QStringList{"Roads", "Display Class 0", "MultiLink 0", "Node 0"}));
    EXPECT_EQ(window.DataCommands().GridModel().CellText(0, 0),
              QStringLiteral("         < Link/Node Connection Information >"));
    const QImage road = window.grab().toImage();
    EXPECT_FALSE(uniform(road));
    keep(road, "data-tab-road.png");

    ASSERT_TRUE(select(parcel + QStringList{"Background", "Display Class 0", "Areas", "Object 0"}));
    EXPECT_EQ(window.DataCommands().GridModel().CellText(0, 0),
              QStringLiteral("         < Minimum Graphics Data Record >"));
    const QImage background = window.grab().toImage();
    EXPECT_FALSE(uniform(background));
    keep(background, "data-tab-background.png");
}

// The records of the data parts: a region with its frame headers, an index search record with its
// category and matching tables and their counts, a picture over the grid, a voice table with its play
// button.
TEST_F(ScreenshotTest, DataPartsShowTheirRecords) {
    fixture::SourceFolderPlan plan;
    plan.dataParts = true;
    fixture::writeSourceFolder(spath("parts"), plan);
    // A picture large enough to look at, in the file the picture list names first.
    fixture::PictureFile pictures;
    pictures.topImageId = 0x100;
    pictures.paletteSets = {{0, 0, 0, 0}};
    std::vector<int> indices;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 160; ++x)
            indices.push_back(((x / 20) + (y / 20)) % 4);
    pictures.images.push_back(
        {2, 0, false, 0, 0, 160, 80, 0, 0,
         fixture::makeGif(160, 80, indices, {0x204080, 0xE0C020, 0x20A040, 0xC03030}, -1)});
    fixture::writeFile(spath("parts/PICT0001.KWI"), fixture::buildPictureFile(pictures));
    const fixture::TownIndexFiles town = fixture::buildTownIndex();
    fixture::writeFile(spath("town/INDEXDAT.KWI"), town.index);
    fixture::writeFile(spath("town/SRCH0001.KWI"), town.dataFile);

    MainWindow window(services);
    window.show();
    QTreeView* tree = window.DataCommands().Page()->treeView;
    QAbstractItemModel* model = tree->model();
    auto child = [&](const QModelIndex& parent, const QString& caption) {
        tree->expand(parent);
        for (int row = 0; row < model->rowCount(parent); ++row)
            if (model->index(row, 0, parent).data().toString() == caption)
                return model->index(row, 0, parent);
        ADD_FAILURE() << "no " << caption.toStdString();
        return QModelIndex();
    };
    auto shoot = [&](const QModelIndex& node, const char* name) {
        tree->setCurrentIndex(node);
        tree->scrollTo(node);
        const QImage image = window.grab().toImage();
        EXPECT_FALSE(uniform(image)) << name;
        keep(image, name);
    };

    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("parts")));
    const QModelIndex allData = child({}, "ALL DATA");
    shoot(child(allData, "Map Data"), "data-main-map-management.png");
    shoot(child(child(child(allData, "Region Data"), "Level 0"), "Region 0"), "data-region.png");
    const QModelIndex images = child(child(child(allData, "Picture Data"), "PICT0001.KWI"), "Image Data");
    shoot(child(images, "Image Data 256"), "data-picture.png");
    EXPECT_TRUE(window.DataCommands().Page()->graphicPanel->isVisible());
    const QModelIndex voice = child(child(child(allData, "Voice Data"), "Language 0 (ENG)"), "Item 0");
    shoot(child(voice, "Record 0"), "data-voice.png");
    EXPECT_TRUE(window.DataCommands().Page()->playSpeedBtn->isVisible());
    EXPECT_TRUE(window.DataCommands().Page()->stopSpeedBtn->isVisible());

    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::File, path("town/INDEXDAT.KWI")));
    const QModelIndex volume = child(child({}, "INDEXDAT"), "VOL1");
    tree->setCurrentIndex(volume);
    ASSERT_TRUE(windowtest::waitUntil([&] { return model->rowCount(volume) == 1; }, 5000));
    shoot(child(volume, "Item 0"), "data-index-tables.png");
    EXPECT_EQ(window.DataCommands().Page()->innerTabs->currentWidget(),
              window.DataCommands().Page()->matchingSheet);
}

// The tree of a disc whose absent parts are stored with the all-ones address: "ALL DATA" lists every
// header of the table, and one of them is selected.
TEST_F(ScreenshotTest, AbsentHeadersStoredAsAllOnesAreListed) {
    fixture::writeSourceFolder(spath("disc"));
    MainWindow window(services, &mapView);
    window.resize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight);
    window.show();
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    QTreeView* tree = window.DataCommands().Page()->treeView;
    QAbstractItemModel* model = tree->model();
    QModelIndex allData;
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 0).data().toString() == QStringLiteral("ALL DATA"))
            allData = model->index(row, 0);
    ASSERT_TRUE(allData.isValid());
    EXPECT_EQ(model->rowCount(allData), 64);
    // A valid disc: no part is in error, but for the index part, which the fixture fills with bytes that
    // are no index data.
    for (int row = 0; row < model->rowCount(allData); ++row)
        EXPECT_EQ(row == 2,
                  model->index(row, 0, allData).data().toString().endsWith(QStringLiteral("(Error)")))
            << row;
    const QModelIndex absent = model->index(7, 0, allData);
    EXPECT_EQ(absent.data().toString(), QStringLiteral("Management 8"));
    tree->setCurrentIndex(absent);
    const QImage image = window.grab().toImage();
    EXPECT_FALSE(uniform(image));
    keep(image, "data-absent-headers.png");
}

// The next-level view of a category row of the town's search record, which has no next-level data: its
// sections are empty and no table opens.
TEST_F(ScreenshotTest, TheNextLevelViewWithoutNextLevelDataShowsItsSectionsEmpty) {
    const fixture::TownIndexFiles files = fixture::buildTownIndex();
    fixture::writeFile(spath("town/INDEXDAT.KWI"), files.index);
    fixture::writeFile(spath("town/SRCH0001.KWI"), files.dataFile);
    MainWindow window(services, &mapView);
    window.resize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight);
    window.show();
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::File, path("town/INDEXDAT.KWI")));
    QTreeView* tree = window.DataCommands().Page()->treeView;
    QAbstractItemModel* model = tree->model();
    const QModelIndex root = model->index(0, 0);
    tree->expand(root);
    ASSERT_TRUE(windowtest::waitUntil([&] { return model->rowCount(root) == 3; }, 5000));
    const QModelIndex volume = model->index(0, 0, root);
    tree->setCurrentIndex(volume);
    ASSERT_TRUE(windowtest::waitUntil([&] { return model->rowCount(volume) == 1; }, 5000));
    const QModelIndex record = model->index(0, 0, volume);
    tree->setCurrentIndex(record);
    ASSERT_TRUE(windowtest::waitUntil([&] { return model->rowCount(record) == 5; }, 5000));
    QTableView* grid = window.DataCommands().Page()->indexSheet->categoryGrid;
    emit grid->doubleClicked(grid->model()->index(3, 1));
    ASSERT_TRUE(
        windowtest::waitUntil([&] { return tree->currentIndex() == model->index(3, 0, record); }, 5000));
    const QImage info = window.grab().toImage();
    EXPECT_FALSE(uniform(info));
    keep(info, "data-next-level.png");
}

} // namespace
