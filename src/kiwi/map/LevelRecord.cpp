// Decoding of level management records.
#include "kiwi/map/LevelRecord.h"

#include "kiwi/core/KiwiConversions.h"

std::string ScaleLabel(uint32_t denominator) {
    if (denominator == 0xFFFFFFFFu) return {};
    if (denominator / 100 >= 1000) return "1:" + std::to_string(denominator / 100000) + " km";
    return "1:" + std::to_string(denominator / 100) + " m";
}

namespace {

// Count pairs are stored "count - 1", first byte Y, second byte X.
TLN_Division countPair(const BeCursor& span, int64_t offset) {
    return TLN_Division{uint16_t(span.u8(offset + 1) + 1), uint16_t(span.u8(offset) + 1)};
}

void readClassList(const BeCursor& span, int64_t& offset, int count, int modulus,
                   std::vector<uint16_t>& codes, std::array<int16_t, 32>& reverse) {
    for (int i = 0; i < count; ++i) {
        // Codes past the end of the record are not part of it.
        if (!span.fits(offset, 2)) return;
        const uint16_t code = span.u16(offset);
        offset += 2;
        codes.push_back(code);
        reverse[code % modulus] = int16_t(i);
    }
}

} // namespace

TLN_Level_Management_Record DecodeLevelRecord(const BeCursor& span, uint32_t recordSize, int64_t partBase,
                                              int64_t position, int64_t coverageWidth, int64_t coverageHeight,
                                              bool computeParcelSize) {
    TLN_Level_Management_Record level;
    level.Position = position;
    level.LevelCode = int8_t(int8_t(span.u8(0)) / 4);
    const uint8_t integration = span.u8(1);
    level.IntegratedCount = uint16_t(1u << (integration >> 4));
    level.DividedCount = uint16_t(1u << (integration & 15));
    const uint16_t frameCounts = span.u16(2);
    level.MainMapBasicCount = uint8_t(frameCounts >> 12);
    level.MainMapExtendedCount = uint8_t((frameCounts >> 8) & 15);
    level.RouteGuidanceBasicCount = uint8_t((frameCounts >> 4) & 15);
    level.RouteGuidanceExtendedCount = uint8_t(frameCounts & 15);
    for (int i = 0; i < 5; ++i) {
        level.Scales[size_t(i)] = span.u32(4 + 4 * i);
        level.ScaleLabels[size_t(i)] = ScaleLabel(level.Scales[size_t(i)]);
    }
    level.BlockSets = countPair(span, 24);
    level.Blocks = countPair(span, 26);
    level.Parcels = countPair(span, 28);
    level.Divisions[0] = level.Parcels;
    for (int type = 1; type <= 3; ++type)
        level.Divisions[size_t(type)] = countPair(span, 28 + 2 * type);
    level.BlockSetTablePosition = WordOffset16ToPosition(span.u16(36), partBase);
    // The map cuts this to the table it can read.
    level.AcceptedBlockSetCount = level.BlockSetTablePosition < 0 ? 0 : uint32_t(level.BlockSetCount());
    level.NodeRecordSize = 2u * span.u16(38);

    level.BlockWidth = int64_t(level.Parcels.X) * kParcelSide;
    level.BlockHeight = int64_t(level.Parcels.Y) * kParcelSide;
    level.BlockSetWidth = int64_t(level.Blocks.X) * level.BlockWidth;
    level.BlockSetHeight = int64_t(level.Blocks.Y) * level.BlockHeight;
    level.ParcelsPerBlockSetX = int32_t(level.Parcels.X) * level.Blocks.X;
    level.ParcelsPerBlockSetY = int32_t(level.Parcels.Y) * level.Blocks.Y;
    level.ParcelsAcrossX = level.ParcelsPerBlockSetX * level.BlockSets.X;
    level.ParcelsAcrossY = level.ParcelsPerBlockSetY * level.BlockSets.Y;
    if (computeParcelSize) {
        level.ParcelWidth = int32_t(coverageWidth / level.ParcelsAcrossX);
        level.ParcelHeight = int32_t(coverageHeight / level.ParcelsAcrossY);
    }

    level.HasClassLists = recordSize > 40;
    if (level.HasClassLists) {
        const uint16_t classCounts = span.u16(40);
        level.RoadClassCount = uint8_t(((classCounts >> 10) & 15) + 1);
        level.BackgroundClassCount = uint8_t(((classCounts >> 5) & 31) + 1);
        level.NameClassCount = uint8_t((classCounts & 15) + 1);
        int64_t offset = 42;
        readClassList(span, offset, level.RoadClassCount, 16, level.RoadClassCodes, level.RoadClassIndex);
        readClassList(span, offset, level.BackgroundClassCount, 32, level.BackgroundClassCodes,
                      level.BackgroundClassIndex);
        readClassList(span, offset, level.NameClassCount, 32, level.NameClassCodes, level.NameClassIndex);
    }
    return level;
}
