// Compressed files inside a mounted image made by xorriso: the list at the image root, and sixteen
// unpack-style workers, each with its own locked stream and one shared image lock, comparing every byte.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"

namespace {
struct ImageFixture {
    std::string image;
    std::vector<std::vector<uint8_t>> contents; // DATA/Fk.KWI
};

// Files of types 1, 2 and 258 in DATA, one unlisted file, the list at the root.
ImageFixture buildImage(int files) {
    ImageFixture f;
    const std::string dir = fixture::scratchDir("decomp-image");
    std::vector<fixture::CmpListEntryPlan> entries;
    for (int k = 0; k < files; ++k) {
        const uint16_t types[] = {2, 258, 1, 2};
        fixture::CmpListEntryPlan plan;
        plan.name = "DATA/F" + std::to_string(k) + ".KWI";
        plan.type = types[k % 4];
        f.contents.push_back(fixture::mapLikeContent(3 * 65536 + 1000 * size_t(k + 1), uint32_t(k + 40)));
        fixture::writeFile(dir + "/tree/" + plan.name, fixture::buildCmpDataFile(f.contents.back(), plan));
        entries.push_back(plan);
    }
    fixture::writeFile(dir + "/tree/05.CMP", fixture::buildCmpList(entries));
    fixture::writeFile(dir + "/tree/DATA/PLAIN.KWI", fixture::mapLikeContent(5000, 3));
    f.image = dir + "/cmp.iso";
    fixture::makeIsoWithXorriso(dir + "/tree", f.image);
    return f;
}

struct Mounted {
    explicit Mounted(const std::string& image) { ok = OpenISOImage(image); }
    ~Mounted() { CloseISOImage(); }
    bool ok = false;
};
} // namespace

TEST(DecompFileStreamImage, ListAtTheImageRootNamesFilesInFolders) {
    KIWI_NEED_XORRISO();
    const auto f = buildImage(4);
    Mounted mounted(f.image);
    ASSERT_TRUE(mounted.ok);
    for (int k = 0; k < 4; ++k) {
        for (const std::string prefix : {"", "/", "data/"}) {
            const std::string name = prefix == "data/" ? "data/f" + std::to_string(k) + ".kwi"
                                                       : prefix + "DATA/F" + std::to_string(k) + ".KWI";
            auto s = TLN_DecompFileStream::Create(name);
            ASSERT_TRUE(s->Listed()) << name;
            std::vector<uint8_t> out(f.contents[size_t(k)].size());
            EXPECT_EQ(s->ReadAt(0, out.data(), int64_t(out.size())), int64_t(out.size()));
            EXPECT_EQ(out, f.contents[size_t(k)]) << name;
        }
    }
    auto plain = TLN_DecompFileStream::Create("DATA/PLAIN.KWI");
    EXPECT_FALSE(plain->Listed());
    EXPECT_EQ(plain->Size(), 5000);
}

TEST(DecompFileStreamImage, SixteenLockedWorkersReadOneImage) {
    KIWI_NEED_XORRISO();
    const int files = 8;
    const auto f = buildImage(files);
    Mounted mounted(f.image);
    ASSERT_TRUE(mounted.ok);
    std::mutex imageLock;
    std::atomic<int> mismatches{0}, unlisted{0}, errors{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 16; ++t) {
        workers.emplace_back([&, t] {
            try {
                const int k = t % files;
                const auto& content = f.contents[size_t(k)];
                auto s =
                    TLN_DecompFileStream::CreateLocked("DATA/F" + std::to_string(k) + ".KWI", &imageLock);
                if (!s->Listed() || s->Size() != int64_t(content.size())) ++unlisted;
                // Half the workers unpack block by block, the others read in odd-sized pieces.
                std::vector<uint8_t> out;
                if (t % 2 == 0) {
                    for (uint32_t b = 0; b < s->BlockCount(); ++b) {
                        const int64_t n = s->LoadBlock(b);
                        out.insert(out.end(), s->CurrentBlockData(), s->CurrentBlockData() + n);
                    }
                    out.resize(std::min(out.size(), content.size()));
                } else {
                    out.resize(content.size());
                    for (int64_t at = 0; at < int64_t(content.size());) {
                        const int64_t got = s->ReadAt(at, out.data() + at, 7777 + t);
                        if (got <= 0) break;
                        at += got;
                    }
                }
                if (out != content) ++mismatches;
            } catch (const std::exception&) {
                ++errors;
            }
        });
    }
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(unlisted.load(), 0);
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(errors.load(), 0);
}

TEST(DecompFileStreamImage, OneSharedStreamServesManyThreads) {
    KIWI_NEED_XORRISO();
    const auto f = buildImage(1);
    Mounted mounted(f.image);
    ASSERT_TRUE(mounted.ok);
    auto s = TLN_DecompFileStream::Create("DATA/F0.KWI");
    const auto& content = f.contents[0];
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            std::vector<uint8_t> out(3000);
            for (int i = 0; i < 200; ++i) {
                const int64_t at = (int64_t(t) * 40009 + int64_t(i) * 65521) % int64_t(content.size() - 3000);
                if (s->ReadAt(at, out.data(), 3000) != 3000 ||
                    !std::equal(out.begin(), out.end(), content.begin() + at))
                    ++mismatches;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches.load(), 0);
}
