// The choice of which house numbers to keep when several lie close together: a number far from every
// kept 0x33 number is kept as 0x33, one near a kept 0x33 number is kept as 0x34 (drawn only at close
// zoom), and one very near any kept number is dropped.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "converter/import/BuildingData.h"

namespace mp_import {

// Points with a question "does a stored point lie within distance, both |dx| and |dy| strictly below
// it?" answered through a grid of cells as wide as the distance, so each question looks at 9 cells.
class NearPointSet {
public:
    explicit NearPointSet(int32_t distance) : distance_(distance) {}
    void Add(building_data::Point p);
    bool HasPointNear(building_data::Point p) const;
    void Clear() { cells_.clear(); }

private:
    uint64_t CellKey(int64_t cx, int64_t cy) const;
    int64_t CellOf(int32_t v) const;
    int32_t distance_;
    std::unordered_map<uint64_t, std::vector<building_data::Point>> cells_;
};

class HouseNumberThinning {
public:
    static constexpr int32_t kFarDistance = 200; // units from a kept 0x33 number
    static constexpr int32_t kNearDistance = 25; // units from any kept number

    // The kind to write for a number at p (kHouseNumber or kHouseNumberNear), or 0 when it is dropped;
    // a kept number enters the lists.
    uint8_t Decide(building_data::Point p);
    void Clear();

private:
    NearPointSet kept33_{kFarDistance};   // list A
    NearPointSet keptAll_{kNearDistance}; // list B
};

} // namespace mp_import
