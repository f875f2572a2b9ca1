// The planned copy of a copy-only level at its boundaries: every frame lands whole from its own file, its
// guidance reference and adjacent parcel information point where the plan put their frames, and what the
// plan cannot hold or the source cannot give is refused.
#include <gtest/gtest.h>

#include "converter/levels/FrameCopyPlan.h"
#include "converter/output/BufferedOutputStream.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"
#include "support/walkers/CountingStream.h"

namespace {

// A file's bytes: each sector starts with the file's number, and no frame header has its adjacent flag.
std::vector<uint8_t> fileBytes(int file, int64_t size) {
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    for (int64_t i = 0; i < size; ++i)
        bytes[size_t(i)] = i % 32 == 0                    ? uint8_t(file >> 8)
                           : i % 32 == 1                  ? uint8_t(file)
                           : i % 32 == 12 || i % 32 == 13 ? uint8_t(0)
                                                          : uint8_t(i * 7 + i / 251 + file);
    return bytes;
}

void putReference(uint8_t* at, int64_t offset, uint16_t storedSize) {
    const uint32_t address = offset < 0 ? 0xFFFFFFFFu : OffsetToKiwiAddress(offset);
    const uint8_t bytes[6] = {uint8_t(address >> 24), uint8_t(address >> 16),   uint8_t(address >> 8),
                              uint8_t(address),       uint8_t(storedSize >> 8), uint8_t(storedSize)};
    std::copy_n(bytes, 6, at);
}

} // namespace

TEST(FrameCopyPlan, EveryFrameLandsWholeFromItsOwnFileAndPointsWhereThePlanPutItsFrames) {
    // link: the guidance frame a main frame names (its index), -1 the empty reference, -2 no link at all;
    // neighbour: the frame whose source its first adjacent entry names.
    struct Frame {
        int file;
        int64_t offset;
        uint32_t size;
        bool guide = false;
        int link = -2;
        int neighbour = -1;
    };
    struct Case {
        const char* name;
        int files;
        int64_t fileSize;
        std::vector<Frame> frames;
        uint64_t reads = 0; // the reads of file 0, when they count
        bool refused = false;
    };
    auto many = [](int n, auto frameOf) {
        std::vector<Frame> frames;
        for (int i = 0; i < n; ++i)
            frames.push_back(frameOf(i));
        return frames;
    };
    const auto oneFrameEach = [](int file) { return Frame{file, 0, 32}; };
    std::vector<Case> cases = {
        {"a frame shared by many records", 1, 8192, {{0, 0, 96, false, -2, 1}}},
        {"the last frame of a file", 1, 4096, {{0, 3968, 128, false, 2}, {0, 0, 64}, {0, 64, 64, true}}},
        {"a frame past the end of its file", 1, 4096, {{0, 4032, 96}}, 0, true},
        {"a run crossing the 128 KiB buffer", 1, 160 << 10,
         many(150,
              [](int i) {
                  return Frame{0, i * 1024, 1024};
              }),
         2},
        // Each file's next frame starts at the sector after the other's; the neighbour lies in both files.
        {"frames from interleaved files",
         2,
         4096,
         {{1, 0, 96, false, -1, 4}, {0, 96, 64}, {0, 160, 64, true}, {0, 224, 64}, {1, 224, 64}}},
        {"the 32 768th file", 32768, 32, many(32768, oneFrameEach)},
        {"the 32 769th file", 32769, 32, many(32769, oneFrameEach), 0, true},
        {"a frame shorter than the reference",
         1,
         4096,
         {{0, 0, 32, false, 2}, {0, 32, 64}, {0, 96, 64, true}}},
    };
    // Many records name frame 1 (in different blocks), and one of a lower key comes after them.
    cases[0].frames.resize(41, {0, 960, 64});
    cases[0].frames.push_back({0, 480, 64});
    cases[3].frames[0].link = 150;
    cases[3].frames.push_back({0, 150 << 10, 64, true});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<uint8_t>> sources;
        for (int f = 0; f < c.files; ++f)
            sources.push_back(fileBytes(f, c.fileSize));
        for (const Frame& f : c.frames)
            if (f.neighbour >= 0) {
                // The adjacent flag, no extra words, and the first of eight entries naming the neighbour.
                uint8_t* header = &sources[size_t(f.file)][size_t(f.offset)];
                header[12] = 0x20, header[34] = header[35] = 0;
                for (int e = 0; e < 8; ++e)
                    putReference(header + 36 + 6 * e, e == 0 ? c.frames[size_t(f.neighbour)].offset : -1,
                                 e == 0);
            }
        std::vector<std::shared_ptr<TLN_Stream>> streams;
        for (const auto& bytes : sources)
            streams.push_back(std::make_shared<TLN_MemoryStream>(bytes));
        const auto counted = std::make_shared<CountingStream>(streams[0]);
        streams[0] = counted;

        FrameCopyPlan plan;
        const int64_t start = 8192;
        plan.Begin(start);
        std::vector<int64_t> at;
        auto file = std::make_unique<TLN_MemoryStream>();
        TLN_MemoryStream& below = *file;
        BufferedOutputStream out(std::move(file));
        std::vector<int64_t> notFixed;
        try {
            for (const Frame& f : c.frames) {
                const int64_t keyBase = int64_t(f.file) << 32;
                at.push_back(f.guide ? plan.AddGuidance(streams[size_t(f.file)], keyBase, f.offset, f.size)
                                     : plan.AddMain(streams[size_t(f.file)], keyBase, f.offset, f.size));
                EXPECT_EQ(at.back(),
                          at.size() == 1 ? start : at[at.size() - 2] + c.frames[at.size() - 2].size);
            }
            for (size_t i = 0; i < c.frames.size(); ++i)
                if (const int link = c.frames[i].link; link != -2)
                    plan.Link(at[i], link < 0 ? -1 : at[size_t(link)],
                              link < 0 ? 0 : c.frames[size_t(link)].size);
            plan.Execute(
                out, {0, 0}, AdjacentMode::Update, [] {}, notFixed);
            EXPECT_FALSE(c.refused) << "the plan took what it cannot copy";
        } catch (const KiwiError& e) {
            EXPECT_TRUE(c.refused) << e.what();
            continue;
        }
        if (c.reads) {
            EXPECT_EQ(counted->Reads(), c.reads) << "frames that follow one another go in one read";
        }
        out.Flush();
        const std::vector<uint8_t> written = below.Bytes();
        for (size_t i = 0; i < c.frames.size(); ++i) {
            const Frame& f = c.frames[i];
            std::vector<uint8_t> want(sources[size_t(f.file)].begin() + f.offset,
                                      sources[size_t(f.file)].begin() + f.offset + f.size);
            if (!f.guide && f.size >= 34)
                putReference(&want[28], f.link >= 0 ? at[size_t(f.link)] : -1,
                             f.link >= 0 ? uint16_t(c.frames[size_t(f.link)].size / 32) : 0);
            if (f.neighbour >= 0) {
                // The first frame planned from the neighbour's place in its own file.
                size_t first = 0;
                const Frame& n = c.frames[size_t(f.neighbour)];
                while (c.frames[first].file != f.file || c.frames[first].offset != n.offset)
                    ++first;
                putReference(&want[36], at[first], 1);
            }
            ASSERT_GE(written.size(), size_t(at[i]) + f.size);
            ASSERT_EQ(std::vector<uint8_t>(written.begin() + at[i], written.begin() + at[i] + f.size), want)
                << "frame " << i;
        }
    }
}
