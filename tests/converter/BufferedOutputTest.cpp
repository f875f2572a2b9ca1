// The write-back buffer of produced files: what is read back equals what a plain file would hold after
// the same writes, whatever their order, overlap and size; failures of the file still surface.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <numeric>
#include <random>

#include "converter/output/BufferedOutputStream.h"
#include "converter/output/ProducedFile.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

// The bytes a plain stream holds, read whole.
std::vector<uint8_t> contents(TLN_Stream& stream) {
    std::vector<uint8_t> bytes(size_t(stream.Size()));
    EXPECT_EQ(stream.ReadAt(0, bytes.data(), int64_t(bytes.size())), int64_t(bytes.size()));
    return bytes;
}

// Counts the writes that reach the stream below.
class CountingStream : public TLN_MemoryStream {
public:
    void WriteAt(int64_t position, const void* buffer, int64_t count) override {
        ++writes;
        TLN_MemoryStream::WriteAt(position, buffer, count);
    }
    int writes = 0;
};

// Holds its first write until something reads it (after that read) or a while has passed: a read that
// does not wait for the writing thread then finds the file without those bytes.
class HeldStream : public TLN_MemoryStream {
public:
    void WriteAt(int64_t position, const void* buffer, int64_t count) override {
        std::unique_lock lock(mutex_);
        gate_.wait_for(lock, std::chrono::milliseconds(200), [&] { return released_; });
        released_ = true;
        TLN_MemoryStream::WriteAt(position, buffer, count);
    }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        const int64_t n = TLN_MemoryStream::ReadAt(position, buffer, count);
        std::lock_guard lock(mutex_);
        released_ = true;
        gate_.notify_all();
        return n;
    }

private:
    std::mutex mutex_;
    std::condition_variable gate_;
    bool released_ = false;
};

} // namespace

TEST(BufferedOutput, ReadBacksWaitForTheWritingThread) {
    const std::function<std::vector<uint8_t>(BufferedOutputStream&)> reads[] = {
        [](BufferedOutputStream& out) { // through the read-ahead window
            std::vector<uint8_t> bytes(100);
            out.ReadAt(0, bytes.data(), 100);
            return bytes;
        },
        [](BufferedOutputStream& out) { // too large for the window
            std::vector<uint8_t> bytes(300 << 10);
            out.ReadAt(0, bytes.data(), int64_t(bytes.size()));
            return std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100);
        },
        [](BufferedOutputStream& out) { return contents(out.Inner()); },
    };
    std::vector<uint8_t> written(200);
    std::iota(written.begin(), written.end(), uint8_t(1));
    for (const auto& read : reads) {
        BufferedOutputStream out(std::make_unique<HeldStream>(), 256);
        out.WriteAt(0, written.data(), 100);
        out.WriteAt(100, written.data(), 200); // hands the first 100 bytes to the writing thread
        EXPECT_EQ(read(out), std::vector<uint8_t>(written.begin(), written.begin() + 100));
    }
}

TEST(BufferedOutput, ScatteredWritesReadBackAsAPlainFileWould) {
    struct Case {
        int64_t budget;
        int maxWrite;
    };
    // Budgets from smaller than most writes (every write goes through) to larger than the whole file.
    for (const Case& c : {Case{1, 64}, Case{256, 100}, Case{4096, 700}, Case{1 << 20, 300}}) {
        std::mt19937 random(uint32_t(c.budget));
        TLN_MemoryStream plain;
        auto inner = std::make_unique<TLN_MemoryStream>();
        TLN_MemoryStream& below = *inner;
        BufferedOutputStream buffered(std::move(inner), c.budget);
        for (int i = 0; i < 2000; ++i) {
            // Mostly appends at the end, with patches and far writes between (the run's pattern).
            const int64_t size = buffered.Size();
            const int kind = int(random() % 4);
            const int64_t at = kind == 0   ? size
                               : kind == 1 ? int64_t(random() % uint32_t(size + 1))
                                           : int64_t(random() % 30000);
            std::vector<uint8_t> bytes(1 + random() % uint32_t(c.maxWrite));
            for (auto& b : bytes)
                b = uint8_t(random());
            plain.WriteAt(at, bytes.data(), int64_t(bytes.size()));
            buffered.WriteAt(at, bytes.data(), int64_t(bytes.size()));
            // A claim filled only in part (a short read): what was not filled goes back, nothing else.
            const int64_t claimAt = int64_t(random() % 40000), filled = int64_t(random() % bytes.size());
            if (uint8_t* claimed = buffered.Claim(claimAt, int64_t(bytes.size()))) {
                std::copy_n(bytes.begin(), filled, claimed);
                buffered.Unclaim(claimAt + filled);
                plain.WriteAt(claimAt, bytes.data(), filled);
            }
            if (i % 13 == 0) {
                // Small read-backs fill the read-ahead window, through which later writes join.
                uint8_t want[40] = {}, got[40] = {};
                const int64_t from = int64_t(random() % uint32_t(plain.Size()));
                const int64_t n = plain.ReadAt(from, want, 40);
                ASSERT_EQ(buffered.ReadAt(from, got, 40), n);
                ASSERT_EQ(std::memcmp(want, got, size_t(n)), 0) << c.budget << " at " << from;
            }
            if (i % 97 == 0) {
                // A read across buffered extents and holes between them, past the file below.
                ASSERT_EQ(buffered.Size(), plain.Size());
                const int64_t from = int64_t(random() % uint32_t(plain.Size()));
                std::vector<uint8_t> want(3000, 0xAB), got(3000, 0xCD);
                const int64_t n = plain.ReadAt(from, want.data(), 3000);
                ASSERT_EQ(buffered.ReadAt(from, got.data(), 3000), n) << c.budget << " at " << from;
                want.resize(size_t(n));
                got.resize(size_t(n));
                ASSERT_EQ(got, want) << c.budget << " at " << from;
            }
        }
        EXPECT_LE(buffered.BufferedBytes(), c.budget + c.maxWrite);
        buffered.Flush();
        EXPECT_EQ(buffered.BufferedBytes(), 0);
        EXPECT_EQ(contents(below), contents(plain)) << c.budget;
    }
}

