// The map view's state without widgets: a new map, zooming inside and across levels with the point under
// the mouse kept, the bounds on zoom, the display scale and its label, selection, hints and the viewport.
#include "mapview/core/MapViewState.h"
#include "mapview/MapViewTestSupport.h"
#include "platform/MulDiv.h"

namespace {

using namespace mapviewtest;
using E = MapViewEvent;

fixture::LevelPlan levelOf(uint8_t codeByte, uint8_t integrationByte, int parcels) {
    fixture::LevelPlan level = fixture::sketchLevelPlan(1, 1, parcels, parcels);
    level.codeByte = codeByte;
    level.integrationByte = integrationByte;
    return level;
}

std::shared_ptr<TLN_KiwiMap> mapOf(const std::string& name, std::vector<fixture::LevelPlan> levels,
                                   int32_t west = -40000, int32_t east = 60000) {
    fixture::AllDataPlan plan = fixture::sketchAllDataPlan(
        levels.front(), [](const fixture::FrameRequest&) { return SketchFrames(); });
    plan.levels = std::move(levels);
    plan.west = west;
    plan.east = east;
    return openMap(plan, name);
}

// Code 1 divided into 4 on the next level; code 0 (zooms to 4 in itself); code -2, the finest.
std::shared_ptr<TLN_KiwiMap> threeLevels() {
    static const auto map =
        mapOf("state-levels", {levelOf(0x04, 0x02, 2), levelOf(0x00, 0x20, 4), levelOf(0xF8, 0x20, 8)});
    return map;
}

struct Fixture {
    MapViewState state;
    MapViewEventList fired;
    explicit Fixture(std::shared_ptr<TLN_KiwiMap> map, int width = 640, int height = 480) {
        state.SetClientSize(width, height);
        state.SetMap(std::move(map), fired);
    }
    MapViewEventList take() { return std::exchange(fired, {}); }
};

TEST(MapViewState, ANewMapStartsAtLevelZeroAndFiresItsEventsInOrder) {
    Fixture f(threeLevels());
    EXPECT_EQ(f.take(),
              (MapViewEventList{E::LevelChanged, E::SelectionChanged, E::ScaleChanged, E::ViewPortChanged}));
    EXPECT_TRUE(f.state.Active());
    EXPECT_EQ(f.state.Level(), 0);
    EXPECT_EQ(f.state.Zoom(), 1);
    EXPECT_EQ(f.state.UnitsPerPixel(), 4);
    EXPECT_EQ(f.state.OriginX(), 0);
    EXPECT_EQ(f.state.Layers(), 7);
    EXPECT_FALSE(f.state.SelectionShown());
    // No map: inactive, nothing fired.
    f.state.SetMap(nullptr, f.fired);
    EXPECT_FALSE(f.state.Active());
    EXPECT_TRUE(f.take().empty());
}

TEST(MapViewState, TheWheelWalksThroughZoomsAndLevels) {
    Fixture f(threeLevels());
    f.take();
    const QPoint centre(320, 240);
    struct Step {
        bool up;
        int level, zoom, upp;
        MapViewEventList events;
    };
    const MapViewEventList scale = {E::ScaleChanged, E::ViewPortChanged};
    const MapViewEventList level = {E::LevelChanged, E::SelectionChanged, E::ScaleChanged,
                                    E::ViewPortChanged};
    const Step steps[] = {
        {true, 0, 2, 2, scale},  // inside level 0 (largest zoom 4 / 2)
        {true, 1, 1, 4, level},  // zoom 4 equals the divided count: the next level
        {true, 1, 2, 2, scale},  // code 0 zooms to 4
        {true, 1, 4, 1, scale},  //
        {true, 2, 1, 2, level},  // code 0 at zoom 4: the next level at half the scale
        {true, 2, 1, 2, scale},  // a negative code does not zoom inside its level
        {false, 1, 4, 1, level}, // back from a negative code: zoom 4
        {false, 1, 2, 2, scale}, //
        {false, 1, 1, 4, scale}, //
        {false, 0, 2, 2, level}, // back to level 0 at its divided count / 2
        {false, 0, 1, 4, scale}, //
    };
    for (const Step& step : steps) {
        EXPECT_TRUE(step.up ? f.state.WheelUp(centre, f.fired) : f.state.WheelDown(centre, f.fired));
        EXPECT_EQ(f.state.Level(), step.level);
        EXPECT_EQ(f.state.Zoom(), step.zoom);
        EXPECT_EQ(f.state.UnitsPerPixel(), step.upp);
        EXPECT_EQ(f.take(), step.events);
    }
    // Zoom 1 of level 0: not handled, nothing fired.
    EXPECT_FALSE(f.state.WheelDown(centre, f.fired));
    EXPECT_TRUE(f.take().empty());
    // Outside the client area: not handled.
    EXPECT_FALSE(f.state.WheelUp(QPoint(700, 10), f.fired));
    EXPECT_TRUE(f.take().empty());
}

TEST(MapViewState, ZoomingKeepsThePointUnderTheMouse) {
    Fixture f(threeLevels());
    f.state.SetOrigin(1000, 2000);
    const QPoint mouse(100, 400);
    const int64_t x = f.state.ViewerX(mouse.x()), y = f.state.ViewerY(mouse.y());
    f.state.ZoomAt(mouse, 2, f.fired);
    EXPECT_EQ(f.state.ViewerX(mouse.x()), x);
    EXPECT_EQ(f.state.ViewerY(mouse.y()), y);
    // Across levels positions scale with the parcels across (2 to 4: twice).
    f.state.ZoomAt(mouse, 4, f.fired);
    ASSERT_EQ(f.state.Level(), 1);
    EXPECT_EQ(f.state.ViewerX(mouse.x()), 2 * x);
    EXPECT_EQ(f.state.ViewerY(mouse.y()), 2 * y);
}

TEST(MapViewState, AZoomPastTheLastLevelChangesNothing) {
    // Divided into 4 on a next level that does not exist.
    Fixture f(mapOf("state-last", {levelOf(0x04, 0x02, 2)}));
    f.state.ZoomAt(QPoint(10, 10), 2, f.fired);
    f.take();
    f.state.ZoomAt(QPoint(10, 10), 4, f.fired);
    EXPECT_EQ(f.state.Level(), 0);
    EXPECT_EQ(f.state.Zoom(), 2);
    EXPECT_EQ(f.take(), (MapViewEventList{E::ScaleChanged, E::ViewPortChanged}));
}

TEST(MapViewState, ANegativeCodeOnLevelZeroNeverGoesBelowLevelZero) {
    Fixture f(mapOf("state-negative", {levelOf(0xF8, 0x20, 2)}));
    f.state.ZoomAt(QPoint(10, 10), 0, f.fired);
    EXPECT_EQ(f.state.Level(), 0);
    EXPECT_EQ(f.state.Zoom(), 1);
    EXPECT_EQ(f.state.UnitsPerPixel(), 4);
}

TEST(MapViewState, UnitsPerPixelNeverReachZero) {
    // Divided into 16: the level's own range would run to zoom 8, beyond the scale of 4.
    Fixture f(mapOf("state-bound", {levelOf(0x04, 0x04, 2)}));
    for (int i = 0; i < 6; ++i) {
        f.state.WheelUp(QPoint(10, 10), f.fired);
        EXPECT_GE(f.state.UnitsPerPixel(), 1);
        EXPECT_LE(f.state.Zoom(), f.state.Scale());
    }
    EXPECT_EQ(f.state.Zoom(), 4);
    // A smaller scale holds the zoom to it.
    f.state.SetScale(2, f.fired);
    EXPECT_EQ(f.state.Zoom(), 2);
    EXPECT_EQ(f.state.UnitsPerPixel(), 1);
    // With a next level, asking past the scale moves on to it.
    Fixture g(mapOf("state-bound-next", {levelOf(0x04, 0x04, 2), levelOf(0x00, 0x20, 4)}));
    for (int i = 0; i < 3; ++i)
        g.state.WheelUp(QPoint(10, 10), g.fired);
    EXPECT_EQ(g.state.Level(), 1);
    EXPECT_EQ(g.state.Zoom(), 1);
}

TEST(MapViewState, SetScaleKeepsTheCentre) {
    Fixture f(threeLevels());
    f.take();
    f.state.SetOrigin(4000, 4000);
    const int64_t x = f.state.ViewerX(320), y = f.state.ViewerY(480 - 240);
    f.state.SetScale(8, f.fired);
    EXPECT_EQ(f.state.UnitsPerPixel(), 8);
    EXPECT_EQ(f.state.ViewerX(320), x);
    EXPECT_EQ(f.state.ViewerY(480 - 240), y);
    EXPECT_EQ(f.take(), (MapViewEventList{E::ScaleChanged, E::ViewPortChanged}));
}

TEST(MapViewState, TheScaleDenominatorAndItsLabel) {
    // 2 parcels of 5400 across: MulDiv(5400, 102400000, 3686400) = 150000 at 4 units per pixel.
    fixture::LevelPlan level = levelOf(0x04, 0x02, 2);
    const uint32_t ties[5] = {100000, 200000, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    std::copy(std::begin(ties), std::end(ties), level.scales);
    Fixture f(mapOf("scale-tie", {level}, 0, 10800));
    EXPECT_EQ(f.state.ScaleDenominator(), 150000);
    // Both 50000 away: the lower index (the higher flag) wins; ratio 150 gives the computed label.
    EXPECT_EQ(f.state.DisplayScaleFlag(), 16);
    EXPECT_EQ(f.state.ScaleLabel(), "1:1 km");
    f.state.ZoomAt(QPoint(0, 0), 2, f.fired);
    EXPECT_EQ(f.state.ScaleDenominator(), MulDiv(5400, 102400000, 3686400) * 2 / 4);

    // 3599 across: 99972, nearest 200000 at ratio 50: "1:999 m".
    const uint32_t far[5] = {200000, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 1000000};
    std::copy(std::begin(far), std::end(far), level.scales);
    Fixture g(mapOf("scale-metres", {level}, 0, 2 * 3599));
    EXPECT_EQ(g.state.ScaleLabel(), "1:999 m");
    EXPECT_EQ(g.state.DisplayScaleFlag(), 16);

    // 4320 across: 120000 nearest 100000 at ratio 120: the level's own label.
    const uint32_t near[5] = {0xFFFFFFFFu, 0xFFFFFFFFu, 100000, 0xFFFFFFFFu, 0xFFFFFFFFu};
    std::copy(std::begin(near), std::end(near), level.scales);
    Fixture h(mapOf("scale-own", {level}, 0, 2 * 4320));
    EXPECT_EQ(h.state.ScaleDenominator(), 120000);
    EXPECT_EQ(h.state.DisplayScaleFlag(), 4);
    EXPECT_EQ(h.state.ScaleLabel(), QString::fromStdString(ScaleLabel(100000)));
    EXPECT_EQ(h.state.ElementFilter(), 4);
    h.state.SetUseDisplayScale(false);
    EXPECT_EQ(h.state.ElementFilter(), 31);
}

// 2 x 2 parcels: parcel 0 divided 2 x 2, parcels 2 and 3 integrated.
std::shared_ptr<TLN_KiwiMap> selectionMap() {
    static const auto map = [] {
        fixture::LevelPlan level = levelOf(0x04, 0x02, 2);
        fixture::BlockSetPlan set;
        set.blocks.resize(1);
        set.blocks[0].parcels[0].kind = fixture::ParcelPlan::Kind::Divided;
        set.blocks[0].parcels[0].divisionType = 1;
        set.blocks[0].parcels[2].kind = fixture::ParcelPlan::Kind::Integrated;
        set.blocks[0].parcels[2].integrated = {2, 1};
        set.blocks[0].parcels[3].kind = fixture::ParcelPlan::Kind::IntegratedMember;
        level.sets = {set};
        return mapOf("state-selection", {level});
    }();
    return map;
}

TEST(MapViewState, AClickSelectsTheParcelOnceAndItsRectangleLiesInsideItsOutline) {
    Fixture f(selectionMap(), 2048, 2048);
    f.take();
    // Parcel (1, 0): a regular one (1024 pixels a side at 4 units per pixel).
    EXPECT_TRUE(f.state.ClickAt(QPoint(1500, 1500), f.fired));
    EXPECT_EQ(f.take(), MapViewEventList{E::SelectionChanged});
    EXPECT_TRUE(f.state.SelectionShown());
    EXPECT_EQ(f.state.SelectedParcel().ParcelX, 1);
    EXPECT_EQ(f.state.SelectedParcel().Kind, 0);
    EXPECT_EQ(f.state.SelectionRect(), QRect(QPoint(1025, 1025), QPoint(2046, 2046)));
    // The same parcel again: nothing.
    EXPECT_FALSE(f.state.ClickAt(QPoint(1600, 1200), f.fired));
    EXPECT_TRUE(f.take().empty());
    // A cell of the divided parcel: its own quarter.
    EXPECT_TRUE(f.state.ClickAt(QPoint(700, 1800), f.fired));
    EXPECT_EQ(f.state.SelectedParcel().Kind, 1);
    EXPECT_EQ(f.state.SelectionRect(), QRect(QPoint(513, 1537), QPoint(1022, 2046)));
    // The integrated pair: both parcels.
    EXPECT_TRUE(f.state.ClickAt(QPoint(1500, 500), f.fired));
    EXPECT_EQ(f.state.SelectedParcel().Kind, 2);
    EXPECT_EQ(f.state.SelectionRect(), QRect(QPoint(1, 1), QPoint(2046, 1022)));
    // Back to a regular parcel: a regular rectangle, whatever the kind before.
    EXPECT_TRUE(f.state.ClickAt(QPoint(1500, 1500), f.fired));
    EXPECT_EQ(f.state.SelectionRect(), QRect(QPoint(1025, 1025), QPoint(2046, 2046)));
    // Outside the level: nothing.
    f.take();
    EXPECT_FALSE(f.state.ClickAt(QPoint(0, 2047), f.fired));
    EXPECT_TRUE(f.take().empty());
    // A zoom inside the level keeps the selection.
    f.state.ZoomAt(QPoint(10, 10), 2, f.fired);
    EXPECT_TRUE(f.state.SelectionShown());
}

TEST(MapViewState, HintTextNamesTheParcelWithLineFeedAndCarriageReturn) {
    Fixture f(selectionMap(), 2048, 2048);
    EXPECT_EQ(f.state.HintTextAt(QPoint(10, 2040)),
              QStringLiteral("Level: 0\n\rBlock Set: 0\n\rBlock: 0\n\rParcel: 0"));
    EXPECT_EQ(f.state.HintTextAt(QPoint(1500, 10)),
              QStringLiteral("Level: 0\n\rBlock Set: 0\n\rBlock: 0\n\rParcel: 3"));
    EXPECT_FALSE(f.state.HintTextAt(QPoint(0, 2047)));
}

TEST(MapViewState, HintNumbersCountRowByRowAwayFromTheOrigin) {
    // Three block sets across and two up, two blocks across and three up, two by two parcels: a number
    // built from the wrong axis differs from the right one away from the first column and row.
    fixture::LevelPlan level = levelOf(0x04, 0x02, 2);
    level.blockSets = {3, 2};
    level.blocks = {2, 3};
    static const auto map = mapOf("state-hint-grid", {level});
    Fixture f(map, 1000, 1000);
    const TLN_Level_Management_Record& record = *map->Level(0);
    struct Case {
        int setX, setY, blockX, blockY, parcelX, parcelY, set, block, parcel;
    };
    for (const Case& c : {Case{0, 0, 0, 0, 0, 0, 0, 0, 0}, Case{1, 0, 0, 2, 1, 0, 1, 4, 1},
                          Case{0, 1, 1, 0, 0, 1, 3, 1, 2}, Case{2, 1, 1, 2, 1, 1, 5, 5, 3}}) {
        // The middle of the parcel, with the view's origin at the parcel's lower left corner.
        const int64_t x = c.setX * int64_t(record.BlockSetWidth) + c.blockX * int64_t(record.BlockWidth) +
                          c.parcelX * int64_t(4096) + 2048;
        const int64_t y = c.setY * int64_t(record.BlockSetHeight) + c.blockY * int64_t(record.BlockHeight) +
                          c.parcelY * int64_t(4096) + 2048;
        f.state.SetOrigin(x - 2048, y - 2048);
        const int64_t upp = f.state.UnitsPerPixel();
        const QPoint client(int((x - f.state.OriginX()) / upp), int(1000 - (y - f.state.OriginY()) / upp));
        ASSERT_TRUE(QRect(0, 0, 1000, 1000).contains(client)) << c.set;
        EXPECT_EQ(f.state.HintTextAt(client),
                  QStringLiteral("Level: 0\n\rBlock Set: %1\n\rBlock: %2\n\rParcel: %3")
                      .arg(c.set)
                      .arg(c.block)
                      .arg(c.parcel))
            << c.set << " " << c.block << " " << c.parcel;
    }
}

TEST(MapViewState, TheViewPortIsInMapCoordinatesWithTheTopNorthOfTheBottom) {
    Fixture f(selectionMap(), 400, 300);
    const TLN_KiwiMap& map = *f.state.Map();
    const int32_t width = map.Level(0)->ParcelWidth, height = map.Level(0)->ParcelHeight;
    f.state.SetOrigin(1000, 500);
    const MapViewPort port = f.state.ViewPort();
    EXPECT_EQ(port.left, MulDiv(1000, width, 4096) + map.Coverage().Left);
    EXPECT_EQ(port.bottom, MulDiv(500, height, 4096) + map.Coverage().Bottom);
    EXPECT_EQ(port.right, MulDiv(400 * 4 + 1000, width, 4096) + map.Coverage().Left);
    EXPECT_EQ(port.top, MulDiv(300 * 4 + 500, height, 4096) + map.Coverage().Bottom);
    EXPECT_GT(port.top, port.bottom);
    const TLN_PID pid = f.state.MapPositionAt(QPoint(10, 290));
    EXPECT_EQ(pid.X, MulDiv(10 * 4 + 1000, width, 4096) + map.Coverage().Left);
    EXPECT_EQ(pid.Y, MulDiv(10 * 4 + 500, height, 4096) + map.Coverage().Bottom);
}

TEST(MapViewState, PlacesPast180DegreesEastAreReportedAsWestLongitudes) {
    // 179 degrees east to 177 degrees west: 4 degrees over 4 parcels of 1024 pixels each.
    const auto map = mapOf("state-across-180", {levelOf(0x04, 0x02, 4)}, 179 * 28800, -177 * 28800);
    Fixture f(map, 2048, 2048);
    ASSERT_EQ(map->Level(0)->ParcelWidth, 28800);
    EXPECT_EQ(f.state.MapPositionAt(QPoint(512, 1000)).X, 179 * 28800 + 14400);   // 179.5 east
    EXPECT_EQ(f.state.MapPositionAt(QPoint(1536, 1000)).X, -179 * 28800 - 14400); // 179.5 west
    f.state.SetOrigin(6144, 0);
    EXPECT_EQ(f.state.MapPositionAt(QPoint(1536, 1000)).X, -178 * 28800); // three parcels on: 182 east
}

TEST(MapViewState, PanningMovesTheOriginByWholePixels) {
    Fixture f(selectionMap());
    f.state.Pan(6, -3);
    EXPECT_EQ(f.state.OriginX(), 24);
    EXPECT_EQ(f.state.OriginY(), 12);
}

} // namespace
