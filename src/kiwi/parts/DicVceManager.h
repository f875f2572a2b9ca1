// TLN_DicVceManager: the reader of the KIWI voice command dictionary ("DICVCE56.KWI" or management
// header 25).
#pragma once

#include <string>

#include "kiwi/parts/DicVceRecords.h"
#include "kiwi/parts/Manager.h"
#include "kiwi/parts/PartText.h"

class TLN_DicVceManager : public TLN_Manager {
public:
    static constexpr int64_t kHeaderBytes = 52;
    static constexpr uint16_t kMaxLanguages = 99;
    static constexpr uint32_t kMaxTypes = 29;
    static constexpr int kMaxEntryUnits = 255;

    // Valid when the distribution header's size is 52 bytes and the phoneme frame has fewer than 100
    // languages.
    explicit TLN_DicVceManager(const std::string& fileName);
    TLN_DicVceManager(std::shared_ptr<TLN_Stream> stream, int64_t offset);

    const TLN_DicVceHeader& Header() const { return header_; }
    const TLN_PhonemeFrameHeader& PhonemeHeader() const { return phonemeHeader_; }
    const TLN_TextFrameHeader& TextHeader() const { return textHeader_; }

    // Each read returns whether its record lies in the stream.
    bool ReadLanguageRecord(int language, int64_t recordSize, TLN_DicVceLangRec& record) const;
    bool ReadDictionaryInfoRecord(int64_t position, TLN_DictionaryRecordHeader& record) const;
    bool ReadDictionaryHeader(int64_t position, TLN_DictionaryHeader& record) const;
    bool GetGroupOffset(int64_t headerPosition, int64_t group, TLN_DictionaryGroupOffset& offset) const;
    bool ReadGroupData(int64_t position, TLN_DictionaryGroupData& record) const;
    // Position of text page n (1-based); -1 for page 0, a page beyond the text frame or an unreadable one.
    int64_t GetStringEntryOffset(uint32_t page) const;
    // The string entries of a group whose offsets lie in the stream (at most its item count).
    int64_t StringEntryCount(const TLN_DictionaryGroupData& group) const;
    // Why fewer string entries lie in the stream than the group's item count ("" when all do).
    std::string StringEntryShortfall(const TLN_DictionaryGroupData& group) const;
    // The English text of string entry item of the group; empty without an "EN" mark.
    TLN_PartText ReadStringEntry(const TLN_DictionaryGroupData& group, int64_t item) const;

private:
    void ReadHeaders();

    TLN_DicVceHeader header_;
    TLN_PhonemeFrameHeader phonemeHeader_;
    TLN_TextFrameHeader textHeader_;
};
