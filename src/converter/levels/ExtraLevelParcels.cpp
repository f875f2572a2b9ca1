// Frames and management information of the added level.
#include "converter/levels/ExtraLevelParcels.h"

#include "converter/levels/FrameBytes.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/BigEndianIO.h"

namespace rewrite {

namespace {

constexpr size_t kHeaderSize = 120;
constexpr size_t kNamesHeaderSize = 66;
constexpr uint8_t kEmptyReference[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};

void putEmpty(std::vector<uint8_t>& b, size_t at) {
    std::copy(kEmptyReference, kEmptyReference + 6, b.begin() + ptrdiff_t(at));
}

} // namespace

ExtraParcel WriteExtraLevelParcel(ImportedOutlines& outlines, const ParcelRect& rect, uint32_t parcel,
                                  uint32_t px, const ExtraParcelSettings& settings) {
    ExtraParcel result;
    const WrittenRecords arrows = WriteArrowNames(outlines, rect, int64_t(kHeaderSize + kNamesHeaderSize));
    const WrittenRecords numbers = WriteHouseNumbers(outlines, rect, 120, false, settings.numbers);
    result.arrows = arrows.count;
    result.numbers = numbers.count;
    result.tooMany = arrows.tooMany || numbers.tooMany;
    if (arrows.count == 0 && numbers.count == 0) return result;

    std::vector<uint8_t>& f = result.frame;
    f.assign(kHeaderSize + kNamesHeaderSize, 0);
    PutWord(f, 0, 60);
    PutLong(f, 2, IntToSignMag24(int32_t(rect.y0 / 16)));
    PutLong(f, 6, IntToSignMag24(int32_t(rect.x0 / 16)));
    const uint32_t across = px == 0 ? 1 : px;
    f[10] = uint8_t(parcel / across);
    f[11] = uint8_t(parcel % across);
    f[12] = 0xC0;
    f[19] = 0xFA;
    putEmpty(f, 28);
    putEmpty(f, 36);
    putEmpty(f, 42);
    const size_t namesSize = kNamesHeaderSize + arrows.bytes.size() + numbers.bytes.size();
    PutLong(f, 48, 60);
    PutWord(f, 52, uint16_t(namesSize / 2));
    for (size_t i = 0; i < 3; ++i)
        putEmpty(f, 54 + 6 * i);
    PutWord(f, kHeaderSize, 0x21);
    for (size_t e = 0; e < 16; ++e)
        PutWord(f, kHeaderSize + 2 + 4 * e, 0xFFFF);
    auto entry = [&](uint8_t cls, uint16_t offset, uint32_t count) {
        if (cls >= 16) return;
        PutWord(f, kHeaderSize + 2 + 4 * cls, offset);
        PutWord(f, kHeaderSize + 4 + 4 * cls, uint16_t(count));
    };
    if (settings.arrowClass == settings.numberingClass)
        entry(settings.arrowClass, 33, arrows.count + numbers.count);
    else {
        if (arrows.count > 0) entry(settings.arrowClass, 33, arrows.count);
        if (numbers.count > 0)
            entry(settings.numberingClass, uint16_t(33 + arrows.bytes.size() / 2), numbers.count);
    }
    f.insert(f.end(), arrows.bytes.begin(), arrows.bytes.end());
    f.insert(f.end(), numbers.bytes.begin(), numbers.bytes.end());
    f.resize(size_t(AlignUp32(uint32_t(f.size()))), 0);
    return result;
}

int64_t WriteEmptyRecords(TLN_Stream& stream, uint32_t count, uint32_t recordSize, int64_t position) {
    if (recordSize < 6) return 0;
    std::vector<uint8_t> bytes(size_t(count) * recordSize, 0);
    for (size_t i = 0; i < count; ++i)
        std::copy(kEmptyReference, kEmptyReference + 6, bytes.begin() + ptrdiff_t(i * recordSize));
    stream.WriteAt(position, bytes.data(), int64_t(bytes.size()));
    return int64_t(bytes.size());
}

int64_t ReserveParcelManagementInfo(TLN_Stream& stream, uint32_t count) {
    const int64_t start = stream.Size();
    std::vector<uint8_t> bytes = {0, 0, 0xFF, 0xFF};
    for (uint32_t i = 0; i < count; ++i)
        bytes.insert(bytes.end(), kEmptyReference, kEmptyReference + 6);
    bytes.resize(size_t(AlignUp32(int64_t(bytes.size()))), 0);
    stream.WriteAt(start, bytes.data(), int64_t(bytes.size()));
    return start;
}

void AssignExtraParcelAddresses(TLN_Stream& stream, uint32_t blockCount, uint32_t parcelsPerBlock,
                                int64_t dataOffset, int64_t managementStart) {
    const int64_t blockBytes = AlignUp32(int64_t(4) + 6 * int64_t(parcelsPerBlock));
    uint32_t n = 0;
    for (uint32_t b = 0; b < blockCount; ++b) {
        const int64_t block = managementStart + int64_t(b) * blockBytes;
        for (uint32_t i = 0; i < parcelsPerBlock; ++i) {
            const int64_t at = block + 4 + 6 * int64_t(i);
            if (at + 6 > stream.Size()) return;
            if (ReadDWordBE(stream, at) != n) continue;
            uint8_t size[2];
            stream.ReadExactAt(at + 4, size, 2);
            WriteDWordBE(stream, OffsetToKiwiAddress(dataOffset), at);
            ++n;
            dataOffset += 32 * int64_t((size[0] << 8) | size[1]);
        }
    }
}

void RelocateKiwiAddresses(TLN_Stream& stream, int64_t delta, uint32_t count, uint32_t step) {
    const int64_t start = stream.Seek(0, SeekOrigin::Current);
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t at = start + int64_t(i) * step;
        if (at + 4 > stream.Size()) return;
        const uint32_t address = ReadDWordBE(stream, at);
        if (address == 0xFFFFFFFFu) continue;
        WriteDWordBE(stream, OffsetToKiwiAddress(KiwiAddressToOffset(address) + delta), at);
    }
}

} // namespace rewrite
