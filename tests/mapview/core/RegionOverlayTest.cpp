// The route planning overlay drawn from the region reader: parcels name regions by level code, the reader
// keeps them by level record, and the overlay joins the two; links inside a region are drawn once, links
// into other regions when those regions exist, and a map without parcel sizes draws no overlay.
#include "kiwi/region/RegionManager.h"
#include "mapview/MapViewTestSupport.h"
#include "platform/MulDiv.h"
#include "support/fixtures/RegionFixture.h"

namespace {

using namespace mapviewtest;
using fixture::FrameRequest;
using Kind = CanvasCall::Kind;

// Level codes unlike their record indices, so that one cannot stand in for the other.
constexpr uint8_t kFirstLevelCode = 3;
constexpr uint8_t kSecondLevelCode = 5;

// The sketch map's coverage: west -40000, south 1400000, 2 x 2 parcels of 50000 x 50000.
constexpr int32_t kWest = -40000;
constexpr int32_t kSouth = 1400000;
constexpr int32_t kSpan = 100000;

fixture::RegionNodePlan nodeAt(int lon, int lat, std::vector<fixture::RegionLinkPlan> links,
                               bool boundary = false) {
    fixture::RegionNodePlan node;
    node.boundary = boundary;
    node.coordinate = uint32_t(lon * 4096 / kSpan) << 12 | uint32_t(lat * 4096 / kSpan);
    node.links = std::move(links);
    return node;
}

// A region whose one grid cell starts at west (the map's west edge unless given).
fixture::RegionPlan regionOf(uint16_t number, std::vector<fixture::RegionNodePlan> nodes,
                             int32_t west = kWest) {
    fixture::RegionPlan region;
    region.top = kSouth + kSpan;
    region.bottom = kSouth;
    region.left = west;
    region.right = west + kSpan;
    fixture::RegionFramePlan& f = region.frame;
    f.regionNumber = number;
    f.latitudeWidth = kSpan;
    f.longitudeWidth = kSpan;
    f.latitudeGrids = 1;
    f.longitudeGrids = 1;
    f.grid = {{kSouth, west}};
    uint16_t links = 0, boundary = 0;
    for (const auto& node : nodes) {
        links = uint16_t(links + node.links.size());
        boundary = uint16_t(boundary + (node.boundary ? 1 : 0));
    }
    f.ranks = {{uint16_t(nodes.size()), boundary, links, 0, 1}};
    f.costs.resize(1);
    f.nodes = std::move(nodes);
    return region;
}

// Level record 0 (code 3): one region of one node. Level record 1 (code 5): region 0 with three nodes
// (0-1 and 0-2 inside, node 2 on the boundary to region 7, which does not exist, and to region 1) and
// region 1 with one boundary node back to region 0, its grid cell starting half way across the map: at
// regionOneWest, the map's west edge + 50000 as a stored longitude.
std::string writeRegions(int32_t mapWest = kWest, int32_t regionOneWest = kWest + 50000) {
    fixture::RegionFilePlan plan;
    fixture::RegionLevelPlan first;
    first.levelCode = kFirstLevelCode;
    first.regions.push_back(regionOf(0, {nodeAt(80000, 80000, {{0, 0, 0, 0}})}, mapWest));
    fixture::RegionLevelPlan second;
    second.levelCode = kSecondLevelCode;
    second.regions.push_back(
        regionOf(0,
                 {nodeAt(10000, 10000, {{1, 0, 0, 0}, {2, 0, 0, 0}}), nodeAt(30000, 10000, {{0, 0, 0, 0}}),
                  nodeAt(30000, 30000, {{0, 0, 0, 7}, {0, 0, 0, 1}}, true)},
                 mapWest));
    second.regions.push_back(regionOf(1, {nodeAt(10000, 30000, {{2, 0, 0, 0}}, true)}, regionOneWest));
    plan.levels = {first, second};
    return fixture::writeRegionData(fixture::buildRegionData(plan),
                                    fixture::scratchDir("mapview-regions-" + std::to_string(mapWest)));
}

// Parcel (0, 0) names region 0 and parcel (1, 0) region 1 of level code 5; parcel (0, 1) region 0 of code 3.
std::vector<std::pair<uint16_t, uint16_t>> references(const FrameRequest& request) {
    if (request.row == 0) return {{uint16_t(kSecondLevelCode << 10), uint16_t(request.column)}};
    if (request.column == 0) return {{uint16_t(kFirstLevelCode << 10), 0}};
    return {};
}

struct Overlay {
    std::shared_ptr<TLN_KiwiMap> map;
    std::shared_ptr<TLN_RegionManager> regions;
    MapRenderView view;
};

// The map from west (kWest unless given) over kSpan; region 1 of code 5 in the map's east half.
Overlay overlay(const std::string& name, const std::string& systemText = "AFEU:2.05", int32_t west = kWest,
                int32_t regionOneWest = kWest + 50000) {
    Overlay o;
    fixture::AllDataPlan plan = fixture::sketchAllDataPlan(
        fixture::sketchLevelPlan(1, 1, 2, 2), [](const FrameRequest&) { return SketchFrames(); }, references);
    plan.systemText = systemText;
    plan.west = west;
    plan.east = west + kSpan;
    if (plan.east >= 5184000) plan.east -= 10368000;
    o.map = openMap(plan, name);
    o.regions = std::make_shared<TLN_RegionManager>(writeRegions(west, regionOneWest));
    o.view = viewOf(o.map, 16, 512, 512, 7 | kLayerRoutePlanning);
    o.view.regions = o.regions;
    return o;
}

QPoint nodePixel(const Overlay& o, const TLN_Region& region, int node) {
    TLN_Point p;
    EXPECT_TRUE(region.GetNodePosition(node, p));
    return QPoint(MulDiv(p.X - kWest, 4096, 50000) / o.view.unitsPerPixel,
                  o.view.height - MulDiv(p.Y - kSouth, 4096, 50000) / o.view.unitsPerPixel);
}

TEST(RegionOverlay, TheReaderKeepsLevelsByRecordAndFindsThemByCode) {
    const Overlay o = overlay("region-reader");
    EXPECT_EQ(o.regions->LevelIndexOfCode(kSecondLevelCode), 1);
    EXPECT_EQ(o.regions->LevelIndexOfCode(kFirstLevelCode), 0);
    EXPECT_EQ(o.regions->LevelIndexOfCode(4), -1);
    // The code itself is no record index: asked so, the reader has no such level.
    EXPECT_EQ(o.regions->GetRegion(kSecondLevelCode, 0), nullptr);
    ASSERT_NE(o.regions->GetRegion(1, 0), nullptr);
    EXPECT_EQ(o.regions->GetRegion(1, 0)->GetNodeCount(), 3);
}

TEST(RegionOverlay, ParcelsReferencesDrawTheRegionsOfTheirLevelCode) {
    const Overlay o = overlay("region-overlay");
    const RecordingCanvas canvas = record(o.view);
    const auto nodes = canvas.CallsOf(Kind::Rectangle);
    // Region 0 and region 1 of code 5 (four nodes), the node of code 3's region.
    ASSERT_EQ(nodes.size(), 5u);
    const auto second = o.regions->GetRegion(1, 0);
    const auto other = o.regions->GetRegion(1, 1);
    const auto first = o.regions->GetRegion(0, 0);
    const QPoint n0 = nodePixel(o, *second, 0), n1 = nodePixel(o, *second, 1), n2 = nodePixel(o, *second, 2);
    const QPoint m0 = nodePixel(o, *other, 0), f0 = nodePixel(o, *first, 0);
    EXPECT_EQ(nodes[0].rect, QRect(QPoint(n0.x() - 3, n0.y() - 3), QPoint(n0.x() + 2, n0.y() + 2)));
    EXPECT_EQ(nodes[0].brush.color, QColor(0xFF, 0xFF, 0));
    EXPECT_EQ(nodes[0].pen.color, QColor(0xFF, 0, 0));
    EXPECT_EQ(nodes[3].rect.topLeft(), m0 - QPoint(3, 3));
    EXPECT_EQ(nodes[4].rect.topLeft(), f0 - QPoint(3, 3));

    const auto inner = polylinesWith(canvas, QColor(0xFF, 0, 0), 1);
    const auto across = polylinesWith(canvas, QColor(0xFF, 0, 0), 2);
    // Inside a region each link once (0-1 and 0-2); across regions 2 to 1 and back: the link into the
    // missing region 7 draws nothing and the node's next link is still drawn.
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[0].points, (std::vector<QPoint>{n0, n1}));
    EXPECT_EQ(inner[1].points, (std::vector<QPoint>{n0, n2}));
    ASSERT_EQ(across.size(), 2u);
    EXPECT_EQ(across[0].points, (std::vector<QPoint>{n2, m0}));
    EXPECT_EQ(across[1].points, (std::vector<QPoint>{m0, n2}));
}

