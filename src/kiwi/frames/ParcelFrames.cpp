// Loading a parcel's frames from one buffer.
#include "kiwi/frames/ParcelFrames.h"

#include <algorithm>

#include "kiwi/io/BoundedRead.h"
#include "kiwi/map/KiwiMap.h"

namespace {

using Span = MapSpanCache::Span;

// A route guidance frame whose size the header does not give is read this far.
constexpr int64_t kRouteGuidanceFallbackRead = 2048;

Span cached(TLN_KiwiMap& map, const std::shared_ptr<TLN_Stream>& stream, int64_t position, int64_t count,
            MapSpanCache::Kind kind) {
    MapSpanCache& cache = map.SpanCache();
    // The tag separates reads of different lengths at one position (a damaged list can give them).
    const uint32_t tag = uint32_t(count);
    if (Span span = cache.Find(stream.get(), position, kind, tag)) return span;
    Span span = bounded::readShared(*stream, position, count);
    cache.Insert(stream, position, kind, span, tag);
    return span;
}

TLN_FrameSpan referenceSpan(const TLN_FrameSpan& whole, const TLN_Frame_Reference& reference) {
    if (reference.Position < 0 || reference.Size == 0) return {};
    return whole.Sub(reference.Position, reference.Size);
}

} // namespace

TLN_FrameSpan TLN_Parcel_Frames::Frame(int index) const {
    if (index < 0 || index >= Table.ReferenceCount || index >= kFrameTableReferenceCount) return {};
    return referenceSpan(Parcel, Table.References[size_t(index)]);
}

std::shared_ptr<const TLN_Parcel_Frames> LoadParcelFrames(TLN_KiwiMap& map,
                                                          const std::shared_ptr<TLN_Stream>& stream,
                                                          uint8_t level, int64_t address, uint32_t size) {
    const TLN_Level_Management_Record* record = map.Level(level);
    if (!stream || !record || address < 0 || size == 0) return nullptr;
    const Span parcel = cached(map, stream, address, size, MapSpanCache::Kind::ParcelFrame);
    if (parcel->size() < size_t(kMainMapHeaderFixedSize)) return nullptr;

    auto frames = std::make_shared<TLN_Parcel_Frames>();
    frames->Level = level;
    frames->Stream = stream;
    frames->Parcel = TLN_FrameSpan(parcel, address, address, int64_t(parcel->size()));
    const BeCursor cursor(parcel->data(), parcel->size());
    const int basic = record->MainMapBasicCount;
    const int extended = record->MainMapExtendedCount;
    DecodeMainMapHeaderFixed(cursor, frames->Header);
    DecodeMainMapHeaderTables(cursor, address, basic, extended, frames->Header);
    DecodeMainMapFrameTable(cursor, address, basic, extended, frames->Table);
    frames->HasHeader = true;
    frames->Road = basic > 0 ? frames->Frame(0) : TLN_FrameSpan();
    frames->Background = basic > 1 ? frames->Frame(1) : TLN_FrameSpan();
    frames->Name = basic > 2 ? frames->Frame(2) : TLN_FrameSpan();
    frames->InfraLink = extended > 0 ? frames->Frame(basic) : TLN_FrameSpan();

    const int64_t guidance = frames->Header.RouteGuidancePosition;
    if (guidance > 0) {
        const int64_t bytes = frames->Header.RouteGuidanceSize ? int64_t(frames->Header.RouteGuidanceSize)
                                                               : kRouteGuidanceFallbackRead;
        const Span span = cached(map, stream, guidance, bytes, MapSpanCache::Kind::RouteGuidanceFrame);
        if (span->size() >= size_t(kRouteGuidanceHeaderFixedSize)) {
            frames->RouteGuidance = TLN_FrameSpan(span, guidance, guidance, int64_t(span->size()));
            DecodeRouteGuidanceHeader(BeCursor(span->data(), span->size()), guidance,
                                      record->RouteGuidanceBasicCount, record->RouteGuidanceExtendedCount,
                                      frames->RouteGuidanceHeader);
            frames->HasRouteGuidance = true;
            const auto& references = frames->RouteGuidanceHeader.Basic;
            if (references.size() > 0) frames->Guidance = referenceSpan(frames->RouteGuidance, references[0]);
            if (references.size() > 1) frames->Strings = referenceSpan(frames->RouteGuidance, references[1]);
        }
    }
    return frames;
}

std::shared_ptr<const TLN_Parcel_Frames> LoadParcelFrames(TLN_KiwiMap& map, uint8_t level,
                                                          const TLN_MM_Parcel_Managenent_Record& parcel) {
    if (parcel.IsDivided()) return nullptr;
    return LoadParcelFrames(map, parcel.Stream, level, parcel.Address, parcel.Size);
}
