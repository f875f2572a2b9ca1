// The extra level's management data.
#include "converter/levels/ExtraLevel.h"

#include <algorithm>

#include "converter/levels/ExtraLevelImports.h"
#include "converter/levels/FrameBytes.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/io/MemoryStream.h"

namespace {

constexpr int64_t kHeader = 30;
// The level code of the added level (its code byte F8 divided by 4).
constexpr int8_t kExtraLevelCode = -2;
constexpr uint32_t kMinimumLevelRecord = 40;
constexpr uint32_t kMinimumBlockSetRecord = 10;

// Level code -2, 2^2 parcels integrated on the next-higher level, 3 basic and 3 extended main map frames,
// no route guidance, display scale 1:2500 and no other scales, counts (replaced), division types 2 × 2,
// 4 × 4 and 8 × 8, block set table offset (replaced), node record size 0.
const uint8_t kNewLevelRecord[40] = {0xF8, 0x20, 0x33, 0x00, 0x00, 0x00, 0x09, 0xC4, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x0F, 0x0F, 0x3F, 0x3F,
                                     0x01, 0x01, 0x03, 0x03, 0x07, 0x07, 0x0D, 0x1B, 0x00, 0x00};

struct Shape {
    int64_t levels = 0;
    int64_t levelRecord = 0;
    int64_t blockSetRecord = 0;
    int64_t blockSets = 0;
    int64_t newBlockSets = 0;
};

Shape shapeOf(TLN_KiwiMap& map) {
    Shape shape;
    shape.levels = map.LevelRecordCount();
    shape.levelRecord = map.LevelRecordSize();
    shape.blockSetRecord = map.BlockSetRecordSize();
    shape.blockSets = map.BlockSetRecordCount();
    if (map.LevelCount() > 0) shape.newBlockSets = map.Level(uint8_t(map.LevelCount() - 1))->BlockSetCount();
    return shape;
}

} // namespace

Failure ExtraLevelRefusal(TLN_KiwiMap& map) {
    const Shape s = shapeOf(map);
    if (map.LevelCount() == 0 || map.LevelCount() != s.levels) return FailureCode::LevelsNotAllReadable;
    if (s.levelRecord < kMinimumLevelRecord) return FailureCode::LevelRecordsShort;
    for (uint8_t level = 0; level < map.LevelCount(); ++level)
        if (map.Level(level)->LevelCode == kExtraLevelCode) return FailureCode::ExtraLevelPresent;
    if (s.blockSetRecord < kMinimumBlockSetRecord) return FailureCode::BlockSetRecordsShort;
    if (s.newBlockSets < 1 || s.newBlockSets > 256) return FailureCode::TooManyLastLevelBlockSets;
    const auto& last = *map.Level(uint8_t(map.LevelCount() - 1));
    if (last.Blocks.X * 4 > 256 || last.Blocks.Y * 4 > 256) return FailureCode::TooManyLastLevelBlocks;
    if (s.blockSets + s.newBlockSets > 0xFFFF) return FailureCode::TooManyBlockSets;
    // Everything after the level table moves: the block set records by one level record, the block tables
    // by that and the new block set records. That holds only for the usual layout.
    const int64_t sets = kHeader + s.levels * s.levelRecord;
    const int64_t tables = sets + s.blockSets * s.blockSetRecord;
    if (int64_t(map.GetManagementHeader(0).Size) < tables) return FailureCode::ManagementShorterThanTables;
    for (uint8_t level = 0; level < map.LevelCount(); ++level) {
        const auto& record = *map.Level(level);
        const int64_t at = record.BlockSetTablePosition - map.PartBase();
        if (record.BlockSetTablePosition >= 0 && (at < sets || at >= tables))
            return FailureCode::BlockSetTableOutside;
        for (uint32_t i = 0; i < uint32_t(std::max(0, record.BlockSetCount())); ++i) {
            TLN_BlockSet_Management_Record set;
            if (map.ReadBlockSet(level, i, set) && set.BlockTablePosition - map.PartBase() < tables)
                return FailureCode::BlockTableAmongSets;
        }
    }
    // The added level divides the most detailed one, which a disc keeps last with level code 0.
    if (last.LevelCode != 0) return Failure(FailureCode::LastLevelCode, {{"levelCode", last.LevelCode}});
    return {};
}

namespace {

// The note of an extra level without room for its tables: "was not" after the run, "will not" before it.
PassedOverNote noRoom(int64_t managementBytes, bool before) {
    return Failure(before ? FailureCode::ExtraLevelWillNotNoRoom : FailureCode::ExtraLevelNotCreatedNoRoom,
                   {{"size", managementBytes}, {"limit", int64_t(rewrite::kExtraManagementLimit)}});
}

} // namespace

