// In-memory records of the main map management data below the level: block sets, blocks, parcel
// management information and parcel management records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kiwi/io/Stream.h"

// Block set management record (10 bytes read).
struct TLN_BlockSet_Management_Record {
    // Bits 7-2 of the first byte.
    uint8_t LevelCode = 0;
    uint8_t BlockSetNumber = 0;
    // Byte position of the block management table; -1 when there is none.
    int64_t BlockTablePosition = -1;
    // Size of the block management table in bytes.
    uint32_t BlockTableSize = 0;
    // Block records the map accepts: the level's block count (its division names the blocks, not the
    // table's size field) cut to the records that lie in the file.
    uint32_t BlockCount = 0;
    int64_t Position = -1;
};

struct TLN_Block_Management_Record {
    // Byte position of the block's parcel management information in Stream; -1 = none.
    int64_t Address = -1;
    // Size of the parcel management information in bytes (sectors × logical sector size).
    uint32_t Size = 0;
    // The data file named by the record ("" when the information lies in the main map part).
    std::string FileName;
    // The part stream, or the data file's stream; null when the named file cannot be opened.
    std::shared_ptr<TLN_Stream> Stream;
    int64_t Position = -1;
};

struct TLN_Parcel_Management_Info {
    // 0 = undivided, 1..3 = the level's division types.
    uint8_t DivisionType = 0;
    uint8_t ListType = 0;
    // The header's first byte whole (the division type is its low two bits).
    uint8_t FirstByte = 0;
    // Byte position of the route guidance parcel management list; -1 = none.
    int64_t RouteGuidanceListPosition = -1;
    // X count × Y count of the division type's entry in the level's division table, and the part of it
    // whose records fit in the stream (the records read).
    uint32_t StoredRecordCount = 0;
    uint32_t RecordCount = 0;
    // List types 202, 204 and 206: the word at +4 (1 = a file name follows) and that file name.
    uint16_t FileNameFlag = 0;
    std::string FileName;
    // Byte position of the parcel management list (after the header and its extension).
    int64_t ListPosition = -1;
    int64_t Position = -1;
};

// The type name is spelt so.
struct TLN_MM_Parcel_Managenent_Record {
    // Byte position of the parcel's main map data frame in Stream; for a divided parcel (Size 0) the
    // position of the sub-parcels' parcel management information. -1 = none.
    int64_t Address = -1;
    // Frame size in bytes (stored 32-byte sectors × 32); 0 = divided parcel.
    uint32_t Size = 0;
    // List types 1 and 2: the word at record offset 6.
    uint16_t ExtraWord = 0;
    uint8_t ListType = 0;
    // A divided parcel's division type, read from its sub-parcels' information; 0 otherwise.
    uint8_t DivisionType = 0;
    std::string FileName;
    std::shared_ptr<TLN_Stream> Stream;
    // Byte position of the record.
    int64_t Position = -1;

    bool IsDivided() const { return Size == 0; }
};

// A data file opened for the map: its name on disk, and its stream.
struct TLN_FileStreamRec {
    std::string FileName;
    std::shared_ptr<TLN_Stream> Stream;
};
