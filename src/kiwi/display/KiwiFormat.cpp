// Text formatters of stored KIWI values.
#include "kiwi/display/KiwiFormat.h"

#include <QLocale>
#include <cstdio>
#include <cstdlib>

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

uint8_t byteOf(int64_t value, int index) {
    return uint8_t(uint64_t(value) >> (8 * index));
}

int32_t highHalf(int64_t value) {
    return int32_t(uint32_t(uint64_t(value) >> 32));
}

// Bytes 4 and 5 are shown for a positive high half only; bytes 6 and 7 never.
int bytesAboveLowHalf(int64_t value) {
    const int32_t high = highHalf(value);
    return high > 255 ? 2 : high > 0 ? 1 : 0;
}

int significantByteCount(int64_t value) {
    const int32_t high = highHalf(value);
    if (high < 0) return 1;
    if (high > 0) return 4 + bytesAboveLowHalf(value);
    const uint32_t low = uint32_t(value);
    return low >= 0x1000000u ? 4 : low >= 0x10000u ? 3 : low >= 0x100u ? 2 : 1;
}

// count bytes, most significant first, each as two upper-case hex digits, joined by separator.
std::string hexBytes(int64_t value, int count, const char* separator) {
    std::string text;
    for (int index = count - 1; index >= 0; --index) {
        const uint8_t b = byteOf(value, index);
        text += kHexDigits[b >> 4];
        text += kHexDigits[b & 15];
        if (index > 0) text += separator;
    }
    return text;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

std::string FormatNumberGrouped(int64_t value) {
    const uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    const std::string digits = std::to_string(magnitude);
    std::string text = value < 0 ? "-" : "";
    const int count = int(digits.size());
    for (int i = 0; i < count; ++i) {
        text += digits[size_t(i)];
        const int toTheRight = count - 1 - i;
        if (toTheRight > 0 && toTheRight <= 15 && toTheRight % 3 == 0) text += ' ';
    }
    return text;
}

std::string FormatHex64Spaced(int64_t value) {
    return "0 x " + hexBytes(value, significantByteCount(value), " ");
}

std::string FormatHex0x(int64_t value) {
    return "0x" + hexBytes(value, significantByteCount(value), "");
}

std::string FormatHexDigits(int64_t value) {
    return hexBytes(value, significantByteCount(value), "");
}

std::string FormatHex32Spaced(int64_t value) {
    return "0 x " + hexBytes(value, 4 + bytesAboveLowHalf(value), " ");
}

std::string FormatDWordHex(uint32_t value) {
    return "0 x " + hexBytes(value, 4, " ");
}

std::string FormatWordHex(uint16_t value) {
    return "0 x " + hexBytes(value, 2, " ");
}

std::string CompactHexText(const std::string& text) {
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    const size_t prefix = upper.find("0 X ");
    if (prefix == std::string::npos) return {};
    std::string digits;
    size_t at = prefix + 4;
    while (true) {
        if (at + 2 > upper.size() || !isHexDigit(upper[at]) || !isHexDigit(upper[at + 1])) return {};
        digits += upper.substr(at, 2);
        at += 2;
        if (at == upper.size()) break;
        if (upper[at] != ' ') return {};
        ++at;
    }
    // Leading zeros are allowed; the value must fit a signed 64-bit number without turning negative.
    const size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero != std::string::npos) {
        const size_t significant = digits.size() - firstNonZero;
        if (significant > 16 || (significant == 16 && digits[firstNonZero] >= '8')) return {};
    }
    return digits;
}

std::string FormatDMS(int32_t coordinate) {
    const int64_t magnitude = std::llabs(int64_t(coordinate));
    const int64_t seconds = magnitude >> 3;
    const int64_t eighths = (magnitude & 7) * 125 / 100;
    return std::to_string(seconds / 3600) + "*" + std::to_string(seconds % 3600 / 60) + "'" +
           std::to_string(seconds % 60) + "," + std::to_string(eighths);
}

std::string FormatLatitude(int32_t coordinate) {
    return (coordinate >= 0 ? "N" : "S") + FormatDMS(coordinate);
}

std::string FormatLongitude(int32_t coordinate) {
    return (coordinate > 0 ? "E" : "W") + FormatDMS(coordinate);
}

std::string FormatDegrees(int32_t coordinate) {
    // Thousandths of a degree in integers: exact rounding, and no "-0.000" for tiny negatives.
    const int64_t magnitude = std::llabs(int64_t(coordinate));
    const int64_t thousandths = (magnitude * 1000 + 28800 / 2) / 28800;
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, "%03d", int(thousandths % 1000));
    const std::string sign = coordinate < 0 && thousandths != 0 ? "-" : "";
    return sign + std::to_string(thousandths / 1000) + QLocale::system().decimalPoint().toStdString() +
           fraction;
}

std::string CompressionTypeName(uint32_t type) {
    switch (type) {
    case 0:
        return "Not compressed";
    case 1:
        return "BPE type";
    case 2:
    case 258:
    case 514:
    case 770:
        return "GZIP type";
    default:
        return "Unknown type";
    }
}

std::string TrafficProvidersText(uint32_t flags) {
    if ((flags & 15) == 0) return {};
    std::string text;
    if (flags & 1) text += "VICS ";
    if (flags & 2) text += "ATIS ";
    if (flags & 4) text += "Traffic Master ";
    if (flags & 8) text += "RDS-TMC ";
    return text + "data provided";
}