TEST(RegionOverlay, AMapAcross180DegreesDrawsItsRegionsWhereAMapBesideItWould) {
    // The same map and regions half way across 180 degrees east: region 1's cell starts at 180 degrees,
    // stored as 180 degrees west. Every node and link lands on the same pixels as on the plain map.
    const Overlay plain = overlay("region-plain");
    const Overlay across = overlay("region-across-180", "AFEU:2.05", 5184000 - 50000, -5184000);
    ASSERT_GT(across.map->Coverage().Right, 5184000);
    const RecordingCanvas a = record(plain.view), b = record(across.view);
    const auto nodesA = a.CallsOf(Kind::Rectangle), nodesB = b.CallsOf(Kind::Rectangle);
    ASSERT_EQ(nodesA.size(), 5u);
    ASSERT_EQ(nodesB.size(), nodesA.size());
    for (size_t i = 0; i < nodesA.size(); ++i)
        EXPECT_EQ(nodesB[i].rect, nodesA[i].rect) << i;
    const auto acrossA = polylinesWith(a, QColor(0xFF, 0, 0), 2),
               acrossB = polylinesWith(b, QColor(0xFF, 0, 0), 2);
    ASSERT_EQ(acrossB.size(), 2u);
    EXPECT_EQ(acrossB[0].points, acrossA[0].points);
    EXPECT_EQ(acrossB[1].points, acrossA[1].points);
}

TEST(RegionOverlay, MaskSevenOrNoReaderDrawsNoOverlay) {
    Overlay o = overlay("region-off");
    o.view.layers = 7;
    EXPECT_TRUE(record(o.view).CallsOf(Kind::Rectangle).empty());
    o.view.layers = 7 | kLayerRoutePlanning;
    o.view.regions = nullptr;
    EXPECT_TRUE(record(o.view).CallsOf(Kind::Rectangle).empty());
}

TEST(RegionOverlay, AMapWithoutParcelSizesDrawsNoOverlay) {
    // A system code of another maker: the level records carry no parcel size in 1/8 seconds.
    const Overlay o = overlay("region-no-size", "ZFEU:2.05");
    ASSERT_EQ(o.map->Level(0)->ParcelWidth, 0);
    EXPECT_TRUE(record(o.view).CallsOf(Kind::Rectangle).empty());
}

} // namespace
