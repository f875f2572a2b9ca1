// The planned copy of a copy-only level's frames.
#include "converter/FrameCopyPlan.h"

#include <algorithm>

#include "converter/BufferedOutputStream.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"

namespace {
// The longest run of source bytes read at once: well inside the output buffer, and small enough to stay in
// the processor's cache until the kernel copies it out.
constexpr int64_t kRunBytes = 128 << 10;
constexpr int64_t kGuidanceReference = 28;

// The 6-byte reference to a frame written by this run (its offset is one a KIWI address can hold).
void encodeReference(uint8_t* bytes, int64_t offset, uint16_t sectors) {
    const uint32_t address = OffsetToKiwiAddress(offset);
    const uint8_t encoded[6] = {uint8_t(address >> 24), uint8_t(address >> 16), uint8_t(address >> 8),
                                uint8_t(address),       uint8_t(sectors >> 8),  uint8_t(sectors)};
    std::copy(encoded, encoded + 6, bytes);
}
} // namespace

void FrameCopyPlan::Begin(int64_t start) {
    start_ = next_ = start;
    mainFrames_ = 0;
    frames_.clear();
    links_.clear();
    sources_.clear();
    byKey_.clear();
}

size_t FrameCopyPlan::PlanBytes() const {
    return frames_.capacity() * sizeof(Frame) + links_.capacity() * sizeof(GuideLink) +
           byKey_.capacity() * sizeof(uint32_t);
}

int64_t FrameCopyPlan::add(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase, int64_t offset,
                           uint32_t size, bool main) {
    size_t index = 0;
    while (index < sources_.size() && sources_[index].stream != stream)
        ++index;
    if (index == sources_.size()) sources_.push_back({stream, keyBase});
    const int64_t at = next_;
    frames_.push_back({uint32_t(offset / 32), uint16_t(size / 32), uint8_t(index), uint8_t(main ? 1 : 0),
                       uint32_t((at - start_) / 32)});
    next_ += size;
    if (main) ++mainFrames_;
    return at;
}

int64_t FrameCopyPlan::AddMain(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase, int64_t offset,
                               uint32_t size) {
    return add(stream, keyBase, offset, size, true);
}

int64_t FrameCopyPlan::AddGuidance(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase, int64_t offset,
                                   uint32_t size) {
    return add(stream, keyBase, offset, size, false);
}

void FrameCopyPlan::Link(int64_t mainAt, int64_t guideAt, uint32_t guideSize) {
    const auto at = uint32_t((mainAt - start_) / 32);
    const auto it = std::lower_bound(frames_.begin(), frames_.end(), at,
                                     [](const Frame& f, uint32_t value) { return f.at < value; });
    if (it == frames_.end() || it->at != at) return;
    links_.push_back({uint32_t(it - frames_.begin()),
                      guideAt < 0 ? kNoGuide : uint32_t((guideAt - start_) / 32), uint16_t(guideSize / 32)});
}

int64_t FrameCopyPlan::keyOf(const Frame& f) const {
    return sources_[f.stream].keyBase + int64_t(f.source) * 32;
}

int64_t FrameCopyPlan::find(int64_t key) const {
    const auto it = std::lower_bound(byKey_.begin(), byKey_.end(), key,
                                     [this](uint32_t i, int64_t k) { return keyOf(frames_[i]) < k; });
    if (it == byKey_.end() || keyOf(frames_[*it]) != key) return -1;
    return start_ + int64_t(frames_[*it].at) * 32;
}

void FrameCopyPlan::Execute(TLN_Stream& out, const AdjacentRepairLevel& level, AdjacentMode mode,
                            const std::function<void()>& checkStop, std::vector<int64_t>& notFixed) {
    byKey_.clear();
    byKey_.reserve(mainFrames_);
    for (uint32_t i = 0; i < frames_.size(); ++i)
        if (frames_[i].main) byKey_.push_back(i);
    std::stable_sort(byKey_.begin(), byKey_.end(),
                     [this](uint32_t a, uint32_t b) { return keyOf(frames_[a]) < keyOf(frames_[b]); });
    // A frame linked more than once keeps its last link.
    std::stable_sort(links_.begin(), links_.end(),
                     [](const GuideLink& a, const GuideLink& b) { return a.frame < b.frame; });
    const AdjacencyLedger::Lookup lookup = [this](int64_t key) { return find(key); };
    auto* buffered = dynamic_cast<BufferedOutputStream*>(&out);
    std::vector<uint8_t> local;
    size_t link = 0;
    for (size_t i = 0; i < frames_.size();) {
        checkStop();
        // Frames that follow one another in the source go in one read.
        const Frame& first = frames_[i];
        int64_t bytes = int64_t(first.sectors) * 32;
        size_t end = i + 1;
        while (end < frames_.size()) {
            const Frame& f = frames_[end];
            const Frame& before = frames_[end - 1];
            if (f.stream != first.stream || f.source != before.source + before.sectors ||
                bytes + int64_t(f.sectors) * 32 > kRunBytes)
                break;
            bytes += int64_t(f.sectors) * 32;
            ++end;
        }
        const int64_t at = start_ + int64_t(first.at) * 32;
        TLN_Stream& source = *sources_[first.stream].stream;
        uint8_t* into = buffered ? buffered->Claim(at, bytes) : nullptr;
        const bool claimed = into != nullptr;
        if (!claimed) {
            local.resize(size_t(bytes));
            into = local.data();
        }
        if (source.ReadAt(int64_t(first.source) * 32, into, bytes) != bytes) {
            if (claimed) buffered->Unclaim(at);
            throw EReadError("File read error!");
        }
        if (!claimed) out.WriteAt(at, into, bytes);
        for (size_t k = i; k < end; ++k) {
            const Frame& f = frames_[k];
            if (!f.main) continue;
            const int64_t frameAt = start_ + int64_t(f.at) * 32;
            const uint32_t size = uint32_t(f.sectors) * 32;
            while (link < links_.size() && links_[link].frame < k)
                ++link;
            const GuideLink* last = nullptr;
            for (; link < links_.size() && links_[link].frame == k; ++link)
                last = &links_[link];
            uint8_t reference[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
            if (last && last->guide != kNoGuide)
                encodeReference(reference, start_ + int64_t(last->guide) * 32, last->sectors);
            if (last || size >= uint32_t(kGuidanceReference + 6))
                out.WriteAt(frameAt + kGuidanceReference, reference, 6);
            if (!AdjacencyLedger::RepairWith(out, frameAt, size, level, mode, lookup,
                                             sources_[f.stream].keyBase))
                notFixed.push_back(frameAt);
        }
        i = end;
    }
}
