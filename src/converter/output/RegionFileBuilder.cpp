// Region data written anew, and a new "REGION.KWI" from chosen regions.
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
// The frame address of a region management record.
constexpr int64_t kFrameReference = 18;

std::string hexOf(int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// count bytes at position of from, or ERegionDataShort saying what needed them and what the file holds.
std::vector<uint8_t> readWhole(TLN_Stream& from, int64_t position, int64_t count, const Failure& what) {
    std::vector<uint8_t> bytes(size_t(std::max<int64_t>(count, 0)));
    const int64_t size = from.Size();
    if (position < 0 || position > size || count > size - position ||
        from.ReadAt(position, bytes.data(), count) != count)
        throw ERegionDataShort(
            Failure(FailureCode::RegionPartShort,
                    {{"part", what}, {"count", count}, {"position", hexOf(position)}, {"size", size}}));
    return bytes;
}

void addOnce(std::vector<int>& list, int value) {
    if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

std::vector<TLN_Region_Level_Record> levelsOf(const TLN_RegionManager& regions) {
    std::vector<TLN_Region_Level_Record> levels(size_t(regions.LevelCount()));
    for (int level = 0; level < regions.LevelCount(); ++level)
        if (!regions.GetLevelRecord(level, levels[size_t(level)]))
            throw ERegionDataShort(Failure(FailureCode::RegionLevelRecordUnreadable, {{"level", level}}));
    return levels;
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

// Every level-0 region; the chosen level-1 regions (widened); below each kept region its lower regions.
RegionSelection selectRegions(const TLN_RegionManager& regions,
                              const std::vector<TLN_Region_Level_Record>& levels,
                              const std::vector<int>& chosen) {
    RegionSelection kept(levels.size());
    for (size_t level = 0; level < levels.size(); ++level)
        kept[level].assign(levels[level].RegionCount, level == 0);
    if (levels.size() < 2) return kept;
    std::vector<int> selection;
    for (const int r : chosen)
        addOnce(selection, r);
    widenSelection(regions, selection);
    for (size_t level = 1; level < levels.size(); ++level) {
        std::vector<int> next;
        for (const int r : selection) {
            if (r < 0 || r >= levels[level].RegionCount) continue;
            kept[level][size_t(r)] = true;
            TLN_Region_Manag_Record region;
            if (regions.ReadRegionRecord(int(level), r, region) && region.LowerRegionFirst < 0xFFFF)
                for (int k = 0; k < region.LowerRegionCount; ++k)
                    addOnce(next, region.LowerRegionFirst + k);
        }
        selection = next;
    }
    return kept;
}

} // namespace

RegionSelection AllRegions(const TLN_RegionManager& regions) {
    RegionSelection kept;
    for (const TLN_Region_Level_Record& level : levelsOf(regions))
        kept.emplace_back(level.RegionCount, true);
    return kept;
}

int64_t CopyRegionHeader(const TLN_RegionManager& regions, TLN_Stream& out, int64_t at) {
    const TLN_Region_Header& header = regions.Header();
    // The header with its level records, however short its stored size says it is.
    const int64_t bytes =
        std::max<int64_t>(2 * int64_t(header.HeaderSize),
                          kRegionHeaderFixedSize + int64_t(header.LevelCount) * 2 * header.LevelRecordSize);
    const std::vector<uint8_t> copy =
        readWhole(regions.Stream(), header.Position, bytes, Failure(FailureCode::RegionHeaderPart));
    out.WriteAt(at, copy.data(), bytes);
    return bytes;
}

int64_t RegionTablesBytes(const TLN_RegionManager& regions) {
    int64_t sum = 0;
    for (const TLN_Region_Level_Record& level : levelsOf(regions))
        sum += int64_t(level.RegionCount) * 2 * level.RegionRecordSize;
    return sum;
}

int64_t WriteRegionTables(const TLN_RegionManager& regions, const RegionSelection& kept, TLN_Stream& out,
                          int64_t base, int64_t table, int64_t frames, const RegionWriteHooks& hooks) {
    const std::vector<TLN_Region_Level_Record> levels = levelsOf(regions);
    int64_t total = 0, done = 0;
    for (const auto& level : kept)
        total += std::count(level.begin(), level.end(), true);
    for (size_t level = 0; level < levels.size(); ++level) {
        const TLN_Region_Level_Record& record = levels[level];
        const int64_t size = 2 * int64_t(record.RegionRecordSize);
        const int count = record.RegionCount;
        const std::string number = std::to_string(level);
        const std::vector<uint8_t> source =
            readWhole(regions.Stream(), record.TablePosition, size * count,
                      Failure(FailureCode::RegionTablePart, {{"level", number}}));
        std::vector<uint8_t> filler(size_t(size), 0);
        std::copy_n(kFiller, std::min<int64_t>(size, kFillerBytes), filler.begin());
        for (int r = 0; r < count; ++r) {
            const bool keep = level < kept.size() && size_t(r) < kept[level].size() && kept[level][size_t(r)];
            const int64_t at = table + r * size;
            out.WriteAt(at, keep ? source.data() + r * size : filler.data(), size);
            if (!keep) continue;
            if (hooks.checkStop) hooks.checkStop();
            if (hooks.progress) hooks.progress(done++, total);
            TLN_Region_Manag_Record region;
            // Frames in files of their own stay where they are.
            if (!regions.ReadRegionRecord(int(level), r, region) || !region.FileName.empty()) continue;
            out.Seek(at + kFrameReference);
            if (region.FramePosition < 0 || region.FrameSize == 0) {
                WriteEmptyReference(out);
                continue;
            }
            const Failure what(FailureCode::RegionFramePart, {{"level", number}, {"region", r}});
            std::vector<uint8_t> frame;
            try {
                frame = readWhole(*regions.FrameStream(region.FrameFile), region.FramePosition,
                                  region.FrameSize, what);
            } catch (const ERegionDataShort& e) {
                if (!hooks.unreadable) throw;
                hooks.unreadable(e);
                WriteEmptyReference(out);
                continue;
            }
            WriteKiwiAddress(out, frames - base);
            out.WriteAt(frames, frame.data(), int64_t(frame.size()));
            frames += AlignUp32(int64_t(frame.size()));
        }
        table += size * count;
    }
    return frames;
}

int64_t BuildRegionFile(const TLN_RegionManager& regions, const std::vector<int>& chosen, TLN_Stream& out,
                        const std::function<void(int)>& progress, const std::atomic<bool>& stop,
                        const std::function<void(const ERegionDataShort&)>& unreadable) {
    if (progress) progress(0);
    const int64_t headerBytes = CopyRegionHeader(regions, out, 0);
    const int64_t table = AlignUp32(headerBytes);
    out.Seek(8);
    WriteKiwiAddress(out, table);
    const int64_t tableBytes = 32 * int64_t(regions.Header().RegionTableSize);
    const int64_t frames = AlignUp32(table + std::max(tableBytes, RegionTablesBytes(regions)));
    RegionWriteHooks hooks;
    hooks.checkStop = [&stop] {
        if (stop.load()) throw ConversionStopped();
    };
    if (progress)
        hooks.progress = [&progress](int64_t done, int64_t total) { progress(int(100 * done / total)); };
    hooks.unreadable = [&unreadable](const ERegionDataShort& why) {
        if (unreadable) unreadable(why);
    };
    return WriteRegionTables(regions, selectRegions(regions, levelsOf(regions), chosen), out, 0, table,
                             frames, hooks);
}
