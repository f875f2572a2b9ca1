// The check of the source's main map management tables.
#include "converter/source/ManagementTableCheck.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "kiwi/map/KiwiMap.h"

namespace {

// Bytes of the main map management header before the first level record, and the bytes of a level record,
// a block set record and a block record that are read or written.
constexpr int64_t kHeaderBytes = 30;
constexpr int64_t kSectorBytes = 32;
constexpr int64_t kLevelRecordRead = 40;
constexpr int64_t kBlockSetRecordBytes = 10;
constexpr int64_t kBlockRecordWritten = 6;
constexpr int64_t kNamedBlockRecordBytes = 18;

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
                         base + kHeaderBytes + (records - 1) * recordSize +
                             std::max<int64_t>(recordSize, kLevelRecordRead),
                         FailureCode::HeaderAndLevelRecords};
        if (head.end > end_) return Failure(FailureCode::LevelRecordsPastData, {{"held", end_ - base}});
        tables_.push_back(head);
        for (uint32_t level = 0; level < map_.LevelCount(); ++level)
            if (Failure why = checkLevel(uint8_t(level))) return why;
        return overlap();
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
        if (sets == 0 || record.BlockSetTablePosition < 0) return {};
        // The records the level declares (the reader takes those the file holds): a table the file's end
        // cuts short is not inside the source. Records closer than 10 bytes are read as one.
        const int64_t stride = map_.BlockSetRecordSize();
        const int64_t declared = stride >= kBlockSetRecordBytes ? record.BlockSetCount() : sets;
        const Table table{record.BlockSetTablePosition,
                          record.BlockSetTablePosition + (declared - 1) * stride + kBlockSetRecordBytes,
                          Failure(FailureCode::BlockSetTableOfLevel, {{"level", level}})};
        if (Failure why = placed(table)) return why;
        tables_.push_back(table);
        for (uint32_t s = 0; s < sets; ++s)
            if (Failure why = checkBlockSet(level, s)) return why;
        return {};
    }

    Failure checkBlockSet(uint8_t level, uint32_t s) {
        TLN_BlockSet_Management_Record set;
        if (!map_.ReadBlockSet(level, s, set) || set.BlockCount == 0) return {};
        // Records are read at the table's stride and written as 6 bytes each: the table is the larger, and
        // at least the records the level declares as far as the table's size holds them.
        const int64_t bytes = map_.FileNameDesignation() ? kNamedBlockRecordBytes : kBlockRecordWritten;
        const auto extent = [&](int64_t blocks) { return (blocks - 1) * map_.BlockRecordSize() + bytes; };
        const int64_t declared =
            std::min<int64_t>(extent(map_.Level(level)->BlockCount()), set.BlockTableSize);
        const int64_t read = std::max(extent(set.BlockCount), declared);
        const int64_t written = int64_t(set.BlockCount) * kBlockRecordWritten;
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
};

} // namespace

Failure ManagementTableRefusal(TLN_KiwiMap& map) {
    if (map.LevelCount() == 0 || !map.PartStream()) return {};
    return TableCheck(map).refusal();
}
