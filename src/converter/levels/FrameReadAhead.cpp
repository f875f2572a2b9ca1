// Forward read window for parcel frames.
#include "converter/levels/FrameReadAhead.h"

#include <algorithm>

const uint8_t* FrameReadAhead::Read(const std::shared_ptr<TLN_Stream>& stream, int64_t offset,
                                    uint32_t size) {
    if (!stream || offset < 0 || size == 0) return nullptr;
    const int64_t end = offset + int64_t(size);
    const bool same = owner_ == stream.get() && !stream_.expired();
    if (!same || offset < start_ || end > start_ + length_) {
        // The window starts at the frame asked for: the frames after it follow in the same read.
        const int64_t want = std::max<int64_t>(window_, size);
        if (want > capacity_) {
            bytes_ = std::make_unique_for_overwrite<uint8_t[]>(size_t(want));
            capacity_ = want;
        }
        length_ = std::max<int64_t>(stream->ReadAt(offset, bytes_.get(), want), 0);
        start_ = offset;
        owner_ = stream.get();
        stream_ = stream;
        ++refills_;
        if (length_ < int64_t(size)) return nullptr;
    }
    return bytes_.get() + (offset - start_);
}

void FrameReadAhead::Reset() {
    owner_ = nullptr;
    stream_.reset();
    start_ = 0;
    length_ = 0;
}
