// Region data written into the new map.
#include "converter/output/RegionDataWriter.h"

#include <algorithm>
#include <vector>

#include "converter/output/OutputEncoding.h"
#include "kiwi/core/KiwiErrors.h"

namespace {

void copyBytes(TLN_Stream& from, int64_t position, int64_t count, TLN_Stream& to, int64_t target) {
    if (count <= 0) return;
    std::vector<uint8_t> buffer(static_cast<size_t>(count));
    from.ReadExactAt(position, buffer.data(), count);
    to.WriteAt(target, buffer.data(), count);
}

} // namespace

int64_t WriteRegionData(ConversionContext& c, const TLN_RegionManager& regions, int64_t at) {
    TLN_Stream& source = regions.Stream();
    const TLN_Region_Header& header = regions.Header();
    // The header with its level records, however short its stored size says it is.
    const int64_t headerBytes =
        std::max<int64_t>(2 * int64_t(header.HeaderSize),
                          kRegionHeaderFixedSize + int64_t(header.LevelCount) * 2 * header.LevelRecordSize);
    copyBytes(source, header.Position, headerBytes, c.out, at);
    uint32_t records = 0;
    int64_t tableBytes = 0;
    std::vector<TLN_Region_Level_Record> levels(size_t(regions.LevelCount()));
    for (int level = 0; level < regions.LevelCount(); ++level) {
        if (!regions.GetLevelRecord(level, levels[size_t(level)]))
            throw EReadError(Failure(FailureCode::RegionLevelUnreadable, {{"level", level}}));
        records += levels[size_t(level)].RegionCount;
        tableBytes += int64_t(levels[size_t(level)].RegionCount) * 2 * levels[size_t(level)].RegionRecordSize;
    }
    const uint8_t total[4] = {uint8_t(records >> 24), uint8_t(records >> 16), uint8_t(records >> 8),
                              uint8_t(records)};
    c.out.WriteAt(at + 4, total, 4);
    int64_t table = AlignUp32(at + headerBytes);
    tableBytes = AlignUp32(tableBytes);
    c.out.Seek(at + 8);
    WriteAddressAndStoredSize(c.out, table - at, uint16_t(tableBytes / 32));
    int64_t frames = table + tableBytes;
    for (int level = 0; level < regions.LevelCount(); ++level) {
        c.checkStop();
        const TLN_Region_Level_Record& record = levels[size_t(level)];
        const int64_t size = 2 * int64_t(record.RegionRecordSize);
        if (level == 0) {
            // The top level's records (the whole area) stay as they were; the whole table is kept so that
            // the later levels' tables stay where readers look for them.
            copyBytes(source, record.TablePosition, size * record.RegionCount, c.out, table);
            table += size * record.RegionCount;
            continue;
        }
        copyBytes(source, record.TablePosition, size * record.RegionCount, c.out, table);
        for (int j = 0; j < record.RegionCount; ++j) {
            c.checkStop();
            c.progress.SetProgress1(j, record.RegionCount);
            TLN_Region_Manag_Record region;
            if (!regions.ReadRegionRecord(level, j, region)) continue;
            // Frames in files of their own stay where they are.
            if (!region.FileName.empty()) continue;
            c.out.Seek(table + j * size + 18);
            if (region.FramePosition >= 0 && region.FrameSize > 0) {
                WriteKiwiAddress(c.out, frames - at);
                copyBytes(*regions.FrameStream(region.FrameFile), region.FramePosition, region.FrameSize,
                          c.out, frames);
                frames += AlignUp32(int64_t(region.FrameSize));
            } else {
                WriteEmptyReference(c.out);
            }
        }
        table += size * record.RegionCount;
    }
    return frames - at;
}
