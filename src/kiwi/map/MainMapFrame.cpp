// Decoding of main map and route guidance distribution headers and their frame references.
#include "kiwi/map/MainMapFrame.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"

uint32_t DataSourceScale(uint16_t word) {
    return uint32_t(word & 0x3FFF) * ((word & 0x4000) ? 10000u : 100u);
}

uint32_t RealLengthMetres(uint16_t word) {
    return uint32_t(word & 0x7FFF) * ((word & 0x8000) ? 100u : 1u);
}

namespace {

TLN_Frame_Reference wordReference(const BeCursor& span, int64_t offset, int64_t frameStart) {
    return TLN_Frame_Reference{WordOffsetToPosition(span.u32(offset), frameStart), 2u * span.u16(offset + 4)};
}

TLN_Frame_Reference sectorReference(const BeCursor& span, int64_t offset) {
    return TLN_Frame_Reference{KiwiAddressToOffset(span.u32(offset)), 32u * span.u16(offset + 4)};
}

// Reads count word-offset references from offset on; stops (and reports false) at the end of the span.
bool readReferences(const BeCursor& span, int64_t offset, int count, int64_t frameStart,
                    std::vector<TLN_Frame_Reference>& out) {
    out.reserve(out.size() + size_t(std::clamp<int64_t>((int64_t(span.size()) - offset) / 6, 0, count)));
    for (int i = 0; i < count; ++i) {
        if (!span.fits(offset + 6 * int64_t(i), 6)) return false;
        out.push_back(wordReference(span, offset + 6 * int64_t(i), frameStart));
    }
    return true;
}

} // namespace

void DecodeMainMapHeaderFixed(const BeCursor& span, TLN_MM_Distribution_Header& out) {
    out.HeaderSize = 2u * span.u16(0);
    out.ReferenceY = span.coordinate(2);
    out.ReferenceX = span.coordinate(6);
    out.LocationCodeY = span.u8(10);
    out.LocationCodeX = span.u8(11);
    const uint16_t flags = span.u16(12);
    out.Identifier = uint8_t(flags >> 14);
    out.AdjacentFlag = (flags & 0x2000) != 0;
    out.TypeNumber = uint8_t((flags >> 8) & 3);
    out.LatitudinalNumber = uint8_t((flags >> 4) & 15);
    out.LongitudinalNumber = uint8_t(flags & 15);
    if (out.Identifier == 2) {
        ++out.LatitudinalNumber;
        ++out.LongitudinalNumber;
    }
    out.AreaCodeWord = span.u32(14);
    out.Scale = DataSourceScale(span.u16(18));
    out.RealLengthX = RealLengthMetres(span.u16(20));
    out.RealLengthY = RealLengthMetres(span.u16(22));
    out.GeomagneticStrength = span.u16(24);
    out.GeomagneticDeclination = span.u16(26);
    out.RouteGuidancePosition = KiwiAddressToOffset(span.u32(28));
    out.RouteGuidanceSize = 32u * span.u16(32);
    out.RegionCount = span.u16(34);
}

int64_t MainMapHeaderTablesEnd(const TLN_MM_Distribution_Header& header, int basicCount, int extendedCount) {
    return kMainMapHeaderFixedSize + 4 * int64_t(header.RegionCount) +
           6 * int64_t(basicCount + extendedCount) + (header.AdjacentFlag ? 6 * kAdjacentParcelCount : 0);
}

