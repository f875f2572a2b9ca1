// Big-endian readers and writers over the stream interface.
#include "kiwi/io/BigEndianIO.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "kiwi/core/KiwiConversions.h"

namespace {
// Reads n (<= 8) bytes; missing bytes stay 0.
template <size_t N> void readInto(TLN_Stream& stream, int64_t position, uint8_t (&bytes)[N]) {
    std::memset(bytes, 0, N);
    stream.ReadAt(position, bytes, N);
}
} // namespace

uint8_t ReadByteAt(TLN_Stream& stream, int64_t position) {
    uint8_t b[1];
    readInto(stream, position, b);
    return b[0];
}

uint16_t ReadWordBE(TLN_Stream& stream, int64_t position) {
    uint8_t b[2];
    readInto(stream, position, b);
    return uint16_t(b[0] << 8 | b[1]);
}

uint32_t ReadDWordBE(TLN_Stream& stream, int64_t position) {
    uint8_t b[4];
    readInto(stream, position, b);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

int64_t ReadKiwiAddress(TLN_Stream& stream, int64_t position) {
    return KiwiAddressToOffset(ReadDWordBE(stream, position));
}

int32_t ReadInt24BE(TLN_Stream& stream, int64_t position) {
    return SignMag24ToInt(ReadDWordBE(stream, position) >> 8);
}

TLN_Point ReadCoordinatePair(TLN_Stream& stream, int64_t position) {
    uint8_t b[8];
    readInto(stream, position, b);
    auto field = [&](int i) {
        return SignMag24ToInt(uint32_t(b[i]) << 16 | uint32_t(b[i + 1]) << 8 | b[i + 2]);
    };
    TLN_Point point;
    point.Y = field(0);
    point.X = field(4);
    return point;
}

TLN_PointRecord ReadPointRecord(TLN_Stream& stream, int64_t position) {
    TLN_PointRecord record;
    const TLN_Point point = ReadCoordinatePair(stream, position);
    record.X = point.X;
    record.Y = point.Y;
    record.ByteValue = ReadByteAt(stream, position + 8);
    record.WordValue = ReadWordBE(stream, position + 10);
    return record;
}

TLN_NamedPointRecord ReadNamedPointRecord(TLN_Stream& stream, int64_t position) {
    TLN_NamedPointRecord record;
    static_cast<TLN_PointRecord&>(record) = ReadPointRecord(stream, position);
    record.Name = ReadFixedString(stream, position + 12, 20);
    return record;
}

std::string ReadFixedString(TLN_Stream& stream, int64_t position, int length) {
    if (length <= 0) return {};
    std::vector<char> bytes(size_t(length), '\0');
    stream.ReadAt(position, bytes.data(), length);
    const void* nul = std::memchr(bytes.data(), 0, bytes.size());
    return std::string(bytes.data(), nul ? static_cast<const char*>(nul) - bytes.data() : length);
}

TLN_Color ReadColorRGB(TLN_Stream& stream, int64_t position) {
    uint8_t b[4];
    readInto(stream, position, b);
    return TLN_Color(b[1]) | TLN_Color(b[2]) << 8 | TLN_Color(b[3]) << 16;
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
