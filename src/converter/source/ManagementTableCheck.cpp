// The check of the source's main map management tables.
#include "converter/source/ManagementTableCheck.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "converter/levels/FlatKeyMap.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/map/MainMapLayout.h"
#include "kiwi/map/ParcelListType.h"

namespace {

namespace layout = main_map_layout;
constexpr int64_t kSectorBytes = 32;

// A table of the management data: its byte range in the part stream and how the refusal names it.
struct Table {
    int64_t start = 0;
    int64_t end = 0;
    Failure name;
};

// A table's name, size and place, as a refusal names it.
Failure placedFailure(FailureCode code, const Table& t, std::vector<FailureValue> more = {}) {
    more.insert(more.begin(), {{"table", t.name}, {"size", t.end - t.start}, {"offset", t.start}});
    return Failure(code, std::move(more));
}

Failure setName(uint32_t level, uint32_t set) {
    return Failure(FailureCode::BlockSetOfLevel, {{"level", level}, {"blockSet", set}});
}

class TableCheck {
public:
    explicit TableCheck(TLN_KiwiMap& map) : map_(map) {}

    Failure refusal() {
        if (map_.LayoutDamage()) return map_.LayoutDamage();
        const int64_t size = map_.GetManagementHeader(0).Size;
        const int64_t base = map_.PartBase();
        if (size == 0) return FailureCode::ManagementNoSize;
        if (int64_t(map_.HeaderSize()) > size)
            return Failure(FailureCode::ManagementHeaderTooLarge,
                           {{"header", int64_t(map_.HeaderSize())}, {"size", size}});
        // A file may end inside the data's last sector (the copy reads zeros there), not before it.
        const int64_t held = map_.PartStream()->Size() - base;
        if (size - kSectorBytes >= held)
            return Failure(FailureCode::ManagementFileEnds, {{"held", held}, {"size", size}});
        end_ = base + std::min(size, held);
        const int64_t records = map_.LevelCount();
        const int64_t recordSize = map_.LevelRecordSize();
        const Table head{base,
                         base + layout::kHeaderBytes + (records - 1) * recordSize +
                             std::max<int64_t>(recordSize, layout::kLevelRecordBytes),
                         FailureCode::HeaderAndLevelRecords};
        if (head.end > end_) return Failure(FailureCode::LevelRecordsPastData, {{"held", end_ - base}});
        tables_.push_back(head);
        for (uint32_t level = 0; level < map_.LevelCount(); ++level)
            if (Failure why = checkLevel(uint8_t(level))) return why;
        if (Failure why = overlap()) return why;
        for (uint32_t level = 0; level < map_.LevelCount(); ++level)
            if (Failure why = checkLists(uint8_t(level))) return why;
        return {};
    }

private:
    // The table inside the management data after the header and level records, or why it is not.
    Failure placed(const Table& t) {
        if (t.end > end_) return placedFailure(FailureCode::TablePastData, t);
        if (t.start < tables_.front().end)
            return placedFailure(FailureCode::TableOverHeader, t, {{"other", tables_.front().name}});
        return {};
    }

    Failure checkLevel(uint8_t level) {
        const TLN_Level_Management_Record& record = *map_.Level(level);
        const uint32_t sets = record.AcceptedBlockSetCount;
        if (record.BlockSetTablePosition < 0) return {};
        // The records the level declares (the reader takes those the file holds, none of a table past its
        // end): a table the file's end cuts short is not inside the source.
        const int64_t stride = map_.BlockSetRecordSize();
        const int64_t declared = record.BlockSetCount();
        const Table table{record.BlockSetTablePosition,
                          record.BlockSetTablePosition + (declared - 1) * stride +
                              layout::kBlockSetRecordBytes,
                          Failure(FailureCode::BlockSetTableOfLevel, {{"level", level}})};
        if (Failure why = placed(table)) return why;
        tables_.push_back(table);
        for (uint32_t s = 0; s < sets; ++s)
            if (Failure why = checkBlockSet(level, s)) return why;
        return {};
    }

    Failure checkBlockSet(uint8_t level, uint32_t s) {
        // The division's blocks, however many of their records the file holds (none of a table past its end).
        TLN_BlockSet_Management_Record set;
        if (!map_.ReadBlockSet(level, s, set)) return {};
        // Records are read at the table's stride and written as 6 bytes each: the table is the larger, and
        // holds every block the level's division names (whatever its size field says).
        const int64_t bytes = layout::BlockRecordBytes(map_.FileNameDesignation());
        const int64_t blocks = map_.Level(level)->BlockCount();
        const int64_t read = (blocks - 1) * map_.BlockRecordSize() + bytes;
        const int64_t written = blocks * layout::kBlockRecordBytes;
        const Table table{set.BlockTablePosition, set.BlockTablePosition + std::max(read, written),
                          Failure(FailureCode::BlockTableOfSet, {{"level", level}, {"blockSet", s}})};
        if (Failure why = placed(table)) return why;
        const auto [named, first] = namers_.emplace(table.start, Namer{level, s, 0, false});
        if (first) {
            tables_.push_back(table);
            return {};
        }
        // Block sets naming one table: harmless only while it names no block, as every one writes it.
        Namer& earlier = named->second;
        for (; earlier.checked < set.BlockCount && !earlier.blocks; ++earlier.checked) {
            TLN_Block_Management_Record block;
            earlier.blocks = map_.ReadBlock(level, s, earlier.checked, block);
        }
        if (earlier.blocks)
            return Failure(FailureCode::TableShared,
                           {{"table", table.name}, {"other", setName(earlier.level, earlier.set)}});
        for (Table& t : tables_)
            if (t.start == table.start) t.end = std::max(t.end, table.end);
        return {};
    }

