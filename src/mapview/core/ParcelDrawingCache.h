// The bounded cache of decoded parcels, keyed by everything a decoding depends on: the map (by the view's
// number for it), the frame's stream (and file) and address, the level, the display scale filter, the layers
// decoded, the text code pages and the name language. Safe to use from the paint and the render threads at
// once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "kiwi/core/BoundedLru.h"
#include "mapview/core/ParcelDrawing.h"

struct ParcelDrawingKey {
    uint64_t mapGeneration = 0;
    // The stream and the name of its file: a data file closed and another opened at the same address
    // never meets the first one's parcels.
    const void* stream = nullptr;
    std::string file;
    int64_t address = -1;
    uint8_t level = 0;
    uint8_t filter = 0;
    uint8_t layers = 0;
    int textPage = 0;
    int ansiPage = 0;
    uint32_t language = 0;
    bool operator==(const ParcelDrawingKey&) const = default;
};

struct ParcelDrawingKeyHash {
    size_t operator()(const ParcelDrawingKey& key) const;
};

class ParcelDrawingCache {
public:
    using Value = std::shared_ptr<const ParcelDrawing>;

    explicit ParcelDrawingCache(size_t budgetBytes);

    Value Find(const ParcelDrawingKey& key);
    void Insert(const ParcelDrawingKey& key, Value value);
    void Clear();
    size_t HeldBytes() const;
    size_t Count() const;

private:
    mutable std::mutex mutex_;
    BoundedLru<ParcelDrawingKey, Value, ParcelDrawingKeyHash> entries_;
};
