// The parcel management information of a block under transfer.
#include "converter/levels/BlockInformation.h"

#include <algorithm>

#include "kiwi/map/ParcelListType.h"

namespace {

// The byte range of an information's list in its stream, as a table no frame may lie in.
void addListTable(ConversionContext& c, const TLN_ParcelList& list, int64_t keyBase) {
    const TLN_Parcel_Management_Info& info = list.Info();
    const int64_t bytes = int64_t(info.StoredRecordCount) * ParcelListLayoutOf(info.ListType).RecordSize;
    c.sourceTables.Add(keyBase + info.Position, keyBase + info.ListPosition + bytes,
                       SourceTables::Kind::ParcelList);
    if (info.RouteGuidanceListPosition >= 0)
        c.sourceTables.Add(keyBase + info.RouteGuidanceListPosition,
                           keyBase + info.RouteGuidanceListPosition + bytes, SourceTables::Kind::ParcelList);
}

// The bytes the rebuilt information of a block takes: list, sub-lists and route guidance list, or its old
// size as far as the source holds it when that is larger, rounded up to 32; -1 when the information
// cannot be read. Only the divided records' sub-lists are opened: the others add nothing.
int64_t sizeInformation(ConversionContext& c, uint8_t level, const TLN_Block_Management_Record& block,
                        int64_t streamSize) {
    TLN_KiwiMap& map = c.map;
    TLN_ParcelList list;
    if (!block.Stream || block.Address <= 0 ||
        !list.Open(map, block.Stream, level, block.Address, streamSize))
        return -1;
    const TLN_Parcel_Management_Info& info = list.Info();
    if (!ParcelListLayoutOf(info.ListType).Known()) return -1;
    const int64_t keyBase = c.keyBaseOf(block.Stream);
    addListTable(c, list, keyBase);
    const bool guided = info.RouteGuidanceListPosition >= 0;
    int64_t bytes = 4 + int64_t(kInformationRecordBytes) * info.StoredRecordCount * (guided ? 2 : 1);
    TLN_ParcelList sub;
    for (uint32_t i = list.NextDivided(0); i < info.RecordCount; i = list.NextDivided(i + 1)) {
        TLN_ParcelList::Record record;
        if (!list.Read(i, false, record) || !record.IsDivided()) continue;
        const SubList main = SubListOf(map, level, record, streamSize, sub);
        if (main.position < 0) continue;
        addListTable(c, sub, keyBase);
        bytes += 4 + int64_t(kInformationRecordBytes) * main.records;
        if (!guided || !list.Read(i, true, record)) continue;
        const SubList guide = SubListOf(map, level, record, streamSize, sub);
        if (guide.position < 0) continue;
        addListTable(c, sub, keyBase);
        bytes += 4 + int64_t(kInformationRecordBytes) * guide.records;
    }
    // The old size as far as the source holds it: a damaged record may declare far more.
    const int64_t held = std::min<int64_t>(block.Size, streamSize - block.Address);
    return AlignUp32(std::max<int64_t>(bytes, held));
}

} // namespace

SubList SubListOf(TLN_KiwiMap& map, uint8_t level, const TLN_ParcelList::Record& record, int64_t streamSize,
                  TLN_ParcelList& sub) {
    if (!record.IsDivided() || record.Address < 0) return {};
    if (!sub.Open(map, record.Stream, level, record.Address, streamSize) ||
        sub.Info().RecordCount < sub.Info().StoredRecordCount)
        return {};
    return {record.Address, sub.Info().StoredRecordCount, sub.Info().FirstByte};
}

// The block's information bytes, sized once for the run however many block records name it.
int64_t InformationBytes(ConversionContext& c, uint8_t level, const TLN_Block_Management_Record& block) {
    if (!block.Stream) return -1;
    const int64_t place = c.keyBaseOf(block.Stream) + block.Address;
    const int64_t declared = int64_t(block.Size) << 8 | level;
    if (const int64_t* known = c.informationBytes.Find(place, declared)) return *known;
    const int64_t bytes = sizeInformation(c, level, block, c.sourceBytes(block.Stream));
    c.informationBytes.Insert(place, declared, bytes);
    return bytes;
}

int64_t ReservedInformationBytes(ConversionContext& context, uint8_t level,
                                 const TLN_Block_Management_Record& block) {
    const int64_t bytes = InformationBytes(context, level, block);
    // Information too large for a block record's size field is not kept (the transfer says so).
    return bytes > 0 && bytes / 32 <= 0xFFFF ? bytes : 0;
}
