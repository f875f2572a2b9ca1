// The block and parcel filters of a conversion run: trimming to a rectangle (the imported data's box or
// the chosen edges) above the trim level, trimming to the selected areas by the parcels' area codes (sea
// and neighbouring parcels optionally kept), and the Denso filter that drops parcels west of longitude 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "converter/rewrite/BlockGeometry.h"
#include "converter/source/ConversionOptions.h"
#include "kiwi/map/MainMapRecords.h"

class TLN_KiwiMap;

namespace rewrite {

class ParcelFilters {
public:
    // importBox: the imported data's box (used when the trim follows it), or an empty box.
    ParcelFilters(TLN_KiwiMap& map, const ConversionOptions& options, const building_data::Box& importBox);

    bool BlockInTrimArea(uint8_t level, uint32_t set, uint32_t block) const;
    bool ParcelInTrimArea(uint8_t level, uint32_t set, uint32_t block, uint32_t parcel) const;
    // The same tests on a level placed by the numbers given: the added level has no record in the source.
    bool BlockInTrimArea(uint8_t level, const LevelGeometry& g, uint32_t set, uint32_t block) const;
    bool ParcelInTrimArea(uint8_t level, const LevelGeometry& g, uint32_t set, uint32_t block,
                          uint32_t parcel) const;
    // False for a parcel west of longitude 0 on level 1 or above when the Denso filter is on.
    bool ParcelPassesDensoWestFix(uint8_t level, uint32_t set, uint32_t block, uint32_t parcel) const;
    bool ParcelInSelectedAreas(uint8_t level, const TLN_MM_Parcel_Managenent_Record& record) const;
    // Whether ParcelInSelectedAreas looks at the parcel on the level at all (else it keeps every one).
    bool SelectsAreas(uint8_t level) const;
    // Everything but the Denso filter, as one test: the parcels the transfer keeps and whose one-way roads
    // give arrows. The record as its frame (or, with size 0, its sub-parcels' information): the area test
    // reads it only when areas are selected on the level.
    bool ParcelKept(uint8_t level, uint32_t set, uint32_t block, uint32_t parcel,
                    const std::shared_ptr<TLN_Stream>& stream, int64_t address, uint32_t size) const;

    // Why the rectangle trim would keep nothing of a level it trims, or "": it meets nothing of the map's
    // coverage (extraLevel: the added level, above every old one, is trimmed too).
    std::string TrimRefusal(bool extraLevel) const;

private:
    // Whether the rectangle trim applies on the level.
    bool trimsByRectangle(uint8_t level) const;
    bool selectedAreas(uint8_t level, const std::shared_ptr<TLN_Stream>& stream, int64_t address,
                       uint32_t size) const;
    bool areaPasses(const std::shared_ptr<TLN_Stream>& stream, int64_t frame) const;
    // The parcel's own area code, or with "add adjacent" any neighbour's.
    bool framePasses(uint8_t level, const std::shared_ptr<TLN_Stream>& stream, int64_t frame,
                     uint32_t size) const;
    LevelGeometry geometry(uint8_t level) const;

    TLN_KiwiMap& map_;
    const ConversionOptions& options_;
    // The edges as given (1/8 arc-second), and the area they cover.
    MapRect edges_;
    TrimArea trim_;
};

} // namespace rewrite
