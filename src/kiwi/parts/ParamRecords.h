// Records of the KIWI parameters part: management pointers, the drawing parameter header, frame
// references, the landmark data frame and its three pattern table layouts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/Failure.h"
#include "kiwi/core/KiwiPrimitives.h"

// Parameters management information pointer (20 bytes) joined with the management information record
// it points to. Positions are absolute byte positions (-1 = none), sizes are in bytes.
struct TLN_ParamManagementPointer {
    TLN_PointRecord Point;               // user classification: coordinate pair, floor byte, date word
    uint16_t DataClassificationCode = 0; // the middle two bytes of the 32-bit field at 12
    int64_t RecordPosition = -1;
    int64_t RecordSize = 0;
    int64_t DataFramePosition = -1;
    int64_t DataFrameSize = 0;
    bool LineStylePaletteTableExists = false; // flags bit 7
    bool MapElementParametersExist = false;   // flags bit 6
    // Why the management record the pointer names cannot be read whole (no failure when it can).
    Failure Error;
};

// Drawing parameter distribution header (at a data frame position).
struct TLN_DrawingParamHeader {
    int64_t HeaderSize = 0;
    int64_t ColorPaletteTablePosition = -1;
    uint16_t ColorsPerPalette = 0;
    uint16_t NumberOfPalettes = 0;
    int64_t LineStylePaletteTablePosition = -1;
    int64_t LineStylePaletteSize = 0;
    uint16_t NumberOfLineStylePalettes = 0;
    int64_t MapElementPosition = -1;
    int64_t MapElementSize = 0;
    int64_t LandmarkFramePosition = -1;
    int64_t LandmarkFrameSize = 0;
};

// A 12-byte frame reference: header size, then the frame it names (offset from the reference).
struct TLN_FrameReference {
    int64_t HeaderSize = 0;
    int64_t FramePosition = -1;
    int64_t FrameSize = 0;
};

// Landmark data frame header with the positions of its pattern table management records.
struct TLN_LandmarkDataFrame {
    int64_t Size = 0;
    uint16_t NumberOfCategoryCodes = 0;
    uint16_t NumberOfPatternTables = 0;
    // Positions of the pattern table records that could be located (at most 100).
    std::vector<int64_t> TablePositions;
    // False when the table records could not all be walked (more than 100 tables, a record of size 0,
    // or records past the end of the stream); the trailer below is then not read.
    bool Complete = false;
    // Why the tables or the trailer cannot be read whole (no failure when they can).
    Failure Error;
    int64_t NameAndReadingInfoSize = 0;
    int64_t NameAndReadingListSize = 0;
    int64_t NameAndReadingListPosition = -1;
};

// One landmark pattern: its identifier (category code or display-frame code) and where its bytes start.
struct TLN_LandmarkPattern {
    uint16_t Identifier = 0;
    int64_t Position = -1;
};

// Landmark pattern table management information of layout 1 or 3 (layout 3 adds six display values and
// always has 6-byte list entries; layout 1 has 6-byte entries only when the pattern offset flag is set).
struct TLN_LandmarkPatternTable {
    int Layout = 1;
    int64_t Position = -1;
    int64_t Size = 0;
    uint16_t Flags = 0;
    uint8_t FormatFlag = 0;         // bits 15..12
    bool PatternOffsetFlag = false; // bit 4
    uint32_t BitsPerPixel = 1;      // 1 shl bits 3..0
    uint8_t SizeX = 0;
    uint8_t SizeY = 0;
    uint8_t DayPalette = 0;
    uint8_t NightPalette = 0;
    std::array<uint16_t, 6>
        DisplayValues{}; // layout 3 only: character display code X/Y, start X/Y, width, height
    int64_t PatternTablePosition = -1;
    int64_t PatternTableSize = 0;
    uint16_t NumberOfPatterns = 0;             // as stored
    std::vector<TLN_LandmarkPattern> Patterns; // the entries the stream holds (at most the stored count)
    int32_t UseCode = -1; // the u16 after the list when the record has room for it, else -1

    // Pattern size in bytes: X × Y × bits per pixel div 8.
    int64_t PatternSize() const { return int64_t(SizeX) * SizeY * BitsPerPixel / 8; }
    int64_t BytesPerRow() const { return int64_t(BitsPerPixel) * SizeX / 8; }
};

// Landmark pattern table management information of layout 2 (pattern groups).
struct TLN_LandmarkPatternTable2 {
    int64_t Position = -1;
    int64_t Size = 0;
    uint16_t Flags = 0;
    uint8_t FormatFlag = 0;
    uint32_t BitsPerPixel = 1;
    uint8_t DayPalette = 0;
    uint8_t NightPalette = 0;
    uint16_t NumberOfPatternGroups = 0;
    int64_t PatternTablePosition = -1;
    int64_t PatternTableSize = 0;
};
