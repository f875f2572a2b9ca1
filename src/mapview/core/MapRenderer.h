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
#include "mapview/core/MapRenderView.h"
#include "mapview/core/ParcelDrawingCache.h"

class TLN_KiwiMap;
class TLN_RegionManager;
class MapViewState;
class CanvasTextStore;
struct TLN_Parcel_Frames;

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
