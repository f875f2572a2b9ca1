// The map view's state without widgets: the level, zoom, scale, origin and selection, the display scale
// and its label, the drawing settings, and every conversion between client pixels, viewer units and map
// coordinates. Operations report the events they fire, in order, so the widget only passes them on.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/map/ParcelNumber.h"
#include "mapview/core/MapViewApi.h"

class TLN_KiwiMap;
class TLN_RegionManager;
struct TLN_Level_Management_Record;

enum class MapViewEvent : uint8_t { LevelChanged, SelectionChanged, ScaleChanged, ViewPortChanged };
using MapViewEventList = std::vector<MapViewEvent>;

// Division rounding toward minus infinity: pixels of points left of or below the origin stay where a
// scrolled picture puts them.
constexpr int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

class MapViewState {
public:
    // Viewer units per pixel at zoom 1 after construction (the main window's double density sets 8).
    static constexpr int kDefaultScale = 4;
    // The drag threshold in pixels.
    static constexpr int kDragThreshold = 6;

    MapViewState();

    // A new map starts at level 0, zoom 1, origin (0, 0), layers 7, no selection; null shows nothing.
    void SetMap(std::shared_ptr<TLN_KiwiMap> map, MapViewEventList& fired);
    const std::shared_ptr<TLN_KiwiMap>& Map() const { return map_; }
    // The map's valid flag taken when it was assigned: every mouse action and drawing needs it.
    bool Active() const { return active_; }
    // The route planning data; its region cache is cleared at every level change.
    void SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) { regions_ = std::move(regions); }
    const std::shared_ptr<TLN_RegionManager>& RegionManager() const { return regions_; }

    void SetClientSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Scale: viewer units per pixel at zoom 1 (at least 1). Keeps the centre of the client area in place.
    void SetScale(int scale, MapViewEventList& fired);
    int Scale() const { return scale_; }
    int UnitsPerPixel() const { return unitsPerPixel_; }
    int Zoom() const { return zoom_; }
    int Level() const { return level_; }
    // The current level's record (null without a map or for a level the map lacks).
    const TLN_Level_Management_Record* LevelRecord() const;
    int32_t ParcelWidth() const { return parcelWidth_; }
    int32_t ParcelHeight() const { return parcelHeight_; }

    // Zooms to zoom z about a client point, changing level when z runs past the level's range.
    void ZoomAt(QPoint client, int z, MapViewEventList& fired);
    // The wheel: true when handled (inside the client area of an active view).
    bool WheelUp(QPoint client, MapViewEventList& fired);
    bool WheelDown(QPoint client, MapViewEventList& fired);

    // Viewer units of the client area's lower left corner.
    int64_t OriginX() const { return originX_; }
    int64_t OriginY() const { return originY_; }
    void SetOrigin(int64_t x, int64_t y);
    // Moves the picture by (-dx, -dy) pixels: dx > 0 shows more of the east, dy > 0 more of the south.
    void Pan(int dx, int dy);

    // The scale denominator at the current zoom; 0 while inactive.
    int32_t ScaleDenominator() const;
    // The flag (16, 8, 4, 2, 1) of the level's display scale nearest to the current scale, 0 for none;
    // sets the scale label.
    uint8_t ComputeDisplayScale();
    uint8_t DisplayScaleFlag() const { return displayFlag_; }
    const QString& ScaleLabel() const { return scaleLabel_; }
    // What the display scale filter lets through: the flag, or every flag (31) when the filter is off.
    uint8_t ElementFilter() const { return useDisplayScale_ ? displayFlag_ : 31; }

    // Conversions (client pixels with Y down; viewer units with Y up, from the level's lower left corner).
    int64_t ViewerX(int clientX) const { return int64_t(clientX) * unitsPerPixel_ + originX_; }
    int64_t ViewerY(int clientY) const { return int64_t(height_ - clientY) * unitsPerPixel_ + originY_; }
    // The map position (1/8 arc-second) of a client point.
    TLN_PID MapPositionAt(QPoint client) const;
    MapViewPort ViewPort() const;
    // "Level: ..." for the parcel under a client point; nothing outside the level.
    std::optional<QString> HintTextAt(QPoint client) const;

    // Selection.
    bool SelectionShown() const { return selectionShown_; }
    const TLN_ParcelNumber& SelectedParcel() const { return selected_; }
    // Selects parcel n unless it is the one shown; false when nothing changed or the parcel is not found.
    bool SelectParcel(TLN_ParcelNumber n);
    // A click at a client point: selects the parcel there; fires SelectionChanged when it changed.
    bool ClickAt(QPoint client, MapViewEventList& fired);
    // The client rectangle one pixel inside a parcel's outline.
    QRect ParcelRect(const TLN_ParcelNumber& n) const;
    // The selected parcel's rectangle now (null when no selection is shown).
    QRect SelectionRect() const;

    // Drawing settings.
    int Layers() const { return layers_; }
    // True when the mask changed.
    bool SetLayers(int mask);
    bool UseDisplayScale() const { return useDisplayScale_; }
    bool SetUseDisplayScale(bool on);
    bool DrawGrid() const { return drawGrid_; }
    bool SetDrawGrid(bool on);
    const std::array<TLN_Color, 16>& Colors() const { return colours_; }
    void SetColors(const std::array<TLN_Color, 16>& colours) { colours_ = colours; }
    TLN_Color Color(int index) const { return colours_[size_t(index & 15)]; }
    void SetColor(int index, TLN_Color colour) { colours_[size_t(index & 15)] = colour; }

private:
    // Loads level L's record (its index is already stored) and fires the level change's events.
    void setLevel(MapViewEventList& fired);
    // Largest zoom that keeps at least one viewer unit per pixel.
    int boundedZoom(int zoom) const;
    int32_t mapOriginX() const;
    int32_t mapOriginY() const;

    std::shared_ptr<TLN_KiwiMap> map_;
    std::shared_ptr<TLN_RegionManager> regions_;
    bool active_ = false;
    int width_ = 105;
    int height_ = 105;
    int scale_ = kDefaultScale;
    int unitsPerPixel_ = kDefaultScale;
    int zoom_ = 1;
    int level_ = 0;
    int32_t parcelWidth_ = 0;
    int32_t parcelHeight_ = 0;
    int32_t levelParcelsX_ = 0;
    int32_t levelParcelsY_ = 0;
    uint8_t displayFlag_ = 0;
    QString scaleLabel_;
    int64_t originX_ = 0;
    int64_t originY_ = 0;
    bool selectionShown_ = false;
    TLN_ParcelNumber selected_;
    int layers_ = kLayerBackground | kLayerRoads | kLayerNames;
    bool useDisplayScale_ = true;
    bool drawGrid_ = false;
    std::array<TLN_Color, 16> colours_{};
};
