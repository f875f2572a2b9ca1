// The check a conversion run makes of the source's main map management data before it writes anything.
// The run copies the management data to its new place and then writes into the copy where the source's
// own offsets point: each level's block set records and each block set's block records. On a damaged
// source those offsets can point at the header, past the data, or into another table, and the writes would
// break the new map while the run reported success. So every table the run writes into must lie inside the
// management data the source holds, after its header and level records, apart from every other table; the
// records must be as large as their fields; and every parcel management list a block names must lie whole
// in its file, so that no parcel is left out unsaid.
#pragma once

#include <string>

class TLN_KiwiMap;

// Why a source that has no level to convert holds no main map: the field or part that is missing.
std::string NoMainMapReason(TLN_KiwiMap& map);
// The reason the source's management tables cannot be copied, naming the level, block set and table, or
// "" when they can.
std::string ManagementTableRefusal(TLN_KiwiMap& map);
