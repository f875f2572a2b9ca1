// TLN_ParcelList: one parcel management information and its records.
#include "kiwi/map/ParcelList.h"

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/map/ParcelListType.h"

bool TLN_ParcelList::Open(TLN_KiwiMap& map, const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                          int64_t position, int64_t streamSize) {
    *this = {};
    const TLN_Level_Management_Record* record = map.Level(level);
    if (!record || !stream || position <= 0) return false;
    list_ = map.parcelManagementSpan(stream, *record, position, info_, streamSize);
    if (!list_) return false;
    map_ = &map;
    level_ = level;
    position_ = position;
    stream_ = stream;
    layout_ = &ParcelListLayoutOf(info_.ListType);
    if (layout_->Source == ParcelListLayout::FrameSource::InformationFile && info_.FileNameFlag == 1)
        named_ = map.GetDataFileStream(info_.FileName);
    return true;
}

const std::shared_ptr<TLN_Stream>* TLN_ParcelList::frameStream(const uint8_t* record) {
    switch (layout_->Source) {
    case ParcelListLayout::FrameSource::RecordFile: {
        const std::string name = BeCursor(record + 6, 12).fixedString(0, 12);
        for (const auto& [known, opened] : files_)
            if (known == name) return &opened;
        files_.emplace_back(name, map_->GetDataFileStream(name));
        return &files_.back().second;
    }
    case ParcelListLayout::FrameSource::InformationFile:
        return info_.FileNameFlag == 1 ? &named_ : &stream_;
    default:
        return &stream_;
    }
}

bool TLN_ParcelList::Read(uint32_t index, bool routeGuidance, Record& out) {
    out = {};
    if (!list_) return false;
    const ParcelListLayout& layout = *layout_;
    if (!layout.Known() || index >= info_.RecordCount) return false;
    const std::vector<uint8_t>* bytes = list_.get();
    int64_t at = (info_.ListPosition - position_) + int64_t(index) * layout.RecordSize;
    if (routeGuidance) {
        bytes = guide();
        at = int64_t(index) * layout.RecordSize;
    }
    if (!bytes) return false;
    const BeCursor cursor(bytes->data(), bytes->size());
    if (!cursor.fits(at, layout.RecordSize)) return false;
    const uint32_t word = cursor.u32(at);
    out.Size = 32u * cursor.u16(at + 4);
    if (out.IsDivided()) {
        // An offset from this information to the sub-parcels' own, in the list's stream; 0 would make the
        // parcel its own sub-parcel list.
        out.Address = WordOffsetToPosition(word, position_);
        out.Stream = stream_;
        return out.Address >= 0 && out.Address != position_;
    }
    out.Address = KiwiAddressToOffset(word);
    out.Stream = *frameStream(bytes->data() + at);
    return out.Address >= 0 && out.Stream != nullptr;
}

const std::vector<uint8_t>* TLN_ParcelList::guide() {
    if (info_.RouteGuidanceListPosition < 0) return nullptr;
    if (!guideRead_) {
        guideRead_ = true;
        const int64_t listBytes = int64_t(info_.RecordCount) * layout_->RecordSize;
        guide_ = map_->cachedSpan(stream_,
                                  info_.RouteGuidanceListPosition + layout_->Extension(info_.FileNameFlag),
                                  listBytes, MapSpanCache::Kind::RouteGuidanceList, level_);
        // Records of a list cut short would be read from what follows it, or not at all.
        if (int64_t(guide_->size()) < listBytes) guide_ = nullptr;
    }
    return guide_.get();
}

uint32_t TLN_ParcelList::NextDivided(uint32_t index) const {
    if (!list_ || !layout_->Known()) return info_.RecordCount;
    const BeCursor cursor(list_->data(), list_->size());
    const int64_t first = info_.ListPosition - position_;
    for (; index < info_.RecordCount; ++index) {
        const int64_t at = first + int64_t(index) * layout_->RecordSize;
        if (!cursor.fits(at, layout_->RecordSize) || cursor.u16(at + 4) == 0) return index;
    }
    return index;
}
