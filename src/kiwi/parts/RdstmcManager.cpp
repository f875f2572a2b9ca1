// RDS-TMC part: headers, region/group/location records, message tables and character strings.
#include "kiwi/parts/RdstmcManager.h"

#include <algorithm>
#include <vector>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

namespace {
constexpr uint16_t kUsageCodes[] = {44880, 65297};
constexpr int64_t kRegionBytes = 32;
constexpr int64_t kGroupBytes = 10;
constexpr int64_t kLocationInfoBytes = 10;
constexpr int64_t kLocationDataBytes = 50;

// Why records stride bytes apart cannot each hold the recordBytes the reader reads ("" when they can, or
// when there are none).
std::string overlapError(const char* records, int64_t count, int64_t stride, int64_t recordBytes) {
    if (count == 0 || stride >= recordBytes) return {};
    return std::string(records) + " records of " + std::to_string(stride) + " bytes, each needs " +
           std::to_string(recordBytes);
}

// A word offset from a frame or record that may itself be none: from none it gives none.
int64_t offsetFrom(uint32_t words, int64_t base) {
    return base < 0 ? -1 : WordOffsetToPosition(words, base);
}
} // namespace

TLN_RdstmcManager::TLN_RdstmcManager(const std::string& fileName) : TLN_Manager(fileName) {
    if (valid_) ReadHeaders();
}

TLN_RdstmcManager::TLN_RdstmcManager(std::shared_ptr<TLN_Stream> stream, int64_t offset)
    : TLN_Manager(std::move(stream), offset) {
    if (valid_) ReadHeaders();
}

