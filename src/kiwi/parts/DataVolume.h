// The data volume record at the start of "ALLDATA.KWI": who made the data, for which system, and its levels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiPrimitives.h"

struct TLN_Data_Level_Entry {
    uint8_t LevelCode = 0;
    uint16_t BlockRecordCount = 0;
};

struct TLN_Data_Level_Information {
    uint8_t DataType = 0;
    uint8_t LevelCount = 0;
    std::vector<TLN_Data_Level_Entry> Levels;
};

struct TLN_Data_Volume {
    // Identification records: office position, floor (ByteValue), date (WordValue), identification text.
    TLN_NamedPointRecord Maker;
    TLN_NamedPointRecord DataAuthor;
    TLN_NamedPointRecord System;
    std::string FormatVersionNumber;
    std::string DataVersionNumber;
    std::string DiskTitle;
    uint16_t DataContents = 0;
    std::string MediaVersionNumber;
    TLN_Point CoverageLowerLeft;
    TLN_Point CoverageUpperRight;
    uint16_t LogicalSectorSize = 0;
    uint16_t SectorSize = 0;
    uint16_t BackgroundDataDefaults = 0;
    int32_t DataTypeCount = 0;
    // Read only when fewer than 5 data types are declared.
    std::vector<TLN_Data_Level_Information> LevelInformation;
};

// Bytes from the start of the file that hold the data volume record, its level lists at their longest
// and the management header table, so that one read covers them all.
constexpr int64_t kDataVolumeSpan = 5632;

// Decodes the data volume record from a span starting at byte 0 of the file; missing bytes read as 0.
TLN_Data_Volume DecodeDataVolume(const BeCursor& span);