TEST(BufferedOutput, SmallWritesReachTheFileInFewWrites) {
    auto inner = std::make_unique<CountingStream>();
    CountingStream& below = *inner;
    BufferedOutputStream buffered(std::move(inner), 64 << 10);
    const std::vector<uint8_t> frame(1000, 7);
    for (int i = 0; i < 1000; ++i) {
        buffered.WriteAt(int64_t(i) * 1000, frame.data(), 1000);
        // A back-patch inside the frame just written, and a 6-byte record far before it.
        buffered.WriteAt(int64_t(i) * 1000 + 28, "\xFF\xFF\xFF\xFF\0\0", 6);
        buffered.WriteAt(int64_t(i) * 6, "\x01\x02\x03\x04\x05\x06", 6);
    }
    buffered.Flush();
    EXPECT_LT(below.writes, 50);
    EXPECT_EQ(below.Size(), 1000 * 1000);
    // The adjacency repair's pattern over written frames: read a header, re-point the entries after it.
    below.writes = 0;
    TLN_MemoryStream plain(below.Bytes());
    for (int i = 0; i < 1000; ++i) {
        uint8_t header[36];
        ASSERT_EQ(buffered.ReadAt(int64_t(i) * 1000, header, 36), 36);
        const std::vector<uint8_t> entries(48, uint8_t(i));
        buffered.WriteAt(int64_t(i) * 1000 + 36, entries.data(), 48);
        plain.WriteAt(int64_t(i) * 1000 + 36, entries.data(), 48);
    }
    buffered.Flush();
    EXPECT_LT(below.writes, 50);
    EXPECT_EQ(below.Bytes(), plain.Bytes());
}

TEST(BufferedOutput, WriteBackIsHandedOverInOrderAndNeverTheNewestBytes) {
    BufferedOutputStream out(std::make_unique<TLN_MemoryStream>(), 64 << 10);
    std::vector<std::pair<int64_t, int64_t>> handed;
    out.SetWriteBehind([&](int64_t from, int64_t to) { handed.push_back({from, to}); });
    const std::vector<uint8_t> frame(10000, 5);
    for (int i = 0; i < 4000; ++i)
        out.WriteAt(int64_t(i) * 10000, frame.data(), 10000);
    out.Flush();
    ASSERT_FALSE(handed.empty());
    for (size_t i = 0; i < handed.size(); ++i) {
        EXPECT_EQ(handed[i].first, i == 0 ? 0 : handed[i - 1].second);
        EXPECT_GT(handed[i].second, handed[i].first);
    }
    EXPECT_LT(handed.back().second, out.Size());
}

TEST(BufferedOutput, SizeChangeAppliesToEveryByteWritten) {
    auto inner = std::make_unique<TLN_MemoryStream>();
    TLN_MemoryStream& below = *inner;
    BufferedOutputStream buffered(std::move(inner));
    buffered.WriteAt(0, "abcdefgh", 8);
    buffered.SetSize(4);
    EXPECT_EQ(contents(below), (std::vector<uint8_t>{'a', 'b', 'c', 'd'}));
    buffered.WriteAt(10, "z", 1);
    EXPECT_EQ(buffered.Size(), 11);
}

// A full disk shows at the latest when the produced file is flushed or committed, never as success, and
// the temporary file goes.
TEST(BufferedOutput, AFailingFileFailsTheFlushAndTheCommit) {
    const std::string dir = fixture::scratchDir("buffered-fail");
    for (const bool flushFirst : {true, false}) {
        {
            ProducedFile file(dir + "/OUT.BIN",
                              [](const std::string& path) { return convtest::openWithBudget(path, 100); });
            const std::vector<uint8_t> bytes(5000, 1);
            file.Stream().WriteAt(0, bytes.data(), 50);
            file.Stream().WriteAt(50, bytes.data(), 200); // buffered: nothing fails yet
            try {
                if (flushFirst) file.Flush();
                file.Commit();
                ADD_FAILURE() << "a failing file was committed";
            } catch (const EWriteError& e) {
                EXPECT_NE(std::string(e.what()).find(std::strerror(ENOSPC)), std::string::npos) << e.what();
            }
        }
        EXPECT_TRUE(convtest::snapshot(dir).empty()) << flushFirst;
    }
}
