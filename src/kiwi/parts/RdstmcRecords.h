// Records of the KIWI RDS-TMC part: headers, regions, location groups, locations and messages.
// Positions are absolute byte positions (-1 = none), sizes are in bytes.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

#include "kiwi/core/KiwiPrimitives.h"

// RDS-TMC management distribution header (at the part's base).
struct TLN_RdstmcHeader {
    TLN_PointRecord Maker; // maker's office latitude and longitude, floor, date
    uint16_t UsageCode = 0;
    uint16_t Reserved = 0;
    int64_t HeaderSize = 0;
    int64_t TmcFramePosition = -1;
    int64_t TmcFrameSize = 0;
    int64_t EventsFramePosition = -1;
    int64_t EventsFrameSize = 0;
    int64_t TextFramePosition = -1;
    int64_t TextFrameSize = 0;
};

// TMC data frame header.
struct TLN_TmcFrameHeader {
    uint16_t Reserved = 0;
    int64_t HeaderSize = 0;
    uint32_t NumberOfRegions = 0; // as stored
    int64_t RegionRecordSize = 0;
    int64_t GroupFramePosition = -1;
    int64_t GroupFrameSize = 0;
    int64_t LocationInfoFramePosition = -1;
    int64_t LocationInfoFrameSize = 0;
    int64_t LocationFramePosition = -1;
    int64_t LocationFrameSize = 0;
};

// The 74-byte events data frame header: a header size, then one {offset (words, from the events
// frame), size (words)} pair per message partition 0 to 3; the rest is kept as stored.
struct TLN_TmcEventsHeader {
    int64_t HeaderSize = 0;
    int64_t PartitionPosition[4] = {-1, -1, -1, -1};
    int64_t PartitionSize[4] = {};
    QByteArray Raw;
};

// TMC region data management information (32 bytes).
struct TLN_TmcRegion {
    int64_t Position = -1;
    uint8_t CountryCode = 0;
    uint8_t LocationTableNumber = 0;
    uint8_t AreaCode = 0;
    uint8_t ExtendedCountryCode = 0;
    int64_t GroupDataPosition = -1;
    uint16_t NumberOfGroups = 0; // as stored
    int64_t ReadableGroups = 0;  // the groups whose records lie inside the group data frame
    int64_t GroupRecordSize = 0;
    int64_t LocationInfoPosition = -1;
    uint16_t NumberOfLocationInfos = 0;
    int64_t LocationInfoRecordSize = 0;
    int64_t LocationDataPosition = -1;
    int64_t LocationDataSize = 0;
    int64_t NamePosition = -1;
    // Why the region's group or location info table is no table ("" when both are): records closer
    // together than the fields each holds, one reason a line. Such a table reads no records.
    std::string TableError;
};

// TMC region group information (10 bytes).
struct TLN_TmcGroup {
    int64_t Position = -1;
    uint16_t FirstLocationNumber = 0;
    uint16_t LastLocationNumber = 0;
    uint16_t NumberOfLocations = 0; // as stored
    int64_t ReadableLocations = 0;  // the locations whose records lie inside the location info frame
    // Why fewer locations are readable than the group counts ("" when all are).
    std::string TableError;
    int64_t LocationInfoPosition = -1;
};

// TMC location information (10 bytes).
struct TLN_TmcLocationInfo {
    int64_t Position = -1;
    uint16_t LocationNumber = 0;
    uint16_t Property1 = 0;
    uint8_t LocationType = 0;
    uint8_t Property2 = 0;
    int64_t LocationDataPosition = -1;
};

// TMC location data (50 bytes).
struct TLN_TmcLocationData {
    int64_t Position = -1;
    uint32_t LocationTypeCode = 0;
    uint16_t Value4 = 0; // the u16 at 4
    int64_t RoadName1Position = -1;
    int64_t RoadName2Position = -1;
    uint16_t RoadSectionLocationNumber = 0;
    uint16_t Property3 = 0;
    int64_t CrossingRoadName1Position = -1;
    int64_t CrossingRoadName2Position = -1;
    uint16_t PreviousCrossroad = 0;
    uint16_t NextCrossroad = 0;
    uint32_t Property4 = 0;
    uint32_t Property5 = 0;
    uint32_t Property6 = 0;
    TLN_Point Location;
};

// A TMC message record of any of the three layouts (fields a layout lacks stay 0).
struct TLN_TmcMessage {
    int64_t Position = -1;
    uint16_t MessageNumber = 0;
    uint32_t Property1 = 0;
    int64_t TextPosition = -1;
    uint32_t Property2 = 0;
};
