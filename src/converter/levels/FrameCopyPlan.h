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

#include "converter/levels/AdjacencyLedger.h"
#include "kiwi/io/Stream.h"

class BufferedOutputStream;

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
    size_t MainFrames() const { return mains_.size(); }

    // Copies the planned frames into out and repairs each main frame's adjacent parcel information against
    // where its neighbours (the first frame planned for each old key) go. notFixed gets the frames whose
    // information could not be repaired whole, in output order. Raises EReadError when the source no longer
    // holds a frame; checks stop between runs.
    void Execute(TLN_Stream& out, const AdjacentRepairLevel& level, AdjacentMode mode,
                 const std::function<void()>& checkStop, std::vector<int64_t>& notFixed);

private:
    static constexpr uint32_t kNoGuide = 0xFFFFFFFFu;
    // A planned frame: its source offset and size in 32-byte sectors, its stream, and where it goes in
    // sectors from the level's start; a main frame also the place of the guidance frame it names (kNoGuide:
    // the empty reference) and whether it names one at all (a frame whose record named none keeps the
    // copy's empty reference only when it can hold one). 16 bytes a main frame, 12 a guidance frame.
    struct Frame {
        uint32_t source = 0;
        uint32_t at = 0;
        uint16_t sectors = 0;
        // The index of its stream among the level's sources (a disc has at most a few thousand files).
        uint16_t stream : 15 = 0;
        uint16_t linked : 1 = 0;
    };
    struct MainFrame : Frame {
        uint32_t guide = kNoGuide;
    };
    struct Source {
        std::shared_ptr<TLN_Stream> stream;
        int64_t keyBase = 0;
    };

    uint16_t sourceIndex(const std::shared_ptr<TLN_Stream>& stream, int64_t keyBase);
    Frame frame(uint16_t stream, int64_t offset, uint32_t size) const;
    int64_t keyOf(const Frame& f) const;
    int64_t offsetOf(const Frame& f) const { return start_ + int64_t(f.at) * 32; }
    // The output offset of the first main frame planned for key, or -1.
    int64_t find(int64_t key) const;
    // Reads the frames from first on of one stream, which follow one another in it, bytes in all: into the
    // output's buffer at their place (returned), or into local (null returned) when the buffer cannot take
    // them, for the caller to write.
    uint8_t* copyRun(BufferedOutputStream* buffered, const Frame& first, int64_t bytes,
                     std::vector<uint8_t>& local);

    int64_t start_ = 0;
    int64_t next_ = 0;
    std::vector<MainFrame> mains_;
    std::vector<Frame> guides_;
    std::vector<Source> sources_;
    // The source of the last frame planned: a level's frames mostly come from one file.
    uint16_t lastSource_ = 0;
    // Main frames come in key order as a rule (the source's order); otherwise their indices by key (then
    // by index: the first planned comes first).
    bool keyOrder_ = true;
    std::vector<uint32_t> byKey_;
};
