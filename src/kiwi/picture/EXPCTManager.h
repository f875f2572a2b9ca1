// TLN_EXPCTManager: the reader of an expansion picture file's header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/parts/Manager.h"

// Expansion picture header (24 bytes at the reader's base).
struct TLN_EXPCT_Header {
    TLN_PointRecord UserClassification; // position, floor (+8) and date (+10)
    uint16_t UsageClassificationCode = 0;
    uint16_t DataClassificationCode = 0;
    uint16_t EquipmentClassificationCode = 0;
    uint32_t PictureDataOffset = 0;  // word offset from the base
    uint16_t PictureDataSize = 0;    // words
    int64_t PictureDataPosition = 0; // base + 2 × offset; -1 for an all-ones offset
};

class TLN_EXPCTManager : public TLN_Manager {
public:
    // Raises EFOpenError when the file cannot be opened; a file shorter than the header is invalid.
    explicit TLN_EXPCTManager(const std::string& fileName);
    TLN_EXPCTManager(std::shared_ptr<TLN_Stream> stream, int64_t base);

    const TLN_EXPCT_Header& Header() const { return header_; }
    // Why the picture service data the header locates does not lie wholly in the file ("" when it does).
    std::string DataError() const;

private:
    void readHeader();
    TLN_EXPCT_Header header_;
};
