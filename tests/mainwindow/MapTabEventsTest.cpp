// The Map tab's widgets answering the map view: status panels and the level table filled by its events,
// the explore button and division picture of a selection, the world overview showing exactly one frame of
// the current viewport, the walk from a selected parcel into the record tree (twice into one block, and
// stopping cleanly at a missing block), hints and the pop-up menus.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>

#include "WindowTestSupport.h"
#include "kiwi/core/MapCodePage.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/WorldOverviewImage.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mainwindow/model/WorldOverview.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "widgets/flat/FlatButton.h"

namespace {

using windowtest::WindowTest;

constexpr int32_t kEighthsPerDegree = 28800;

class MapTabEventsTest : public WindowTest {
protected:
    MapTabEventsTest() {
        window.SetHexViewer(&hex);
        window.show();
    }
    void TearDown() override {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
    }

    void openDisc() {
        fixture::writeSourceFolder(spath("disc"));
        ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    }
    QString panel(int i) const { return window.MapCommands().Page()->panels[size_t(i)]->text(); }
    QString cell(int row, int column) const {
        return window.MapCommands().Page()->stringGrid2->item(row, column)->text();
    }

    // A parcel of level 0 of the fixture map (2 × 1 block sets of 2 × 2 blocks of 2 × 2 parcels).
    static TLN_ParcelNumber parcel(uint8_t setX, uint8_t blockX, uint8_t parcelX, uint8_t parcelY) {
        TLN_ParcelNumber number;
        number.BlockSetX = setX;
        number.BlockX = blockX;
        number.ParcelX = parcelX;
        number.ParcelY = parcelY;
        return number;
    }
    void select(const TLN_ParcelNumber& number) {
        mapView.SetSelectionState(true, number);
        mapView.FireSelectionChanged();
    }
    QStringList children(const RecordNode& node) const {
        QStringList captions;
        for (const auto& child : node.children)
            captions << child->caption;
        return captions;
    }

