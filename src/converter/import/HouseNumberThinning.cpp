// Grid lookups for the house-number proximity lists.
#include "converter/import/HouseNumberThinning.h"

#include <cstdlib>

namespace mp_import {

using building_data::Point;

int64_t NearPointSet::CellOf(int32_t v) const {
    const int64_t q = int64_t(v) / distance_;
    return (int64_t(v) % distance_ < 0) ? q - 1 : q; // floor, so cells do not double up around zero
}

uint64_t NearPointSet::CellKey(int64_t cx, int64_t cy) const {
    return (uint64_t(uint32_t(int32_t(cx))) << 32) | uint64_t(uint32_t(int32_t(cy)));
}

void NearPointSet::Add(Point p) {
    cells_[CellKey(CellOf(p.x), CellOf(p.y))].push_back(p);
}

bool NearPointSet::HasPointNear(Point p) const {
    const int64_t cx = CellOf(p.x);
    const int64_t cy = CellOf(p.y);
    for (int64_t x = cx - 1; x <= cx + 1; ++x) {
        for (int64_t y = cy - 1; y <= cy + 1; ++y) {
            const auto it = cells_.find(CellKey(x, y));
            if (it == cells_.end()) continue;
            for (const Point q : it->second)
                if (std::llabs(int64_t(q.x) - p.x) < distance_ && std::llabs(int64_t(q.y) - p.y) < distance_)
                    return true;
        }
    }
    return false;
}

uint8_t HouseNumberThinning::Decide(Point p) {
    if (keptAll_.HasPointNear(p)) return 0;
    if (kept33_.HasPointNear(p)) {
        keptAll_.Add(p);
        return building_data::kHouseNumberNear;
    }
    kept33_.Add(p);
    keptAll_.Add(p);
    return building_data::kHouseNumber;
}

void HouseNumberThinning::Clear() {
    kept33_.Clear();
    keptAll_.Clear();
}

} // namespace mp_import
