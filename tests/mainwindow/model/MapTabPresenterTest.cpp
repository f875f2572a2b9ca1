// The Map tab's answers to the map view's events: the status panels, the level table of the fixture map's
// levels, the selected parcel's rows and division picture (a regular parcel clearing what a divided one
// showed), the explore button's state and the viewport framed on the world overview.
#include <gtest/gtest.h>

#include "kiwi/display/GridBitmaps.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/QtPrinting.h"

namespace {

// The state a map view reports, set by the tests.
class FakeMapView : public MapViewApi {
public:
    QWidget* Widget() override { return nullptr; }
    void SetEvents(MapViewEvents*) override {}
    void SetMap(std::shared_ptr<TLN_KiwiMap>) override {}
    void SetRegionManager(std::shared_ptr<TLN_RegionManager>) override {}
    bool Active() const override { return active; }
    std::array<uint32_t, 16> RoadColors() const override { return {}; }
    void SetRoadColors(const std::array<uint32_t, 16>&) override {}
    void SetRoadColor(int, uint32_t) override {}
    bool DrawGrid() const override { return false; }
    void SetDrawGrid(bool) override {}
    int ScaleDensity() const override { return 4; }
    void SetScaleDensity(int) override {}
    bool UseDisplayScale() const override { return true; }
    void SetUseDisplayScale(bool) override {}
    int Layers() const override { return 7; }
    void SetLayers(int, bool) override {}
    void ZoomIn() override {}
    void ZoomOut() override {}
    int Level() const override { return level; }
    int Zoom() const override { return 1; }
    QString ScaleLabel() const override { return scaleLabel; }
    uint8_t DisplayScaleFlag() const override { return flag; }
    bool SelectionShown() const override { return false; }
    TLN_ParcelNumber SelectedParcel() const override { return {}; }
    void ClickAt(QPoint) override {}
    MapViewPort ViewPort() const override { return port; }
    std::optional<QString> HintTextAt(QPoint) const override { return std::nullopt; }
    void NamesChanged() override {}

    bool active = true;
    int level = 0;
    QString scaleLabel;
    uint8_t flag = 0;
    MapViewPort port;
};

class MapTabPresenterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto image = fixture::buildAllData(fixture::smallAllDataPlan());
        path_ = fixture::writeAllData(image, fixture::scratchDir("map-tab-presenter"));
    }

    MapTabPresenterTest() {
        map_ = std::make_shared<TLN_KiwiMap>(path_);
        presenter.SetMap(map_);
    }

    QStringList row(int r) const {
        QStringList cells;
        for (int c = 0; c < MapTabPresenter::kColumns; ++c)
            cells << presenter.Cell(r, c);
        return cells;
    }

    // A parcel of level 0 of the fixture map: block set (1, 0), block (1, 1), parcel (0, 1).
    static TLN_ParcelNumber parcel(uint8_t kind) {
        TLN_ParcelNumber number;
        number.BlockSetX = 1;
        number.BlockX = 1;
        number.BlockY = 1;
        number.ParcelY = 1;
        number.Kind = kind;
        return number;
    }

    static std::string path_;
    std::shared_ptr<TLN_KiwiMap> map_;
    FakeMapView view;
    MapTabPresenter presenter{view};
};

std::string MapTabPresenterTest::path_;

TEST_F(MapTabPresenterTest, TheTableStartsWithItsHeaderOnly) {
    EXPECT_EQ(row(0), (QStringList{"Item name", "Longitude", "Latitude", "Number"}));
    for (int r = 1; r < MapTabPresenter::kRows; ++r)
        EXPECT_EQ(row(r), (QStringList{"", "", "", ""})) << r;
    EXPECT_FALSE(presenter.ExploreEnabled());
    EXPECT_FALSE(presenter.Frame());
}