void TLN_RdstmcManager::ReadHeaders() {
    try {
        const auto head = bounded::readRecord<42>(*stream_, base_);
        if (!head.complete())
            throw EShortRead(
                whole::Shortfall(*stream_, "the RDS-TMC distribution header", base_, 42, head.delivered));
        const BeCursor c = head.cursor();
        header_.Maker = bounded::pointRecord(c, 0);
        header_.UsageCode = c.u16(12);
        header_.Reserved = c.u16(14);
        header_.HeaderSize = int64_t(c.u16(16)) * 2;
        const int64_t m = base_ + 16;
        header_.TmcFramePosition = WordOffsetToPosition(c.u32(18), m);
        header_.TmcFrameSize = int64_t(c.u32(22)) * 2;
        header_.EventsFramePosition = WordOffsetToPosition(c.u32(26), m);
        header_.EventsFrameSize = int64_t(c.u32(30)) * 2;
        header_.TextFramePosition = WordOffsetToPosition(c.u32(34), m);
        header_.TextFrameSize = int64_t(c.u32(38)) * 2;
        valid_ = std::find(std::begin(kUsageCodes), std::end(kUsageCodes), header_.UsageCode) !=
                 std::end(kUsageCodes);
        if (!valid_) return;

        const int64_t t = header_.TmcFramePosition;
        const auto tmc = bounded::readRecord<38>(*stream_, t);
        const BeCursor h = tmc.cursor();
        tmcHeader_.Reserved = h.u16(0);
        tmcHeader_.HeaderSize = int64_t(h.u32(2)) * 2;
        tmcHeader_.NumberOfRegions = h.u32(6);
        tmcHeader_.RegionRecordSize = int64_t(h.u32(10)) * 2;
        tmcHeader_.GroupFramePosition = WordOffsetToPosition(h.u32(14), t);
        tmcHeader_.GroupFrameSize = int64_t(h.u32(18)) * 2;
        tmcHeader_.LocationInfoFramePosition = WordOffsetToPosition(h.u32(22), t);
        tmcHeader_.LocationInfoFrameSize = int64_t(h.u32(26)) * 2;
        tmcHeader_.LocationFramePosition = WordOffsetToPosition(h.u32(30), t);
        tmcHeader_.LocationFrameSize = int64_t(h.u32(34)) * 2;

        const int64_t streamSize = stream_->Size();
        regionTableError_ =
            overlapError("region", tmcHeader_.NumberOfRegions, tmcHeader_.RegionRecordSize, kRegionBytes);
        if (t >= 0 && !tmc.complete())
            noteDamage(whole::Reason(*stream_, "the TMC data frame header", t, 38, tmc.delivered));
        if (t >= 0 && tmc.complete() && regionTableError_.empty()) {
            const whole::Counted regions = whole::CountRecords(
                *stream_, "Number of Regions", tmcHeader_.NumberOfRegions, t + tmcHeader_.HeaderSize,
                kRegionBytes, bounded::frameEnd(streamSize, t, header_.TmcFrameSize),
                tmcHeader_.RegionRecordSize);
            regionCount_ = regions.readable;
            noteDamage(regions.reason);
        }

        const int64_t e = header_.EventsFramePosition;
        const auto events = bounded::readRecord<kEventsHeaderBytes>(*stream_, e);
        if (e >= 0 && !events.complete())
            noteDamage(whole::Reason(*stream_, "the events data frame header", e, kEventsHeaderBytes,
                                     events.delivered));
        if (e < 0 || !events.complete()) return;
        const BeCursor v = events.cursor();
        eventsHeader_.Raw = QByteArray(reinterpret_cast<const char*>(events.data), kEventsHeaderBytes);
        eventsHeader_.HeaderSize = int64_t(v.u16(0)) * 2;
        for (int p = 0; p < 4; ++p) {
            eventsHeader_.PartitionPosition[p] = WordOffsetToPosition(v.u32(2 + 8 * p), e);
            eventsHeader_.PartitionSize[p] = int64_t(v.u32(6 + 8 * p)) * 2;
        }
        // The first table follows the header directly.
        eventsHeader_.PartitionPosition[0] = e + kEventsHeaderBytes;
        const int64_t eventsEnd = bounded::frameEnd(streamSize, e, header_.EventsFrameSize);
        for (int p = 0; p < 3; ++p) {
            const int64_t start = eventsHeader_.PartitionPosition[p];
            // A partition with a size that starts outside its frame holds nothing that can be read.
            if (eventsHeader_.PartitionSize[p] > 0 && (start < 0 || start >= eventsEnd))
                noteDamage("events partition " + std::to_string(p) + " at byte " + std::to_string(start) +
                           " lies outside the events data frame, which ends at byte " +
                           std::to_string(eventsEnd));
            const int64_t tableEnd = bounded::frameEnd(eventsEnd, start, eventsHeader_.PartitionSize[p]);
            messageCount_[p] =
                bounded::recordsThatFit(UINT64_MAX, start, kMessageBytes[p], kMessageBytes[p], tableEnd);
        }
    } catch (const KiwiError& error) {
        fail(error);
    }
}

int64_t TLN_RdstmcManager::MessageCount(int partition) const {
    return partition >= 0 && partition < 3 ? messageCount_[partition] : 0;
}

bool TLN_RdstmcManager::ReadRegionDataInfo(int64_t region, TLN_TmcRegion& record) const {
    record = {};
    if (!valid_ || region < 0 || region >= regionCount_) return false;
    const int64_t p = header_.TmcFramePosition + tmcHeader_.HeaderSize + region * tmcHeader_.RegionRecordSize;
    const auto bytes = bounded::readRecord<kRegionBytes>(*stream_, p);
    const BeCursor c = bytes.cursor();
    record.Position = p;
    record.CountryCode = c.u8(0);
    record.LocationTableNumber = c.u8(1);
    record.AreaCode = c.u8(2);
    record.ExtendedCountryCode = c.u8(3);
    record.GroupDataPosition = offsetFrom(c.u32(4), tmcHeader_.GroupFramePosition);
    record.NumberOfGroups = c.u16(8);
    record.GroupRecordSize = int64_t(c.u16(10)) * 2;
    record.LocationInfoPosition = offsetFrom(c.u32(12), tmcHeader_.LocationInfoFramePosition);
    record.NumberOfLocationInfos = c.u16(16);
    record.LocationInfoRecordSize = int64_t(c.u16(18)) * 2;
    record.LocationDataPosition = offsetFrom(c.u32(20), tmcHeader_.LocationFramePosition);
    record.LocationDataSize = int64_t(c.u32(24)) * 2;
    record.NamePosition = offsetFrom(c.u32(28), header_.TextFramePosition);
    const std::string groupError =
        overlapError("group", record.NumberOfGroups, record.GroupRecordSize, kGroupBytes);
    // The groups' locations are counted in the groups: any group may reach into the location info table.
    const std::string locationError =
        overlapError("location info", std::max<int64_t>(record.NumberOfLocationInfos, record.NumberOfGroups),
                     record.LocationInfoRecordSize, kLocationInfoBytes);
    record.TableError = groupError.empty() || locationError.empty() ? groupError + locationError
                                                                    : groupError + "\n" + locationError;
    if (groupError.empty()) {
        const whole::Counted groups = whole::CountRecords(
            *stream_, "Number of Groups", record.NumberOfGroups, record.GroupDataPosition, kGroupBytes,
            bounded::frameEnd(stream_->Size(), tmcHeader_.GroupFramePosition, tmcHeader_.GroupFrameSize),
            record.GroupRecordSize);
        record.ReadableGroups = groups.readable;
        if (!groups.Whole())
            record.TableError += (record.TableError.empty() ? "" : "\n") + groups.reason.English();
    }
    if (!bytes.complete())
        record.TableError = whole::Reason(*stream_, "region record " + std::to_string(region + 1), p,
                                          kRegionBytes, bytes.delivered);
    return bytes.complete();
}

