// A finished picture of the map with the view it shows: drawn whole, or moved to a new origin by scrolling
// the pixels it has and drawing only the strips it uncovers.
#pragma once

#include <QImage>
#include <atomic>

#include "mapview/core/MapRenderer.h"

struct MapPicture {
    QImage image;
    MapRenderView view;
    MapRenderStats stats;
};

// The whole view drawn into an RGB32 image at a device pixel ratio (1 or more).
MapPicture RenderPicture(MapRenderer& renderer, const MapRenderView& view, int devicePixelRatio = 1,
                         const std::atomic<bool>* cancel = nullptr);
// Moves the picture to view's origin: the pixels it has scroll, the uncovered strips are drawn. False (the
// picture unchanged) when view shows other content, the move is not a whole number of pixels or leaves
// nothing of the picture on screen.
bool ScrollPicture(MapPicture& picture, MapRenderer& renderer, const MapRenderView& view);
