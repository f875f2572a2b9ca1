// TLN_KiwiMap: map positions to parcel numbers, and parcel numbers to their parcels' headers.
#include <algorithm>

#include "kiwi/map/KiwiMap.h"

namespace {

struct AxisPlace {
    uint8_t blockSet = 0;
    uint8_t block = 0;
    uint8_t parcel = 0;
    uint8_t position = 0;
};

// One axis of a position inside the level (0 < value < level extent), in 64 bits: a level spans up to
// 2^36 units.
AxisPlace placeOnAxis(int64_t value, int64_t blockSetSize, int64_t blockSize) {
    AxisPlace place;
    const int64_t blockSet = value / blockSetSize;
    int64_t rest = value - blockSet * blockSetSize;
    const int64_t block = rest / blockSize;
    rest -= block * blockSize;
    const int64_t parcel = rest / kParcelSide;
    place.blockSet = uint8_t(blockSet);
    place.block = uint8_t(block);
    place.parcel = uint8_t(parcel);
    place.position = uint8_t((rest - parcel * kParcelSide) / 16);
    return place;
}

} // namespace

bool TLN_KiwiMap::PointToParcelNumber(uint8_t level, int64_t x, TLN_ParcelNumber& out, int64_t y) const {
    out = {};
    out.Level = level;
    const TLN_Level_Management_Record* record = Level(level);
    if (!record) return false;
    bool result = true;
    if (x < 1) {
        result = false;
    } else if (x >= record->LevelWidth()) {
        out.BlockSetX = uint8_t(record->BlockSets.X - 1);
        out.BlockX = uint8_t(record->Blocks.X - 1);
        out.ParcelX = uint8_t(record->Parcels.X - 1);
        result = false;
    } else {
        const AxisPlace place = placeOnAxis(x, record->BlockSetWidth, record->BlockWidth);
        out.BlockSetX = place.blockSet;
        out.BlockX = place.block;
        out.ParcelX = place.parcel;
        out.PositionX = place.position;
    }
    if (y < 1) return false;
    if (y >= record->LevelHeight()) {
        out.BlockSetY = uint8_t(record->BlockSets.Y - 1);
        out.BlockY = uint8_t(record->Blocks.Y - 1);
        out.ParcelY = uint8_t(record->Parcels.Y - 1);
        return false;
    }
    const AxisPlace place = placeOnAxis(y, record->BlockSetHeight, record->BlockHeight);
    out.BlockSetY = place.blockSet;
    out.BlockY = place.block;
    out.ParcelY = place.parcel;
    out.PositionY = place.position;
    return result;
}

int TLN_KiwiMap::SubParcelIndex(const TLN_Division& division, uint8_t positionX, uint8_t positionY) {
    if (division.X == 0 || division.Y == 0) return -1;
    const int stepX = 256 / division.X;
    const int stepY = 256 / division.Y;
    if (stepX == 0 || stepY == 0) return -1;
    // A count that does not divide 256 leaves a strip past the last cell: it belongs to the last cell.
    const int column = std::min(positionX / stepX, division.X - 1);
    const int row = std::min(positionY / stepY, division.Y - 1);
    return row * division.X + column;
}

bool TLN_KiwiMap::ReadParcelHeader(uint8_t level, const TLN_ParcelNumber& number,
                                   TLN_MM_Distribution_Header& out) {
    out = {};
    TLN_ParcelNumber parcelNumber = number;
    parcelNumber.Level = level;
    TLN_MM_Parcel_Managenent_Record record;
    if (!FindParcel(parcelNumber, false, record)) return false;
    if (record.IsDivided()) {
        const TLN_Division division = Level(level)->Divisions[record.DivisionType];
        const int index = SubParcelIndex(division, number.PositionX, number.PositionY);
        if (index < 0) return false;
        TLN_MM_Parcel_Managenent_Record sub;
        if (!ReadParcel(record.Stream, level, uint32_t(index), sub, false, record.Address)) return false;
        // Sub-parcels are not divided again; following one would walk management data as a frame.
        if (sub.IsDivided()) return false;
        record = std::move(sub);
    }
    if (!record.Stream) return false;
    return ReadMainMapHeader(record.Stream, level, out, false, record.Address);
}

bool TLN_KiwiMap::LocateParcel(TLN_ParcelNumber& number) {
    TLN_MM_Distribution_Header header;
    if (!ReadParcelHeader(number.Level, number, header)) return false;
    number.Kind = header.Identifier;
    switch (header.Identifier) {
    case 1: {
        const TLN_Division division = Level(number.Level)->Divisions[header.TypeNumber];
        number.CountX = uint8_t(division.X);
        number.CountY = uint8_t(division.Y);
        number.SubX = header.LongitudinalNumber;
        number.SubY = header.LatitudinalNumber;
        break;
    }
    case 2:
        number.CountX = header.LongitudinalNumber;
        number.CountY = header.LatitudinalNumber;
        number.SubX = uint8_t(number.ParcelX - header.LocationCodeX);
        number.SubY = uint8_t(number.ParcelY - header.LocationCodeY);
        break;
    case 3:
        number.CountX = number.CountY = number.SubX = number.SubY = 0;
        break;
    default:
        break;
    }
    return true;
}