bool TLN_RdstmcManager::ReadGroupInfo(int64_t region, int group, TLN_TmcGroup& record) const {
    record = {};
    TLN_TmcRegion owner;
    if (!ReadRegionDataInfo(region, owner) || group < 0 || group >= owner.ReadableGroups) return false;
    const int64_t p = owner.GroupDataPosition + group * owner.GroupRecordSize;
    const auto bytes = bounded::readRecord<kGroupBytes>(*stream_, p);
    const BeCursor c = bytes.cursor();
    record.Position = p;
    record.FirstLocationNumber = c.u16(0);
    record.LastLocationNumber = c.u16(2);
    record.NumberOfLocations = c.u16(4);
    record.LocationInfoPosition = offsetFrom(c.u32(6), owner.LocationInfoPosition);
    if (owner.LocationInfoRecordSize >= kLocationInfoBytes) {
        const whole::Counted locations =
            whole::CountRecords(*stream_, "Number of Locations", record.NumberOfLocations,
                                record.LocationInfoPosition, kLocationInfoBytes,
                                bounded::frameEnd(stream_->Size(), tmcHeader_.LocationInfoFramePosition,
                                                  tmcHeader_.LocationInfoFrameSize),
                                owner.LocationInfoRecordSize);
        record.ReadableLocations = locations.readable;
        record.TableError = locations.reason.English();
    }
    if (!bytes.complete())
        record.TableError = whole::Reason(*stream_, "group record " + std::to_string(group + 1), p,
                                          kGroupBytes, bytes.delivered);
    return bytes.complete();
}

bool TLN_RdstmcManager::ReadLocationInfo(int64_t region, int group, int location,
                                         TLN_TmcLocationInfo& record) const {
    record = {};
    TLN_TmcRegion owner;
    TLN_TmcGroup parent;
    if (!ReadRegionDataInfo(region, owner) || !ReadGroupInfo(region, group, parent) || location < 0 ||
        location >= parent.ReadableLocations)
        return false;
    const int64_t p = parent.LocationInfoPosition + location * owner.LocationInfoRecordSize;
    const auto bytes = bounded::readRecord<kLocationInfoBytes>(*stream_, p);
    const BeCursor c = bytes.cursor();
    record.Position = p;
    record.LocationNumber = c.u16(0);
    record.Property1 = c.u16(2);
    record.LocationType = c.u8(4);
    record.Property2 = c.u8(5);
    record.LocationDataPosition = offsetFrom(c.u32(6), owner.LocationDataPosition);
    return bytes.complete();
}

