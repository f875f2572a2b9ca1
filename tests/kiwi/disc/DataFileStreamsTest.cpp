// The bounded cache of data-file streams: each file opened once while held, at most the bound held open
// (least recently used closed first), streams in use kept alive, missing files remembered, open errors
// passed on, and several threads sharing one cache.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

#include "kiwi/disc/DataFileStreams.h"
#include "kiwi/io/MemoryStream.h"

namespace {

// Opens memory streams named by path, counting opens and the streams alive now.
struct Files {
    std::atomic<int> opens{0};
    std::shared_ptr<std::atomic<int>> live = std::make_shared<std::atomic<int>>(0);

    DataFileStreams::Opener opener(const std::string& path) {
        return [this, path]() -> std::shared_ptr<TLN_Stream> {
            if (path.rfind("missing", 0) == 0) return nullptr;
            if (path.rfind("broken", 0) == 0) throw std::runtime_error("cannot open " + path);
            ++opens;
            ++*live;
            auto counter = live;
            return std::shared_ptr<TLN_Stream>(
                new TLN_MemoryStream(std::vector<uint8_t>(path.begin(), path.end()), path),
                [counter](TLN_Stream* s) {
                    delete s;
                    --*counter;
                });
        };
    }
};

std::string content(TLN_Stream& stream) {
    std::string text(size_t(stream.Size()), '\0');
    stream.ReadAt(0, text.data(), int64_t(text.size()));
    return text;
}

} // namespace

TEST(DataFileStreams, OpensEachFileOnceWhileHeld) {
    Files files;
    DataFileStreams streams(4);
    const auto a = streams.Get("a", files.opener("a"));
    EXPECT_EQ(streams.Get("a", files.opener("a")), a);
    EXPECT_EQ(files.opens, 1);
    EXPECT_EQ(content(*a), "a");
}

TEST(DataFileStreams, ManyMoreFilesThanTheBoundKeepAtMostTheBoundOpen) {
    Files files;
    DataFileStreams streams(8);
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < 100; ++i) {
            const std::string path = "file" + std::to_string(i);
            const auto stream = streams.Get(path, files.opener(path));
            ASSERT_TRUE(stream);
            EXPECT_EQ(content(*stream), path);
            EXPECT_LE(files.live->load(), 9); // the bound, and the one this loop holds
            EXPECT_LE(streams.OpenCount(), 8u);
        }
    EXPECT_EQ(streams.OpenCount(), 8u);
    EXPECT_EQ(files.live->load(), 8);
    EXPECT_EQ(files.opens, 300);
    streams.Clear();
    EXPECT_EQ(files.live->load(), 0);
}

TEST(DataFileStreams, ClosesTheLeastRecentlyUsedFirstAndKeepsStreamsInUse) {
    Files files;
    DataFileStreams streams(2);
    const auto a = streams.Get("a", files.opener("a"));
    streams.Get("b", files.opener("b"));
    streams.Get("a", files.opener("a")); // a is now the most recent
    streams.Get("c", files.opener("c")); // b goes
    EXPECT_EQ(files.opens, 3);
    const auto held = streams.Streams();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].first, "c");
    EXPECT_EQ(held[1].first, "a");
    streams.Get("d", files.opener("d")); // a leaves the cache but stays usable for its holder
    EXPECT_EQ(content(*a), "a");
    EXPECT_EQ(files.live->load(), 3);
    EXPECT_NE(streams.Get("a", files.opener("a")), a) << "reopened once it left";
    streams.SetLimit(1);
    EXPECT_EQ(streams.OpenCount(), 1u);
    EXPECT_EQ(streams.Limit(), 1u);
}

TEST(DataFileStreams, RemembersMissingFilesAndPassesOpenErrorsOn) {
    Files files;
    DataFileStreams streams;
    int probes = 0;
    auto missing = [&]() -> std::shared_ptr<TLN_Stream> {
        ++probes;
        return nullptr;
    };
    EXPECT_FALSE(streams.Get("missing", missing));
    EXPECT_FALSE(streams.Get("missing", missing));
    EXPECT_EQ(probes, 1);
    EXPECT_THROW(streams.Get("broken", files.opener("broken")), std::runtime_error);
    EXPECT_THROW(streams.Get("broken", files.opener("broken")), std::runtime_error) << "not remembered";
    EXPECT_EQ(streams.OpenCount(), 0u);
}

TEST(DataFileStreams, SharedByThreads) {
    Files files;
    DataFileStreams streams(4);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 400; ++i) {
                const std::string path = "f" + std::to_string((i * 7 + t) % 10);
                const auto stream = streams.Get(path, files.opener(path));
                if (!stream || content(*stream) != path) ++wrong;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(streams.OpenCount(), 4u);
    EXPECT_LE(files.live->load(), 4);
}
