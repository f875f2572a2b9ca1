// Expansion picture header reader.
#include "kiwi/picture/EXPCTManager.h"

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"

namespace {
constexpr int kHeaderBytes = 24;
}

TLN_EXPCTManager::TLN_EXPCTManager(const std::string& fileName) : TLN_Manager(fileName) {
    readHeader();
}

TLN_EXPCTManager::TLN_EXPCTManager(std::shared_ptr<TLN_Stream> stream, int64_t base)
    : TLN_Manager(std::move(stream), base) {
    readHeader();
}

void TLN_EXPCTManager::readHeader() {
    if (!valid_) return;
    try {
        uint8_t bytes[kHeaderBytes];
        if (bounded::readInto(*stream_, base_, bytes, kHeaderBytes) != kHeaderBytes) {
            valid_ = false;
            return;
        }
        const BeCursor c(bytes, sizeof bytes);
        header_.UserClassification = bounded::pointRecord(c, 0);
        header_.UsageClassificationCode = c.u16(12);
        header_.DataClassificationCode = c.u16(14);
        header_.EquipmentClassificationCode = c.u16(16);
        header_.PictureDataOffset = c.u32(18);
        header_.PictureDataSize = c.u16(22);
        header_.PictureDataPosition = WordOffsetToPosition(header_.PictureDataOffset, base_);
    } catch (const KiwiError& error) {
        fail(error);
    }
}
