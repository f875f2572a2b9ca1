// The parcel management information of a block under transfer: the sub-list a divided record names, the
// bytes its rebuilt information takes (sized once for the run, its lists noted as tables no frame may lie
// in), and the image it is laid out in before it is written once.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "converter/job/ConversionContext.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/map/ParcelList.h"

// Every record of the new information is 6 bytes; the empty reference.
inline constexpr uint32_t kInformationRecordBytes = 6;
inline constexpr uint8_t kEmptyReference[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};

// A sub-list of a divided parcel: where its information lies in the source and how many records it has.
struct SubList {
    int64_t position = -1;
    uint32_t records = 0;
    // The first byte of its information header.
    uint8_t firstByte = 0;
};

// The sub-list a divided record names, opened into sub; position -1 when it cannot be read whole (a list
// the file cuts short costs its parcel: what it declares could only be guessed).
SubList SubListOf(TLN_KiwiMap& map, uint8_t level, const TLN_ParcelList::Record& record, int64_t streamSize,
                  TLN_ParcelList& sub);

// Bytes reserved in the output for the parcel management information of a block: its old size or what
// the rebuilt information needs (list, sub-lists, route guidance list), whichever is larger, rounded up
// to 32. 0 when the block's information cannot be read (the block is not kept). Each information is sized
// once for the run: the transfer and later block records naming it read the size kept in the context.
int64_t ReservedInformationBytes(ConversionContext& context, uint8_t level,
                                 const TLN_Block_Management_Record& block);
// The same, -1 when the information cannot be read, and past the size a block record can give.
int64_t InformationBytes(ConversionContext& context, uint8_t level, const TLN_Block_Management_Record& block);

// The rebuilt information of one block, laid out in memory and written once.
class InformationImage {
public:
    // Starts an image of bytes zeros, keeping the room of the last.
    void Reset(int64_t bytes) { bytes_.assign(size_t(bytes), 0); }
    uint8_t* at(int64_t offset, size_t count) {
        // The reservation sized the image from the same records: nothing is laid out past it.
        if (offset < 0 || size_t(offset) + count > bytes_.size())
            throw EConvertError(Failure(FailureCode::ParcelInformationPastReserve));
        return bytes_.data() + offset;
    }
    void put(int64_t offset, const void* data, size_t count) { std::memcpy(at(offset, count), data, count); }
    void empty(int64_t offset) { put(offset, kEmptyReference, 6); }
    void reference(int64_t offset, int64_t frame, uint32_t size) {
        EncodeAddressAndStoredSize(at(offset, 6), frame, uint16_t(size / 32));
    }
    void wordOffset(int64_t offset, uint32_t distance) {
        EncodeWordOffsetAndSize(at(offset, 6), distance, 0);
    }
    void word(int64_t offset, uint16_t value) {
        uint8_t* to = at(offset, 2);
        to[0] = uint8_t(value >> 8);
        to[1] = uint8_t(value);
    }
    // The 4-byte information header of the source (its first byte as read with the information), with list
    // type 0: every record is written as 6 bytes.
    void header(int64_t offset, uint8_t firstByte) {
        const uint8_t head[4] = {firstByte, 0, 0xFF, 0xFF};
        put(offset, head, 4);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};
