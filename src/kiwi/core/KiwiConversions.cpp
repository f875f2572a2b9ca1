// Pure conversions of KIWI units.
#include "kiwi/core/KiwiConversions.h"

#include "kiwi/core/KiwiErrors.h"

uint32_t SwapDWord(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

uint32_t SwapWord(uint32_t v) {
    return (v & 0xFFFF0000u) | ((v & 0xFFu) << 8) | ((v >> 8) & 0xFFu);
}

int32_t SignMag24ToInt(uint32_t v) {
    const int32_t magnitude = int32_t(v & 0x7FFFFFu);
    return (v & 0x800000u) ? -magnitude : magnitude;
}

uint32_t IntToSignMag24(int32_t value) {
    const uint32_t magnitude = value < 0 ? uint32_t(-int64_t(value)) : uint32_t(value);
    return ((magnitude & 0xFFFFFFu) << 8) | (value < 0 ? 0x80000000u : 0u);
}

uint32_t OffsetToKiwiAddress(int64_t position) {
    if (position == -1) return 0xFFFFFFFFu;
    const int64_t sector = position / 2048;
    if (position < 0 || sector > 0xFFFFFF)
        throw EConvertError("Position " + std::to_string(position) + " cannot be stored as a KIWI address");
    return uint32_t(sector << 8) + uint32_t((position - sector * 2048) / 32);
}

int64_t KiwiAddressToOffset(uint32_t a) {
    if (a == 0xFFFFFFFFu) return -1;
    return int64_t(a >> 8) * 2048 + int64_t(a & 63u) * 32;
}

int64_t WordOffsetToPosition(uint32_t n, int64_t base) {
    if (n == 0xFFFFFFFFu) return -1;
    return base + 2 * int64_t(n);
}

int64_t WordOffset16ToPosition(uint16_t n, int64_t base) {
    if (n == 0xFFFFu) return -1;
    return base + 2 * int64_t(n);
}

TLN_Rect FlipRectVertical(const TLN_Rect& r) {
    return {r.Left, r.Bottom, r.Right, r.Top};
}

std::string SlashToBackslash(const std::string& path) {
    std::string result = path;
    for (char& c : result)
        if (c == '/') c = '\\';
    return result;
}
