// REGION.KWI management records (region data management distribution header, level management records,
// region management records) and their decoders over one byte span.
#pragma once

#include <cstdint>
#include <string>

#include "kiwi/core/BeCursor.h"

// Region management records of this type code carry the file name of their route planning data frame.
constexpr uint16_t kRegionTypeWithFileName = 100;
// Bytes of the distribution header before the first level management record.
constexpr int kRegionHeaderFixedSize = 50;
// Bytes of a level management record that are read (its stored size may be larger).
constexpr int kRegionLevelRecordReadSize = 16;
// Bytes of a region management record without and with the frame file name.
constexpr int kRegionRecordReadSize = 24;
constexpr int kRegionRecordNamedReadSize = 36;
// A valid file has 1 to 9 levels.
constexpr int kMaxRegionLevels = 9;

// Region data management distribution header. Sizes as stored (words or sectors, as named); positions are
// stream positions (the reader's base plus the KIWI address), -1 when the address is all ones.
struct TLN_Region_Header {
    int64_t Position = 0;
    uint16_t HeaderSize = 0; // words
    uint16_t TypeCode = 0;   // the low byte of the word at +2
    uint32_t TotalRegionRecords = 0;
    uint32_t RegionTableAddress = 0;
    int64_t RegionTablePosition = -1;
    uint16_t RegionTableSize = 0; // sectors
    std::string RegionTableFileName;
    uint32_t TrafficTableAddress = 0;
    int64_t TrafficTablePosition = -1;
    uint16_t TrafficTableSize = 0; // sectors
    std::string TrafficTableFileName;
    uint16_t TrafficRecordSize = 0;
    uint8_t LevelCount = 0;
    uint16_t LevelRecordSize = 0; // words
};

// Region level management record with the derived start of the level's region management table.
struct TLN_Region_Level_Record {
    int64_t Position = -1;
    uint8_t LevelCode = 0; // bits 7-2 of the first byte
    uint8_t BasicFrameCount = 0;
    uint8_t ExtendedFrameCount = 0;
    uint16_t RegionCount = 0;
    // Record sizes in words, as stored.
    uint16_t RegionRecordSize = 0;
    uint16_t NodeRecordSize = 0;
    uint16_t LinkRecordSize = 0;
    uint16_t LinkCostRecordSize = 0;
    uint16_t RegulationRecordSize = 0;
    uint16_t BetweenLinksRecordSize = 0;
    int64_t TablePosition = -1;
};

// Region management record. Edges in 1/8 arc-second. The frame lies in FrameFile (a resolved path) when the
// record names a file that was found beside the region data, else in the reader's own stream.
struct TLN_Region_Manag_Record {
    int64_t Position = -1;
    int32_t Top = 0;    // Uppermost Latitude of Region
    int32_t Bottom = 0; // Lowest Latitude of Region
    int32_t Left = 0;   // Leftmost Longitude of Region
    int32_t Right = 0;  // Rightmost Longitude of Region
    uint16_t HigherRegion = 0;
    uint16_t LowerRegionFirst = 0;
    uint16_t LowerRegionCount = 0;
    uint32_t FrameAddress = 0;  // KIWI address as stored
    int64_t FramePosition = -1; // position in the frame's stream; -1 none
    uint32_t FrameSize = 0;     // bytes
    std::string FileName;       // as stored (type 100 only)
    std::string FrameFile;      // resolved path; "" = the reader's own stream
};

// Decoders: the span starts at the record; positions derive from base (the reader's base) and position (the
// record's own stream position). They return false when the span cannot hold the record.
bool DecodeRegionHeader(const BeCursor& span, int64_t base, TLN_Region_Header& out);
bool DecodeRegionLevelRecord(const BeCursor& span, int64_t position, TLN_Region_Level_Record& out);
bool DecodeRegionRecord(const BeCursor& span, int64_t position, bool withFileName,
                        TLN_Region_Manag_Record& out);