    Failure overlap() {
        std::sort(tables_.begin(), tables_.end(),
                  [](const Table& a, const Table& b) { return a.start < b.start; });
        const Table* reach = &tables_.front();
        for (const Table& t : tables_) {
            if (&t != reach && t.start < reach->end)
                return placedFailure(FailureCode::TablesOverlap, t,
                                     {{"other", reach->name},
                                      {"otherSize", reach->end - reach->start},
                                      {"otherOffset", reach->start}});
            if (t.end > reach->end) reach = &t;
        }
        return {};
    }

    // Every parcel management list a block names (and its route guidance list) must lie whole in its file:
    // the transfer rebuilds each list from the records the division counts.
    Failure checkLists(uint8_t level) {
        const uint32_t sets = map_.Level(level)->AcceptedBlockSetCount;
        for (uint32_t s = 0; s < sets; ++s) {
            TLN_BlockSet_Management_Record set;
            // A table many block sets name is walked once (it names no block, or it was refused).
            if (!map_.ReadBlockSet(level, s, set) || !tablesWalked_.insert(set.BlockTablePosition).second)
                continue;
            for (uint32_t b = 0; b < set.BlockCount; ++b) {
                TLN_Block_Management_Record block;
                if (!map_.ReadBlock(level, set, b, block) || !block.Stream) continue;
                if (!listsSeen_.Insert(int64_t(reinterpret_cast<intptr_t>(block.Stream.get())), block.Address,
                                       0))
                    continue;
                // Asked of the system once for the lists of one file that follow one another.
                if (block.Stream != sized_) sized_ = block.Stream, held_ = sized_->Size();
                const int64_t held = held_;
                TLN_Parcel_Management_Info info;
                if (!map_.ReadParcelManagement(block.Stream, level, info, block.Address, held)) continue;
                const ParcelListLayout& list = ParcelListLayoutOf(info.ListType);
                if (!list.Known()) continue;
                const int64_t bytes = int64_t(info.StoredRecordCount) * list.RecordSize;
                const auto past = [&](FailureCode which, int64_t at) {
                    return Failure(FailureCode::ListPastFile,
                                   {{"blockSet", setName(level, s)},
                                    {"block", int64_t(b)},
                                    {"list", Failure(which)},
                                    {"count", int64_t(info.StoredRecordCount)},
                                    {"recordSize", int64_t(list.RecordSize)},
                                    {"at", at},
                                    {"file", fileNamePart(block.Stream->FileName())},
                                    {"held", held}});
                };
                if (info.RecordCount < info.StoredRecordCount)
                    return past(FailureCode::ParcelListKind, info.ListPosition);
                const int64_t guide = info.RouteGuidanceListPosition;
                if (guide >= 0 && guide + list.Extension(info.FileNameFlag) + bytes > held)
                    return past(FailureCode::GuidanceListKind, guide + list.Extension(info.FileNameFlag));
            }
        }
        return {};
    }

    // The first block set naming a table, and how many of its blocks were looked at.
    struct Namer {
        uint8_t level;
        uint32_t set;
        uint32_t checked;
        bool blocks;
    };

    TLN_KiwiMap& map_;
    int64_t end_ = 0;
    std::vector<Table> tables_;
    std::map<int64_t, Namer> namers_;
    // Lists already checked (by stream and position): many block records may name one.
    FlatKeyMap listsSeen_;
    std::shared_ptr<TLN_Stream> sized_;
    int64_t held_ = 0;
    std::set<int64_t> tablesWalked_;
};

} // namespace

Failure NoMainMapReason(TLN_KiwiMap& map) {
    if (!map.IsValid()) return Failure(FailureCode::SectorSizeNot32, {{"size", map.LogicalSectorSize()}});
    const TLN_Management_Header part = map.GetManagementHeader(0);
    if (!part.Present()) return FailureCode::NoManagementHeader0;
    if (!map.PartStream()) return Failure(FailureCode::ManagementFileUnopenable, {{"file", part.Name}});
    if (map.LayoutDamage()) return map.LayoutDamage();
    if (!map.ErrorString().empty()) return Failure::Words(map.ErrorString());
    return Failure(FailureCode::LevelRecordsDeclared, {{"count", map.LevelRecordCount()}});
}

Failure ManagementTableRefusal(TLN_KiwiMap& map) {
    if (map.LevelCount() == 0 || !map.PartStream()) return {};
    return TableCheck(map).refusal();
}