void DecodeMainMapHeaderTables(const BeCursor& span, int64_t frameStart, int basicCount, int extendedCount,
                               TLN_MM_Distribution_Header& out) {
    int64_t offset = kMainMapHeaderFixedSize;
    out.Regions.reserve(size_t(std::clamp<int64_t>((int64_t(span.size()) - offset) / 4, 0, out.RegionCount)));
    for (int i = 0; i < out.RegionCount; ++i, offset += 4) {
        if (!span.fits(offset, 4)) {
            out.Truncated = true;
            return;
        }
        out.Regions.push_back(TLN_Route_Region{uint8_t(span.u16(offset) >> 10), span.u16(offset + 2)});
    }
    if (!readReferences(span, offset, basicCount, frameStart, out.Basic) ||
        !readReferences(span, offset + 6 * int64_t(basicCount), extendedCount, frameStart, out.Extended)) {
        out.Truncated = true;
        return;
    }
    offset += 6 * int64_t(basicCount + extendedCount);
    if (out.AdjacentFlag) {
        for (int i = 0; i < kAdjacentParcelCount; ++i, offset += 6) {
            if (!span.fits(offset, 6)) {
                out.Truncated = true;
                return;
            }
            TLN_Adjacent_Parcel& adjacent = out.Adjacent[size_t(i)];
            const uint32_t word = span.u32(offset);
            adjacent.Address = KiwiAddressToOffset(word);
            adjacent.Size = 32u * span.u16(offset + 4);
            if (adjacent.Size == 0 && word != 0xFFFFFFFFu) {
                adjacent.Divided = true;
                adjacent.DivisionCount1 = uint8_t(((word >> 12) & 15) + 1);
                adjacent.DivisionCount2 = uint8_t(((word >> 8) & 15) + 1);
                adjacent.ListCount = uint16_t((word & 255) + 1);
                adjacent.ListPosition = frameStart + 2 * int64_t(word >> 16);
            }
        }
    }
    out.TablesInsideHeader = offset < int64_t(out.HeaderSize);
}

std::vector<TLN_Frame_Reference> DecodeAdjacentList(const BeCursor& span, int64_t offset, int count) {
    std::vector<TLN_Frame_Reference> list;
    list.reserve(size_t(std::clamp<int64_t>((int64_t(span.size()) - offset) / 6, 0, count)));
    for (int i = 0; i < count && span.fits(offset + 6 * int64_t(i), 6); ++i)
        list.push_back(sectorReference(span, offset + 6 * int64_t(i)));
    return list;
}

void DecodeRouteGuidanceHeader(const BeCursor& span, int64_t frameStart, int basicCount, int extendedCount,
                               TLN_RG_Distribution_Header& out) {
    out.HeaderSize = 2u * span.u16(0);
    out.ReferenceY = span.coordinate(2);
    out.ReferenceX = span.coordinate(6);
    out.LocationCodeY = span.u8(10);
    out.LocationCodeX = span.u8(11);
    const uint16_t flags = span.u16(12);
    out.Identifier = uint8_t(flags >> 14);
    out.AdjacentFlag = (flags & 0x2000) == 0;
    out.TypeNumber = uint8_t((flags >> 8) & 3);
    out.LatitudinalNumber = uint8_t((flags >> 4) & 15);
    out.LongitudinalNumber = uint8_t(flags & 15);
    if (out.Identifier == 2) {
        ++out.LatitudinalNumber;
        ++out.LongitudinalNumber;
    }
    out.PracticalManagementCode = span.u32(14);
    const uint16_t baseMap = span.u16(18);
    out.HeightInformation = (baseMap & 0x8000) != 0;
    out.BaseMapScaleStandard = (baseMap & 0x4000) != 0;
    out.BaseMapIdentifier = uint16_t(baseMap & 0x3FFF);
    const int64_t offset = kRouteGuidanceHeaderFixedSize;
    if (!readReferences(span, offset, basicCount, frameStart, out.Basic) ||
        !readReferences(span, offset + 6 * int64_t(basicCount), extendedCount, frameStart, out.Extended))
        out.Truncated = true;
}

void DecodeMainMapFrameTable(const BeCursor& span, int64_t frameStart, int basicCount, int extendedCount,
                             TLN_MM_Frame_Table& out) {
    out.LocationCodeY = span.u8(10);
    out.LocationCodeX = span.u8(11);
    out.Flags = span.u16(12);
    out.RegionCount = span.u16(34);
    out.Regions.reserve(size_t(std::min<int>(out.RegionCount, kFrameTableRegionCount)));
    for (int i = 0; i < out.RegionCount && i < kFrameTableRegionCount; ++i) {
        const int64_t offset = kMainMapHeaderFixedSize + 4 * int64_t(i);
        if (!span.fits(offset, 4)) break;
        out.Regions.push_back(TLN_Route_Region{uint8_t(span.u16(offset) >> 10), span.u16(offset + 2)});
    }
    const int count = std::min(basicCount + extendedCount, kFrameTableReferenceCount);
    const int64_t first = kMainMapHeaderFixedSize + 4 * int64_t(out.RegionCount);
    out.ReferenceCount = count;
    for (int i = 0; i < count; ++i) {
        const int64_t offset = first + 6 * int64_t(i);
        if (!span.fits(offset, 6)) break;
        out.References[size_t(i)] = wordReference(span, offset, frameStart);
    }
}
