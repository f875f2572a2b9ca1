// Decoding of the REGION.KWI management records.
#include "kiwi/region/RegionRecords.h"

#include "kiwi/core/KiwiConversions.h"

namespace {
int64_t addressPosition(uint32_t address, int64_t base) {
    const int64_t offset = KiwiAddressToOffset(address);
    return offset < 0 ? -1 : base + offset;
}
} // namespace

bool DecodeRegionHeader(const BeCursor& c, int64_t base, TLN_Region_Header& out) {
    if (!c.fits(0, kRegionHeaderFixedSize)) return false;
    out = {};
    out.Position = base;
    out.HeaderSize = c.u16(0);
    out.TypeCode = c.u16(2) & 0xFF;
    out.TotalRegionRecords = c.u32(4);
    out.RegionTableAddress = c.u32(8);
    out.RegionTablePosition = addressPosition(out.RegionTableAddress, base);
    out.RegionTableSize = c.u16(12);
    out.RegionTableFileName = c.fixedString(14, 12);
    out.TrafficTableAddress = c.u32(26);
    out.TrafficTablePosition = addressPosition(out.TrafficTableAddress, base);
    out.TrafficTableSize = c.u16(30);
    out.TrafficTableFileName = c.fixedString(32, 12);
    out.TrafficRecordSize = c.u16(44);
    out.LevelCount = c.u8(46);
    out.LevelRecordSize = c.u16(48);
    return true;
}

bool DecodeRegionLevelRecord(const BeCursor& c, int64_t position, TLN_Region_Level_Record& out) {
    if (!c.fits(0, kRegionLevelRecordReadSize)) return false;
    out = {};
    out.Position = position;
    out.LevelCode = c.u8(0) >> 2;
    out.BasicFrameCount = c.u8(1) >> 4;
    out.ExtendedFrameCount = c.u8(1) & 0x0F;
    out.RegionCount = c.u16(2);
    out.RegionRecordSize = c.u16(4);
    out.NodeRecordSize = c.u16(6);
    out.LinkRecordSize = c.u16(8);
    out.LinkCostRecordSize = c.u16(10);
    out.RegulationRecordSize = c.u16(12);
    out.BetweenLinksRecordSize = c.u16(14);
    return true;
}

bool DecodeRegionRecord(const BeCursor& c, int64_t position, bool withFileName,
                        TLN_Region_Manag_Record& out) {
    if (!c.fits(0, withFileName ? kRegionRecordNamedReadSize : kRegionRecordReadSize)) return false;
    out = {};
    out.Position = position;
    // The edges are packed 3-byte sign-magnitude values.
    out.Top = c.coordinate(0);
    out.Bottom = c.coordinate(3);
    out.Left = c.coordinate(6);
    out.Right = c.coordinate(9);
    out.HigherRegion = c.u16(12);
    out.LowerRegionFirst = c.u16(14);
    out.LowerRegionCount = c.u16(16);
    out.FrameAddress = c.u32(18);
    out.FrameSize = uint32_t(c.u16(22)) * 32;
    if (withFileName) out.FileName = c.fixedString(24, 12);
    return true;
}
