// Region data written into the new map.
#include "converter/output/RegionDataWriter.h"

#include "converter/output/OutputEncoding.h"
#include "converter/output/RegionFileBuilder.h"

int64_t WriteRegionData(ConversionContext& c, const TLN_RegionManager& regions, int64_t at) {
    const int64_t headerBytes = CopyRegionHeader(regions, c.out, at);
    const RegionSelection all = AllRegions(regions);
    uint32_t records = 0;
    for (const auto& level : all)
        records += uint32_t(level.size());
    const uint8_t total[4] = {uint8_t(records >> 24), uint8_t(records >> 16), uint8_t(records >> 8),
                              uint8_t(records)};
    c.out.WriteAt(at + 4, total, 4);
    const int64_t table = AlignUp32(at + headerBytes);
    const int64_t tableBytes = AlignUp32(RegionTablesBytes(regions));
    c.out.Seek(at + 8);
    WriteAddressAndStoredSize(c.out, table - at, uint16_t(tableBytes / 32));
    // Every frame is copied whole: a frame the file does not hold raises with where it lies.
    RegionWriteHooks hooks;
    hooks.checkStop = [&c] { c.checkStop(); };
    hooks.progress = [&c](int64_t done, int64_t count) { c.progress.SetProgress1(done, count); };
    return WriteRegionTables(regions, all, c.out, at, table, table + tableBytes, hooks) - at;
}
