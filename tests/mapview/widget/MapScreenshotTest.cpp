// The sample disc's town in the map view, for a person to look at: the overview and the detailed level at
// two zooms each, centred on the town, with the grid and a selected parcel, once with every layer, and the
// one-way lanes of the detailed level.
// Each picture must show the town (water, green land, streets in their class colours, names); with
// STROVANE_SCREENSHOT_DIR set they are saved there as PNG files.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "kiwi/display/RoadPalettes.h"
#include "kiwi/display/WindowsColor.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/region/RegionManager.h"
#include "mapview/KiwiMapViewer.h"
#include "support/fixtures/TownGeometry.h"
#include "support/fixtures/TownMapPlan.h"
#include "tools/sample-disc/SampleDiscFolder.h"

namespace {

void keep(const QImage& image, const QString& name) {
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    image.save(QString::fromLocal8Bit(folder) + "/" + name);
}

int countOf(const QImage& image, const QColor& colour) {
    const QRgb rgb = colour.rgb();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == rgb;
    return n;
}

class MapScreenshot : public ::testing::Test {
protected:
    void SetUp() override {
        map = std::make_shared<TLN_KiwiMap>(sampleDiscFile("ALLDATA.KWI"));
        ASSERT_TRUE(map->IsValid());
        viewer.resize(1280, 800);
        viewer.SetMap(map);
        viewer.SetRegionManager(std::make_shared<TLN_RegionManager>(sampleDiscFile("REGION.KWI")));
        viewer.SetDrawGrid(true);
        viewer.show();
    }

    // Puts a point of the level (by default its middle: the river and the bridges) in the middle of the view.
    void centre(int64_t atX = -1, int64_t atY = -1) {
        const MapViewState& state = viewer.State();
        const int64_t upp = state.UnitsPerPixel();
        const int64_t middleX = atX >= 0 ? atX : state.LevelRecord()->LevelWidth() / 2;
        const int64_t middleY = atY >= 0 ? atY : state.LevelRecord()->LevelHeight() / 2;
        const int64_t x = state.ViewerX(viewer.width() / 2), y = state.ViewerY(viewer.height() / 2);
        viewer.PanBy(int((middleX - x) / upp), int((y - middleY) / upp));
    }

    QImage shot(const QString& name) {
        // A parcel selected a little off the middle.
        viewer.ClickAt(QPoint(560, 340));
        (void)viewer.grab();
        EXPECT_TRUE(viewer.FinishRendering());
        const QImage image = viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
        keep(image, name);
        // Water, a main street's colour and black text are all on the picture.
        EXPECT_GT(countOf(image, QColor(0xA6, 0xC5, 0xFD)), 1000) << name.toStdString();
        EXPECT_GT(countOf(image, winColor(StartRoadPalette[5])), 500) << name.toStdString();
        EXPECT_GT(countOf(image, Qt::black), 200) << name.toStdString();
        return image;
    }

    std::shared_ptr<TLN_KiwiMap> map;
    TKiwiMapViewer viewer;
};

TEST_F(MapScreenshot, TheSampleTownAtBothLevelsAndTwoZooms) {
    const QPoint middle(640, 400);
    // The overview at zoom 1 and 2, then the wheel moves on to the detailed level at zoom 1, then 2.
    const int expected[4][2] = {{fixture::kOverviewLevel, 1},
                                {fixture::kOverviewLevel, 2},
                                {fixture::kDetailedLevel, 1},
                                {fixture::kDetailedLevel, 2}};
    for (int i = 0; i < 4; ++i) {
        if (i > 0) viewer.ZoomAt(middle, viewer.Zoom() * 2);
        ASSERT_EQ(viewer.Level(), expected[i][0]);
        ASSERT_EQ(viewer.Zoom(), expected[i][1]);
        centre();
        shot(QStringLiteral("map-level%1-zoom%2.png").arg(viewer.Level()).arg(viewer.Zoom()));
    }
}

TEST_F(MapScreenshot, TheDetailedLevelWithEveryLayer) {
    viewer.ZoomAt(QPoint(640, 400), 4);
    ASSERT_EQ(viewer.Level(), fixture::kDetailedLevel);
    viewer.SetLayers(63, true);
    centre();
    const QImage image = shot(QStringLiteral("map-level%1-every-layer.png").arg(viewer.Level()));
    // Infrastructure links in blue and route planning nodes in yellow.
    EXPECT_GT(countOf(image, QColor(0, 0, 0xFF)), 200);
    EXPECT_GT(countOf(image, QColor(0xFF, 0xFF, 0)), 0);
}

TEST_F(MapScreenshot, OneWayArrowsAtTheFinestZoom) {
    viewer.ZoomAt(QPoint(640, 400), 4);
    viewer.ZoomAt(QPoint(640, 400), 2);
    viewer.ZoomAt(QPoint(640, 400), 4);
    ASSERT_EQ(viewer.Level(), fixture::kDetailedLevel);
    ASSERT_EQ(viewer.Zoom(), 4);
    // Where the one-way street going north (x 3584) meets the one going west (y 13824).
    centre(3584, 13824);
    viewer.ClickAt(QPoint(560, 340));
    (void)viewer.grab();
    EXPECT_TRUE(viewer.FinishRendering());
    const QImage image = viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
    keep(image, QStringLiteral("map-level%1-zoom4-one-way.png").arg(viewer.Level()));
    EXPECT_GT(countOf(image, Qt::black), 200);
}

TEST_F(MapScreenshot, TheOneWayLanesAtTheDetailedLevel) {
    viewer.ZoomAt(QPoint(640, 400), 4);
    viewer.ZoomAt(QPoint(640, 400), 2);
    ASSERT_EQ(viewer.Level(), fixture::kDetailedLevel);
    const QRgb colour = winColor(StartRoadPalette[fixture::town::kLaneClass]).rgb();
    const auto picture = [&](const QString& name) {
        (void)viewer.grab();
        EXPECT_TRUE(viewer.FinishRendering());
        const QImage image = viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
        keep(image, name);
        // The lane's name and arrows in black.
        EXPECT_GT(countOf(image, Qt::black), 200) << name.toStdString();
        return image;
    };
    // The lane going east (y 5120, from x 9728 to 12800), across the edge between two parcels: its class
    // colour along the middle row.
    centre(11264, 5120);
    QImage image = picture(QStringLiteral("map-level%1-zoom2-lane-east.png").arg(viewer.Level()));
    int lane = 0;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 396; y <= 404; ++y)
            lane += image.pixel(x, y) == colour;
    EXPECT_GT(lane, 300);
    // The lane going south (x 5120, from y 3584 to 512) over the railway: its colour down the middle column.
    centre(5120, 2048);
    image = picture(QStringLiteral("map-level%1-zoom2-lane-south.png").arg(viewer.Level()));
    lane = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 636; x <= 644; ++x)
            lane += image.pixel(x, y) == colour;
    EXPECT_GT(lane, 300);
}

} // namespace
