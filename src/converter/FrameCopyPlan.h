// The frames of one copy-only level, planned before any of them moves: the level's walk decides where each
// frame goes (main frames and route guidance frames follow one another from the level's data offset) and
// which guidance frame each main frame names; then one forward pass reads the source in long runs straight
// into the output's buffer, and each main frame's guidance reference and adjacent parcel information are
// set there, before its bytes are written. Nothing is patched afterwards, and every neighbour is known,
// so no frame waits for one.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "converter/AdjacencyLedger.h"
#include "kiwi/io/Stream.h"

class FrameCopyPlan {
public:
    // Forgets the last level and starts one whose frames begin at `start` of the output.
    void Begin(int64_t start);
    // A frame of `size` bytes (a multiple of 32) at `offset` of stream (a multiple of 32), written next;
    // keyBase tells the stream's frames apart from other files'. Returns where it goes.
    int64_t AddMain(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase, int64_t offset,
                    uint32_t size);
    int64_t AddGuidance(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase, int64_t offset,
                        uint32_t size);
    // The main frame planned at mainAt names the guidance frame at guideAt (or none when negative); the
    // last link of a frame counts.
    void Link(int64_t mainAt, int64_t guideAt, uint32_t guideSize);
    // Main frames planned.
    size_t MainFrames() const { return mainFrames_; }
    // Bytes the plan holds.
    size_t PlanBytes() const;

    // Copies the planned frames into out and repairs each main frame's adjacent parcel information against
    // where its neighbours (the first frame planned for each old key) go. notFixed gets the frames whose
    // information could not be repaired whole, in output order. Raises EReadError when the source no longer
    // holds a frame; checks stop between runs.
    void Execute(TLN_Stream& out, const AdjacentRepairLevel& level, AdjacentMode mode,
                 const std::function<void()>& checkStop, std::vector<int64_t>& notFixed);

private:
    // A planned frame: its source offset and size in 32-byte sectors, its stream, whether it is a main
    // frame. Output offsets follow from the order.
    struct Frame {
        uint32_t source = 0;
        uint16_t sectors = 0;
        uint8_t stream = 0;
        uint8_t main = 0;
        // Where the frame goes, in sectors from the level's start.
        uint32_t at = 0;
    };
    // A main frame's guidance reference: the frame's index, the guidance frame's place in sectors from
    // the level's start (kNoGuide: the empty reference) and its size in sectors.
    static constexpr uint32_t kNoGuide = 0xFFFFFFFFu;
    struct GuideLink {
        uint32_t frame = 0;
        uint32_t guide = kNoGuide;
        uint16_t sectors = 0;
    };
    struct Source {
        std::shared_ptr<TLN_Stream> stream;
        int64_t keyBase = 0;
    };

    int64_t add(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase, int64_t offset, uint32_t size,
                bool main);
    int64_t keyOf(const Frame& f) const;
    // The output offset of the first main frame planned for key, or -1.
    int64_t find(int64_t key) const;

    int64_t start_ = 0;
    int64_t next_ = 0;
    size_t mainFrames_ = 0;
    std::vector<Frame> frames_;
    std::vector<GuideLink> links_;
    std::vector<Source> sources_;
    // Indices of the main frames by key (then by index: the first planned comes first).
    std::vector<uint32_t> byKey_;
};
