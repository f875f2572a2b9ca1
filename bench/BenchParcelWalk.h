// Shared by the benchmarks that walk a main map: every level, block set, block and parcel record, and each
// undivided parcel's distribution header with its tables.
#pragma once

#include <cstdint>

#include "kiwi/map/KiwiMap.h"

namespace bench {

// Calls visit(levelRecord, parcel) for each parcel whose distribution header reads.
template <typename Visit> void forEachParcelHeader(TLN_KiwiMap& map, Visit&& visit) {
    for (uint32_t l = 0; l < map.LevelCount(); ++l) {
        const uint8_t level = uint8_t(l);
        const TLN_Level_Management_Record& record = *map.Level(level);
        for (int32_t set = 0; set < record.BlockSetCount(); ++set)
            for (int32_t b = 0; b < record.BlockCount(); ++b) {
                TLN_Block_Management_Record block;
                TLN_Parcel_Management_Info info;
                if (!map.ReadBlock(level, uint32_t(set), uint32_t(b), block) ||
                    !map.ReadParcelManagement(block.Stream, level, info, block.Address))
                    continue;
                for (uint32_t p = 0; p < info.RecordCount; ++p) {
                    TLN_MM_Parcel_Managenent_Record parcel;
                    TLN_MM_Distribution_Header header;
                    if (!map.ReadParcel(block.Stream, level, p, parcel, false, block.Address) ||
                        parcel.IsDivided() ||
                        !map.ReadMainMapHeader(parcel.Stream, level, header, true, parcel.Address))
                        continue;
                    visit(record, parcel);
                }
            }
    }
}

} // namespace bench
