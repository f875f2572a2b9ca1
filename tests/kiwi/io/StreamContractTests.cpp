// The stream contract: sizes, positionless reads, short reads at the end, seeks, concurrent ReadAt.
#include "support/walkers/StreamContract.h"

#include <thread>

#include "kiwi/io/BigEndianIO.h"
#include "support/fixtures/FixtureWriter.h"

namespace {
std::vector<uint8_t> patterned(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = fixture::positionByte(i * 7 + 3);
    return v;
}
} // namespace

TEST_P(StreamContract, SizeAndWholeRead) {
    const auto content = patterned(200000);
    auto s = GetParam().make(content);
    ASSERT_EQ(s->Size(), int64_t(content.size()));
    std::vector<uint8_t> out(content.size() + 100, 0xEE);
    EXPECT_EQ(s->ReadAt(0, out.data(), int64_t(out.size())), int64_t(content.size()));
    EXPECT_TRUE(std::equal(content.begin(), content.end(), out.begin()));
}

TEST_P(StreamContract, RandomRangesMatch) {
    const auto content = patterned(300000);
    auto s = GetParam().make(content);
    uint64_t seed = 12345;
    for (int i = 0; i < 200; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        const int64_t pos = int64_t((seed >> 20) % content.size());
        const int64_t count = int64_t((seed >> 40) % 70000);
        std::vector<uint8_t> out(size_t(count) + 1);
        const int64_t got = s->ReadAt(pos, out.data(), count);
        ASSERT_EQ(got, std::min<int64_t>(count, int64_t(content.size()) - pos)) << pos << " " << count;
        ASSERT_TRUE(std::equal(out.begin(), out.begin() + got, content.begin() + pos));
    }
}

TEST_P(StreamContract, ReadsAtAndPastTheEnd) {
    const auto content = patterned(1000);
    auto s = GetParam().make(content);
    uint8_t buf[8];
    EXPECT_EQ(s->ReadAt(1000, buf, 8), 0);
    EXPECT_EQ(s->ReadAt(5000, buf, 8), 0);
    EXPECT_EQ(s->ReadAt(-1, buf, 8), 0);
    EXPECT_EQ(s->ReadAt(998, buf, 8), 2);
    // A word read across the end keeps the delivered byte as the most significant one.
    EXPECT_EQ(ReadWordBE(*s, 999), uint16_t(content[999] << 8));
    EXPECT_EQ(ReadDWordBE(*s, 998), uint32_t(content[998]) << 24 | uint32_t(content[999]) << 16);
    EXPECT_EQ(ReadDWordBE(*s, 1000), 0u);
}

// Positions far past any file, as a typed go-to position or a damaged offset can give, are past the end.
TEST_P(StreamContract, ReadsAtTheLargestPositionsDeliverNothing) {
    const auto content = patterned(1000);
    auto s = GetParam().make(content);
    uint8_t buf[8];
    for (int64_t position : {INT64_MAX - 3, INT64_MAX - 8, INT64_MAX, int64_t(1) << 62}) {
        EXPECT_EQ(s->ReadAt(position, buf, 8), 0) << position;
        EXPECT_EQ(ReadDWordBE(*s, position), 0u) << position;
    }
}

TEST_P(StreamContract, StatefulSeekAndRead) {
    const auto content = patterned(5000);
    auto s = GetParam().make(content);
    EXPECT_EQ(s->Seek(100), 100);
    uint8_t buf[10];
    EXPECT_EQ(s->Read(buf, 10), 10);
    EXPECT_EQ(s->Position(), 110);
    EXPECT_EQ(buf[0], content[100]);
    EXPECT_EQ(s->Seek(-4, SeekOrigin::End), 4996);
    EXPECT_EQ(s->Read(buf, 10), 4);
    EXPECT_EQ(s->Position(), 5000);
}

TEST_P(StreamContract, ConcurrentReadAtIsConsistent) {
    const auto content = patterned(1 << 20);
    auto s = GetParam().make(content);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            std::vector<uint8_t> out(4099);
            for (int i = 0; i < 300; ++i) {
                const int64_t pos =
                    (int64_t(t) * 131071 + int64_t(i) * 65537) % int64_t(content.size() - 4099);
                if (s->ReadAt(pos, out.data(), 4099) != 4099 ||
                    !std::equal(out.begin(), out.end(), content.begin() + pos))
                    ++failures;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}
