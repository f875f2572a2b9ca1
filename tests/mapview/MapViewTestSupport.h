// What the map view's tests share: sketched maps written to a scratch folder and opened, views of them to
// render, and lookups in what a recording canvas kept.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/display/WindowsColor.h"
#include "kiwi/map/KiwiMap.h"
#include "mapview/core/MapRenderer.h"
#include "mapview/core/MapViewState.h"
#include "mapview/core/RecordingCanvas.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/SketchFrames.h"

namespace mapviewtest {

using fixture::SketchFrames;
using fixture::SketchPoint;

// Builds the plan's files in a fresh scratch folder and opens the map.
inline std::shared_ptr<TLN_KiwiMap> openMap(const fixture::AllDataPlan& plan, const std::string& name,
                                            fixture::AllDataImage* image = nullptr) {
    fixture::AllDataImage built = fixture::buildAllData(plan);
    const std::string path = fixture::writeAllData(built, fixture::scratchDir("mapview-" + name));
    if (image) *image = std::move(built);
    return std::make_shared<TLN_KiwiMap>(path);
}

// A one-level sketch map of blocksX × blocksY blocks of parcelsX × parcelsY parcels.
inline std::shared_ptr<TLN_KiwiMap> openSketchMap(
    const std::string& name, std::function<SketchFrames(const fixture::FrameRequest&)> content,
    int parcelsX = 2, int parcelsY = 2,
    std::function<std::vector<std::pair<uint16_t, uint16_t>>(const fixture::FrameRequest&)> regions = {}) {
    const fixture::LevelPlan level = fixture::sketchLevelPlan(1, 1, parcelsX, parcelsY);
    return openMap(fixture::sketchAllDataPlan(level, std::move(content), std::move(regions)), name);
}

// A view of level 0 at upp units per pixel with the origin at the level's lower left corner.
inline MapRenderView viewOf(const std::shared_ptr<TLN_KiwiMap>& map, int upp, int width, int height,
                            int layers = 7) {
    MapRenderView view;
    view.map = map;
    view.mapGeneration = 1;
    view.level = 0;
    view.unitsPerPixel = upp;
    view.width = width;
    view.height = height;
    view.layers = layers;
    view.filter = 31;
    for (size_t i = 0; i < 16; ++i)
        view.colours[i] = 0x0000FF;
    return view;
}

inline RecordingCanvas record(const MapRenderView& view, MapRenderStats* stats = nullptr) {
    MapRenderer renderer;
    RecordingCanvas canvas;
    const MapRenderStats done = renderer.Render(canvas, QRect(0, 0, view.width, view.height), view);
    if (stats) *stats = done;
    return canvas;
}

inline QColor colourOf(uint32_t bgr) {
    return winColor(bgr);
}

// The polylines drawn with a pen of this colour and width.
inline std::vector<CanvasCall> polylinesWith(const RecordingCanvas& canvas, const QColor& colour, int width) {
    std::vector<CanvasCall> found;
    for (const CanvasCall& call : canvas.CallsOf(CanvasCall::Kind::Polyline))
        if (call.pen.color == colour && call.pen.width == width) found.push_back(call);
    return found;
}

// Index in the call list of the first and last call of a kind matching a test; -1 when none.
template <typename Test> int firstIndex(const RecordingCanvas& canvas, Test test) {
    const auto& calls = canvas.Calls();
    for (size_t i = 0; i < calls.size(); ++i)
        if (test(calls[i])) return int(i);
    return -1;
}
template <typename Test> int lastIndex(const RecordingCanvas& canvas, Test test) {
    const auto& calls = canvas.Calls();
    for (size_t i = calls.size(); i-- > 0;)
        if (test(calls[i])) return int(i);
    return -1;
}

// The client pixel of a point of parcel (column, row) in a view with its origin at the level's corner.
inline QPoint pixelOf(const MapRenderView& view, int column, int row, SketchPoint p) {
    const int64_t x = int64_t(column) * 4096 + p.x - view.originX;
    const int64_t y = int64_t(row) * 4096 + p.y - view.originY;
    return QPoint(int(FloorDiv(x, view.unitsPerPixel)), int(view.height - FloorDiv(y, view.unitsPerPixel)));
}

// A closed ring through the corners of a rectangle, in steps a background record can hold.
inline fixture::SketchFigure rectangleFigure(int classIndex, uint16_t typeCode, int x0, int y0, int x1,
                                             int y1) {
    std::vector<SketchPoint> ring;
    auto walk = [&ring](SketchPoint from, SketchPoint to) {
        const int steps =
            std::max(1, (std::max(std::abs(to.x - from.x), std::abs(to.y - from.y)) + 99) / 100);
        for (int s = 0; s < steps; ++s)
            ring.push_back({from.x + (to.x - from.x) * s / steps, from.y + (to.y - from.y) * s / steps});
    };
    walk({x0, y0}, {x1, y0});
    walk({x1, y0}, {x1, y1});
    walk({x1, y1}, {x0, y1});
    walk({x0, y1}, {x0, y0});
    ring.push_back({x0, y0});
    return fixture::sketchFigure(classIndex, 2, typeCode, ring);
}

} // namespace mapviewtest
