// The planned copy of a copy-only level's frames.
#include "converter/levels/FrameCopyPlan.h"

#include <algorithm>
#include <cstring>

#include "converter/output/BufferedOutputStream.h"
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

// The output seen through the bytes of one run while they are still in memory: a frame's repairs read and
// write them there, not through the output's own look-ups; anything outside the run goes to the output.
class RunWindow : public TLN_Stream {
public:
    RunWindow(TLN_Stream& out, int64_t start, uint8_t* bytes, int64_t count)
        : out_(out), start_(start), bytes_(bytes), count_(count) {}
    int64_t Size() override { return out_.Size(); }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        if (!inside(position, count)) return out_.ReadAt(position, buffer, count);
        std::memcpy(buffer, bytes_ + (position - start_), size_t(count));
        return count;
    }
    void WriteAt(int64_t position, const void* buffer, int64_t count) override {
        if (!inside(position, count)) return out_.WriteAt(position, buffer, count);
        std::memcpy(bytes_ + (position - start_), buffer, size_t(count));
    }

private:
    bool inside(int64_t position, int64_t count) const {
        return position >= start_ && count >= 0 && position + count <= start_ + count_;
    }
    TLN_Stream& out_;
    int64_t start_;
    uint8_t* bytes_;
    int64_t count_;
};

template <class Frames> auto frameAt(Frames& frames, uint32_t at) {
    const auto it = std::lower_bound(frames.begin(), frames.end(), at,
                                     [](const auto& f, uint32_t value) { return f.at < value; });
    return it != frames.end() && it->at == at ? it : frames.end();
}
} // namespace

void FrameCopyPlan::Begin(int64_t start) {
    start_ = next_ = start;
    mains_.clear();
    guides_.clear();
    sources_.clear();
    lastSource_ = 0;
    keyOrder_ = true;
    byKey_.clear();
}

uint16_t FrameCopyPlan::sourceIndex(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase) {
    if (lastSource_ < sources_.size() && sources_[lastSource_].stream == stream) return lastSource_;
    size_t index = 0;
    while (index < sources_.size() && sources_[index].stream != stream)
        ++index;
    if (index == sources_.size()) {
        if (index > 0x7FFF) throw EConvertError(Failure(FailureCode::TooManyDataFiles));
        sources_.push_back({stream, keyBase});
    }
    lastSource_ = uint16_t(index);
    return lastSource_;
}

FrameCopyPlan::Frame FrameCopyPlan::frame(uint16_t stream, int64_t offset, uint32_t size) const {
    Frame f;
    f.source = uint32_t(offset / 32);
    f.at = uint32_t((next_ - start_) / 32);
    f.sectors = uint16_t(size / 32);
    f.stream = stream & 0x7FFF;
    return f;
}

int64_t FrameCopyPlan::AddMain(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase, int64_t offset,
                               uint32_t size) {
    MainFrame f;
    static_cast<Frame&>(f) = frame(sourceIndex(stream, keyBase), offset, size);
    if (!mains_.empty() && keyOf(f) < keyOf(mains_.back())) keyOrder_ = false;
    mains_.push_back(f);
    const int64_t at = next_;
    next_ += size;
    return at;
}

int64_t FrameCopyPlan::AddGuidance(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase, int64_t offset,
                                   uint32_t size) {
    guides_.push_back(frame(sourceIndex(stream, keyBase), offset, size));
    const int64_t at = next_;
    next_ += size;
    return at;
}

void FrameCopyPlan::Link(int64_t mainAt, int64_t guideAt, uint32_t guideSize) {
    (void)guideSize; // the guidance frame's own record says it
    const auto it = frameAt(mains_, uint32_t((mainAt - start_) / 32));
    if (it == mains_.end()) return;
    it->linked = 1;
    it->guide = guideAt < 0 ? kNoGuide : uint32_t((guideAt - start_) / 32);
}

int64_t FrameCopyPlan::keyOf(const Frame& f) const {
    return sources_[f.stream].keyBase + int64_t(f.source) * 32;
}

