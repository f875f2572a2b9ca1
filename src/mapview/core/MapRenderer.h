// One paint of the map view: the parcels of the current level that meet the area to repaint, each layer of
// every parcel before the next layer (backgrounds, roads, names, names of figures, route planning
// references, infrastructure links), then the route planning regions and the parcel grid. Parcels are
// decoded once and kept in a bounded cache, so pans and repaints only draw.
#pragma once

#include <QImage>
#include <QRect>
#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/frames/MapString.h"
#include "mapview/core/MapCanvas.h"
#include "mapview/core/ParcelDrawingCache.h"

class TLN_KiwiMap;
class TLN_RegionManager;
class MapViewState;
class CanvasTextStore;
struct TLN_Parcel_Frames;

// Everything one render depends on, copied so that a render can run on another thread.
struct MapRenderView {
    std::shared_ptr<TLN_KiwiMap> map;
    std::shared_ptr<TLN_RegionManager> regions;
    // Distinguishes maps in the parcel cache: a new number for every map the view is given.
    uint64_t mapGeneration = 0;
    int level = 0;
    int unitsPerPixel = 4;
    // Viewer units of the client area's lower left corner.
    int64_t originX = 0;
    int64_t originY = 0;
    int width = 0;
    int height = 0;
    int layers = 7;
    uint8_t filter = 31;
    std::array<TLN_Color, 16> colours{};
    bool drawGrid = false;
    TLN_TextPages pages;
    uint32_t language = 0;
    // Icons of names of string type 6, by image list index; none when null or short.
    std::shared_ptr<const std::vector<QImage>> icons;
    // Raised when the names must be decoded again although nothing above changed.
    uint64_t revision = 0;

    // Whether two views draw the same picture apart from where the origin lies.
    bool SameContent(const MapRenderView& other) const;
};

// The state's part of a view (map, level, scale, origin, size, layers, filter, colours, grid).
MapRenderView RenderViewOf(const MapViewState& state);

struct MapRenderStats {
    // Draw entries with data (parcels and sub-parcels), parcels decoded in this render, and whether the
    // render was stopped before it finished.
    int entries = 0;
    int decoded = 0;
    bool cancelled = false;
};

class MapRenderer {
public:
    // Decoded parcels held at most (bytes).
    static constexpr size_t kDefaultCacheBytes = size_t(64) << 20;

    MapRenderer();
    ~MapRenderer();

    // Draws the client area clip of view. cancel, when given and set, stops the render between parcels and
    // between layers.
    MapRenderStats Render(MapCanvas& canvas, const QRect& clip, const MapRenderView& view,
                          const std::atomic<bool>* cancel = nullptr);
    // The same without the parcel cache: every parcel is decoded again (for benchmarks).
    MapRenderStats RenderUncached(MapCanvas& canvas, const QRect& clip, const MapRenderView& view);

    ParcelDrawingCache& Cache() { return cache_; }
    // The text store of the calling thread, for the QPainter canvases it draws this renderer's pictures on.
    CanvasTextStore& TextStore();

    // The frames of the parcels a render of clip would draw, in drawing order (for measuring reads and
    // decoding apart from drawing).
    static std::vector<std::shared_ptr<const TLN_Parcel_Frames>> VisibleFrames(const MapRenderView& view,
                                                                               const QRect& clip);

private:
    MapRenderStats render(MapCanvas& canvas, const QRect& clip, const MapRenderView& view,
                          const std::atomic<bool>* cancel, bool useCache);

    ParcelDrawingCache cache_;
    std::mutex storesMutex_;
    std::map<std::thread::id, std::unique_ptr<CanvasTextStore>> stores_;
};
