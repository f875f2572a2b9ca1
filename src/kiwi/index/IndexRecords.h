// Records of INDEXDAT.KWI search data: the data management frame header, volume and POI management
// records, address items, search frame headers, detailed search and POI records, data definitions,
// individual expansion records and character information frames; plus the search kind names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QString>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/core/KiwiText.h"

// Where a reference of the index data leads: a byte position in a file. An "FNME" address item names the
// file and holds a word offset counted from that file's start; a plain word offset stays in the file that
// holds the reference. FileName "" means the index file itself.
struct TLN_Additional_Address {
    int64_t ItemPosition = -1; // the "FNME" item's byte position; -1 when made from a plain offset
    int64_t DataPosition = -1; // byte position of the data in its file; -1 when there is none
    std::string FileName;      // as stored (checked only when the file is opened)
    bool Exists() const { return DataPosition >= 0; }
};

// Character String for Representation Items: u16 length in words, then the text.
struct TLN_Representation_Item {
    int64_t Position = -1;
    uint16_t LengthWords = 0;
    KiwiText Text;     // decoded with the map text code page, cut at the first NUL character
    std::string Error; // why the item could not be read whole from its file ("" when it could)
};

// Data management frame header (96 bytes at the reader's base).
struct TLN_Data_Management_Frame_Header {
    std::string DataDeclaration;   // 4 characters
    std::string DataFormatVersion; // 8 characters
    uint32_t CreationDateHigh = 0; // Date Creation Date, YYYYMMDDhhmmssss as two u32
    uint32_t CreationDateLow = 0;
    std::string Copyright;           // 32 characters
    uint32_t UserFieldSize = 0;      // words
    uint32_t UserFieldOffset = 0;    // word offset from the base
    uint32_t ExpansionFieldSize = 0; // words
    uint32_t ExpansionFieldOffset = 0;
    uint32_t VolumeRecordCount = 0; // as stored; see TLN_IndexManager::VolumeCount for the usable count
    uint32_t VolumeRecordSize = 0;  // words
    uint32_t VolumeRecordOffset = 0;
    uint32_t POIRecordCount = 0;
    uint32_t POIRecordSize = 0;
    uint32_t POIRecordOffset = 0;
    uint16_t TitleSize = 0;        // words
    uint16_t TitleOffset = 0;      // words from base + 92
    TLN_Representation_Item Title; // Displayed Title Language-specific Character String
    // The expansion field, when it exists: its declaration and the u32 at its offset 12, which counts the
    // individual expansion field management records that follow at its offset 16.
    bool HasExpansionField = false;
    std::string ExpansionDataDeclaration;
    uint32_t ExpansionRecordCount = 0;

    uint64_t CreationDate() const { return uint64_t(CreationDateHigh) << 32 | CreationDateLow; }
};

// Volume (search) management record and POI information management record: one 52-byte layout. For a POI
// record KindDeclaration is the POI Information Type Declaration and KeyboardDesignation stays empty.
struct TLN_Volume_Management_Record {
    int64_t Position = -1;
    std::string DataDeclaration;
    std::string KindDeclaration;     // Search Function Declaration / POI Information Type Declaration
    std::string AddressDeclaration;  // Address Description Declaration ("FNME" or not)
    uint32_t ExpansionFieldSize = 0; // words
    uint32_t ExpansionFieldOffset = 0;
    std::string KeyboardDesignation; // Default Keyboard Designation
    TLN_Point CoveredMinimum;        // X = longitude, Y = latitude
    TLN_Point CoveredMaximum;
    uint32_t FrameSize = 0;         // Management Frame Size of the search (or POI information) frame, words
    uint32_t FrameAddressField = 0; // the stored u32 at +44
    TLN_Additional_Address FrameAddress; // the frame
    std::string FrameAddressError;       // why its "FNME" item could not be read whole ("" when it could)
    uint32_t RepresentationOffset = 0;   // the stored u32 at +48: word offset of the representation item
    TLN_Representation_Item Representation;

    bool UsesFileAddresses() const { return AddressDeclaration == "FNME"; }
};
using TLN_POI_Management_Record = TLN_Volume_Management_Record;

// Management frame header of a search frame or of a POI information frame (16 bytes at P).
struct TLN_Search_Frame_Header {
    TLN_Additional_Address Frame;   // where the header was read (P and its file)
    bool UsesFileAddresses = false; // addresses of the detailed records are "FNME" items
    std::string DataDeclaration;
    uint32_t RecordCount = 0;       // Number of Detailed Search Information Records, as stored
    uint32_t RecordSize = 0;        // words
    uint32_t RecordOffset = 0;      // words from P
    int64_t RecordsPosition = -1;   // P + 2 x RecordOffset
    std::string RecordsDeclaration; // the declaration found at RecordsPosition
    int64_t StreamSize = 0;         // size of the frame's file when the header was read

    // How many records of recordLength bytes fit in the file at the stored stride, at most RecordCount.
    // A stride shorter than a record leaves only the first record usable.
    uint32_t UsableCount(int64_t recordLength) const;
    // Byte position of record i, or -1 when it is not among the usable records.
    int64_t RecordPosition(uint32_t i, int64_t recordLength) const;
};

