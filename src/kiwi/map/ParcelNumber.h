// A parcel's identity (level / block set / block / parcel and the place inside it) and a map position.
#pragma once

#include <cstdint>

// 14 unsigned bytes in this order; X counts towards the east, Y towards the north.
struct TLN_ParcelNumber {
    uint8_t Level = 0;
    uint8_t BlockSetX = 0;
    uint8_t BlockSetY = 0;
    uint8_t BlockX = 0;
    uint8_t BlockY = 0;
    uint8_t ParcelX = 0;
    uint8_t ParcelY = 0;
    // 0 regular, 1 divided, 2 integrated.
    uint8_t Kind = 0;
    // Division counts of a divided parcel, or the integrated parcel counts.
    uint8_t CountX = 0;
    uint8_t CountY = 0;
    // Sub-parcel location of a divided parcel, or the place inside an integrated one.
    uint8_t SubX = 0;
    uint8_t SubY = 0;
    // Position inside the parcel in 1/256 of its side.
    uint8_t PositionX = 0;
    uint8_t PositionY = 0;

    bool operator==(const TLN_ParcelNumber&) const = default;
};
static_assert(sizeof(TLN_ParcelNumber) == 14);

// A geographic position: X = longitude, Y = latitude, in 1/8 arc-second.
struct TLN_PID {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TLN_PID&) const = default;
};

// True when level, block set, block and parcel agree and, for a divided b, a's in-parcel position
// falls in b's sub-parcel (the last one for a remainder of a count that does not divide 256).
// A divided b with a division count of 0 never matches.
bool ParcelNumberMatches(const TLN_ParcelNumber& a, const TLN_ParcelNumber& b);