TEST_F(MapTabPresenterTest, ALevelChangeShowsTheLevelAndItsDivisionCounts) {
    view.level = 1;
    presenter.PosChanged({100, 200});
    presenter.SelectionChanged(true, parcel(1));
    presenter.LevelChanged();
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kLevelPanel), QStringLiteral("Уровень 1"));
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kKindPanel), "");
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kFlagsPanel), "");
    EXPECT_EQ(row(1), (QStringList{"Level", "", "", "1"}));
    // Level 1 of the fixture: 1 × 1 block sets of 1 × 2 blocks of 2 × 2 parcels.
    EXPECT_EQ(row(3), (QStringList{"BlockSets", "1", "1", ""}));
    EXPECT_EQ(row(6), (QStringList{"Blocks in Bl.Set", "1", "2", ""}));
    EXPECT_EQ(row(9), (QStringList{"Parcels in Block", "2", "2", ""}));
    for (int r : {4, 7, 10, 12, 13})
        EXPECT_EQ(row(r), (QStringList{"", "", "", ""})) << r;
    // The position is not part of a level change.
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kLatitudePanel),
              QString::fromStdString(FormatLatitude(200)));
}

TEST_F(MapTabPresenterTest, ALevelTheMapDoesNotHaveShowsNoCounts) {
    view.level = 7;
    presenter.LevelChanged();
    EXPECT_EQ(row(1), (QStringList{"Level", "", "", "7"}));
    EXPECT_EQ(row(3), (QStringList{"BlockSets", "", "", ""}));
    presenter.SetMap(nullptr);
    view.level = 0;
    presenter.LevelChanged();
    EXPECT_EQ(row(9), (QStringList{"Parcels in Block", "", "", ""}));
}

TEST_F(MapTabPresenterTest, PositionAndScaleFillTheirPanels) {
    presenter.PosChanged({-8 * 3600, 8 * 3600 * 50 + 4});
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kLatitudePanel), QStringLiteral("N50*0'0,5"));
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kLongitudePanel), QStringLiteral("W1*0'0,0"));

    presenter.SelectionChanged(true, parcel(1));
    ASSERT_FALSE(presenter.DivisionImage().isNull());
    view.scaleLabel = QStringLiteral("1:5 km");
    view.flag = 16;
    presenter.ScaleChanged();
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kScalePanel), QStringLiteral("Масштаб 1:5 km"));
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kFlagsPanel), "Display Scale Flag 1");
    EXPECT_TRUE(presenter.DivisionImage().isNull());
}

TEST_F(MapTabPresenterTest, DisplayScaleFlagsListTheirDigitsRising) {
    EXPECT_EQ(MapTabPresenter::DisplayScaleFlagText(0), "Display Scale Flag ");
    EXPECT_EQ(MapTabPresenter::DisplayScaleFlagText(1), "Display Scale Flag 5");
    EXPECT_EQ(MapTabPresenter::DisplayScaleFlagText(16 | 2), "Display Scale Flag 14");
    EXPECT_EQ(MapTabPresenter::DisplayScaleFlagText(31), "Display Scale Flag 12345");
    // Bits above the five display scales name none.
    EXPECT_EQ(MapTabPresenter::DisplayScaleFlagText(0xE0), "Display Scale Flag ");
}

TEST_F(MapTabPresenterTest, ADividedParcelShowsItsUnitsDivisionAndGridPicture) {
    TLN_ParcelNumber number = parcel(1);
    number.CountX = 4;
    number.CountY = 2;
    number.SubX = 3;
    number.SubY = 1;
    presenter.SelectionChanged(true, number);
    EXPECT_TRUE(presenter.ExploreEnabled());
    // Level 0: 2 × 1 block sets, 2 × 2 blocks, 2 × 2 parcels.
    EXPECT_EQ(row(4), (QStringList{"Block Set", "1", "0", "1"}));
    EXPECT_EQ(row(7), (QStringList{"Block", "1", "1", "3"}));
    EXPECT_EQ(row(10), (QStringList{"Parcel", "0", "1", "2"}));
    EXPECT_EQ(row(12), (QStringList{"Division Type", "4", "2", ""}));
    EXPECT_EQ(row(13), (QStringList{"Parcel Position", "3", "1", "7"}));
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kKindPanel), "Divided Parcel");
    EXPECT_EQ(presenter.DivisionImage(), MakeGridBitmap(4, 2, 3, 1));
}

