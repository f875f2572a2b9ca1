// The background data frame of a parcel: element management entries per background display class,
// background type units and their minimum graphics data records (points, lines and areas).
#pragma once

#include <cstdint>
#include <vector>

#include "kiwi/io/FrameSpan.h"
#include "kiwi/map/LevelRecord.h"

// The frame keeps at most this many display classes.
constexpr int kBackgroundDisplayClassLimit = 32;
// System numbers from this one on store wide element entries and type unit headers.
constexpr uint32_t kWideEntrySystemNumber = 8;
// Bytes of a minimum graphics data record before its shape.
constexpr int64_t kMinimumGraphicsFixedSize = 12;
// A display scale mask from this value on shows every record.
constexpr uint32_t kShowAllScales = 48;

struct TLN_Background_Type_Unit {
    int64_t Position = -1;
    // 0 points, 1 lines, 2 areas, 3 reserved.
    uint8_t ShapeClassification = 0;
    bool HeightFlag = false;
    // Number of Minimum Graphics Data Records as stored (bits 11-0) and as many as can fit in the frame.
    uint16_t StoredRecordCount = 0;
    uint16_t RecordCount = 0;
};

struct TLN_Element_Management_Information {
    // Element unit position and size in bytes; the entry is present when both are above 0.
    int64_t Position = -1;
    uint32_t Size = 0;
    // Number of background type units as stored, and the headers that fit in the element unit.
    uint16_t StoredTypeUnitCount = 0;
    std::vector<TLN_Background_Type_Unit> TypeUnits;

    bool Present() const { return Position > 0 && Size > 0; }
};

struct TLN_Background_Data_Frame {
    int64_t Position = -1;
    uint32_t HeaderSize = 0;
    // The level's background display class count, at most 32: one entry each.
    int ClassCount = 0;
    std::vector<TLN_Element_Management_Information> Elements;
};

struct TLN_Minimum_Graphics_Data_Record {
    int64_t Position = -1;
    uint16_t Word0 = 0;
    bool Flag15 = false;
    bool TemporalFlag = false;
    bool ExtendedFlag = false;
    // Size of Minimum Graphics Data Record in bytes (stored in words).
    uint32_t Size = 0;
    // Display Scale Flag 1 to 5 in bits 4-0 (flag 1 = bit 4).
    uint8_t DisplayScaleFlags = 0;
    // Number of Offset Coordinates Records as stored (bits 10-0); Offsets holds those inside the record.
    uint16_t StoredOffsetCount = 0;
    uint16_t TypeCode = 0;
    uint16_t Word6 = 0;
    uint8_t AdditionalInfoType = 0;
    bool AdditionalInfoFlag = false;
    bool NameFlag = false;
    bool AuxiliaryFlag = false;
    bool PenUpFlag = false;
    bool UndergroundFlag = false;
    uint8_t MultiplicationConstant = 0;
    uint8_t RelativeX = 0;
    uint16_t StartX = 0;
    uint8_t RelativeY = 0;
    uint16_t StartY = 0;
    // Coordinate_Offset X / Y records as stored: signed byte pairs (X high, Y low).
    std::vector<uint16_t> Offsets;
    // Pen up runs: the first word of each 4-byte run for shapes with points; the one word otherwise.
    std::vector<uint32_t> PenUpRuns;
    // Name Offset (words from the start of the name data frame), with the Name Flag.
    uint16_t NameOffset = 0;
    uint16_t AuxiliaryData = 0;
    // Additional Background Information Pointer (the Building ID for building information), when the
    // record's size leaves room for it after the fields before it.
    bool HasAdditionalPointer = false;
    uint32_t AdditionalPointer = 0;
    // Set when a count ran past the record and was cut.
    bool Truncated = false;
};

// Readers over the background data frame span (B = frame.Position()). systemNumber is the data
// volume's: from 8 on the element entries and type unit headers are wide.
uint32_t ReadBackgroundHeaderSize(const TLN_FrameSpan& frame);
// Entry i; found when its element unit lies in the frame with a position and size above 0.
bool ReadElementManagement(const TLN_FrameSpan& frame, int index, TLN_Element_Management_Information& out,
                           uint32_t systemNumber);
// The element unit's count and type unit headers, as many as fit in the element unit.
bool ReadBackgroundTypeUnit(const TLN_FrameSpan& frame, TLN_Element_Management_Information& entry,
                            uint32_t systemNumber);
// Header size, class count (the level's, at most 32) and every class's entry with its type units.
bool ReadBackgroundDisplayClass(const TLN_FrameSpan& frame, const TLN_Level_Management_Record& level,
                                TLN_Background_Data_Frame& out, uint32_t systemNumber);
// True when a record with these display scale flags is shown at mask.
bool DisplayScaleShows(uint8_t flags, uint32_t mask);
// The record at G when it is shown at mask (only then is it filled past its display flags). withPoints:
// the type unit holds lines or areas. The record's own Pen up Flag decides whether pen up runs follow.
bool ReadMinimumGraphics(const TLN_FrameSpan& frame, bool withPoints, TLN_Minimum_Graphics_Data_Record& out,
                         uint32_t mask, int64_t position);
// The same fields without the display test.
bool ReadMinimumGraphicsShape(const TLN_FrameSpan& frame, bool withPoints,
                              TLN_Minimum_Graphics_Data_Record& out, int64_t position);
// The records of a type unit one after another, as many as its count says and fit in the frame.
std::vector<int64_t> MinimumGraphicsPositions(const TLN_FrameSpan& frame,
                                              const TLN_Background_Type_Unit& unit);
