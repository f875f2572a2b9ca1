// Joining the holes of a multi-ring polygon into its outer ring, so that one outline with a zero-width
// seam per hole draws the same area, and dropping the closing points an outline repeats at its end.
#pragma once

#include <vector>

#include "converter/import/BuildingData.h"

namespace mp_import {

// Joins each further ring, in turn, into the first: at the pair (a on the outline, b on the ring) with
// the least |dx| + |dy| (the first such pair, outline point before ring point, wins) the outline
// becomes its points 0..a, the ring from b to its end, the ring from its start to b, then a..end.
// rings[0] receives the result; the other rings are left empty. No ring is left untouched when only one
// is given. scratch is reused storage.
void MergeRings(std::vector<std::vector<building_data::Point>>& rings, size_t ringCount,
                std::vector<building_data::Point>& scratch);

// Drops trailing points equal to the first, then trailing points equal to the one before them, each
// while more than 2 points remain.
void DropClosingPoints(std::vector<building_data::Point>& outline);

} // namespace mp_import