TEST_F(MapTabPresenterTest, AnIntegratedParcelShowsItsPlaceWithoutNumberAndTheFilledPicture) {
    TLN_ParcelNumber number = parcel(2);
    number.CountX = 2;
    number.CountY = 1;
    number.SubX = 1;
    presenter.SelectionChanged(true, number);
    EXPECT_EQ(row(12), (QStringList{"Integration", "2", "1", ""}));
    EXPECT_EQ(row(13), (QStringList{"Parcel Position", "1", "0", ""}));
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kKindPanel), "Integrated Parcel");
    EXPECT_EQ(presenter.DivisionImage(), MakeFilledGridBitmap(2, 1, 1, 0));
}

TEST_F(MapTabPresenterTest, ARegularParcelAfterADividedOneKeepsNothingOfIt) {
    presenter.SelectionChanged(true, parcel(1));
    // A regular parcel's number says kind 0; kind 3 is regular too.
    for (uint8_t kind : std::initializer_list<uint8_t>{0, 3, 200}) {
        presenter.SelectionChanged(true, parcel(1));
        presenter.SelectionChanged(true, parcel(kind));
        EXPECT_EQ(row(12), (QStringList{"", "", "", ""})) << int(kind);
        EXPECT_EQ(row(13), (QStringList{"", "", "", ""}));
        EXPECT_EQ(presenter.PanelText(MapTabPresenter::kKindPanel), "Regular Parcel");
        EXPECT_TRUE(presenter.DivisionImage().isNull());
        EXPECT_EQ(row(10), (QStringList{"Parcel", "0", "1", "2"}));
    }
}

TEST_F(MapTabPresenterTest, ADivisionOfManyCellsGetsNoPicture) {
    TLN_ParcelNumber number = parcel(1);
    number.CountX = 255;
    number.CountY = 255;
    presenter.SelectionChanged(true, number);
    EXPECT_EQ(row(12), (QStringList{"Division Type", "255", "255", ""}));
    EXPECT_TRUE(presenter.DivisionImage().isNull());
}

TEST_F(MapTabPresenterTest, NoSelectionIsShownAsALevelChange) {
    presenter.SelectionChanged(true, parcel(1));
    presenter.SelectionChanged(false, parcel(1));
    EXPECT_FALSE(presenter.ExploreEnabled());
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kLevelPanel), QStringLiteral("Уровень 0"));
    EXPECT_EQ(presenter.PanelText(MapTabPresenter::kKindPanel), "");
    for (int r : {4, 7, 10, 12, 13})
        EXPECT_EQ(row(r), (QStringList{"", "", "", ""})) << r;
}

TEST_F(MapTabPresenterTest, TheFrameFollowsTheViewportWhileTheViewShowsAMap) {
    int frames = 0;
    QObject::connect(&presenter, &MapTabPresenter::FrameChanged, [&] { ++frames; });
    view.port = {-100, 50, 100, -50};
    presenter.ViewPortChanged();
    ASSERT_TRUE(presenter.Frame());
    EXPECT_EQ(*presenter.Frame(), view.port);
    view.port = {0, 10, 10, 0};
    presenter.ViewPortChanged();
    EXPECT_EQ(*presenter.Frame(), view.port);
    // No map: no frame is left behind.
    view.active = false;
    presenter.ViewPortChanged();
    EXPECT_FALSE(presenter.Frame());
    EXPECT_EQ(frames, 3);
}

TEST_F(MapTabPresenterTest, ClearingKeepsOnlyTheCodePageName) {
    presenter.SetCodePageName(QStringLiteral("ISO 8859-5"));
    presenter.LevelChanged();
    presenter.SelectionChanged(true, parcel(1));
    view.port = {1, 2, 3, 4};
    presenter.ViewPortChanged();
    presenter.Clear();
    for (int panel = 0; panel < MapTabPresenter::kPanels; ++panel)
        EXPECT_EQ(presenter.PanelText(panel), panel == MapTabPresenter::kCodePagePanel ? "ISO 8859-5" : "");
    EXPECT_EQ(row(1), (QStringList{"", "", "", ""}));
    EXPECT_EQ(row(0).first(), "Item name");
    EXPECT_FALSE(presenter.ExploreEnabled());
    EXPECT_TRUE(presenter.DivisionImage().isNull());
    EXPECT_FALSE(presenter.Frame());
}

} // namespace
