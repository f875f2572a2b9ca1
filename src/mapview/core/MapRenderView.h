// What one render depends on (map, level, scale, origin, size, layers, colours, text pages, icons), copied
// from the view's state so that a render can run on another thread and the painters can read it.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/frames/MapString.h"

class TLN_KiwiMap;
class TLN_RegionManager;
class MapViewState;

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