bool TLN_RdstmcManager::ReadLocationData(int64_t region, int group, int location,
                                         TLN_TmcLocationData& record) const {
    record = {};
    TLN_TmcLocationInfo info;
    if (!ReadLocationInfo(region, group, location, info) || info.LocationDataPosition < 0) return false;
    const int64_t p = info.LocationDataPosition;
    const auto bytes = bounded::readRecord<kLocationDataBytes>(*stream_, p);
    const BeCursor c = bytes.cursor();
    const int64_t x = header_.TextFramePosition;
    record.Position = p;
    record.LocationTypeCode = c.u32(0);
    record.Value4 = c.u16(4);
    record.RoadName1Position = offsetFrom(c.u32(6), x);
    record.RoadName2Position = offsetFrom(c.u32(10), x);
    record.RoadSectionLocationNumber = c.u16(14);
    record.Property3 = c.u16(16);
    record.CrossingRoadName1Position = offsetFrom(c.u32(18), x);
    record.CrossingRoadName2Position = offsetFrom(c.u32(22), x);
    record.PreviousCrossroad = c.u16(26);
    record.NextCrossroad = c.u16(28);
    record.Property4 = c.u32(30);
    record.Property5 = c.u32(34);
    record.Property6 = c.u32(38);
    record.Location = bounded::coordinatePair(c, 42);
    return bytes.complete();
}

bool TLN_RdstmcManager::ReadMessage(int partition, int64_t index, TLN_TmcMessage& record) const {
    record = {};
    if (!valid_ || index < 0 || index >= messageCount_[partition]) return false;
    const int64_t p = eventsHeader_.PartitionPosition[partition] + index * kMessageBytes[partition];
    const auto bytes = bounded::readRecord<14>(*stream_, p);
    const BeCursor c = bytes.cursor();
    const int64_t x = header_.TextFramePosition;
    record.Position = p;
    record.MessageNumber = c.u16(0);
    switch (partition) {
    case 0:
        record.Property1 = c.u32(2);
        record.TextPosition = offsetFrom(c.u32(6), x);
        record.Property2 = c.u32(10);
        break;
    case 1:
        record.Property1 = c.u16(2);
        record.TextPosition = offsetFrom(c.u32(4), x);
        break;
    default:
        record.TextPosition = offsetFrom(c.u32(2), x);
        break;
    }
    return bytes.delivered >= kMessageBytes[partition];
}

bool TLN_RdstmcManager::ReadMessageRecord(int64_t index, TLN_TmcMessage& record) const {
    return ReadMessage(0, index, record);
}
bool TLN_RdstmcManager::ReadMessageRecord2(int64_t index, TLN_TmcMessage& record) const {
    return ReadMessage(1, index, record);
}
bool TLN_RdstmcManager::ReadMessageRecord3(int64_t index, TLN_TmcMessage& record) const {
    return ReadMessage(2, index, record);
}

TLN_PartText TLN_RdstmcManager::ReadText(int64_t position, int language) const {
    if (position < 0 || language < 0 || language > 0xFFFF) return {};
    // The language's entry gives the string's own position; there a skipped byte, the two length
    // bytes a and b, another skipped byte, then 2 × (a + b) bytes of text.
    // Each step that the file cuts short gives the text read so far and why it ends there.
    auto cut = [&](const char* what, int64_t at, int64_t wanted, int64_t held, TLN_PartText text = {}) {
        text.Error = whole::Short(*stream_, what, at, wanted, held);
        return text;
    };
    const int64_t entryAt = position + 2 + 2 * int64_t(language);
    const auto entry = bounded::readRecord<2>(*stream_, entryAt);
    if (!entry.complete()) return cut("the character string's language entry", entryAt, 2, entry.delivered);
    const int64_t q = position + 2 * int64_t(entry.cursor().u16(0));
    const auto lengths = bounded::readRecord<4>(*stream_, q);
    if (!lengths.complete()) return cut("the character string's lengths", q, 4, lengths.delivered);
    const int64_t length = 2 * (int64_t(lengths.data[1]) + lengths.data[2]);
    QByteArray raw(length, '\0');
    const int64_t delivered = length > 0 ? bounded::readInto(*stream_, q + 4, raw.data(), length) : 0;
    raw.truncate(delivered);
    if (delivered < length) return cut("the character string", q + 4, length, delivered, DecodePartText(raw));
    return DecodePartText(raw);
}
