// Two parcel writers joined through a memory buffer.
#include "converter/levels/ChainedParcelWriter.h"

ChainedParcelWriter::ChainedParcelWriter(ParcelWriter& first, ParcelWriter& second)
    : first_(first), second_(second) {}

void ChainedParcelWriter::BeginLevel(uint8_t level) {
    first_.BeginLevel(level);
    second_.BeginLevel(level);
}

void ChainedParcelWriter::EnterParcel(const ParcelPlace& place) {
    first_.EnterParcel(place);
    second_.EnterParcel(place);
}

SourceFrame ChainedParcelWriter::intermediate(uint32_t size) const {
    // Bytes of an earlier, longer frame must not look like part of this one.
    memory_->SetSize(size);
    return {memory_, 0, size};
}

uint32_t ChainedParcelWriter::WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    memory_->SetSize(0);
    const uint32_t size = first_.WriteMainFrame(frame, *memory_, 0);
    if (size == 0) return 0;
    return second_.WriteMainFrame(intermediate(size), out, at);
}

uint32_t ChainedParcelWriter::WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    memory_->SetSize(0);
    const uint32_t size = first_.WriteGuidanceFrame(frame, *memory_, 0);
    if (size == 0) return 0;
    return second_.WriteGuidanceFrame(intermediate(size), out, at);
}
