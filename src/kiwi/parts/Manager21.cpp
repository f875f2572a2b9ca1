// Management distribution header behind management header 20.
#include "kiwi/parts/Manager21.h"

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"

TLN_Manager21::TLN_Manager21(std::shared_ptr<TLN_Stream> stream, int64_t offset)
    : TLN_Manager(std::move(stream), offset) {
    if (valid_) ReadHeader();
}

void TLN_Manager21::ReadHeader() {
    try {
        // Bytes past the end of the stream read as 0, as everywhere else.
        const auto bytes = bounded::readRecord<46>(*stream_, base_);
        const BeCursor c = bytes.cursor();
        headerSize_ = int64_t(c.u16(0)) * 2;
        lowerLeft_ = bounded::coordinatePair(c, 2);
        upperRight_ = bounded::coordinatePair(c, 10);
        levelCode_ = c.u16(18);
        bitMaskBits_ = int(c.u16(20)) * 2;
        mainTableRecordCount_ = c.u16(22);
        properties_[0] = c.u16(24);
        properties_[1] = c.u16(26);
        properties_[2] = c.u16(28);
        mainTablePosition_ = WordOffset16ToPosition(c.u16(30), base_);
        mainTableSize_ = int64_t(c.u16(32)) * 2;
        secondTablePosition_ = WordOffset16ToPosition(c.u16(34), base_);
        const bool longForm = headerSize_ == 44;
        secondTableSize_ = int64_t(longForm ? c.u16(36) : c.u32(36)) * 2;
        const int64_t next = longForm ? 38 : 40;
        for (int i = 0; i < 3; ++i)
            properties_[3 + i] = c.u16(next + 2 * i);
    } catch (const KiwiError& error) {
        fail(error);
    }
}
