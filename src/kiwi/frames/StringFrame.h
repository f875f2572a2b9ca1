// The character string data frame of the route guidance data: management items and their character
// string data records (display and pronunciation strings, natural voice data references).
#pragma once

#include <cstdint>
#include <vector>

#include "kiwi/frames/MapString.h"
#include "kiwi/io/FrameSpan.h"

// Bytes of a character string data record besides its two strings.
constexpr int64_t kStringRecordFixedSize = 12;

// The type name is the format's.
struct TLN_Character_String_Data_Rec {
    int64_t Position = -1;
    // String Attribute Header: display length (bits 23-16) and pronunciation length (bits 15-8) in words,
    // the low byte and the top byte as stored.
    uint32_t Attribute = 0;
    KiwiText Display;
    KiwiText Pronunciation;
    // The natural voice word: existence flag (bit 15), speaker code (bits 14-12) and regeneration method
    // identification (bits 11-8).
    uint16_t VoiceWord = 0;
    uint32_t VoiceAddressWord = 0;
    // Natural Voice Data Address as a byte position (-1 for all ones) and its size in bytes.
    int64_t VoiceAddress = -1;
    uint32_t VoiceSize = 0;

    uint8_t DisplayLength() const { return uint8_t(Attribute >> 16); }
    uint8_t PronunciationLength() const { return uint8_t(Attribute >> 8); }
    uint8_t LowByte() const { return uint8_t(Attribute); }
    uint8_t TopByte() const { return uint8_t(Attribute >> 24); }
    bool VoiceFlag() const { return VoiceWord & 0x8000; }
    uint8_t SpeakerCode() const { return uint8_t((VoiceWord >> 12) & 7); }
    uint8_t RegenerationMethod() const { return uint8_t((VoiceWord >> 8) & 15); }
    int64_t Size() const {
        return kStringRecordFixedSize + 2 * (int64_t(DisplayLength()) + PronunciationLength());
    }
};

struct TLN_Character_String_Item {
    // Position of the item's record list; -1 when it lies outside the frame.
    int64_t ListPosition = -1;
    uint16_t Offset = 0;
    uint16_t StoredRecordCount = 0;
    // The records that fit in the frame.
    std::vector<TLN_Character_String_Data_Rec> Records;
};

// The type name is the format's.
struct TLN_Character_String_Data_Frame {
    int64_t Position = -1;
    uint32_t HeaderSize = 0;
    // Number of Character String Data Management Information Items as stored; Items holds those in the frame.
    uint16_t StoredItemCount = 0;
    std::vector<TLN_Character_String_Item> Items;
};

// The record at C; false when its fixed part and strings are not all in the frame.
bool ReadCharacterStringRecord(const TLN_FrameSpan& frame, TLN_Character_String_Data_Rec& out,
                               int64_t position, bool keepRaw = true,
                               const TLN_TextPages& pages = TLN_TextPages::Current());
// The frame at S with every item's records (counts accepted as far as the records fit in the frame).
bool ReadCharacterString(const TLN_FrameSpan& frame, TLN_Character_String_Data_Frame& out,
                         bool keepRaw = true, const TLN_TextPages& pages = TLN_TextPages::Current());
