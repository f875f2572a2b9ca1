// A render's copy of the view's state, and when two copies draw the same picture.
#include "mapview/core/MapRenderView.h"

#include "kiwi/map/KiwiMap.h"
#include "kiwi/region/RegionManager.h"
#include "mapview/core/MapViewState.h"

bool MapRenderView::SameContent(const MapRenderView& other) const {
    return map == other.map && regions == other.regions && mapGeneration == other.mapGeneration &&
           level == other.level && unitsPerPixel == other.unitsPerPixel && width == other.width &&
           height == other.height && layers == other.layers && filter == other.filter &&
           colours == other.colours && drawGrid == other.drawGrid && pages.Text == other.pages.Text &&
           pages.Ansi == other.pages.Ansi && language == other.language && icons == other.icons &&
           revision == other.revision;
}

MapRenderView RenderViewOf(const MapViewState& state) {
    MapRenderView view;
    if (state.Active()) view.map = state.Map();
    view.regions = state.RegionManager();
    view.level = state.Level();
    view.unitsPerPixel = state.UnitsPerPixel();
    view.originX = state.OriginX();
    view.originY = state.OriginY();
    view.width = state.Width();
    view.height = state.Height();
    view.layers = state.Layers();
    view.filter = state.ElementFilter();
    view.colours = state.Colors();
    view.drawGrid = state.DrawGrid();
    view.pages = TLN_TextPages::Current();
    if (view.map) view.language = view.map->NameLanguage();
    return view;
}
