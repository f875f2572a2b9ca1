// A bounded, thread-safe cache of byte spans read from map streams (block set tables, block tables, parcel
// management information), so that walking a map reads each table once.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "kiwi/core/BoundedLru.h"
#include "kiwi/io/Stream.h"

class MapSpanCache {
public:
    using Span = std::shared_ptr<const std::vector<uint8_t>>;
    // What a span holds; spans of different kinds may start at the same position. Parcel frames are a
    // parcel's main map data frame and its route guidance data frame, read whole.
    enum class Kind : uint8_t {
        BlockSetTable,
        BlockTable,
        ParcelManagement,
        RouteGuidanceList,
        ParcelFrame,
        RouteGuidanceFrame
    };

    // capacityBytes bounds the bytes held; a span larger than a quarter of it is never kept.
    explicit MapSpanCache(size_t capacityBytes);

    // The span cached for (stream, position, kind, tag), or null. The tag separates spans whose length
    // depends on more than their position (a parcel list's length depends on its level).
    Span Find(const TLN_Stream* stream, int64_t position, Kind kind, uint32_t tag = 0);
    // Keeps a span (a longer span replaces a shorter one of the same key). The entry watches the stream
    // without keeping it open: once the stream is gone its spans are no longer found, so a new stream at
    // the same address never meets them.
    void Insert(const std::shared_ptr<TLN_Stream>& stream, int64_t position, Kind kind, Span span,
                uint32_t tag = 0);
    void Clear();
    // Changes the bound, dropping the least recently used spans that no longer fit.
    void SetCapacity(size_t capacityBytes);

    size_t HeldBytes() const;
    size_t Capacity() const;

private:
    struct Key {
        const TLN_Stream* stream;
        int64_t position;
        Kind kind;
        uint32_t tag;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const;
    };
    struct Entry {
        std::weak_ptr<TLN_Stream> stream;
        Span span;
    };

    mutable std::mutex mutex_;
    BoundedLru<Key, Entry, KeyHash> spans_;
};
