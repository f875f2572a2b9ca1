// Frames as bounded windows of a parcel buffer.
#include "kiwi/io/FrameSpan.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"

TLN_FrameSpan::TLN_FrameSpan(Buffer buffer, int64_t bufferPosition, int64_t position, int64_t size)
    : buffer_(std::move(buffer)), bufferPosition_(bufferPosition) {
    if (!buffer_ || position < bufferPosition || size <= 0) return;
    const int64_t held = int64_t(buffer_->size());
    const int64_t offset = position - bufferPosition;
    if (offset >= held) return;
    position_ = position;
    size_ = std::min(size, held - offset);
}

TLN_FrameSpan TLN_FrameSpan::FromBytes(std::vector<uint8_t> bytes, int64_t position) {
    const int64_t size = int64_t(bytes.size());
    return TLN_FrameSpan(std::make_shared<const std::vector<uint8_t>>(std::move(bytes)), position, position,
                         size);
}

TLN_FrameSpan TLN_FrameSpan::Sub(int64_t position, int64_t size) const {
    if (!Contains(position, 0) || position == End() || size <= 0) return {};
    return TLN_FrameSpan(buffer_, bufferPosition_, position, std::min(size, End() - position));
}

int64_t FrameListPosition16(const TLN_FrameSpan& frame, int64_t base, uint16_t wordOffset) {
    const int64_t position = WordOffset16ToPosition(wordOffset, base);
    return position >= 0 && frame.Contains(position, 0) ? position : -1;
}

int64_t FrameListPosition32(const TLN_FrameSpan& frame, int64_t base, uint32_t wordOffset) {
    const int64_t position = WordOffsetToPosition(wordOffset, base);
    return position >= 0 && frame.Contains(position, 0) ? position : -1;
}
