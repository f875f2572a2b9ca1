// TLN_Manager21: the reader of the management distribution header of the part behind management
// header 20 (coverage area, level, main and second table).
#pragma once

#include <cstdint>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/parts/Manager.h"

class TLN_Manager21 : public TLN_Manager {
public:
    // The header at offset of a shared stream; valid when the stream reaches beyond offset.
    TLN_Manager21(std::shared_ptr<TLN_Stream> stream, int64_t offset);

    // Management distribution header size in bytes; a 44-byte header has a 16-bit second table size.
    int64_t HeaderSize() const { return headerSize_; }
    TLN_Point CoverageLowerLeft() const { return lowerLeft_; }
    TLN_Point CoverageUpperRight() const { return upperRight_; }
    uint16_t LevelCode() const { return levelCode_; }
    // The bit mask size in bits (stored value × 2) and in bytes (that div 8).
    int BitMaskBits() const { return bitMaskBits_; }
    int BitMaskBytes() const { return bitMaskBits_ / 8; }
    uint16_t MainTableRecordCount() const { return mainTableRecordCount_; }
    // Properties 1 to 6 (index 0 to 5).
    uint16_t Property(int index) const { return index >= 0 && index < 6 ? properties_[index] : 0; }
    int64_t MainTablePosition() const { return mainTablePosition_; }
    int64_t MainTableSize() const { return mainTableSize_; }
    int64_t SecondTablePosition() const { return secondTablePosition_; }
    int64_t SecondTableSize() const { return secondTableSize_; }

private:
    void ReadHeader();

    int64_t headerSize_ = 0;
    TLN_Point lowerLeft_;
    TLN_Point upperRight_;
    uint16_t levelCode_ = 0;
    int bitMaskBits_ = 0;
    uint16_t mainTableRecordCount_ = 0;
    uint16_t properties_[6] = {};
    int64_t mainTablePosition_ = -1;
    int64_t mainTableSize_ = 0;
    int64_t secondTablePosition_ = -1;
    int64_t secondTableSize_ = 0;
};
