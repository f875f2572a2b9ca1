// The map settings from the main window: the code page, font and language choices reaching the map view,
// the field grid, the tree and the hex viewer (and only the menus, globals and status panel without a
// map), the automatic choice, the road colour tables and class colours through the colour chooser, the
// swatches, density, scale filter, zoom buttons and the map element layers.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>

#include "WindowTestSupport.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/display/WindowsColor.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "platform/RegistrySettings.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "widgets/flat/FlatButton.h"

namespace {

using windowtest::WindowTest;

class MapSettingsMenuTest : public WindowTest {
protected:
    MapSettingsMenuTest() { window.SetHexViewer(&hex); }
    void TearDown() override {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
    }

    void openDisc(const fixture::SourceFolderPlan& plan = {}) {
        fixture::writeSourceFolder(spath("disc"), plan);
        ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    }
    // Shows the "ALL DATA" node in the field grid.
    void selectRoot() {
        QTreeView* tree = window.DataCommands().Page()->treeView;
        tree->setCurrentIndex(tree->model()->index(0, 0));
        ASSERT_NE(window.DataCommands().Tree().Current(), nullptr);
    }
    int count(const std::string& entry) const { return int(std::count(log.begin(), log.end(), entry)); }
    bool logged(const std::string& prefix) const {
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    }
    QString panel(int i) const { return window.MapCommands().Page()->panels[size_t(i)]->text(); }

