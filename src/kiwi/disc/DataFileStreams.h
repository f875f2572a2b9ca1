// The open streams of the data files a reader reaches by name (the map's block and list files, the index's
// data files, the region reader's frame files): each file opened once while it is in use, at most a bounded
// number held open, least recently used closed first. Safe to use from several threads at once.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kiwi/core/BoundedLru.h"
#include "kiwi/io/Stream.h"

class DataFileStreams {
public:
    using Opener = std::function<std::shared_ptr<TLN_Stream>()>;
    // A disc may name thousands of files; this many stay open.
    static constexpr size_t kDefaultLimit = 64;

    explicit DataFileStreams(size_t limit = kDefaultLimit);

    // The stream of the file at path (a resolved path: one key per file), opened with open on first use.
    // A null from open is remembered, so a missing file is not probed again (the memory of missing files
    // is bounded too); an exception from open reaches the caller and nothing is remembered. A stream that
    // leaves the cache stays usable by whoever still holds it, and closes when the last holder lets go.
    std::shared_ptr<TLN_Stream> Get(const std::string& path, const Opener& open);

    // Forgets every stream and every missing file.
    void Clear();
    // Changes the bound, closing the least recently used streams beyond it.
    void SetLimit(size_t limit);
    size_t Limit() const;
    // Streams held open now.
    size_t OpenCount() const;
    // (path, stream) of the streams held open, most recently used first.
    std::vector<std::pair<std::string, std::shared_ptr<TLN_Stream>>> Streams() const;

private:
    static constexpr size_t kMissingLimit = 4096;

    mutable std::mutex mutex_;
    BoundedLru<std::string, std::shared_ptr<TLN_Stream>> streams_;
    std::unordered_set<std::string> missing_;
};
