// The map view until the map control is built, and the base of test doubles: it keeps what the main window
// hands it (the map, the route planning data, road colours, grid, scale density, layers) and says which
// map it would draw.
#pragma once

#include <QWidget>

#include "mapview/MapViewApi.h"

// Keeps every setting the main window hands a map view, draws nothing and fires no event.
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
    void ZoomIn() override {}
    void ZoomOut() override {}
    int Level() const override { return 0; }
    int Zoom() const override { return 1; }
    QString ScaleLabel() const override { return {}; }
    uint8_t DisplayScaleFlag() const override { return 0; }
    bool SelectionShown() const override { return false; }
    TLN_ParcelNumber SelectedParcel() const override { return {}; }
    void ClickAt(QPoint) override {}
    MapViewPort ViewPort() const override { return {}; }
    std::optional<QString> HintTextAt(QPoint) const override { return std::nullopt; }
    void NamesChanged() override { Changed(); }

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
