// What the main window asks of the map view and the events the view reports back. The map view widget
// implements it; window tests use a placeholder that records the calls.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include <QPoint>
#include <QString>

#include "kiwi/map/ParcelNumber.h"

class QWidget;
class TLN_KiwiMap;
class TLN_RegionManager;

// The visible area in map coordinates (1/8 arc-second): left and right are longitudes, top and bottom
// latitudes; top is the northern edge, so top > bottom.
struct MapViewPort {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const MapViewPort&) const = default;
};

// The view's events. Level changes fire LevelChanged, SelectionChanged(false) and ScaleChanged in this
// order; a new map ends with ViewPortChanged.
class MapViewEvents {
public:
    virtual ~MapViewEvents() = default;
    virtual void LevelChanged() {}
    // The map position under the mouse (no button held).
    virtual void PosChanged(TLN_PID) {}
    virtual void ScaleChanged() {}
    virtual void SelectionChanged(bool /*selected*/, const TLN_ParcelNumber& /*parcel*/) {}
    virtual void ViewPortChanged() {}
};

// Layer mask bits (the map settings menu's items carry the same values).
enum MapLayer : int {
    kLayerBackground = 1,
    kLayerRoads = 2,
    kLayerNames = 4,
    kLayerObjectNames = 8,
    kLayerRoutePlanning = 16,
    kLayerLinks = 32,
};

class MapViewApi {
public:
    virtual ~MapViewApi() = default;

    // The widget to place on the Map tab.
    virtual QWidget* Widget() = 0;
    // The receiver of the events (not owned; null for none).
    virtual void SetEvents(MapViewEvents* events) = 0;

    // The map to draw; null for none. A new map starts at level 0, zoom 1, origin (0, 0), layers 7.
    virtual void SetMap(std::shared_ptr<TLN_KiwiMap> map) = 0;
    virtual void SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) = 0;
    // True while a valid map is shown.
    virtual bool Active() const = 0;

    // The 16 road colours (0x00BBGGRR), display classes 0 to 15. SetRoadColors and SetRoadColor repaint.
    virtual std::array<uint32_t, 16> RoadColors() const = 0;
    virtual void SetRoadColors(const std::array<uint32_t, 16>& colours) = 0;
    virtual void SetRoadColor(int displayClass, uint32_t colour) = 0;
    virtual bool DrawGrid() const = 0;
    virtual void SetDrawGrid(bool on) = 0;
    // Scale density: viewer units per pixel at zoom 1 (4 normal, 8 double).
    virtual int ScaleDensity() const = 0;
    virtual void SetScaleDensity(int scale) = 0;
    virtual bool UseDisplayScale() const = 0;
    virtual void SetUseDisplayScale(bool on) = 0;
    virtual int Layers() const = 0;
    virtual void SetLayers(int mask, bool repaint) = 0;

    // Zoom by a factor of two about the centre (the zoom buttons).
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;

    // Level index, zoom, the scale label and the display scale flag (16, 8, 4, 2, 1 or 0).
    virtual int Level() const = 0;
    virtual int Zoom() const = 0;
    virtual QString ScaleLabel() const = 0;
    virtual uint8_t DisplayScaleFlag() const = 0;
    virtual bool SelectionShown() const = 0;
    virtual TLN_ParcelNumber SelectedParcel() const = 0;
    // A click at a client point: selects the parcel there and fires SelectionChanged when it changed.
    virtual void ClickAt(QPoint client) = 0;
    virtual MapViewPort ViewPort() const = 0;
    // The hint for a client point; nothing outside the level.
    virtual std::optional<QString> HintTextAt(QPoint client) const = 0;
    // The names' code page, ANSI code page or data language changed: names are decoded again and the
    // view repaints.
    virtual void NamesChanged() = 0;
};
