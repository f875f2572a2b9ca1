// The copy writer of parcel data frames.
#include "converter/levels/ParcelWriter.h"

std::string ParcelPlace::Path() const {
    return std::to_string(level) + "/" + std::to_string(blockSet) + "/" + std::to_string(block) + "/" +
           std::to_string(parcel);
}

std::vector<uint8_t> ReadSourceFrame(const SourceFrame& frame) {
    if (!frame.stream || frame.offset < 0 || frame.size == 0 || frame.size % 32 != 0) return {};
    std::vector<uint8_t> bytes(frame.size);
    if (frame.stream->ReadAt(frame.offset, bytes.data(), int64_t(frame.size)) != int64_t(frame.size))
        return {};
    return bytes;
}

void ClearGuidanceReference(std::vector<uint8_t>& frame) {
    if (frame.size() < size_t(kGuidanceReferenceOffset + 6)) return;
    for (size_t i = 0; i < 6; ++i)
        frame[size_t(kGuidanceReferenceOffset) + i] = i < 4 ? 0xFF : 0;
}

uint32_t CopyParcelWriter::copy(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    const std::vector<uint8_t> bytes = ReadSourceFrame(frame);
    if (bytes.empty()) return 0;
    out.WriteAt(at, bytes.data(), int64_t(bytes.size()));
    return frame.size;
}

uint32_t CopyParcelWriter::WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    const uint32_t size = copy(frame, out, at);
    if (size >= uint32_t(kGuidanceReferenceOffset + 6)) {
        const uint8_t empty[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
        out.WriteAt(at + kGuidanceReferenceOffset, empty, 6);
    }
    return size;
}

uint32_t CopyParcelWriter::WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    return copy(frame, out, at);
}
