// A new "REGION.KWI" from chosen regions.
#include "converter/output/RegionFileBuilder.h"

#include <algorithm>

#include "converter/job/ConversionContext.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/region/Region.h"

namespace {

constexpr int kFillerBytes = 24;
// Edges all ones, no higher region, lower regions from 0 (none), no route planning frame.
const uint8_t kFiller[kFillerBytes] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
                                       0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};

void copyBytes(TLN_Stream& from, int64_t position, int64_t count, TLN_Stream& to, int64_t target) {
    if (count <= 0) return;
    std::vector<uint8_t> buffer(static_cast<size_t>(count));
    from.ReadExactAt(position, buffer.data(), count);
    to.WriteAt(target, buffer.data(), count);
}

void addOnce(std::vector<int>& list, int value) {
    if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

// Level-1 regions that the chosen regions' lower regions also belong to: each level-2 region's second
// extended frame lists, from its byte 20, the level-1 region of every level-2 region.
void widenSelection(const TLN_RegionManager& regions, std::vector<int>& level1) {
    if (regions.LevelCount() < 3) return;
    std::vector<int> candidates;
    for (const int r : level1) {
        TLN_Region_Manag_Record record;
        if (!regions.ReadRegionRecord(1, r, record) || record.LowerRegionFirst >= 0xFFFF) continue;
        for (int k = 0; k < record.LowerRegionCount; ++k)
            addOnce(candidates, record.LowerRegionFirst + k);
    }
    TLN_Region_Level_Record level2;
    if (!regions.GetLevelRecord(2, level2)) return;
    for (const int c2 : candidates) {
        if (c2 >= level2.RegionCount) continue;
        const TLN_Region region(regions, 2, c2);
        if (!region.IsValid() || region.RPHeader().Extended.size() < 2) continue;
        const TLN_RP_Frame_Reference& table = region.RPHeader().Extended[1];
        if (table.Size == 0 || table.Position < 0) continue;
        const auto stream = regions.FrameStream(region.RPHeader().FrameFile);
        if (!stream) continue;
        for (const int c : candidates) {
            if (c >= level2.RegionCount || 20 + 2 * int64_t(c) + 2 > table.ByteSize()) continue;
            uint8_t entry[2] = {0xFF, 0xFF};
            if (stream->ReadAt(table.Position + 20 + 2 * int64_t(c), entry, 2) != 2) continue;
            addOnce(level1, (entry[0] << 8) | entry[1]);
        }
    }
}

} // namespace

int64_t BuildRegionFile(const TLN_RegionManager& regions, const std::vector<int>& chosen, TLN_Stream& out,
                        const std::function<void(int)>& progress, const std::atomic<bool>& stop) {
    if (progress) progress(0);
    TLN_Stream& source = regions.Stream();
    const TLN_Region_Header& header = regions.Header();
    const int64_t headerBytes =
        std::max<int64_t>(2 * int64_t(header.HeaderSize),
                          kRegionHeaderFixedSize + int64_t(header.LevelCount) * 2 * header.LevelRecordSize);
    copyBytes(source, header.Position, headerBytes, out, 0);
    int64_t table = AlignUp32(headerBytes);
    out.Seek(8);
    WriteKiwiAddress(out, table);
    int64_t tableBytes = 32 * int64_t(header.RegionTableSize);
    std::vector<TLN_Region_Level_Record> levels(size_t(regions.LevelCount()));
    int64_t sum = 0;
    for (int level = 0; level < regions.LevelCount(); ++level) {
        if (!regions.GetLevelRecord(level, levels[size_t(level)]))
            throw EReadError(Failure(FailureCode::RegionLevelUnreadable, {{"level", level}}));
        sum += int64_t(levels[size_t(level)].RegionCount) * 2 * levels[size_t(level)].RegionRecordSize;
    }
    int64_t frames = AlignUp32(table + std::max(tableBytes, sum));

    std::vector<int> selection;
    for (const int r : chosen)
        addOnce(selection, r);
    widenSelection(regions, selection);
    for (int level = 0; level < regions.LevelCount(); ++level) {
        const TLN_Region_Level_Record& record = levels[size_t(level)];
        const int64_t size = 2 * int64_t(record.RegionRecordSize);
        const int count = record.RegionCount;
        if (level == 0) {
            copyBytes(source, record.TablePosition, size * count, out, table);
            table += size * count;
            continue;
        }
        std::vector<uint8_t> filler(size_t(size), 0);
        std::copy_n(kFiller, std::min<int64_t>(size, kFillerBytes), filler.begin());
        std::vector<int> next;
        for (int r = 0; r < count; ++r) {
            const bool kept = std::find(selection.begin(), selection.end(), r) != selection.end();
            if (!kept) {
                out.WriteAt(table + r * size, filler.data(), size);
                continue;
            }
            copyBytes(source, record.TablePosition + r * size, size, out, table + r * size);
            TLN_Region_Manag_Record region;
            if (regions.ReadRegionRecord(level, r, region) && region.LowerRegionFirst < 0xFFFF)
                for (int k = 0; k < region.LowerRegionCount; ++k)
                    addOnce(next, region.LowerRegionFirst + k);
        }
        int done = 0;
        for (const int r : selection) {
            if (stop.load()) throw ConversionStopped();
            if (progress) progress(int(100 * ++done / std::max<size_t>(1, selection.size())));
            if (r < 0 || r >= count) continue;
            TLN_Region_Manag_Record region;
            if (!regions.ReadRegionRecord(level, r, region) || !region.FileName.empty()) continue;
            out.Seek(table + r * size + 18);
            if (region.FramePosition >= 0 && region.FrameSize > 0) {
                WriteKiwiAddress(out, frames);
                copyBytes(*regions.FrameStream(region.FrameFile), region.FramePosition, region.FrameSize, out,
                          frames);
                frames += AlignUp32(int64_t(region.FrameSize));
            } else {
                WriteEmptyReference(out);
            }
        }
        table += size * count;
        selection = next;
    }
    return frames;
}
