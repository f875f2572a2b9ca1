// One data frame of a parcel inside a buffer read once from its stream: every record reader of the parcel
// frames decodes from such a span, with absolute stream positions, and never reads outside the frame.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "kiwi/core/BeCursor.h"

class TLN_FrameSpan {
public:
    using Buffer = std::shared_ptr<const std::vector<uint8_t>>;

    // An empty span: the frame is not there.
    TLN_FrameSpan() = default;
    // The frame [position, position + size) of buffer, whose byte 0 lies at stream position bufferPosition;
    // the part outside the buffer is cut off. A frame that starts outside the buffer is empty.
    TLN_FrameSpan(Buffer buffer, int64_t bufferPosition, int64_t position, int64_t size);
    // A frame made of bytes that start at stream position position (tests, single records).
    static TLN_FrameSpan FromBytes(std::vector<uint8_t> bytes, int64_t position);

    // True when the frame has at least one byte.
    bool IsValid() const { return size_ > 0; }
    // Stream position of the frame's first byte (-1 for an empty span) and its bytes held.
    int64_t Position() const { return position_; }
    int64_t Size() const { return size_; }
    int64_t End() const { return position_ + size_; }
    const Buffer& SharedBuffer() const { return buffer_; }
    int64_t BufferPosition() const { return bufferPosition_; }

    // True when [position, position + count) lies inside the frame.
    bool Contains(int64_t position, int64_t count) const {
        return size_ > 0 && position >= position_ && count >= 0 && position - position_ <= size_ &&
               count <= size_ - (position - position_);
    }
    // A cursor whose byte 0 is position, running to the end of the frame (or for at most limit bytes);
    // empty when position lies outside the frame.
    BeCursor At(int64_t position, int64_t limit = -1) const {
        if (size_ <= 0 || position < position_ || position >= End()) return {};
        int64_t count = End() - position;
        if (limit >= 0 && limit < count) count = limit;
        return BeCursor(buffer_->data() + (position - bufferPosition_), size_t(count));
    }
    // The part [position, position + size) of this frame, cut at its end; empty when position is outside.
    TLN_FrameSpan Sub(int64_t position, int64_t size) const;

private:
    Buffer buffer_;
    int64_t bufferPosition_ = 0;
    int64_t position_ = -1;
    int64_t size_ = 0;
};

// Where a list or table that a word offset from base names starts: base + 2 × offset when that lies in the
// frame or exactly at its end (an empty list may sit there), -1 when the offset is all ones ("none") or the
// position falls outside the frame.
int64_t FrameListPosition16(const TLN_FrameSpan& frame, int64_t base, uint16_t wordOffset);
int64_t FrameListPosition32(const TLN_FrameSpan& frame, int64_t base, uint32_t wordOffset);

// Positions of up to count records that follow one another from first inside frame, each as long as
// sizeOf(cursor at the record, its position) says. The walk stops at count, at a record whose size is below
// minimumSize (0 included, which would never advance) and at a record that does not end inside the frame.
template <typename SizeOf>
std::vector<int64_t> ChainedRecords(const TLN_FrameSpan& frame, int64_t first, uint32_t count,
                                    int64_t minimumSize, SizeOf sizeOf) {
    std::vector<int64_t> positions;
    // As many as the count says, but never more than the frame could hold.
    if (minimumSize > 0)
        positions.reserve(size_t(std::min<int64_t>(count, std::max<int64_t>(0, frame.Size() / minimumSize))));
    int64_t position = first;
    for (uint32_t i = 0; i < count; ++i) {
        if (!frame.Contains(position, minimumSize)) break;
        const int64_t size = sizeOf(frame.At(position), position);
        if (size < minimumSize || size <= 0 || !frame.Contains(position, size)) break;
        positions.push_back(position);
        position += size;
    }
    return positions;
}
