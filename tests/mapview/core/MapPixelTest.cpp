// Pictures drawn with QPainter into an offscreen image: the colours of water, roads, the grid and the
// infrastructure links where they belong, and a scrolled picture with its strips drawn equal to a picture
// drawn whole at the new origin.
#include <QImage>

#include "kiwi/display/RoadPalettes.h"
#include "mapview/MapViewTestSupport.h"
#include "mapview/core/MapPicture.h"

namespace {

using namespace mapviewtest;
using fixture::FrameRequest;
using fixture::sketchRoad;

const QRgb kWhite = qRgb(0xFF, 0xFF, 0xFF);
const QRgb kWater = qRgb(0xA6, 0xC5, 0xFD);
const QRgb kRoad = qRgb(0xE8, 0x69, 0x57);
const QRgb kGrid = qRgb(0x80, 0x80, 0x80);
const QRgb kLink = qRgb(0x00, 0x00, 0xFF);

std::shared_ptr<TLN_KiwiMap> simpleMap() {
    static const auto map = openSketchMap("pixels", [](const FrameRequest& request) {
        SketchFrames f;
        if (request.column == 0 && request.row == 0) {
            f.figures.push_back(rectangleFigure(1, 0, 500, 2500, 2500, 3800)); // water
            f.roads.push_back(sketchRoad(3, {{0, 2048}, {4095, 2048}}));
            f.infraLinks.push_back({0, 0, 0, false});
        }
        return f;
    });
    return map;
}

MapRenderView simpleView(int layers = 7) {
    MapRenderView view = viewOf(simpleMap(), 4, 1920, 1080, layers);
    std::copy(StartRoadPalette.begin(), StartRoadPalette.end(), view.colours.begin());
    return view;
}

QImage draw(const MapRenderView& view) {
    MapRenderer renderer;
    return RenderPicture(renderer, view).image.convertToFormat(QImage::Format_RGB32);
}

int count(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

TEST(MapPixels, WaterAndRoadsShowInTheirColoursOnWhite) {
    const MapRenderView view = simpleView();
    const QImage image = draw(view);
    // Water: the middle of the square.
    EXPECT_EQ(image.pixel(pixelOf(view, 0, 0, {1500, 3100})), kWater);
    // Away from everything: white.
    EXPECT_EQ(image.pixel(1500, 100), kWhite);
    EXPECT_EQ(image.pixel(pixelOf(view, 0, 0, {3000, 1000})), kWhite);
    // A column across the class 3 road: 3 to 5 pixels of its colour, 4 wide.
    const QPoint on = pixelOf(view, 0, 0, {2000, 2048});
    int run = 0;
    for (int y = on.y() - 10; y <= on.y() + 10; ++y)
        run += image.pixel(on.x(), y) == kRoad;
    EXPECT_GE(run, 3);
    EXPECT_LE(run, 5);
}

TEST(MapPixels, TheGridOutlinesParcelsInGreyOnlyWhenAskedFor) {
    MapRenderView view = simpleView();
    view.width = 1200;
    view.height = 1200;
    EXPECT_EQ(count(draw(view), kGrid), 0);
    view.drawGrid = true;
    const QImage image = draw(view);
    // The right edge of parcel (0, 0): x = 1023, rows 1200 - 1024 .. 1200, dashed.
    int grey = 0;
    for (int y = 1200 - 1023; y < 1200; ++y)
        grey += image.pixel(1023, y) == kGrid;
    EXPECT_GE(grey, int(0.3 * 1023));
}

TEST(MapPixels, InfrastructureLinksAreBlueOnlyWithTheirLayer) {
    EXPECT_EQ(count(draw(simpleView()), kLink), 0);
    EXPECT_GT(count(draw(simpleView(7 | kLayerLinks)), kLink), 1000);
}

double sameShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 0;
    int64_t same = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            same += a.pixel(x, y) == b.pixel(x, y);
    return double(same) / (double(a.width()) * a.height());
}

std::shared_ptr<TLN_KiwiMap> denseMap() {
    static const auto map = openSketchMap(
        "pan",
        [](const FrameRequest& request) {
            SketchFrames f = fixture::denseSketchFrames(request.counter);
            // A tenth of the density keeps the test quick; every kind of element stays.
            f.roads.resize(100);
            f.figures.resize(60);
            f.names.resize(40);
            return f;
        },
        3, 3);
    return map;
}

TEST(MapPixels, AScrolledPictureWithItsStripsEqualsAWholeOne) {
    MapRenderer renderer;
    MapRenderView view = viewOf(denseMap(), 8, 1280, 720, 7 | kLayerObjectNames);
    view.originX = 100 * 8;
    view.originY = 300 * 8;
    view.drawGrid = true;
    MapPicture picture = RenderPicture(renderer, view);
    for (const QPoint move : {QPoint(-37, 23), QPoint(20, 0), QPoint(0, -15), QPoint(113, -71)}) {
        view.originX -= int64_t(move.x()) * view.unitsPerPixel;
        view.originY += int64_t(move.y()) * view.unitsPerPixel;
        ASSERT_TRUE(ScrollPicture(picture, renderer, view));
        MapRenderer fresh;
        const QImage whole = RenderPicture(fresh, view).image;
        const double share = sameShare(picture.image, whole);
        EXPECT_GE(share, 0.999) << "after moving by " << move.x() << ", " << move.y();
    }
    // Another zoom is not a scroll.
    MapRenderView zoomed = view;
    zoomed.unitsPerPixel = 4;
    EXPECT_FALSE(ScrollPicture(picture, renderer, zoomed));
    // A move past the picture's size is not either.
    MapRenderView far = view;
    far.originX += 2000 * 8;
    EXPECT_FALSE(ScrollPicture(picture, renderer, far));
}

} // namespace
