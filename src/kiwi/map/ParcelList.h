// TLN_ParcelList: one parcel management information read once, its records decoded from the bytes it
// holds. It finds what TLN_KiwiMap::ReadParcel finds, without a cache look-up, a header decode or a copy of
// a stream per record: the walk of a block's records costs the records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/map/MainMapRecords.h"
#include "kiwi/map/MapSpanCache.h"
#include "kiwi/map/ParcelListType.h"

class TLN_KiwiMap;

class TLN_ParcelList {
public:
    // A record as its list holds it, with the stream of its frame (its own share: a record outlives a
    // list that opens another information or names more files).
    struct Record {
        // The frame's position, or for a divided parcel (Size 0) the position of its sub-parcels'
        // information.
        int64_t Address = -1;
        uint32_t Size = 0;
        std::shared_ptr<TLN_Stream> Stream;
        bool IsDivided() const { return Size == 0; }
    };

    // Reads the information at position of stream, as TLN_KiwiMap::ReadParcelManagement does; streamSize,
    // when known (not negative), spares asking the stream for it.
    bool Open(TLN_KiwiMap& map, const std::shared_ptr<TLN_Stream>& stream, uint8_t level, int64_t position,
              int64_t streamSize = -1);
    const TLN_Parcel_Management_Info& Info() const { return info_; }
    // Record index of the main or the route guidance list, found where ReadParcel finds it; a divided
    // record is found whenever its address is another information's, which its own Open then reads. A
    // route guidance list that does not lie whole in the stream gives no record.
    bool Read(uint32_t index, bool routeGuidance, Record& out);
    // The first record from index on that may be divided (its size is 0), or the record count: the records
    // before it are not, so a walk for divided records reads no other.
    uint32_t NextDivided(uint32_t index) const;
    // Calls frame(address, size) with each frame the records of the main or the route guidance list name
    // (as Read finds them) when they all lie in one stream and none is divided, from the list's bytes
    // without a Record each; false when that is not so, or as soon as frame returns false.
    template <class Frame> bool ForEachFrame(bool routeGuidance, Frame&& frame) {
        // Lists whose records name a file each may name frames of many streams.
        if (!list_ || (layout_->Source != ParcelListLayout::FrameSource::ListStream &&
                       layout_->Source != ParcelListLayout::FrameSource::InformationFile))
            return false;
        const std::vector<uint8_t>* bytes = routeGuidance ? guide() : list_.get();
        if (!bytes) return true; // no record is read from it
        const BeCursor cursor(bytes->data(), bytes->size());
        const int64_t first = routeGuidance ? 0 : info_.ListPosition - position_;
        for (uint32_t index = 0; index < info_.RecordCount; ++index) {
            const int64_t at = first + int64_t(index) * layout_->RecordSize;
            if (!cursor.fits(at, layout_->RecordSize)) break; // nor is any record from here on
            const uint32_t size = 32u * cursor.u16(at + 4);
            if (size == 0) return false;
            const int64_t address = KiwiAddressToOffset(cursor.u32(at));
            if (address >= 0 && !frame(address, size)) return false;
        }
        return true;
    }

private:
    const std::shared_ptr<TLN_Stream>* frameStream(const uint8_t* record);
    // The route guidance list's bytes, read when first asked for; null when the stream does not hold them.
    const std::vector<uint8_t>* guide();

    TLN_KiwiMap* map_ = nullptr;
    uint8_t level_ = 0;
    int64_t position_ = -1;
    std::shared_ptr<TLN_Stream> stream_;
    TLN_Parcel_Management_Info info_;
    // The layout of the list's type, looked up once.
    const ParcelListLayout* layout_ = nullptr;
    MapSpanCache::Span list_;
    // The route guidance list, read when first asked for; null when the stream does not hold it whole.
    MapSpanCache::Span guide_;
    bool guideRead_ = false;
    // The frames' stream when the information names their file; null when they lie in the list's stream.
    std::shared_ptr<TLN_Stream> named_;
    // Files named by records (list types that name one per record), opened once each.
    std::vector<std::pair<std::string, std::shared_ptr<TLN_Stream>>> files_;
};
