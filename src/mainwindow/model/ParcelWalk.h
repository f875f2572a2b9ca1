// The walk from the parcel selected on the map to its node in the record tree: down "ALL DATA", "Map Data",
// the level, block set and block, whose children are replaced by the one parcel's node (under its divided
// parcel's node for a sub-parcel), which is built one level deep.
#pragma once

#include <cstdint>
#include <vector>

#include "kiwi/map/LevelRecord.h"
#include "kiwi/map/ParcelNumber.h"

class RecordTreeModel;
class TLN_KiwiMap;
struct RecordNode;

// The numbers of a parcel's units inside their parents, row by row (the second index times the count
// across plus the first index): block set in the level, block in the block set, parcel in the block and
// sub-parcel in a divided parcel (by the number's division counts).
struct ParcelIndices {
    uint32_t blockSet = 0;
    uint32_t block = 0;
    uint32_t parcel = 0;
    uint32_t subParcel = 0;
};
ParcelIndices ParcelIndicesOf(const TLN_Level_Management_Record& level, const TLN_ParcelNumber& number);

struct ParcelWalk {
    // The nodes expanded on the way down, from "ALL DATA" to the block (and a divided parcel's node): a
    // tree view expands them too.
    std::vector<RecordNode*> path;
    // The parcel's node (kind 14), built one level deep, for the view to show and select; null when the
    // walk stopped at a node or record that is missing.
    RecordNode* parcel = nullptr;
};

// Walks the model's tree to the parcel of number in map. Every expansion goes through the model (a builder
// that fails is reported by it and ends the walk). The block's children are deleted and it is marked as
// walked to one parcel, so that collapsing it later gives back all its parcels; a second walk into the
// same block leaves only the second parcel's node. A missing node or parcel record stops the walk where it
// is, with the tree as far as it got.
ParcelWalk WalkToParcel(RecordTreeModel& model, TLN_KiwiMap& map, const TLN_ParcelNumber& number);
