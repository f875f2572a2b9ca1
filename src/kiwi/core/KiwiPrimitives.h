// Small value types shared by every reader: points, point records, rectangles.
#pragma once

#include <cstdint>
#include <string>

// A map position: X = longitude, Y = latitude, in 1/8 arc-second (as in TLN_PID).
struct TLN_Point {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TLN_Point&) const = default;
};

// Point record (12 bytes in a file): coordinate pair, a byte at +8, a word at +10.
struct TLN_PointRecord {
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t ByteValue = 0;
    uint16_t WordValue = 0;
};

// Named point record (32 bytes in a file): a point record and a 20-byte fixed text at +12.
struct TLN_NamedPointRecord : TLN_PointRecord {
    std::string Name;
};

struct TLN_Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool operator==(const TLN_Rect&) const = default;
};

// Windows colour value: red in bits 0-7, green 8-15, blue 16-23.
using TLN_Color = uint32_t;