int64_t FrameCopyPlan::find(int64_t key) const {
    if (keyOrder_) {
        const auto it = std::lower_bound(mains_.begin(), mains_.end(), key,
                                         [this](const MainFrame& f, int64_t k) { return keyOf(f) < k; });
        return it != mains_.end() && keyOf(*it) == key ? offsetOf(*it) : -1;
    }
    const auto it = std::lower_bound(byKey_.begin(), byKey_.end(), key,
                                     [this](uint32_t i, int64_t k) { return keyOf(mains_[i]) < k; });
    return it != byKey_.end() && keyOf(mains_[*it]) == key ? offsetOf(mains_[*it]) : -1;
}

uint8_t* FrameCopyPlan::copyRun(BufferedOutputStream* buffered, const Frame& first, int64_t bytes,
                                std::vector<uint8_t>& local) {
    const int64_t at = offsetOf(first);
    uint8_t* into = buffered ? buffered->Claim(at, bytes) : nullptr;
    const bool claimed = into != nullptr;
    if (!claimed) {
        local.resize(size_t(bytes));
        into = local.data();
    }
    if (sources_[first.stream].stream->ReadAt(int64_t(first.source) * 32, into, bytes) != bytes) {
        if (claimed) buffered->Unclaim(at);
        throw EReadError(
            Failure(FailureCode::FileReadError, {{"file", sources_[first.stream].stream->FileName()}}));
    }
    return claimed ? into : nullptr;
}

void FrameCopyPlan::Execute(TLN_Stream& out, const AdjacentRepairLevel& level, AdjacentMode mode,
                            const std::function<void()>& checkStop, std::vector<int64_t>& notFixed) {
    if (!keyOrder_) {
        byKey_.resize(mains_.size());
        for (uint32_t i = 0; i < byKey_.size(); ++i)
            byKey_[i] = i;
        std::stable_sort(byKey_.begin(), byKey_.end(),
                         [this](uint32_t a, uint32_t b) { return keyOf(mains_[a]) < keyOf(mains_[b]); });
    }
    const AdjacencyLedger::Lookup lookup = [this](int64_t key) { return find(key); };
    std::vector<uint8_t> local;
    // Main and guidance frames merged in output order.
    size_t m = 0, g = 0;
    auto nextFrame = [&]() -> const Frame* {
        if (m < mains_.size() && (g == guides_.size() || mains_[m].at < guides_[g].at)) return &mains_[m++];
        if (g < guides_.size()) return &guides_[g++];
        return nullptr;
    };
    const Frame* pending = nextFrame();
    std::vector<const MainFrame*> run;
    auto* buffered = dynamic_cast<BufferedOutputStream*>(&out);
    while (pending) {
        checkStop();
        // Frames that follow one another in the source go in one read.
        const Frame& first = *pending;
        int64_t bytes = 0;
        run.clear();
        const Frame* before = nullptr;
        while (pending && (!before || (pending->stream == first.stream &&
                                       pending->source == before->source + before->sectors &&
                                       bytes + int64_t(pending->sectors) * 32 <= kRunBytes))) {
            if (m > 0 && pending == &mains_[m - 1]) run.push_back(&mains_[m - 1]);
            bytes += int64_t(pending->sectors) * 32;
            before = pending;
            pending = nextFrame();
        }
        uint8_t* claimed = copyRun(buffered, first, bytes, local);
        // The run's frames are repaired in memory; a run the output could not take in its buffer is
        // written once repaired.
        RunWindow window(out, offsetOf(first), claimed ? claimed : local.data(), bytes);
        for (const MainFrame* f : run) {
            const int64_t at = offsetOf(*f);
            const uint32_t size = uint32_t(f->sectors) * 32;
            uint8_t reference[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
            if (f->linked && f->guide != kNoGuide) {
                const auto guide = frameAt(guides_, f->guide);
                if (guide != guides_.end()) encodeReference(reference, offsetOf(*guide), guide->sectors);
            }
            // Only inside the frame: a frame too short to hold a reference is copied as it is.
            if (size >= uint32_t(kGuidanceReference + 6))
                window.WriteAt(at + kGuidanceReference, reference, 6);
            if (!AdjacencyLedger::RepairWith(window, at, size, level, mode, lookup,
                                             sources_[f->stream].keyBase))
                notFixed.push_back(at);
        }
        if (!claimed) out.WriteAt(offsetOf(first), local.data(), bytes);
    }
}
