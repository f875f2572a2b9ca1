// Expansion picture header reader.
#include "kiwi/picture/EXPCTManager.h"

#include <algorithm>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

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
        whole::ReadExactly(*stream_, base_, bytes, kHeaderBytes,
                           "the extended picture data frame distribution header");
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

std::string TLN_EXPCTManager::DataError() const {
    const int64_t position = header_.PictureDataPosition;
    const int64_t bytes = int64_t(header_.PictureDataSize) * 2;
    const int64_t size = stream_->Size();
    if (!valid_ || bytes == 0 || position < 0 || bytes <= size - position) return {};
    return ShortReadText(whole::Shortfall(*stream_, "the picture service data frame", position, bytes,
                                          std::max<int64_t>(0, size - position)));
}
