// Big-endian readers and writers over the stream interface.
#include "kiwi/io/BigEndianIO.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/BoundedRead.h"

namespace {
// The bytes of one field at position, decoded by the one big-endian cursor; bytes the stream does not
// deliver stay 0.
template <size_t N> struct FieldBytes {
    uint8_t bytes[N] = {};
    FieldBytes(TLN_Stream& stream, int64_t position) { bounded::readInto(stream, position, bytes, N); }
    BeCursor cursor() const { return BeCursor(bytes, N); }
};
} // namespace

uint8_t ReadByteAt(TLN_Stream& stream, int64_t position) {
    return FieldBytes<1>(stream, position).cursor().u8(0);
}

uint16_t ReadWordBE(TLN_Stream& stream, int64_t position) {
    return FieldBytes<2>(stream, position).cursor().u16(0);
}

uint32_t ReadDWordBE(TLN_Stream& stream, int64_t position) {
    return FieldBytes<4>(stream, position).cursor().u32(0);
}

int64_t ReadKiwiAddress(TLN_Stream& stream, int64_t position) {
    return KiwiAddressToOffset(ReadDWordBE(stream, position));
}

int32_t ReadInt24BE(TLN_Stream& stream, int64_t position) {
    return FieldBytes<4>(stream, position).cursor().coordinate(0);
}

TLN_Point ReadCoordinatePair(TLN_Stream& stream, int64_t position) {
    return bounded::coordinatePair(FieldBytes<8>(stream, position).cursor(), 0);
}

TLN_PointRecord ReadPointRecord(TLN_Stream& stream, int64_t position) {
    return bounded::pointRecord(FieldBytes<12>(stream, position).cursor(), 0);
}

TLN_NamedPointRecord ReadNamedPointRecord(TLN_Stream& stream, int64_t position) {
    const FieldBytes<32> field(stream, position);
    TLN_NamedPointRecord record;
    static_cast<TLN_PointRecord&>(record) = bounded::pointRecord(field.cursor(), 0);
    record.Name = field.cursor().fixedString(12, 20);
    return record;
}

std::string ReadFixedString(TLN_Stream& stream, int64_t position, int length) {
    if (length <= 0) return {};
    std::vector<uint8_t> bytes(size_t(length), 0);
    bounded::readInto(stream, position, bytes.data(), length);
    return BeCursor(bytes.data(), bytes.size()).fixedString(0, length);
}

TLN_Color ReadColorRGB(TLN_Stream& stream, int64_t position) {
    const FieldBytes<4> field(stream, position);
    const BeCursor c = field.cursor();
    return TLN_Color(c.u8(1)) | TLN_Color(c.u8(2)) << 8 | TLN_Color(c.u8(3)) << 16;
}

TLN_Color ReadBytes3(TLN_Stream& stream, int64_t position) {
    return ReadColorRGB(stream, position);
}

void WriteByteAt(TLN_Stream& stream, uint8_t value, int64_t position) {
    stream.WriteAt(position, &value, 1);
}

void WriteWordBE(TLN_Stream& stream, uint16_t value, int64_t position) {
    const uint8_t b[2] = {uint8_t(value >> 8), uint8_t(value)};
    stream.WriteAt(position, b, 2);
}

void WriteDWordBE(TLN_Stream& stream, uint32_t value, int64_t position) {
    const uint8_t b[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
    stream.WriteAt(position, b, 4);
}

void WriteFixedString(TLN_Stream& stream, const std::string& text, int length, int64_t position) {
    if (length <= 0) return;
    std::vector<char> bytes(size_t(length), '\0');
    std::memcpy(bytes.data(), text.data(), std::min(text.size(), size_t(length)));
    stream.WriteAt(position, bytes.data(), length);
}
