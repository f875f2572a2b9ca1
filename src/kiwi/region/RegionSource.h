// What a region needs from the reader of REGION.KWI to load itself: level and region records, the route
// planning distribution header and the stream a frame file names. TLN_RegionManager provides it; a region
// never sees the rest of the manager.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kiwi/io/Stream.h"
#include "kiwi/region/RegionRecords.h"
#include "kiwi/region/RouteRecords.h"

class TLN_RegionSource {
public:
    virtual ~TLN_RegionSource() = default;
    virtual bool GetLevelRecord(int i, TLN_Region_Level_Record& out) const = 0;
    virtual bool ReadRegionRecord(int level, int region, TLN_Region_Manag_Record& out) const = 0;
    // False when the header cannot be read whole; why (when given) then says what was short.
    virtual bool ReadRPDistributionHeader(int level, TLN_RP_Distribution_Header& out, int64_t framePosition,
                                          const std::string& frameFile, std::string* why = nullptr) const = 0;
    virtual std::shared_ptr<TLN_Stream> FrameStream(const std::string& frameFile) const = 0;
};
