// The copy writer of parcel data frames.
#include "converter/ParcelWriter.h"

#include <vector>

namespace {

// The frame's bytes, or nothing when the source does not hold all of them.
std::vector<uint8_t> readFrame(const SourceFrame& frame) {
    if (!frame.stream || frame.offset < 0 || frame.size == 0 || frame.size % 32 != 0) return {};
    std::vector<uint8_t> bytes(frame.size);
    if (frame.stream->ReadAt(frame.offset, bytes.data(), int64_t(frame.size)) != int64_t(frame.size))
        return {};
    return bytes;
}

} // namespace

uint32_t CopyParcelWriter::WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    std::vector<uint8_t> bytes = readFrame(frame);
    if (bytes.empty()) return 0;
    if (bytes.size() >= size_t(kGuidanceReferenceOffset + 6)) {
        for (int i = 0; i < 4; ++i)
            bytes[size_t(kGuidanceReferenceOffset + i)] = 0xFF;
        bytes[size_t(kGuidanceReferenceOffset + 4)] = 0;
        bytes[size_t(kGuidanceReferenceOffset + 5)] = 0;
    }
    out.WriteAt(at, bytes.data(), int64_t(bytes.size()));
    return frame.size;
}

uint32_t CopyParcelWriter::WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    const std::vector<uint8_t> bytes = readFrame(frame);
    if (bytes.empty()) return 0;
    out.WriteAt(at, bytes.data(), int64_t(bytes.size()));
    return frame.size;
}
