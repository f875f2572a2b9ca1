// The copy writer of parcel data frames.
#include "converter/levels/ParcelWriter.h"

#include <algorithm>

namespace {
// The longest run of source bytes read into the output at once: well inside the output buffer, and small
// enough to stay in the processor's cache until it is written.
constexpr int64_t kRunBytes = 128 << 10;
} // namespace

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

const uint8_t* CopyParcelWriter::read(const SourceFrame& frame) {
    // copy has checked the frame.
    if (copying_ == Copying::PlannedLevels) return window_.Read(frame.stream, frame.offset, frame.size);
    direct_ = ReadSourceFrame(frame);
    return direct_.empty() ? nullptr : direct_.data();
}

bool CopyParcelWriter::place(const SourceFrame& frame, BufferedOutputStream& out, int64_t at) {
    const int64_t end = at + int64_t(frame.size);
    if (run_.stream == frame.stream.get() && run_.into == &out && at >= run_.output &&
        end <= run_.output + run_.length && frame.offset - run_.source == at - run_.output) {
        run_.used = std::max(run_.used, end - run_.output);
        return true;
    }
    // Nothing real lies past the data cursor: what the last run read ahead there is given back.
    if (run_.into == &out) out.Unclaim(at);
    // The next run reads about as far as the last one served (a block's frames, as a rule), twice that
    // when it served all it read.
    const int64_t guess = run_.used == 0 ? kRunBytes : run_.used == run_.length ? 2 * run_.used : run_.used;
    run_ = {};
    const int64_t want = std::clamp<int64_t>(std::min(guess, frame.stream->Size() - frame.offset),
                                             int64_t(frame.size), kRunBytes);
    uint8_t* into = out.Claim(at, want);
    if (!into) return false;
    const int64_t got = std::max<int64_t>(frame.stream->ReadAt(frame.offset, into, want), 0);
    if (got < int64_t(frame.size)) {
        out.Unclaim(at);
        return false;
    }
    if (got < want) out.Unclaim(at + got);
    run_ = {frame.stream.get(), &out, frame.offset, at, got, int64_t(frame.size)};
    return true;
}

uint32_t CopyParcelWriter::copy(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    if (!frame.stream || frame.offset < 0 || frame.size == 0 || frame.size % 32 != 0) return 0;
    auto* buffered = copying_ == Copying::PlannedLevels ? dynamic_cast<BufferedOutputStream*>(&out) : nullptr;
    if (buffered && place(frame, *buffered, at)) return frame.size;
    const uint8_t* bytes = read(frame);
    if (!bytes) return 0;
    out.WriteAt(at, bytes, int64_t(frame.size));
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
