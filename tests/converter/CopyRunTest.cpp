// The copy path's reading and writing: frames that follow one another in the source and the output come
// from one read straight into the output's buffer, frames out of step still land whole, nothing read
// ahead outlives the output's size, and the buffer keeps what was just written and hands the file's
// write-back over in order.
#include <gtest/gtest.h>

#include "converter/levels/ParcelWriter.h"
#include "converter/output/BufferedOutputStream.h"
#include "kiwi/io/MemoryStream.h"
#include "support/walkers/CountingStream.h"

namespace {

std::shared_ptr<TLN_MemoryStream> patterned(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(i * 7 + i / 251);
    return std::make_shared<TLN_MemoryStream>(bytes);
}

// Reads that reach the stream below, and the file's own bytes.
class CountedFile : public TLN_MemoryStream {
public:
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        ++reads;
        return TLN_MemoryStream::ReadAt(position, buffer, count);
    }
    int reads = 0;
};

} // namespace

TEST(CopyRun, FramesInStepComeFromOneReadAndOthersStillLandWhole) {
    struct Frame {
        int64_t offset;
        uint32_t size;
    };
    struct Case {
        const char* name;
        std::vector<Frame> frames;
        uint64_t maxReads;
    };
    // n frames of size bytes from offset on, one after another.
    auto frames = [](int64_t offset, int n, uint32_t size) {
        std::vector<Frame> list;
        for (int i = 0; i < n; ++i)
            list.push_back({offset + int64_t(i) * size, size});
        return list;
    };
    auto joined = [](std::vector<Frame> a, const std::vector<Frame>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<Case> cases = {
        {"one run", frames(1024, 40, 1024), 1},
        // Three blocks of 16 frames with 512 bytes of information before each: a read for each block
        // (the second reads what the first one served, the third twice that).
        {"blocks with information between",
         joined(joined(frames(2048, 16, 512), frames(2048 + 8704, 16, 512)),
                frames(2048 + 2 * 8704, 16, 512)),
         3},
        {"a frame again, and one from before", joined(frames(4096, 2, 1024), {{4096, 1024}, {1024, 512}}), 4},
        // The frame past the end costs two reads (into the output, then the window) and the next run one.
        {"a frame past the source's end", joined({{4096, 1024}, {60000, 32768}}, frames(5120, 8, 1024)), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto source = patterned(64 * 1024);
        const auto counted = std::make_shared<CountingStream>(source);
        auto file = std::make_unique<TLN_MemoryStream>();
        TLN_MemoryStream& below = *file;
        BufferedOutputStream out(std::move(file), 256 << 10);
        CopyParcelWriter writer(CopyParcelWriter::Copying::PlannedLevels);
        int64_t cursor = 100 * 1024;
        std::vector<std::pair<int64_t, Frame>> placed;
        for (const Frame& f : c.frames) {
            const uint32_t size = writer.WriteMainFrame({counted, f.offset, f.size}, out, cursor);
            if (f.offset + f.size > 64 * 1024) {
                EXPECT_EQ(size, 0u);
                continue;
            }
            ASSERT_EQ(size, f.size);
            placed.push_back({cursor, f});
            cursor += size;
        }
        EXPECT_LE(counted->Reads(), c.maxReads);
        out.SetSize(cursor);
        EXPECT_EQ(below.Size(), cursor) << "bytes read ahead past the last frame are cut off";
        const auto bytes = below.Bytes();
        const auto from = source->Bytes();
        for (const auto& [at, f] : placed)
            for (uint32_t i = 0; i < f.size; ++i) {
                const uint8_t expected = i >= 28 && i < 34 ? (i < 32 ? 0xFF : 0) : from[size_t(f.offset + i)];
                ASSERT_EQ(bytes[size_t(at + i)], expected) << "frame at " << at << " byte " << i;
            }
    }
}

TEST(CopyRun, TheBufferKeepsTheLastWriteAndHandsWriteBackOverInOrder) {
    auto file = std::make_unique<CountedFile>();
    CountedFile& below = *file;
    BufferedOutputStream out(std::move(file), 64 << 10);
    std::vector<std::pair<int64_t, int64_t>> handed;
    out.SetWriteBehind([&](int64_t from, int64_t to) { handed.push_back({from, to}); });
    std::vector<uint8_t> frame(10000);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i);
    int64_t at = 0;
    for (int i = 0; i < 4000; ++i, at += int64_t(frame.size())) {
        out.WriteAt(at, frame.data(), int64_t(frame.size()));
        // A frame just written reads back from the buffer, even when writing it flushed the others.
        uint8_t header[36];
        ASSERT_EQ(out.ReadAt(at, header, 36), 36);
        ASSERT_EQ(header[35], 35);
    }
    EXPECT_EQ(below.reads, 0);
    out.Flush();
    ASSERT_FALSE(handed.empty());
    int64_t last = 0;
    for (const auto& [from, to] : handed) {
        EXPECT_EQ(from, last);
        EXPECT_GT(to, from);
        last = to;
    }
    EXPECT_LT(last, at) << "the newest bytes are never handed over";
    // A claim is filled in place; what is given back is gone.
    uint8_t* claimed = out.Claim(at, 1000);
    ASSERT_NE(claimed, nullptr);
    std::fill_n(claimed, 1000, uint8_t(0xAB));
    out.Unclaim(at + 400);
    EXPECT_EQ(out.Size(), at + 400);
    EXPECT_EQ(out.Claim(at + 100, 10), nullptr) << "it would overlap buffered bytes";
}