// Detailed search information record (92 bytes).
struct TLN_Detailed_Info_Rec {
    static constexpr int64_t Length = 92;
    int64_t Position = -1;
    std::string FileName; // the file holding the record ("" = the index file)
    std::string DataDeclaration;
    uint32_t ExpansionFieldSize = 0;
    uint32_t ExpansionFieldOffset = 0;
    uint32_t CategoryDefinitionSize = 0; // words
    TLN_Additional_Address CategoryDefinition;
    uint32_t CategoryDataSize = 0;
    TLN_Additional_Address CategoryData;
    std::string KeyboardDesignation;
    uint32_t CategoryParentRecordSize = 0;
    uint32_t CategoryOptionRecordSize = 0;
    uint32_t FirstLevelCategorySize = 0;
    uint32_t FirstLevelOptionCount = 0;    // Number of the Option Items of First-level Category
    uint32_t FirstLevelCategoryOffset = 0; // Offset to First-level Category, words
    std::string FirstLevelKeyboardDesignation;
    uint32_t MatchingDefinitionSize = 0;
    TLN_Additional_Address MatchingDefinition;
    uint32_t MatchingDataSize = 0;
    TLN_Additional_Address MatchingData;
    uint32_t MatchingRecordSize = 0; // Size of the Record of Matching Data Frame, words
    uint32_t MatchingRecordCount = 0;
    uint32_t DefaultPOISerialNumber = 0; // the u32 at +80
    uint32_t NextLevelSize = 0;
    TLN_Additional_Address NextLevel;
    // Character Information Data List for Representation Items: read at +92 when the record's stride
    // leaves room for it.
    TLN_Representation_Item Representation;
    // The stored u32 address fields (+16, +24, +60, +68, +88).
    uint32_t CategoryDefinitionField = 0, CategoryDataField = 0, MatchingDefinitionField = 0,
             MatchingDataField = 0, NextLevelField = 0;
};

// Detailed POI information record (36 bytes).
struct TLN_Detailed_POIInfo_Rec {
    static constexpr int64_t Length = 36;
    int64_t Position = -1;
    std::string FileName;
    std::string DataDeclaration;
    uint32_t ExpansionFieldSize = 0;
    uint32_t ExpansionFieldOffset = 0;
    uint32_t DefinitionSize = 0; // Size of POI Information Definition Frame, words
    uint32_t DefinitionField = 0;
    TLN_Additional_Address Definition;
    uint32_t DataSize = 0; // POI Information Data Frame Size, words
    uint32_t DataField = 0;
    TLN_Additional_Address Data;
    uint32_t RecordSize = 0; // Size of the Record of POI Information Data Frame, words
    uint32_t RecordCount = 0;
};

// One 16-byte column descriptor of a data definition.
struct TLN_Definition_Column {
    std::string Name;          // 4 characters
    uint32_t Value4 = 0;       // the bytes at +4, kept as stored
    std::string TypeCode;      // 2 characters at +8 ("UB", "UW", "CH", ...)
    uint16_t ElementCount = 0; // u16 at +10; the two bytes may spell a count code "UB", "UH" or "UW"
    uint32_t Value12 = 0;      // the bytes at +12, kept as stored

    // The element count's two bytes as characters when they spell a count code, else "".
    std::string CountCode() const;
};

// Data definition frame: declaration, 4 more bytes, 4 bytes skipped, u32 number of columns, descriptors.
struct TLN_Definition_Frame {
    int64_t Position = -1;
    std::string FileName;
    std::string DataDeclaration;
    std::string Name;         // the 4 bytes after the declaration
    uint32_t ColumnCount = 0; // as stored
    std::vector<TLN_Definition_Column> Columns;
    bool Truncated = false; // fewer columns than stored fitted in the file or frame

    // Index of the column of that name, or -1.
    int FindColumn(const std::string& name) const;
};

// Individual expansion field management record: 25 + L + 4 bytes rounded up to a multiple of 4.
struct TLN_Index_Expansion_Rec {
    int64_t Position = -1;
    int64_t Length = 0;
    std::string DataDeclaration;
    TLN_PointRecord ManufacturerID; // Manufacturer Identification Information
    uint32_t Size = 0;              // Size of Individual Expansion Field Management
    std::string AddressDeclaration;
    std::string FileName;        // L bytes as stored
    uint32_t DataOffset = 0;     // words
    TLN_Additional_Address Data; // in FileName for "FNME", else in the index file
};

// One entry of a character information management frame (unpadded: 4 + 4 + 4 + 1 + L + 4 bytes).
struct TLN_Character_Info_Entry {
    int64_t Position = -1;
    std::string ID;
    uint32_t Value = 0;
    std::string Type; // "FNME" when Name is a file name
    std::string Name;
    uint32_t DataOffset = 0; // words
    TLN_Additional_Address Data;
};

// Character information management frame: declaration at P, u32 entry count at P + 12, entries at P + 16.
struct TLN_Character_Info_Frame {
    int64_t Position = -1;
    std::string FileName;
    std::string DataDeclaration;
    uint32_t EntryCount = 0; // as stored
    std::vector<TLN_Character_Info_Entry> Entries;
    bool Truncated = false; // fewer entries than stored fitted in the file
    std::string Reason;     // why, when the file holds fewer
};

// The 13-byte record header of index tables: three u32 and one byte.
struct TLN_Index_Record_Header {
    uint32_t Values[3] = {0, 0, 0};
    uint8_t Flag = 0;
};

// How many records of recordLength bytes, count stored, fit in a stream of streamSize bytes from start
// at stride bytes. A stride shorter than a record leaves only the first record usable.
uint32_t UsableRecordCount(uint32_t count, int64_t start, int64_t stride, int64_t recordLength,
                           int64_t streamSize);

// The name shown for a search function declaration or POI kind ("FSLZ" → "Zone Selection"); "" when unknown.
std::string GetSearchKindName(const std::string& code);
// A character code of a definition column: 0x3000 and above the two-byte character (code >> 8,
// code & 255) decoded with the map text code page; smaller codes as a decimal number.
QString CharCodeToText(uint32_t code);
