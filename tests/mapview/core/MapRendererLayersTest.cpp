// What one paint draws, checked call by call on a recording canvas: the order of the layers, road pens by
// class, background classes and their styles, integrated, divided and unreadable parcels, the grid and
// the infrastructure links.
#include "kiwi/display/RoadPalettes.h"
#include "mapview/MapViewTestSupport.h"

namespace {

using namespace mapviewtest;
using fixture::FrameRequest;
using fixture::sketchFigure;
using fixture::sketchNameRecord;
using fixture::sketchRoad;
using Kind = CanvasCall::Kind;

bool isPolygon(const CanvasCall& call) {
    return call.kind == Kind::Polygon;
}

TEST(MapRendererLayers, EveryBackgroundBeforeAnyRoadAndEveryRoadBeforeAnyName) {
    const auto map = openSketchMap("order", [](const FrameRequest&) {
        SketchFrames f;
        f.figures.push_back(rectangleFigure(1, 0, 1000, 1000, 1600, 1600)); // water (class code 30)
        f.roads.push_back(sketchRoad(3, {{0, 2048}, {4095, 2048}}));
        f.names.push_back({0, sketchNameRecord(1, 300, {2048, 3000}, "TEST")});
        return f;
    });
    const RecordingCanvas canvas = record(viewOf(map, 8, 1024, 1024));
    const auto isRoad = [](const CanvasCall& call) {
        return call.kind == Kind::Polyline && call.pen.width == 4;
    };
    const auto isName = [](const CanvasCall& call) { return call.kind == Kind::Text; };
    EXPECT_EQ(canvas.CallsOf(Kind::Polygon).size(), 4u);
    EXPECT_EQ(polylinesWith(canvas, colourOf(0x0000FF), 4).size(), 4u);
    EXPECT_EQ(canvas.CallsOf(Kind::Text).size(), 4u);
    EXPECT_LT(lastIndex(canvas, isPolygon), firstIndex(canvas, isRoad));
    EXPECT_LT(lastIndex(canvas, isRoad), firstIndex(canvas, isName));
    // The paint starts white.
    ASSERT_FALSE(canvas.Calls().empty());
    EXPECT_EQ(canvas.Calls().front().kind, Kind::FillRect);
    EXPECT_EQ(canvas.Calls().front().color, QColor(Qt::white));
}

TEST(MapRendererLayers, RoadsTakeTheWidthAndColourOfTheirClass) {
    const auto map = openSketchMap("roads", [](const FrameRequest& request) {
        SketchFrames f;
        if (request.column == 0 && request.row == 0) {
            f.roads.push_back(sketchRoad(3, {{0, 2048}, {2000, 2048}, {4095, 2100}}));
            f.roads.push_back(sketchRoad(9, {{1024, 0}, {1024, 4095}}));
        }
        return f;
    });
    MapRenderView view = viewOf(map, 8, 1024, 1024);
    std::copy(StartRoadPalette.begin(), StartRoadPalette.end(), view.colours.begin());
    const RecordingCanvas canvas = record(view);
    const auto major = polylinesWith(canvas, QColor(0xE8, 0x69, 0x57), 4);
    ASSERT_EQ(major.size(), 1u);
    const std::vector<QPoint> expected = {pixelOf(view, 0, 0, {0, 2048}), pixelOf(view, 0, 0, {2000, 2048}),
                                          pixelOf(view, 0, 0, {4095, 2100})};
    EXPECT_EQ(major[0].points, expected);
    EXPECT_EQ(major[0].points[0], QPoint(0, 1024 - 256));
    EXPECT_EQ(polylinesWith(canvas, colourOf(StartRoadPalette[9]), 2).size(), 1u);
}

TEST(MapRendererLayers, IntermediatePointsFollowTheirNodes) {
    const auto map = openSketchMap("shape", [](const FrameRequest& request) {
        SketchFrames f;
        if (request.column == 0 && request.row == 0) {
            fixture::SketchRoad road;
            road.classIndex = 7;
            road.links.push_back({{100, 100}, {{80, 0}, {0, -40}}});
            road.links.push_back({{400, 200}, {{-8, 8}}});
            f.roads.push_back(road);
        }
        return f;
    });
    const MapRenderView view = viewOf(map, 4, 2048, 2048);
    const RecordingCanvas canvas = record(view);
    const auto roads = polylinesWith(canvas, colourOf(0x0000FF), 2);
    ASSERT_EQ(roads.size(), 1u);
    const std::vector<QPoint> expected = {pixelOf(view, 0, 0, {100, 100}), pixelOf(view, 0, 0, {180, 100}),
                                          pixelOf(view, 0, 0, {180, 60}), pixelOf(view, 0, 0, {400, 200}),
                                          pixelOf(view, 0, 0, {392, 208})};
    EXPECT_EQ(roads[0].points, expected);
}

TEST(MapRendererLayers, WithoutClassListsRoadCodesCountDownFrom31AndUseTheirLowFourBits) {
    fixture::LevelPlan level = fixture::sketchLevelPlan(1, 1, 1, 1);
    fixture::AllDataPlan plan = fixture::sketchAllDataPlan(level, [](const FrameRequest&) {
        SketchFrames f;
        f.backgroundClasses = 32;
        f.nameClasses = 16;
        f.roads.push_back(sketchRoad(0, {{0, 100}, {4000, 100}}));  // code 31: colour 15, 2 pixels
        f.roads.push_back(sketchRoad(12, {{0, 900}, {4000, 900}})); // code 19: colour 3, 4 pixels
        return f;
    });
    plan.levelRecordBytes = 40;
    const auto map = openMap(plan, "no-lists");
    ASSERT_FALSE(map->Level(0)->HasClassLists);
    MapRenderView view = viewOf(map, 8, 512, 512);
    std::copy(StartRoadPalette.begin(), StartRoadPalette.end(), view.colours.begin());
    const RecordingCanvas canvas = record(view);
    EXPECT_EQ(polylinesWith(canvas, colourOf(StartRoadPalette[15]), 2).size(), 1u);
    EXPECT_EQ(polylinesWith(canvas, colourOf(StartRoadPalette[3]), 4).size(), 1u);
}

TEST(MapRendererLayers, RoadClassesOutsideTheFilterAreLeftOut) {
    const auto map = openSketchMap("road-filter", [](const FrameRequest& request) {
        SketchFrames f;
        f.roadClassScales = {0x1F, 0x1F, 0x1F, 0x10}; // class 3 only at display scale 1
        if (request.column == 0 && request.row == 0)
            f.roads.push_back(sketchRoad(3, {{0, 100}, {4000, 100}}));
        return f;
    });
    MapRenderView view = viewOf(map, 8, 1024, 1024);
    view.filter = 8;
    EXPECT_TRUE(record(view).CallsOf(Kind::Polyline).empty());
    view.filter = 16;
    EXPECT_EQ(record(view).CallsOf(Kind::Polyline).size(), 1u);
}

TEST(MapRendererLayers, BackgroundClassesFollowTheirRules) {
    const auto map = openSketchMap("background", [](const FrameRequest& request) {
        SketchFrames f;
        if (request.column != 0 || request.row != 0) return f;
        f.figures.push_back(rectangleFigure(0, 321, 100, 100, 300, 300));  // class 31, park: GREENBMP
        f.figures.push_back(rectangleFigure(0, 1124, 400, 100, 600, 300)); // class 31: REDBMP
        f.figures.push_back(rectangleFigure(4, 323, 700, 100, 900, 300));  // class 15: never drawn
        auto filtered = rectangleFigure(2, 608, 1000, 100, 1200, 300);     // class 25: filtered
        filtered.scaleFlags = 0x10;
        f.figures.push_back(filtered);
        auto water = rectangleFigure(1, 0, 1300, 100, 1500, 300); // class 30: always drawn
        water.scaleFlags = 0x10;
        f.figures.push_back(water);
        f.figures.push_back(sketchFigure(7, 1, 0, {{100, 2000}, {200, 2050}})); // class 13: a line
        f.figures.push_back(sketchFigure(7, 0, 0, {{300, 2000}}));              // a point: nothing
        return f;
    });
    MapRenderView view = viewOf(map, 8, 1024, 1024);
    view.filter = 4;
    RecordingCanvas canvas = record(view);
    auto polygons = canvas.CallsOf(Kind::Polygon);
    ASSERT_EQ(polygons.size(), 3u);
    EXPECT_EQ(polygons[0].brush.kind, MapBrushKind::Pattern);
    EXPECT_EQ(polygons[0].brush.bitmap, "GREENBMP");
    EXPECT_EQ(polygons[1].brush.bitmap, "REDBMP");
    // Water: the element style of class 30.
    EXPECT_EQ(polygons[2].brush.kind, MapBrushKind::Solid);
    EXPECT_EQ(polygons[2].brush.color, QColor(0xA6, 0xC5, 0xFD));
    EXPECT_EQ(polygons[2].pen.color, QColor(0xA6, 0xC5, 0xFD));
    EXPECT_EQ(canvas.CallsOf(Kind::Polyline).size(), 1u);

    // Without the filter the class 25 figure is drawn too; class 15 still is not.
    view.filter = 31;
    canvas = record(view);
    polygons = canvas.CallsOf(Kind::Polygon);
    ASSERT_EQ(polygons.size(), 4u);
    // Class 25 (after class 30 in the level's list) takes its figure's type code style.
    TLN_CanvasStyle site;
    ApplyBackgroundStyle(608, site);
    EXPECT_EQ(polygons[3].brush.color, colourOf(site.BrushColor));
}

TEST(MapRendererLayers, AnIntegratedParcelIsDrawnOnce) {
    fixture::LevelPlan level = fixture::sketchLevelPlan(1, 1, 2, 2);
    fixture::BlockSetPlan set;
    set.blocks.resize(1);
    set.blocks[0].parcels[0].kind = fixture::ParcelPlan::Kind::Integrated;
    set.blocks[0].parcels[0].integrated = {2, 1};
    set.blocks[0].parcels[1].kind = fixture::ParcelPlan::Kind::IntegratedMember;
    level.sets = {set};
    const auto map = openMap(
        fixture::sketchAllDataPlan(level,
                                   [](const FrameRequest& request) {
                                       SketchFrames f;
                                       if (request.identifier == 2)
                                           f.roads.push_back(sketchRoad(5, {{100, 2048}, {8000, 2048}}));
                                       return f;
                                   }),
        "integrated");
    const MapRenderView view = viewOf(map, 8, 1024, 1024);
    MapRenderStats stats;
    const RecordingCanvas canvas = record(view, &stats);
    const auto roads = canvas.CallsOf(Kind::Polyline);
    ASSERT_EQ(roads.size(), 1u);
    // The end lies in the group's second parcel: its relative position bits count one parcel.
    EXPECT_EQ(roads[0].points.back(), pixelOf(view, 0, 0, {8000, 2048}));
    EXPECT_EQ(stats.entries, 3);
}

TEST(MapRendererLayers, EveryCellOfManyDividedParcelsIsDrawn) {
    fixture::LevelPlan level = fixture::sketchLevelPlan(1, 1, 4, 4);
    fixture::BlockSetPlan set;
    set.blocks.resize(1);
    for (int p = 0; p < 16; ++p) {
        set.blocks[0].parcels[p].kind = fixture::ParcelPlan::Kind::Divided;
        set.blocks[0].parcels[p].divisionType = 2; // 4 x 4
    }
    level.sets = {set};
    const auto map =
        openMap(fixture::sketchAllDataPlan(level,
                                           [](const FrameRequest& request) {
                                               SketchFrames f;
                                               // Sub-parcels count over the whole parcel.
                                               const int x = request.subX * 1024 + 100;
                                               const int y = request.subY * 1024 + 100;
                                               f.roads.push_back(sketchRoad(8, {{x, y}, {x + 800, y}}));
                                               return f;
                                           }),
                "many-cells");
    MapRenderStats stats;
    const RecordingCanvas canvas = record(viewOf(map, 32, 512, 512), &stats);
    EXPECT_EQ(stats.entries, 256);
    EXPECT_EQ(canvas.CallsOf(Kind::Polyline).size(), 256u);
}

TEST(MapRendererLayers, AParcelWhoseFrameCannotBeReadDrawsNothingNotEvenItsGrid) {
    fixture::AllDataImage image;
    const fixture::LevelPlan level = fixture::sketchLevelPlan(1, 1, 2, 1);
    const fixture::AllDataPlan plan = fixture::sketchAllDataPlan(level, [](const FrameRequest&) {
        SketchFrames f;
        f.roads.push_back(sketchRoad(8, {{100, 100}, {3000, 100}}));
        return f;
    });
    image = fixture::buildAllData(plan);
    // The last frame of the file is cut to 20 bytes: its distribution header cannot be read.
    const auto last = std::max_element(image.parcels.begin(), image.parcels.end(),
                                       [](const auto& a, const auto& b) { return a.frame < b.frame; });
    ASSERT_EQ(size_t(last->frame) + last->frameSize, image.allData.size());
    image.allData.resize(size_t(last->frame) + 20);
    const auto map = std::make_shared<TLN_KiwiMap>(
        fixture::writeAllData(image, fixture::scratchDir("mapview-unreadable")));
    MapRenderView view = viewOf(map, 8, 1024, 512);
    view.drawGrid = true;
    MapRenderStats stats;
    const RecordingCanvas canvas = record(view, &stats);
    EXPECT_EQ(stats.entries, 1);
    const auto grey = polylinesWith(canvas, colourOf(0x808080), 1);
    EXPECT_EQ(grey.size(), 1u);
    EXPECT_EQ(polylinesWith(canvas, colourOf(0x0000FF), 2).size(), 1u);
}

TEST(MapRendererLayers, TheGridOutlinesEachParcelByItsOwnKind) {
    fixture::LevelPlan level = fixture::sketchLevelPlan(1, 1, 2, 2);
    fixture::BlockSetPlan set;
    set.blocks.resize(1);
    set.blocks[0].parcels[0].kind = fixture::ParcelPlan::Kind::Divided; // 2 x 2 cells
    set.blocks[0].parcels[0].divisionType = 1;
    set.blocks[0].parcels[2].kind = fixture::ParcelPlan::Kind::Integrated; // the upper row, one frame
    set.blocks[0].parcels[2].integrated = {2, 1};
    set.blocks[0].parcels[3].kind = fixture::ParcelPlan::Kind::IntegratedMember;
    level.sets = {set};
    const auto map = openMap(
        fixture::sketchAllDataPlan(level, [](const FrameRequest&) { return SketchFrames(); }), "grid");
    MapRenderView view = viewOf(map, 16, 512, 512);
    view.drawGrid = true;
    const RecordingCanvas canvas = record(view);
    const auto outlines = polylinesWith(canvas, colourOf(0x808080), 1);
    ASSERT_EQ(outlines.size(), 6u);
    for (const CanvasCall& call : outlines)
        EXPECT_EQ(call.pen.kind, TLN_PenKind::Dash);
    // The four cells, then the regular parcel at full size (not the size of the cells before it), then the
    // integrated pair: x1 = x0 + w - 1, y1 = y0 - h - 1.
    const auto box = [](int x0, int y0, int x1, int y1) {
        return std::vector<QPoint>{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    };
    EXPECT_EQ(outlines[0].points, box(0, 512, 127, 383));
    EXPECT_EQ(outlines[1].points, box(128, 512, 255, 383));
    EXPECT_EQ(outlines[2].points, box(0, 384, 127, 255));
    EXPECT_EQ(outlines[3].points, box(128, 384, 255, 255));
    EXPECT_EQ(outlines[4].points, box(256, 512, 511, 255));
    EXPECT_EQ(outlines[5].points, box(0, 256, 511, -1));
    // Without the grid flag no outline is drawn.
    view.drawGrid = false;
    EXPECT_TRUE(polylinesWith(record(view), colourOf(0x808080), 1).empty());
}

TEST(MapRendererLayers, InfrastructureLinksFollowTheirRoadLinksInBlue) {
    const auto map = openSketchMap(
        "links",
        [](const FrameRequest& request) {
            SketchFrames f;
            if (request.column != 0 || request.row != 0) return f;
            f.roads.push_back(sketchRoad(4, {{100, 100}, {1100, 100}, {2100, 100}, {3100, 100}}));
            f.infraLinks.push_back({0, 1, 0, false}); // nodes 1 and 2
            f.infraLinks.push_back({0, 3, 0, true});  // backward: nodes 2 and 3
            f.infraLinks.push_back({0, 2, 5, false}); // past the end: cut to nodes 2 and 3
            return f;
        },
        1, 1);
    MapRenderView view = viewOf(map, 8, 512, 512, 7 | kLayerLinks);
    const RecordingCanvas canvas = record(view);
    const auto links = polylinesWith(canvas, QColor(0, 0, 0xFF), 3);
    ASSERT_EQ(links.size(), 3u);
    const QPoint n1 = pixelOf(view, 0, 0, {1100, 100}), n2 = pixelOf(view, 0, 0, {2100, 100}),
                 n3 = pixelOf(view, 0, 0, {3100, 100});
    EXPECT_EQ(links[0].points, (std::vector<QPoint>{n1, n2}));
    EXPECT_EQ(links[1].points, (std::vector<QPoint>{n2, n3}));
    EXPECT_EQ(links[2].points, (std::vector<QPoint>{n2, n3}));
    // Links are drawn after the roads.
    EXPECT_LT(lastIndex(canvas, [](const CanvasCall& c) { return c.pen.width == 4; }),
              firstIndex(canvas, [](const CanvasCall& c) { return c.pen.width == 3; }));
    // Mask 7 leaves them out.
    view.layers = 7;
    EXPECT_TRUE(polylinesWith(record(view), QColor(0, 0, 0xFF), 3).empty());
}

TEST(MapRendererLayers, NothingIsDrawnWithoutAMapButTheWhiteArea) {
    MapRenderView view;
    view.width = 100;
    view.height = 80;
    const RecordingCanvas canvas = record(view);
    ASSERT_EQ(canvas.Calls().size(), 1u);
    EXPECT_EQ(canvas.Calls()[0].kind, Kind::FillRect);
    EXPECT_EQ(canvas.Calls()[0].rect, QRect(0, 0, 100, 80));
}

TEST(MapRendererLayers, TheCacheServesTheSecondPaintAndAFilterChangeDecodesAgain) {
    const auto map = openSketchMap("cache", [](const FrameRequest&) {
        SketchFrames f;
        f.roads.push_back(sketchRoad(3, {{0, 2048}, {4095, 2048}}));
        return f;
    });
    MapRenderer renderer;
    RecordingCanvas canvas;
    MapRenderView view = viewOf(map, 8, 1024, 1024);
    EXPECT_EQ(renderer.Render(canvas, QRect(0, 0, 1024, 1024), view).decoded, 4);
    EXPECT_EQ(renderer.Render(canvas, QRect(0, 0, 1024, 1024), view).decoded, 0);
    view.originX = 4096; // another origin, the same decoded parcels
    EXPECT_EQ(renderer.Render(canvas, QRect(0, 0, 1024, 1024), view).decoded, 0);
    view.filter = 8;
    EXPECT_EQ(renderer.Render(canvas, QRect(0, 0, 1024, 1024), view).decoded, 4);
    EXPECT_GT(renderer.Cache().HeldBytes(), 0u);
}

} // namespace