    MainWindow window{services, &mapView};
};

TEST_F(MapTabEventsTest, ANewMapFillsTheStatusPanelsAndTheLevelTable) {
    EXPECT_EQ(cell(0, 0), "Item name");
    EXPECT_EQ(cell(0, 3), "Number");
    EXPECT_EQ(cell(1, 0), "");
    openDisc();
    // The view reported level 0, no selection, its scale and viewport.
    EXPECT_EQ(panel(MapTabPresenter::kLevelPanel), QStringLiteral("Уровень 0"));
    EXPECT_EQ(panel(MapTabPresenter::kScalePanel), QStringLiteral("Масштаб "));
    EXPECT_EQ(panel(MapTabPresenter::kFlagsPanel), "Display Scale Flag ");
    EXPECT_EQ(cell(1, 0), "Level");
    EXPECT_EQ(cell(1, 3), "0");
    EXPECT_EQ(cell(3, 0), "BlockSets");
    EXPECT_EQ(cell(3, 1), "2");
    EXPECT_EQ(cell(3, 2), "1");
    EXPECT_EQ(cell(6, 0), "Blocks in Bl.Set");
    EXPECT_EQ(cell(9, 0), "Parcels in Block");
    EXPECT_FALSE(window.MapCommands().Page()->exploreParcelButton->isEnabled());

    mapView.SetScaleState(QStringLiteral("1:5 km"), 8);
    mapView.FireScaleChanged();
    EXPECT_EQ(panel(MapTabPresenter::kScalePanel), QStringLiteral("Масштаб 1:5 km"));
    EXPECT_EQ(panel(MapTabPresenter::kFlagsPanel), "Display Scale Flag 2");
    mapView.FirePosChanged({10 * kEighthsPerDegree, -20 * kEighthsPerDegree});
    EXPECT_EQ(panel(MapTabPresenter::kLatitudePanel), "S20*0'0,0");
    EXPECT_EQ(panel(MapTabPresenter::kLongitudePanel), "E10*0'0,0");
}

TEST_F(MapTabEventsTest, ASelectionEnablesExploringAndShowsTheDivision) {
    openDisc();
    TLN_ParcelNumber divided = parcel(0, 0, 1, 0);
    divided.Kind = 1;
    divided.CountX = 2;
    divided.CountY = 2;
    divided.SubX = 1;
    select(divided);
    EXPECT_TRUE(window.MapCommands().Page()->exploreParcelButton->isEnabled());
    EXPECT_EQ(panel(MapTabPresenter::kKindPanel), "Divided Parcel");
    EXPECT_EQ(cell(10, 0), "Parcel");
    EXPECT_EQ(cell(10, 3), "1");
    EXPECT_EQ(cell(12, 0), "Division Type");
    EXPECT_EQ(cell(13, 3), "1");
    ASSERT_FALSE(window.MapCommands().Page()->divisionImage->pixmap().isNull());

    select(parcel(0, 0, 0, 0));
    EXPECT_EQ(panel(MapTabPresenter::kKindPanel), "Regular Parcel");
    EXPECT_EQ(cell(12, 0), "");
    EXPECT_TRUE(window.MapCommands().Page()->divisionImage->pixmap().isNull());

    mapView.SetSelectionState(false);
    mapView.FireSelectionChanged();
    EXPECT_FALSE(window.MapCommands().Page()->exploreParcelButton->isEnabled());
    EXPECT_EQ(cell(10, 0), "");
}

// Whether the frame's pen inverted the picture at a point of the frame's edge (the pen of width 2 covers
// the edge's pixel and its neighbour above or to the left).
bool invertedAt(const QImage& shown, const QImage& world, QPoint point, bool horizontal) {
    const QPoint before = horizontal ? point - QPoint(0, 1) : point - QPoint(1, 0);
    for (QPoint p : {point, before})
        if ((shown.pixel(p) & 0xFFFFFFu) == (~world.pixel(p) & 0xFFFFFFu)) return true;
    return false;
}

TEST_F(MapTabEventsTest, TheOverviewShowsExactlyOneFrameOfTheCurrentViewport) {
    openDisc();
    WorldOverviewImage* overview = window.MapCommands().Page()->mapImage;
    const QImage world = MakeWorldPicture(overview->size());
    auto framed = [&](const MapViewPort& port) {
        mapView.SetViewPortState(port);
        mapView.FireViewPortChanged();
        EXPECT_EQ(overview->ViewPort(), port);
        return overview->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    // 260 × 130 pixels: 0..36 E, 54..36 N is x 130..156, y 26..39, framed 2 pixels outside.
    const MapViewPort first{0, 54 * kEighthsPerDegree, 36 * kEighthsPerDegree, 36 * kEighthsPerDegree};
    const QRect at = OverviewFrame(first, overview->size());
    EXPECT_EQ(at, QRect(QPoint(128, 24), QPoint(158, 41)));
    QImage shown = framed(first);
    const QPoint edge(143, at.top());
    EXPECT_TRUE(invertedAt(shown, world, edge, true));
    EXPECT_EQ(shown.pixel(143, 32), world.pixel(143, 32));

    // Panned: the first frame is gone, the second shown.
    const MapViewPort second{-90 * kEighthsPerDegree, 0, -54 * kEighthsPerDegree, -18 * kEighthsPerDegree};
    shown = framed(second);
    for (QPoint p : {edge, edge - QPoint(0, 1)})
        EXPECT_EQ(shown.pixel(p), world.pixel(p));
    const QRect there = OverviewFrame(second, overview->size());
    EXPECT_TRUE(invertedAt(shown, world, QPoint(there.center().x(), there.bottom()), true));
    EXPECT_TRUE(invertedAt(shown, world, QPoint(there.left(), there.center().y()), false));
    int differing = 0;
    for (int y = 0; y < world.height(); ++y)
        for (int x = 0; x < world.width(); ++x)
            if (shown.pixel(x, y) != world.pixel(x, y)) ++differing;
    // One frame of pen width 2 around that rectangle, no more.
    const int perimeter = 2 * (there.width() + there.height());
    EXPECT_GT(differing, perimeter);
    EXPECT_LT(differing, 3 * perimeter);

    // The whole world: the frame lies outside the picture, and is drawn along its edges to be seen.
    shown = framed(
        {-180 * kEighthsPerDegree, 90 * kEighthsPerDegree, 180 * kEighthsPerDegree, -90 * kEighthsPerDegree});
    EXPECT_TRUE(invertedAt(shown, world, QPoint(1, 65), false));
    EXPECT_EQ(shown.pixel(130, 65), world.pixel(130, 65));

    window.CloseAll();
    EXPECT_FALSE(overview->ViewPort());
    EXPECT_EQ(overview->grab().toImage().convertToFormat(QImage::Format_RGB32), world);
    EXPECT_EQ(panel(MapTabPresenter::kLevelPanel), "");
    EXPECT_EQ(panel(MapTabPresenter::kCodePagePanel), "UTF-8");
}

TEST_F(MapTabEventsTest, ExploringWalksToTheParcelsNodeAndShowsIt) {
    openDisc();
    windowtest::tabsOf(window)->setCurrentWidget(window.MapCommands().Page());
    select(parcel(0, 1, 0, 1));
    window.MapCommands().Page()->exploreParcelButton->click();
    EXPECT_EQ(windowtest::tabsOf(window)->currentWidget(), window.DataCommands().Page());
    const RecordNode* current = window.DataCommands().Tree().Current();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->caption, "Parcel 2");
    EXPECT_EQ(current->kind, 14);
    EXPECT_EQ(current->parent->caption, "Block 1");
    EXPECT_EQ(window.DataCommands().Page()->treeView->currentIndex(),
              window.DataCommands().TreeModel()->IndexOf(current));
    EXPECT_TRUE(window.DataCommands().Page()->treeView->isExpanded(
        window.DataCommands().TreeModel()->IndexOf(current->parent)));
    EXPECT_GT(window.DataCommands().GridModel().rowCount(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A second parcel of the same block: only its node stays.
    const RecordNode* block = current->parent;
    select(parcel(0, 1, 0, 0));
    window.MapCommands().ExploreParcel();
    ASSERT_NE(window.DataCommands().Tree().Current(), nullptr);
    EXPECT_EQ(window.DataCommands().Tree().Current()->caption, "Parcel 0");
    EXPECT_EQ(children(*block), QStringList{"Parcel 0"});
}

TEST_F(MapTabEventsTest, TheMapMenuSelectsUnderTheMouseBeforeWalking) {
    openDisc();
    // Nothing under the mouse: no walk.
    window.MapCommands().ExploreParcelAt(QPoint(5, 6));
    EXPECT_EQ(window.DataCommands().Tree().Current(), nullptr);
    ASSERT_EQ(mapView.Clicks().size(), 1u);
    EXPECT_EQ(mapView.Clicks()[0], QPoint(5, 6));

    mapView.PlaceParcel(parcel(0, 0, 0, 1));
    window.MapCommands().ExploreParcelAt(QPoint(40, 50));
    EXPECT_TRUE(window.MapCommands().Page()->exploreParcelButton->isEnabled());
    ASSERT_NE(window.DataCommands().Tree().Current(), nullptr);
    EXPECT_EQ(window.DataCommands().Tree().Current()->caption, "Parcel 2");
    EXPECT_EQ(window.DataCommands().Tree().Current()->parent->caption, "Block 0");
}

TEST_F(MapTabEventsTest, AWalkToAMissingBlockStopsCleanly) {
    openDisc();
    // Block set 1's block 1 is absent from the fixture map.
    select(parcel(1, 1, 0, 0));
    window.MapCommands().ExploreParcel();
    EXPECT_EQ(windowtest::tabsOf(window)->currentWidget(), window.DataCommands().Page());
    EXPECT_EQ(window.DataCommands().Tree().Current(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window.DataCommands().Page()->treeView->updatesEnabled());
    EXPECT_TRUE(messenger.errors.isEmpty());
    // Without a selection the button does nothing.
    windowtest::tabsOf(window)->setCurrentWidget(window.MapCommands().Page());
    mapView.SetSelectionState(false);
    window.MapCommands().ExploreParcel();
    EXPECT_EQ(windowtest::tabsOf(window)->currentWidget(), window.MapCommands().Page());
}

TEST_F(MapTabEventsTest, HintsShowTheViewsTextWithoutCarriageReturns) {
    mapView.SetHint(QStringLiteral("Level: 0\n\rBlock Set: 0\n\rBlock: 0\n\rParcel: 0"));
    EXPECT_EQ(window.MapCommands().HintAt(QPoint(3, 4)), "Level: 0\nBlock Set: 0\nBlock: 0\nParcel: 0");
    mapView.SetHint(std::nullopt);
    EXPECT_EQ(window.MapCommands().HintAt(QPoint(3, 4)), "");
}

TEST_F(MapTabEventsTest, ClickingTheStatusBarOpensTheCharsetMenu) {
    openDisc();
    windowtest::tabsOf(window)->setCurrentWidget(window.MapCommands().Page());
    QStatusBar* bar = window.MapCommands().Page()->statusBar;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
    QMenu* charset = window.MapCommands().Menus()->charsetMenu;
    EXPECT_TRUE(charset->isVisible());
    charset->close();

    emit window.DataCommands().Page()->dbSettingsBtn1->clicked();
    EXPECT_TRUE(charset->isVisible());
    charset->close();
    emit window.DataCommands().Page()->langBtn1->clicked();
    EXPECT_TRUE(window.MapCommands().Menus()->languageMenu->isVisible());
    window.MapCommands().Menus()->languageMenu->close();
    window.MapCommands().PopupSettings();
    EXPECT_TRUE(window.MapCommands().Menus()->settingsMenu->isVisible());
    window.MapCommands().Menus()->settingsMenu->close();
}

} // namespace
