// Writers of KIWI numbers into the new map's streams.
#include "converter/output/OutputEncoding.h"

#include <QString>
#include <vector>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "platform/CodePage.h"

namespace {

void encodeBE(uint8_t* to, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        to[i] = uint8_t(value >> (8 * (bytes - 1 - i)));
}

void putBE(TLN_Stream& out, uint64_t value, int bytes) {
    uint8_t buffer[8];
    encodeBE(buffer, value, bytes);
    out.Write(buffer, bytes);
}

uint32_t addressOf(int64_t offset) {
    if (offset > kMaxKiwiOffset)
        throw EConvertError(Failure(FailureCode::OutputOffsetPast32GiB, {{"offset", offset}}));
    return OffsetToKiwiAddress(offset);
}

} // namespace

uint32_t AlignUp32(uint32_t n) {
    return (n % 32 == 0) ? n : (n & ~31u) + 32;
}

int64_t AlignUp32(int64_t n) {
    return (n % 32 == 0) ? n : (n & ~int64_t(31)) + 32;
}

void WriteKiwiAddress(TLN_Stream& out, int64_t offset) {
    putBE(out, addressOf(offset), 4);
}

void WriteAddressAndSize(TLN_Stream& out, uint32_t byteSize, int64_t offset) {
    putBE(out, addressOf(offset), 4);
    putBE(out, (byteSize >> 1) & 0xFFFFu, 2);
}

void WriteAddressAndStoredSize(TLN_Stream& out, int64_t offset, uint16_t storedSize) {
    uint8_t bytes[6];
    EncodeAddressAndStoredSize(bytes, offset, storedSize);
    out.Write(bytes, 6);
}

void EncodeAddressAndStoredSize(uint8_t* to, int64_t offset, uint16_t storedSize) {
    encodeBE(to, addressOf(offset), 4);
    encodeBE(to + 4, storedSize, 2);
}

void WriteEmptyReference(TLN_Stream& out) {
    static const uint8_t empty[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
    out.Write(empty, 6);
}

void WriteWordOffsetAndSize(TLN_Stream& out, uint32_t byteOffset, uint32_t byteSize) {
    uint8_t bytes[6];
    EncodeWordOffsetAndSize(bytes, byteOffset, byteSize);
    out.Write(bytes, 6);
}

void EncodeWordOffsetAndSize(uint8_t* to, uint32_t byteOffset, uint32_t byteSize) {
    encodeBE(to, byteOffset / 2, 4);
    encodeBE(to + 4, (byteSize / 2) & 0xFFFFu, 2);
}

void WriteWordOffsetSize16(TLN_Stream& out, uint32_t byteOffset, uint32_t byteSize) {
    putBE(out, (byteOffset >> 1) & 0xFFFFu, 2);
    putBE(out, (byteSize >> 1) & 0xFFFFu, 2);
}

void WriteDWordOffsetAndSize(TLN_Stream& out, uint32_t byteOffset, uint32_t byteSize) {
    putBE(out, byteOffset >> 1, 4);
    putBE(out, byteSize >> 1, 4);
}

void WriteCountBytesMinusOne(TLN_Stream& out, uint16_t value, int64_t position) {
    out.Seek(position);
    const uint8_t bytes[2] = {uint8_t((value >> 8) - 1), uint8_t((value & 0xFF) - 1)};
    out.Write(bytes, 2);
}

void MakeEvenLength(std::string& text) {
    const size_t n = text.size();
    if (n == 1) {
        text.push_back('\0');
    } else if (n >= 3 && n % 2 == 1) {
        if (text.back() == '\0')
            text.pop_back();
        else
            text.push_back('\0');
    }
}

std::string ConvertToCodePage(const std::string& text, int codePage) {
    if (text.empty()) return {};
    const QString unicode =
        decodeFromCodePage(QByteArrayView(text.data(), qsizetype(text.size())), kAnsiCodePage);
    const QByteArray encoded = encodeToCodePage(unicode, codePage);
    std::string result(encoded.constData(), size_t(encoded.size()));
    if (result.size() % 2 == 1) result.push_back('\0');
    return result;
}

void ShiftStreamBlock(TLN_Stream& stream, int64_t count, int64_t delta) {
    if (count <= 0) return;
    const int64_t from = stream.Position();
    std::vector<uint8_t> block(size_t(count), 0);
    stream.ReadExactAt(from, block.data(), count);
    stream.Seek(from + delta);
    stream.Write(block.data(), count);
}
