// The record layouts of the main map management data (header, level, block set and block records): their
// sizes and field offsets, in one place for the reader, the converter's check of a source and its transfer.
#pragma once

#include <cstdint>
#include <string>

namespace main_map_layout {

// Main map data management header, at the part base; the first level record follows it at a fixed 30
// bytes (its Header Size field does not move it).
inline constexpr int64_t kHeaderBytes = 30;
inline constexpr int64_t kHeaderSizeField = 0;           // u16, words
inline constexpr int64_t kFileNameDesignationField = 4;  // u16, bit 0
inline constexpr int64_t kCoverageFields = 8;            // four 24-bit edges: north, south, west, east
inline constexpr int64_t kLevelRecordSizeField = 20;     // u16, words
inline constexpr int64_t kBlockSetRecordSizeField = 22;  // u16, words
inline constexpr int64_t kBlockRecordSizeField = 24;     // u16, words
inline constexpr int64_t kLevelRecordCountField = 26;    // u16
inline constexpr int64_t kBlockSetRecordCountField = 28; // u16

// Level management record: the 40 bytes every record has, then the optional class lists.
inline constexpr int64_t kLevelRecordBytes = 40;
inline constexpr int64_t kLevelBlockSetCounts = 24; // count pairs: "count - 1", Y first
inline constexpr int64_t kLevelBlockCounts = 26;
inline constexpr int64_t kLevelParcelCounts = 28;
inline constexpr int64_t kLevelDivisionCounts = 30;     // three pairs, division types 1 to 3
inline constexpr int64_t kLevelBlockSetTableField = 36; // u16, words from the part base

// Block set management record.
inline constexpr int64_t kBlockSetRecordBytes = 10;
inline constexpr int64_t kBlockSetBlockTableField = 2; // u32, words from the part base (all ones = none)
inline constexpr int64_t kBlockSetTableSizeField = 6;  // u32, words

// Block management record: KIWI address and size in sectors, then the data file name when the header's
// File Name Designation bit is set.
inline constexpr int64_t kBlockRecordBytes = 6;
inline constexpr int64_t kBlockFileNameField = 6;
inline constexpr int64_t kBlockFileNameBytes = 12;
inline constexpr int64_t kNamedBlockRecordBytes = kBlockRecordBytes + kBlockFileNameBytes;

inline constexpr int64_t BlockRecordBytes(bool fileNames) {
    return fileNames ? kNamedBlockRecordBytes : kBlockRecordBytes;
}

// Why records of recordBytes bytes (a header field) cannot hold their fields, or "" when they can.
inline std::string RecordSizeRefusal(const char* record, int64_t recordBytes, int64_t needed,
                                     const char* why = "") {
    if (recordBytes >= needed) return {};
    return std::string("the main map management header gives the ") + record + " records " +
           std::to_string(recordBytes) + " bytes, fewer than the " + std::to_string(needed) +
           " bytes their fields take" + why;
}

} // namespace main_map_layout