    MainWindow window{services, &mapView};
};

TEST_F(MapSettingsMenuTest, WithoutAMapACodePageChangesOnlyMenusGlobalsAndTheStatusPanel) {
    EXPECT_EQ(panel(MapTabPresenter::kCodePagePanel), "UTF-8");
    log.clear();
    window.MapCommands().Menus()->CharsetItem(28595)->trigger();
    EXPECT_EQ(MapTextCodePage.load(), 28595);
    EXPECT_EQ(MapAnsiCodePage.load(), 1251);
    EXPECT_TRUE(window.MapCommands().Menus()->CharsetItem(28595)->isChecked());
    EXPECT_FALSE(window.MapCommands().Menus()->CharsetItem(65001)->isChecked());
    EXPECT_TRUE(window.MapCommands().Menus()->fontItems[7]->isChecked());
    EXPECT_EQ(panel(MapTabPresenter::kCodePagePanel), "ISO 8859-5");
    // Nothing is decoded again or shown again.
    EXPECT_EQ(mapView.NamesChangedCount(), 0);
    EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(MapSettingsMenuTest, ACodePageOutsideTheMenuChecksNothing) {
    window.Charset().SetMapCodePage(437, true);
    for (int codePage : MapCodePageChoice::kCodePages)
        EXPECT_FALSE(window.MapCommands().Menus()->CharsetItem(codePage)->isChecked()) << codePage;
    for (QAction* font : window.MapCommands().Menus()->fontItems)
        EXPECT_FALSE(font->isChecked());
    EXPECT_EQ(panel(MapTabPresenter::kCodePagePanel), "");
    EXPECT_EQ(MapTextCodePage.load(), 437);
    EXPECT_EQ(hex.codePageName, "");
}

TEST_F(MapSettingsMenuTest, WithAMapACodePageReachesEveryViewOfNames) {
    openDisc();
    selectRoot();
    log.clear();
    window.MapCommands().Menus()->CharsetItem(28592)->trigger();
    EXPECT_EQ(count("map names"), 1);
    EXPECT_EQ(hex.codePageName, "ISO 8859-2");
    // The hex viewer's characters are in the map text code page, as every view's names are.
    EXPECT_EQ(hex.displayCodePage, 28592);
    EXPECT_EQ(window.Data().map->CodePages().text, 28592);
    EXPECT_EQ(window.Data().map->CodePages().ansi, 1250);
    // The current node is shown again: the hex viewer is placed on it, the grid refilled.
    EXPECT_TRUE(logged("hex stream"));
    EXPECT_GT(window.DataCommands().GridModel().rowCount(), 0);
    EXPECT_EQ(panel(MapTabPresenter::kCodePagePanel), "ISO 8859-2");
}

TEST_F(MapSettingsMenuTest, TheAutomaticChoiceReachesTheMapAsItOpens) {
    openDisc();
    // "AFEU:2" maps are ISO 8859-1.
    EXPECT_TRUE(window.MapCommands().Menus()->CharsetItem(28591)->isChecked());
    EXPECT_EQ(window.Data().map->CodePages().text, 28591);
    EXPECT_EQ(window.Data().map->CodePages().ansi, 1252);
    EXPECT_EQ(hex.displayCodePage, 28591);
    EXPECT_EQ(panel(MapTabPresenter::kCodePagePanel), "ISO 8859-1");
}

TEST_F(MapSettingsMenuTest, CheckingAutoAgainChoosesTheMapsCodePage) {
    window.MapCommands().Menus()->autoItem->trigger();
    EXPECT_FALSE(window.MapCommands().Menus()->autoItem->isChecked());
    window.MapCommands().Menus()->CharsetItem(1251)->trigger();
    openDisc();
    EXPECT_EQ(MapTextCodePage.load(), 1251);
    log.clear();
    window.MapCommands().Menus()->autoItem->trigger();
    EXPECT_TRUE(window.MapCommands().Menus()->autoItem->isChecked());
    EXPECT_EQ(MapTextCodePage.load(), 28591);
    EXPECT_TRUE(window.MapCommands().Menus()->CharsetItem(28591)->isChecked());
    EXPECT_EQ(count("map names"), 1);
    // Unchecked, nothing changes.
    window.MapCommands().Menus()->autoItem->trigger();
    EXPECT_EQ(MapTextCodePage.load(), 28591);
    EXPECT_EQ(count("map names"), 1);
}

TEST_F(MapSettingsMenuTest, AFontSetsTheDisplayCodePageAndRefreshesWhenItChanged) {
    // The hex viewer starts in UTF-8, the map text code page at start-up; a font leaves it there.
    EXPECT_EQ(hex.displayCodePage, 65001);
    window.MapCommands().Menus()->fontItems[7]->trigger();
    EXPECT_EQ(MapAnsiCodePage.load(), 1251);
    EXPECT_EQ(hex.displayCodePage, 65001);
    EXPECT_EQ(mapView.NamesChangedCount(), 0);

    openDisc();
    log.clear();
    window.MapCommands().Menus()->fontItems[2]->trigger();
    EXPECT_EQ(MapAnsiCodePage.load(), 1250);
    EXPECT_EQ(window.Data().map->CodePages().ansi, 1250);
    EXPECT_EQ(MapTextCodePage.load(), 28591);
    EXPECT_EQ(hex.displayCodePage, 28591);
    EXPECT_EQ(count("map names"), 1);
    EXPECT_TRUE(window.MapCommands().Menus()->fontItems[2]->isChecked());
    // The same font again changes nothing.
    window.MapCommands().Menus()->fontItems[2]->trigger();
    EXPECT_EQ(count("map names"), 1);
    window.Charset().ChooseFont(10);
    EXPECT_TRUE(window.MapCommands().Menus()->fontItems[2]->isChecked());
}

TEST_F(MapSettingsMenuTest, ALanguageGoesIntoTheMapAndOntoTheLanguageButtons) {
    fixture::SourceFolderPlan plan;
    plan.localisation = true;
    openDisc(plan);
    log.clear();
    window.MapCommands().Menus()->LanguageItem(1)->trigger();
    EXPECT_EQ(window.Data().map->NameLanguage(), 1u);
    EXPECT_EQ(window.CodePages().DataLanguage(), 1u);
    EXPECT_EQ(window.DataCommands().Page()->langBtn1->text(), "RUS");
    EXPECT_EQ(window.DataCommands().Page()->langBtn2->text(), "RUS");
    EXPECT_TRUE(window.MapCommands().Menus()->LanguageItem(1)->isChecked());
    EXPECT_EQ(count("map names"), 1);
    window.Charset().ChooseLanguage(7);
    EXPECT_EQ(window.Data().map->NameLanguage(), 1u);
    window.CloseAll();
    EXPECT_EQ(window.CodePages().DataLanguage(), 0u);
}

TEST_F(MapSettingsMenuTest, RoadColourTablesGoToTheMapView) {
    window.MapCommands().Menus()->roadTableItems[0]->trigger();
    EXPECT_EQ(window.MapCommands().Menus()->roadTableItems[0]->text(), "Default AISIN");
    EXPECT_EQ(mapView.RoadColors()[5], 0x2D52FFu);
    EXPECT_EQ(mapView.RoadColors()[7], 0x13E7ECu);
    window.MapCommands().Menus()->roadTableItems[1]->trigger();
    EXPECT_EQ(mapView.RoadColors()[5], 0xEBDA01u);
    EXPECT_EQ(mapView.RoadColors()[3], 0x9224FFu);
    window.MapCommands().Menus()->roadTableItems[2]->trigger();
    EXPECT_EQ(mapView.RoadColors()[5], 0x67B6F5u);
    EXPECT_EQ(mapView.RoadColors()[15], 0xC6C600u);
    EXPECT_EQ(window.MapCommands().Menus()->roadClassItems[14]->text(), "Under-construction/ Planning");
    EXPECT_EQ(window.MapCommands().Menus()->roadClassItems[14]->data().toInt(), 14);
    EXPECT_EQ(window.MapCommands().Menus()->roadTableItems[2]->data().toInt(), -1);
}

TEST_F(MapSettingsMenuTest, AClassColourIsChosenFromItsCurrentOne) {
    window.MapCommands().Menus()->roadTableItems[0]->trigger();
    colors.answer = QColor(0x11, 0x22, 0x33);
    window.MapCommands().Menus()->roadClassItems[5]->trigger();
    ASSERT_EQ(colors.initials.size(), 1);
    EXPECT_EQ(colors.initials[0], winColor(0x2D52FF));
    EXPECT_EQ(mapView.RoadColors()[5], 0x332211u);
    // Cancelled: the colour stays.
    colors.answer.reset();
    window.MapCommands().Menus()->roadClassItems[5]->trigger();
    EXPECT_EQ(mapView.RoadColors()[5], 0x332211u);
    // Classes and tables the menu does not have change nothing.
    const auto before = mapView.RoadColors();
    window.MapCommands().ChooseRoadClass(16);
    window.MapCommands().ChooseRoadClass(-1);
    window.MapCommands().ChooseRoadTable(3);
    EXPECT_EQ(mapView.RoadColors(), before);
    EXPECT_EQ(colors.initials.size(), 2);
}

TEST_F(MapSettingsMenuTest, TheSettingsMenuShowsASwatchOfEachClassColour) {
    window.MapCommands().Menus()->roadTableItems[0]->trigger();
    emit window.MapCommands().Menus()->settingsMenu->aboutToShow();
    for (int roadClass : {0, 5, 15}) {
        const QImage swatch =
            window.MapCommands().Menus()->roadClassItems[size_t(roadClass)]->icon().pixmap(16, 16).toImage();
        ASSERT_FALSE(swatch.isNull());
        EXPECT_EQ(swatch.pixelColor(7, 7), winColor(mapView.RoadColors()[size_t(roadClass)])) << roadClass;
    }
}

TEST_F(MapSettingsMenuTest, DensityScaleFilterGridAndZoomButtons) {
    window.MapCommands().Menus()->doubleDensityItem->trigger();
    EXPECT_EQ(mapView.ScaleDensity(), 8);
    window.MapCommands().Menus()->doubleDensityItem->trigger();
    EXPECT_EQ(mapView.ScaleDensity(), 4);
    EXPECT_TRUE(window.MapCommands().Menus()->dispScaleFilterItem->isChecked());
    window.MapCommands().Menus()->dispScaleFilterItem->trigger();
    EXPECT_FALSE(mapView.UseDisplayScale());
    window.MapCommands().Menus()->drawGridItem->trigger();
    EXPECT_TRUE(mapView.DrawGrid());

    MapPage* page = window.MapCommands().Page();
    EXPECT_FALSE(page->upDown->isVisibleTo(page));
    window.MapCommands().Menus()->upDownItem->trigger();
    EXPECT_TRUE(page->upDown->isVisibleTo(page));
    page->zoomInButton->click();
    page->zoomInButton->click();
    page->zoomOutButton->click();
    EXPECT_EQ(mapView.ZoomIns(), 2);
    EXPECT_EQ(mapView.ZoomOuts(), 1);
    window.MapCommands().Menus()->upDownItem->trigger();
    EXPECT_FALSE(page->upDown->isVisibleTo(page));
}

TEST_F(MapSettingsMenuTest, MapElementsSetTheLayerMaskFromEveryCheck) {
    WindowMenus* menus = window.MapCommands().Menus();
    EXPECT_TRUE(menus->backgroundItem->isChecked());
    EXPECT_FALSE(menus->objectNamesItem->isChecked());
    menus->objectNamesItem->trigger();
    EXPECT_EQ(mapView.Layers(), 1 | 2 | 4 | 8);
    menus->tmcItem->trigger();
    EXPECT_EQ(mapView.Layers(), 1 | 2 | 4 | 8 | 32);
    menus->roadsItem->trigger();
    EXPECT_EQ(mapView.Layers(), 1 | 4 | 8 | 32);
    EXPECT_EQ(log.back(), "map layers 45 repaint");
    // A new map draws layers 7: the checks follow it.
    openDisc();
    EXPECT_EQ(mapView.Layers(), 7);
    EXPECT_TRUE(menus->roadsItem->isChecked());
    EXPECT_FALSE(menus->objectNamesItem->isChecked());
    EXPECT_FALSE(menus->tmcItem->isChecked());
    menus->routeItem->trigger();
    EXPECT_EQ(mapView.Layers(), 7 | 16);
}

} // namespace
