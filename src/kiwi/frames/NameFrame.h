// The name data frame of a parcel: name data management entries per name display class and the name data
// records with their placement and their string.
#pragma once

#include <cstdint>
#include <vector>

#include "kiwi/frames/MapString.h"
#include "kiwi/io/FrameSpan.h"
#include "kiwi/map/LevelRecord.h"

// The frame keeps at most this many display classes; a record is 12 bytes at least.
constexpr int kNameDisplayClassLimit = 32;
constexpr int64_t kNameRecordFixedSize = 12;

struct TLN_Name_Management_Information {
    // Position of the name data list; -1 when the class has none or it lies outside the frame.
    int64_t ListPosition = -1;
    uint16_t Offset = 0;
    // Number of Name Data Records as stored and as many as can fit in the frame.
    uint16_t StoredRecordCount = 0;
    uint16_t RecordCount = 0;
};

struct TLN_Name_Data_Frame {
    int64_t Position = -1;
    uint32_t HeaderSize = 0;
    // The level's name display class count (at most 32): one entry each, as far as they fit in the frame.
    int ClassCount = 0;
    std::vector<TLN_Name_Management_Information> Classes;
};

struct TLN_Name_Data_Record {
    int64_t Position = -1;
    uint16_t Word0 = 0;
    bool Flag15 = false;
    bool TemporalFlag = false;
    bool ExtendedFlag = false;
    // Sizeof_Minimum_Graphics_Data_Record in bytes (stored in words).
    uint32_t Size = 0;
    uint16_t DisplayScale = 0;
    // Display_Scale_Flag 1 to 5 in bits 4-0 (flag 1 = bit 4).
    uint8_t DisplayScaleFlags = 0;
    // String Type 1..6 (0 and 7 have no layout: such a record is not readable).
    uint8_t StringType = 0;
    bool Orientation = false;
    uint8_t Priority = 0;
    uint16_t TypeCode = 0;
    uint16_t Word6 = 0;
    uint8_t AdditionalInfoType = 0;
    bool AdditionalInfoFlag = false;
    bool AuxiliaryFlag = false;
    uint8_t PlacementPointCount = 0;
    // String types 2, 3 and 6.
    uint8_t MultiplicationConstant = 0;
    // String type 4.
    uint8_t PlacementType = 0;
    uint8_t IdentificationFlag = 0;
    uint16_t DrawDataOffset = 0;
    std::vector<uint16_t> PlacementPoints;
    // String types 1, 2, 3, 5 and 6.
    uint8_t RelativeX = 0;
    uint16_t StartX = 0;
    uint8_t RelativeY = 0;
    uint16_t StartY = 0;
    // The word after the coordinates of string types 2, 5 and 6, as stored.
    uint16_t TypeWord = 0;
    // String Size in bytes (stored in words; 0 = no string) and where the string lies.
    uint32_t StringSize = 0;
    int64_t StringPosition = -1;
    KiwiText String;
    // False for string types 0 and 7 and for a record whose fields run past its frame.
    bool Readable = false;

    // String type 2: the anchor's offsets (signed bytes), scaled by 1 shl the multiplication constant.
    int8_t OffsetX() const { return int8_t(TypeWord >> 8); }
    int8_t OffsetY() const { return int8_t(TypeWord & 0xFF); }
    // String type 5: the angle in degrees (bits 8-0).
    uint16_t Angle() const { return uint16_t(TypeWord & 0x1FF); }
    // String type 6: String_Placement_Position (0 above, 1 below, 2 left, 3 right).
    uint8_t PlacementPosition() const { return uint8_t((TypeWord >> 12) & 3); }
};

// Readers over the name data frame span (N = frame.Position()). systemNumber is the data volume's: from
// 8 on the entries start at N + 4.
bool ReadNameDataFrame(const TLN_FrameSpan& frame, const TLN_Level_Management_Record& level,
                       TLN_Name_Data_Frame& out, uint32_t systemNumber);
// The record at R when it is shown at mask (only then is it read past its display flags); the string is
// converted with pages, in the given language, and with keepRaw its bytes are kept as well.
bool ReadNameRecord(const TLN_FrameSpan& frame, uint32_t mask, bool keepRaw, TLN_Name_Data_Record& out,
                    int64_t position, uint32_t language = 0,
                    const TLN_TextPages& pages = TLN_TextPages::Current());
// The records of a class one after another, as many as its count says and fit in the frame.
std::vector<int64_t> NameRecordPositions(const TLN_FrameSpan& frame,
                                         const TLN_Name_Management_Information& entry);
