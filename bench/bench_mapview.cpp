// Paint times of the map view on a dense generated level (1000 road multilinks, 500 background figures and
// 200 names per parcel): a whole 1920 x 1080 paint decoding every parcel, the same paint from parcels
// decoded before (the same primitives, drawn only), a 20-pixel pan (scroll and strip), the reading and
// decoding alone, and an empty level. Printed, never a test.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"
#include "mapview/core/MapPicture.h"
#include "mapview/core/ParcelDrawing.h"
#include "mapview/core/QPainterCanvas.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/SketchFrames.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Timing {
    double median = 0;
    double p95 = 0;
};

Timing measure(int runs, const std::function<void()>& run) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]};
}

std::shared_ptr<TLN_KiwiMap>
openMap(const std::string& name, std::function<fixture::SketchFrames(const fixture::FrameRequest&)> content) {
    // 2 x 2 blocks of 4 x 4 parcels: a view in the middle meets 3 x 2 parcels and its margin some more.
    const fixture::LevelPlan level = fixture::sketchLevelPlan(2, 2, 4, 4);
    const auto image = fixture::buildAllData(fixture::sketchAllDataPlan(level, std::move(content)));
    return std::make_shared<TLN_KiwiMap>(fixture::writeAllData(image, fixture::scratchDir(name)));
}

MapRenderView viewOf(const std::shared_ptr<TLN_KiwiMap>& map) {
    MapRenderView view;
    view.map = map;
    view.mapGeneration = 1;
    view.unitsPerPixel = 4;
    view.originX = 3 * 4096 - 512 * 4;
    view.originY = 3 * 4096 - 256 * 4;
    view.width = kWidth;
    view.height = kHeight;
    view.layers = 7;
    view.filter = 31;
    for (size_t i = 0; i < 16; ++i)
        view.colours[i] = 0x0000FF;
    return view;
}

void print(const char* what, const Timing& t, const char* aim = "") {
    std::printf("%-52s median %7.2f ms   p95 %7.2f ms   %s\n", what, t.median, t.p95, aim);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const auto dense = openMap("bench-mapview-dense", [](const fixture::FrameRequest& r) {
        return fixture::denseSketchFrames(r.counter);
    });
    const MapRenderView view = viewOf(dense);
    const QRect whole(0, 0, kWidth, kHeight);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);

    // Warm the span cache and the glyph cache once: every measure below starts from read frames.
    MapRenderer renderer;
    int entries = 0;
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &renderer.TextStore());
        entries = renderer.Render(canvas, whole, view).entries;
    }

    const Timing cold = measure(15, [&] {
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &renderer.TextStore());
        renderer.RenderUncached(canvas, whole, view);
    });
    const Timing warm = measure(15, [&] {
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &renderer.TextStore());
        renderer.Render(canvas, whole, view);
    });

    // Reading (from the frame cache) and decoding only, every parcel the paint draws.
    const uint32_t system = dense->SystemNumber();
    const Timing parse = measure(15, [&] {
        ParcelDecodeOptions options;
        options.systemNumber = system;
        for (const auto& frames : MapRenderer::VisibleFrames(view, whole))
            DecodeParcelDrawing(*frames, *dense->Level(0), options);
    });

    // A pan of 20 pixels: the picture scrolls and the uncovered strip is drawn.
    MapPicture picture = RenderPicture(renderer, view);
    MapRenderView moving = view;
    int step = 0;
    const Timing pan = measure(40, [&] {
        moving.originX += (step++ % 20 < 10 ? 20 : -20) * moving.unitsPerPixel;
        ScrollPicture(picture, renderer, moving);
    });
    const Timing panUp = measure(40, [&] {
        moving.originY += (step++ % 20 < 10 ? 20 : -20) * moving.unitsPerPixel;
        ScrollPicture(picture, renderer, moving);
    });

    const auto empty =
        openMap("bench-mapview-empty", [](const fixture::FrameRequest&) { return fixture::SketchFrames(); });
    const MapRenderView emptyView = viewOf(empty);
    const Timing nothing = measure(15, [&] {
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &renderer.TextStore());
        renderer.RenderUncached(canvas, whole, emptyView);
    });

    // One layer at a time, from decoded parcels.
    Timing layerTimes[3];
    for (int i = 0; i < 3; ++i) {
        MapRenderView only = view;
        only.layers = 1 << i;
        layerTimes[i] = measure(9, [&] {
            QPainter painter(&image);
            QPainterCanvas canvas(painter, &renderer.TextStore());
            renderer.Render(canvas, whole, only);
        });
    }

    // The first paint of a map just opened: every block, parcel list and frame read from the file.
    const std::string path = dense->Path();
    const Timing opened = measure(7, [&] {
        MapRenderView fresh = view;
        fresh.map = std::make_shared<TLN_KiwiMap>(path);
        MapRenderer first;
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &first.TextStore());
        first.Render(canvas, whole, fresh);
    });

    std::printf("dense level, %d x %d, 4 units per pixel, mask 7: %d parcels drawn per paint\n", kWidth,
                kHeight, entries);
    print("whole paint of a map just opened (reads included)", opened);
    print("whole paint, every parcel decoded", cold, "(aim <= 60 ms)");
    print("whole paint from decoded parcels (drawing only)", warm);
    print("  background alone (drawing only)", layerTimes[0]);
    print("  roads alone (drawing only)", layerTimes[1]);
    print("  names alone (drawing only)", layerTimes[2]);
    print("reading and decoding only", parse);
    print("pan by 20 pixels east/west (scroll + strip)", pan, "(aim <= 16 ms)");
    print("pan by 20 pixels north/south (scroll + strip)", panUp, "(aim <= 16 ms)");
    print("empty level, whole paint", nothing, "(aim <= 2 ms)");
    std::printf("decoded paint / drawing only = %.2f (aim <= 1.3); decoding / decoded paint = %.2f\n",
                cold.median / warm.median, parse.median / cold.median);
    return 0;
}
