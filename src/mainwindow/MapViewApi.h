// What the main window asks of the map view. The map view comes later; until then a placeholder implements
// this, and tests record the calls.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

class TLN_KiwiMap;
class TLN_RegionManager;

class MapViewApi {
public:
    virtual ~MapViewApi() = default;
    // The map to draw; null for none.
    virtual void SetMap(std::shared_ptr<TLN_KiwiMap> map) = 0;
    virtual void SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) = 0;
    // The 16 road colours (0x00BBGGRR), display classes 0 to 15.
    virtual std::array<uint32_t, 16> RoadColors() const = 0;
    virtual void SetRoadColors(const std::array<uint32_t, 16>& colours) = 0;
    virtual bool DrawGrid() const = 0;
    virtual void SetDrawGrid(bool on) = 0;
    // Scale density (4 normal, 8 double).
    virtual int ScaleDensity() const = 0;
};
