// A stream wrapper that counts the reads and bytes that reach the stream below it, to measure how many
// underlying reads a reader needs.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "kiwi/io/Stream.h"

class CountingStream : public TLN_Stream {
public:
    explicit CountingStream(std::shared_ptr<TLN_Stream> inner) : inner_(std::move(inner)) {}

    int64_t Size() override { return inner_->Size(); }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        reads_.fetch_add(1, std::memory_order_relaxed);
        const int64_t delivered = inner_->ReadAt(position, buffer, count);
        bytes_.fetch_add(uint64_t(delivered > 0 ? delivered : 0), std::memory_order_relaxed);
        return delivered;
    }
    std::string FileName() const override { return inner_->FileName(); }

    uint64_t Reads() const { return reads_.load(); }
    uint64_t Bytes() const { return bytes_.load(); }

private:
    std::shared_ptr<TLN_Stream> inner_;
    std::atomic<uint64_t> reads_{0};
    std::atomic<uint64_t> bytes_{0};
};

// Counts over every stream a map opens: pass Opener() as the map's stream opener.
class ReadCounter {
public:
    ReadCounter();
    // Opens through OpenKiwiFile and wraps each stream in a CountingStream that adds to this counter.
    std::function<std::shared_ptr<TLN_Stream>(const std::string&)> Opener();
    uint64_t Reads() const;
    uint64_t Bytes() const;
    void Reset();

private:
    struct State;
    std::shared_ptr<State> state_;
};