PassedOverNote ExtraLevelNoRoomNote(int64_t managementBytes) {
    return noRoom(managementBytes, false);
}

PassedOverNote ExtraLevelRoomShortage(TLN_KiwiMap& map) {
    if (ExtraLevelRefusal(map)) return {};
    const Shape s = shapeOf(map);
    const auto& last = *map.Level(uint8_t(map.LevelCount() - 1));
    const int64_t size = int64_t(map.GetManagementHeader(0).Size);
    // The grown level and block set tables, then the first block set's table: 4 x 4 blocks of 6 bytes for
    // each block of the last level.
    const int64_t first = int64_t(16) * last.Blocks.X * last.Blocks.Y * 6;
    if (size + s.levelRecord + s.newBlockSets * s.blockSetRecord + first <= rewrite::kExtraManagementLimit)
        return {};
    return noRoom(size, true);
}

std::vector<uint8_t> BuildExtraLevelManagement(ConversionContext& c, const std::vector<uint8_t>& old) {
    const Shape s = shapeOf(c.map);
    const int64_t n = s.levels, R = s.levelRecord, Z = s.blockSetRecord, N = s.blockSets, NB = s.newBlockSets;
    c.progress.SetProgressLabel("Creating New Level");
    c.progress.AddLog("Creating New Extra Level ...");
    const int64_t lastRecord = kHeader + (n - 1) * R;
    std::vector<uint8_t> out(old.begin(), old.begin() + kHeader + n * R);
    // The new record: the fixed 40 bytes, then the tail (class lists) of the old last level's record.
    out.insert(out.end(), std::begin(kNewLevelRecord), std::end(kNewLevelRecord));
    out.insert(out.end(), old.begin() + lastRecord + kMinimumLevelRecord, old.begin() + lastRecord + R);
    const int64_t newRecord = kHeader + n * R;
    PutWord(out, 26, uint16_t(n + 1));
    // The old last level now has 2^2 parcels divided on the level below it, and a fourth display scale.
    out[size_t(lastRecord + 1)] = 0x22;
    out[size_t(lastRecord + 16)] = 0;
    out[size_t(lastRecord + 17)] = 0;
    out[size_t(lastRecord + 18)] = 0x09;
    out[size_t(lastRecord + 19)] = 0xC4;
    // Counts as stored "count - 1": the old last level's block sets, four times its blocks per block set
    // on each axis, its parcels per block.
    auto count = [&](int64_t at) {
        return uint16_t(((old[size_t(at)] + 1) << 8) | (old[size_t(at + 1)] + 1));
    };
    TLN_MemoryStream counts(std::vector<uint8_t>(out.begin() + newRecord, out.begin() + newRecord + 40));
    WriteCountBytesMinusOne(counts, count(lastRecord + 24), 24);
    const uint16_t blocks = count(lastRecord + 26);
    WriteCountBytesMinusOne(counts, uint16_t(((blocks >> 8) * 4) << 8 | ((blocks & 0xFF) * 4)), 26);
    WriteCountBytesMinusOne(counts, count(lastRecord + 28), 28);
    const auto countBytes = counts.Bytes();
    std::copy(countBytes.begin() + 24, countBytes.begin() + 30, out.begin() + newRecord + 24);

    PutWord(out, 28, uint16_t(N + NB));
    for (int64_t level = 0; level < n; ++level) {
        const int64_t at = kHeader + level * R + 36;
        PutWord(out, at, uint16_t((2 * int64_t(GetWord(out, at)) + R) >> 1));
    }
    PutWord(out, newRecord + 36, uint16_t((kHeader + (n + 1) * R + N * Z) >> 1));

    const int64_t D = NB * Z + R;
    const int64_t oldSets = kHeader + n * R;
    const int64_t firstSet = int64_t(out.size());
    out.insert(out.end(), old.begin() + oldSets, old.begin() + oldSets + N * Z);
    for (int64_t i = 0; i < N; ++i) {
        const int64_t at = firstSet + i * Z + 2;
        const uint32_t offset = GetLong(out, size_t(at));
        if (offset == 0xFFFFFFFFu) continue;
        PutLong(out, size_t(at), offset + uint32_t(D / 2));
    }
    for (int64_t i = 0; i < NB; ++i) {
        std::vector<uint8_t> record = {0xF8, uint8_t(i), 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
        record.resize(size_t(Z), 0);
        out.insert(out.end(), record.begin(), record.end());
    }
    out.insert(out.end(), old.begin() + oldSets + N * Z, old.end());
    c.levelGrowth = R;
    c.tableGrowth = D;
    return out;
}
