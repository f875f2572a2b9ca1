// Records of the KIWI voice command dictionary: distribution and frame headers, language records,
// dictionary info records, info data headers and group data. Positions are absolute byte positions
// (-1 = none), sizes are in bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/Failure.h"
#include "kiwi/core/KiwiPrimitives.h"

// Voice command dictionary distribution header (52 bytes at the part's base).
struct TLN_DicVceHeader {
    TLN_PointRecord UserClassification;
    int64_t DataFrameSize = 0;
    int64_t HeaderSize = 0;
    int64_t PhonemeFramePosition = -1;
    int64_t PhonemeHeaderSize = 0;
    int64_t PhonemeFrameSize = 0;
    int64_t TextFramePosition = -1;
    uint32_t NumberOfTextRecords = 0;
    int64_t TextFrameSize = 0;
    int64_t ExtendedFramePosition = -1;
    int64_t ExtendedFrameSize = 0;
};

// Phoneme data frame header (24 bytes).
struct TLN_PhonemeFrameHeader {
    int64_t Size = 0;
    uint16_t NumberOfLanguages = 0;
    int64_t LanguageRecordSize = 0;
    int64_t PhonemeExtensionPosition = -1;
    int64_t PhonemeExtensionSize = 0;
    int64_t LanguageExtensionPosition = -1;
    int64_t LanguageExtensionSize = 0;
};

// Text data frame header.
struct TLN_TextFrameHeader {
    int64_t Size = 0;
    uint32_t NumberOfPages = 0;
};

// Language management record.
struct TLN_DicVceLangRec {
    int64_t Position = -1;
    TLN_PointRecord UserClassification;
    std::string Toponym; // 3 characters as stored
    int64_t DictionaryFramePosition = -1;
    int64_t DictionaryHeaderSize = 0;
    int64_t DictionaryFrameSize = 0;
    int64_t VoiceRecognitionPosition = -1;
    int64_t VoiceRecognitionSize = 0;
    uint32_t RecordID = 0;
    uint32_t RecordCode = 0;
};

// One dictionary info record of a dictionary data header: its type name and data.
struct TLN_DictionaryType {
    std::string Name; // 4 characters as stored
    int64_t DataPosition = -1;
    int64_t DataHeaderSize = 0;
    int64_t DataSize = 0;
};

// Dictionary data header with its dictionary info records (at most 29; more gives none).
struct TLN_DictionaryRecordHeader {
    int64_t Position = -1;
    int64_t Size = 0;
    int64_t ExtensionAPosition = -1;
    int64_t ExtensionASize = 0;
    int64_t ExtensionBPosition = -1;
    int64_t ExtensionBSize = 0;
    uint32_t DataTypeCode = 0;
    uint32_t NumberOfTypes = 0; // as stored
    std::vector<TLN_DictionaryType> Types;
    // Why the types are not listed (no failure when they are).
    Failure Error;
};

// Dictionary info data header: the group table's size and type.
struct TLN_DictionaryHeader {
    int64_t Position = -1;
    int64_t Size = 0;
    uint32_t NumberOfGroups = 0; // as stored
    int64_t ReadableGroups = 0;  // groups whose identifier and offset lie in the stream
    uint32_t DataTypeCode = 0;
    int64_t InfoDataSize = 0; // 0 when the group table does not lie in the stream
    // Why fewer groups are readable than stored (no failure when all are).
    Failure Error;
};

struct TLN_DictionaryGroupOffset {
    uint32_t Identifier = 0;
    int64_t Position = -1;
};

// Dictionary group data.
struct TLN_DictionaryGroupData {
    int64_t Position = -1;
    int64_t Size = 0;
    std::string TypeName; // 4 characters as stored
    uint32_t GroupID = 0;
    uint32_t TextPageID = 0;
    int64_t StringEntryListPosition = -1;
    uint32_t NumberOfItems = 0;
    int64_t PhoneticDataPosition = -1;
    int64_t PhoneticDataSize = 0;
};
