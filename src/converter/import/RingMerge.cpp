// The nearest-pair seam join of polygon rings and the clean-up of closing points.
#include "converter/import/RingMerge.h"

#include <cstdint>
#include <cstdlib>

namespace mp_import {

using building_data::Point;

void MergeRings(std::vector<std::vector<Point>>& rings, size_t ringCount, std::vector<Point>& scratch) {
    if (ringCount < 2) return;
    std::vector<Point>& merged = rings[0];
    for (size_t k = 1; k < ringCount; ++k) {
        std::vector<Point>& ring = rings[k];
        if (ring.empty()) continue;
        if (merged.empty()) {
            merged.swap(ring);
            continue;
        }
        size_t a = 0;
        size_t b = 0;
        int64_t best = INT64_MAX;
        for (size_t i = 0; i < merged.size(); ++i) {
            const Point p = merged[i];
            for (size_t j = 0; j < ring.size(); ++j) {
                const int64_t sum =
                    std::llabs(int64_t(p.x) - ring[j].x) + std::llabs(int64_t(p.y) - ring[j].y);
                if (sum < best) {
                    best = sum;
                    a = i;
                    b = j;
                }
            }
        }
        scratch.clear();
        scratch.reserve(merged.size() + ring.size() + 2);
        scratch.insert(scratch.end(), merged.begin(), merged.begin() + ptrdiff_t(a) + 1);
        scratch.insert(scratch.end(), ring.begin() + ptrdiff_t(b), ring.end());
        scratch.insert(scratch.end(), ring.begin(), ring.begin() + ptrdiff_t(b) + 1);
        scratch.insert(scratch.end(), merged.begin() + ptrdiff_t(a), merged.end());
        merged.swap(scratch);
        ring.clear();
    }
}

void DropClosingPoints(std::vector<Point>& outline) {
    if (outline.empty()) return;
    while (outline.size() > 2 && outline.back() == outline.front())
        outline.pop_back();
    while (outline.size() > 2 && outline.back() == outline[outline.size() - 2])
        outline.pop_back();
}

} // namespace mp_import
