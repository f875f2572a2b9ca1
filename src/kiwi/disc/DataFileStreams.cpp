// The bounded cache of data-file streams.
#include "kiwi/disc/DataFileStreams.h"

#include <algorithm>

DataFileStreams::DataFileStreams(size_t limit)
    : streams_(std::max<size_t>(limit, 1), [](const std::shared_ptr<TLN_Stream>&) { return size_t(1); }) {}

std::shared_ptr<TLN_Stream> DataFileStreams::Get(const std::string& path, const Opener& open) {
    std::lock_guard lock(mutex_);
    if (const auto* held = streams_.Find(path)) return *held;
    if (missing_.count(path)) return nullptr;
    // Opened under the lock: two threads asking for one file open it once.
    std::shared_ptr<TLN_Stream> stream = open();
    if (!stream) {
        if (missing_.size() >= kMissingLimit) missing_.clear();
        missing_.insert(path);
        return nullptr;
    }
    return streams_.Insert(path, std::move(stream));
}

void DataFileStreams::Clear() {
    std::lock_guard lock(mutex_);
    streams_.Clear();
    missing_.clear();
}

void DataFileStreams::SetLimit(size_t limit) {
    std::lock_guard lock(mutex_);
    streams_.SetBudget(std::max<size_t>(limit, 1));
}

size_t DataFileStreams::Limit() const {
    std::lock_guard lock(mutex_);
    return streams_.Budget();
}

size_t DataFileStreams::OpenCount() const {
    std::lock_guard lock(mutex_);
    return streams_.Count();
}

std::vector<std::pair<std::string, std::shared_ptr<TLN_Stream>>> DataFileStreams::Streams() const {
    std::lock_guard lock(mutex_);
    std::vector<std::pair<std::string, std::shared_ptr<TLN_Stream>>> out;
    out.reserve(streams_.Count());
    streams_.ForEach([&](const std::string& path, const std::shared_ptr<TLN_Stream>& stream) {
        out.emplace_back(path, stream);
    });
    return out;
}
