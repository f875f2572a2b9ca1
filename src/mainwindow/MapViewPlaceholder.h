// The map view until the map control is built: it keeps what the main window hands it (the map, the route
// planning data, road colours, grid, scale density) and says which map it would draw.
#pragma once

#include <QWidget>

#include "mainwindow/MapViewApi.h"

class MapViewPlaceholder : public QWidget, public MapViewApi {
    Q_OBJECT
public:
    explicit MapViewPlaceholder(QWidget* parent = nullptr);
    ~MapViewPlaceholder() override;

    void SetMap(std::shared_ptr<TLN_KiwiMap> map) override;
    void SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) override;
    std::array<uint32_t, 16> RoadColors() const override { return colours_; }
    void SetRoadColors(const std::array<uint32_t, 16>& colours) override;
    bool DrawGrid() const override { return drawGrid_; }
    void SetDrawGrid(bool on) override;
    int ScaleDensity() const override { return 4; }

    const std::shared_ptr<TLN_KiwiMap>& Map() const { return map_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<TLN_KiwiMap> map_;
    std::shared_ptr<TLN_RegionManager> regions_;
    std::array<uint32_t, 16> colours_{};
    bool drawGrid_ = false;
};
