// The map view stand-in of the window tests, and the base of their test doubles: it keeps what the main
// window hands it (the map, the route planning data, road colours, grid, scale density, layers) and says
// which map it would draw. Tests set the state the view would report (level, scale, selection, viewport,
// hint) and fire its events.
#pragma once

#include <vector>

#include <QWidget>

#include "mapview/core/MapViewApi.h"

// Keeps every setting the main window hands a map view and draws nothing; it fires an event only when a
// test says so (or a click selects the parcel a test placed there).
class StoredMapView : public MapViewApi {
public:
    StoredMapView();

    QWidget* Widget() override { return nullptr; }
    void SetEvents(MapViewEvents* events) override { events_ = events; }
    void SetMap(std::shared_ptr<TLN_KiwiMap> map) override;
    void SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) override;
    bool Active() const override { return map_ != nullptr; }
    std::array<uint32_t, 16> RoadColors() const override { return colours_; }
    void SetRoadColors(const std::array<uint32_t, 16>& colours) override;
    void SetRoadColor(int displayClass, uint32_t colour) override;
    bool DrawGrid() const override { return drawGrid_; }
    void SetDrawGrid(bool on) override;
    int ScaleDensity() const override { return scale_; }
    void SetScaleDensity(int scale) override { scale_ = scale; }
    bool UseDisplayScale() const override { return useDisplayScale_; }
    void SetUseDisplayScale(bool on) override { useDisplayScale_ = on; }
    int Layers() const override { return layers_; }
    void SetLayers(int mask, bool) override { layers_ = mask; }
    void ZoomIn() override { ++zoomIns_; }
    void ZoomOut() override { ++zoomOuts_; }
    int Level() const override { return level_; }
    int Zoom() const override { return 1; }
    QString ScaleLabel() const override { return scaleLabel_; }
    uint8_t DisplayScaleFlag() const override { return displayScaleFlag_; }
    bool SelectionShown() const override { return selectionShown_; }
    TLN_ParcelNumber SelectedParcel() const override { return selected_; }
    // Selects the parcel placed with PlaceParcel (when there is one and it is not selected yet) and fires
    // SelectionChanged, as a click on it would.
    void ClickAt(QPoint client) override;
    MapViewPort ViewPort() const override { return viewPort_; }
    std::optional<QString> HintTextAt(QPoint) const override { return hint_; }
    void NamesChanged() override {
        ++namesChanged_;
        Changed();
    }

    // The state the view reports.
    void SetLevelState(int level) { level_ = level; }
    void SetScaleState(const QString& label, uint8_t flag) {
        scaleLabel_ = label;
        displayScaleFlag_ = flag;
    }
    void SetSelectionState(bool shown, const TLN_ParcelNumber& parcel = {}) {
        selectionShown_ = shown;
        selected_ = parcel;
    }
    void SetViewPortState(const MapViewPort& port) { viewPort_ = port; }
    void SetHint(std::optional<QString> hint) { hint_ = std::move(hint); }
    // The parcel a click selects (none: clicks select nothing).
    void PlaceParcel(std::optional<TLN_ParcelNumber> parcel) { clickable_ = parcel; }

    // Fire the events as the view would, each only with a receiver.
    void FireLevelChanged();
    void FirePosChanged(TLN_PID position);
    void FireScaleChanged();
    void FireSelectionChanged();
    void FireViewPortChanged();

    int NamesChangedCount() const { return namesChanged_; }
    int ZoomIns() const { return zoomIns_; }
    int ZoomOuts() const { return zoomOuts_; }
    const std::vector<QPoint>& Clicks() const { return clicks_; }

    const std::shared_ptr<TLN_KiwiMap>& Map() const { return map_; }
    const std::shared_ptr<TLN_RegionManager>& Regions() const { return regions_; }
    MapViewEvents* Events() const { return events_; }

protected:
    // Called after a setting that shows on screen changed.
    virtual void Changed() {}

    std::shared_ptr<TLN_KiwiMap> map_;
    std::shared_ptr<TLN_RegionManager> regions_;
    std::array<uint32_t, 16> colours_{};
    MapViewEvents* events_ = nullptr;
    bool drawGrid_ = false;
    bool useDisplayScale_ = true;
    int scale_ = 4;
    int layers_ = 7;
    int level_ = 0;
    QString scaleLabel_;
    uint8_t displayScaleFlag_ = 0;
    bool selectionShown_ = false;
    TLN_ParcelNumber selected_;
    std::optional<TLN_ParcelNumber> clickable_;
    MapViewPort viewPort_;
    std::optional<QString> hint_;
    int namesChanged_ = 0;
    int zoomIns_ = 0;
    int zoomOuts_ = 0;
    std::vector<QPoint> clicks_;
};

class MapViewPlaceholder : public QWidget, public StoredMapView {
    Q_OBJECT
public:
    explicit MapViewPlaceholder(QWidget* parent = nullptr);
    ~MapViewPlaceholder() override;

    QWidget* Widget() override { return this; }

protected:
    void Changed() override { update(); }
    void paintEvent(QPaintEvent* event) override;
};
