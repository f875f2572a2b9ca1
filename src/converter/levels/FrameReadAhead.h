// A forward read window over a source stream for whole parcel frames. A level's frames lie in address
// order, so one long read serves many of them: the copy path then costs a system read per few MiB, not
// one per parcel.
#pragma once

#include <cstdint>
#include <memory>

#include "kiwi/io/Stream.h"

class FrameReadAhead {
public:
    static constexpr int64_t kDefaultWindow = 1 << 20;

    explicit FrameReadAhead(int64_t window = kDefaultWindow) : window_(window) {}

    // The bytes [offset, offset + size) of stream, valid until the next call; null when the stream does not
    // hold all of them. A range the window lacks refills it from offset on.
    const uint8_t* Read(const std::shared_ptr<TLN_Stream>& stream, int64_t offset, uint32_t size);
    // Forgets the window (its bytes and the stream it belongs to).
    void Reset();
    // Reads that reached the stream.
    uint64_t Refills() const { return refills_; }

private:
    int64_t window_;
    // Held only to tell streams apart; the window is dropped when another stream is read.
    std::weak_ptr<TLN_Stream> stream_;
    const TLN_Stream* owner_ = nullptr;
    int64_t start_ = 0;
    // The window's storage (never zero-filled) and the bytes the last refill delivered.
    std::unique_ptr<uint8_t[]> bytes_;
    int64_t capacity_ = 0;
    int64_t length_ = 0;
    uint64_t refills_ = 0;
};
