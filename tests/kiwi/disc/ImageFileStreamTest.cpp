// The mounted image and TLN_FileStream in image mode, over images made by xorriso at test time: file
// contents, reads at a file's end, the path walk, shared ownership of the image and failed mounts.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/disc/FileStream.h"
#include "kiwi/iso/ISOImage.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/walkers/StreamContract.h"

namespace {
using FileTree = std::map<std::string, std::vector<uint8_t>>;

int scratchCounter = 0;

// Content that differs per file and per position, so a read from the wrong place cannot pass.
std::vector<uint8_t> fileContent(size_t size, uint32_t seed) {
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i)
        v[i] = uint8_t(fixture::positionByte(i) ^ (seed * 37));
    return v;
}

// Writes the files below a fresh folder and makes an ISO 9660 image of it with xorriso (Joliet and
// Rock Ridge present; the stream reads the primary tree).
std::string buildImage(const FileTree& files, const std::string& name = "image") {
    const std::string dir =
        fixture::scratchDir("image-stream-" + name + "-" + std::to_string(scratchCounter++));
    for (const auto& [path, bytes] : files)
        fixture::writeFile(dir + "/tree/" + path, bytes);
    const std::string image = dir + "/" + name + ".iso";
    fixture::makeIsoWithXorriso(dir + "/tree", image);
    return image;
}

// The image itself and copies in the other stored layouts that mount: in raw sectors every sector's
// user data moves, so only a per-sector read gets the bytes right.
std::vector<std::string> imageLayouts(const std::string& image) {
    std::vector<std::string> images{image};
    const auto plain = fixture::readFile(image);
    for (const auto layout : {fixture::IsoLayout::LeadingBlock, fixture::IsoLayout::RawMode1,
                              fixture::IsoLayout::RawMode1LeadingBlock}) {
        images.push_back(image + "." + fixture::layoutName(layout));
        fixture::writeFile(images.back(), fixture::wrapIsoImage(plain, layout));
    }
    return images;
}

std::vector<uint8_t> readWhole(TLN_Stream& s) {
    std::vector<uint8_t> out(size_t(s.Size()) + 64, 0);
    out.resize(size_t(s.ReadAt(0, out.data(), int64_t(out.size()))));
    return out;
}

// The stream outlives the mount: the image is unmounted before the contract runs.
std::shared_ptr<TLN_Stream> makeImageEntry(const std::vector<uint8_t>& content) {
    const std::string image = buildImage({{"DATA/AHEAD.BIN", fileContent(5000, 1)},
                                          {"DATA/CONTENT.BIN", content},
                                          {"DATA/ZMARK.BIN", std::vector<uint8_t>(8192, 0xEE)}},
                                         "contract");
    EXPECT_TRUE(OpenISOImage(image));
    auto stream = std::make_shared<TLN_FileStream>("\\DATA\\CONTENT.BIN");
    CloseISOImage();
    return stream;
}

class ImageFileStreamTest : public ::testing::Test {
protected:
    void SetUp() override { CloseISOImage(); }
    // Later tests in this process must not open their files inside a left-over image.
    void TearDown() override { CloseISOImage(); }
};
} // namespace

INSTANTIATE_TEST_SUITE_P(FileStreamImage, StreamContract,
                         ::testing::Values(StreamFactory{"imageEntry", makeImageEntry}));

TEST_F(ImageFileStreamTest, EveryFileEqualsItsSource) {
    FileTree files;
    const size_t sizes[] = {1, 2047, 2048, 2049, 10000, 100000, 300001};
    uint32_t seed = 0;
    for (const size_t size : sizes)
        files["DATA/F" + std::to_string(size) + ".BIN"] = fileContent(size, ++seed);
    files["ROOT.KWI"] = fileContent(777, ++seed);
    files["A/B/C/DEEP.KWI"] = fileContent(4096 * 3 + 5, ++seed);
    files["A/B/NEXT.KWI"] = fileContent(12, ++seed);
    files["OTHER/ALLDATA1.KWI"] = fileContent(6000, ++seed);
    const std::string image = buildImage(files, "all");
    for (const std::string& mounted : imageLayouts(image)) {
        ASSERT_TRUE(OpenISOImage(mounted)) << mounted;
        EXPECT_EQ(GetISOImageFileName(), mounted);
        for (const auto& [path, bytes] : files) {
            SCOPED_TRACE(path);
            ASSERT_TRUE(ISOFileExists(path));
            TLN_FileStream s(path);
            EXPECT_EQ(s.StreamMode(), TLN_FileStream::Mode::Image);
            EXPECT_EQ(s.GetFileName(), path.substr(path.rfind('/') + 1)); // the bare entry name
            EXPECT_EQ(s.Size(), int64_t(bytes.size()));
            EXPECT_EQ(readWhole(s), bytes);
            // A read straddling sector boundaries, through the stateful interface.
            if (bytes.size() >= 6040) {
                std::vector<uint8_t> part(4000);
                s.Seek(2040);
                EXPECT_EQ(s.Read(part.data(), 4000), 4000);
                EXPECT_TRUE(std::equal(part.begin(), part.end(), bytes.begin() + 2040));
            }
        }
    }
}

// The image stores the next file directly after this one: its bytes must never show up.
TEST_F(ImageFileStreamTest, ReadAtTheEndOfAFileIsShort) {
    const std::string image = buildImage(
        {{"DATA/A.BIN", fileContent(3000, 3)}, {"DATA/B.BIN", std::vector<uint8_t>(6000, 0xEE)}}, "end");
    for (const std::string& mounted : imageLayouts(image)) {
        ASSERT_TRUE(OpenISOImage(mounted));
        TLN_FileStream s("DATA/A.BIN");
        std::vector<uint8_t> buf(5000, 0x11);
        EXPECT_EQ(s.ReadAt(2990, buf.data(), 100), 10);
        EXPECT_EQ(buf[10], 0x11);
        EXPECT_EQ(s.ReadAt(3000, buf.data(), 100), 0);
        EXPECT_EQ(s.ReadAt(4096, buf.data(), 100), 0);
        EXPECT_EQ(s.ReadAt(INT64_MAX - 10, buf.data(), 100), 0);
        std::fill(buf.begin(), buf.end(), 0x11);
        EXPECT_EQ(s.ReadAt(0, buf.data(), 5000), 3000);
        EXPECT_EQ(std::count(buf.begin() + 3000, buf.end(), 0x11), 2000);
        EXPECT_EQ(s.Seek(0, SeekOrigin::End), 3000);
        EXPECT_EQ(s.Read(buf.data(), 10), 0);
        EXPECT_THROW(s.Seek(-3001, SeekOrigin::End), EReadError);
    }
}

TEST_F(ImageFileStreamTest, PathWalkIgnoresCaseAndSkipsUnknownFolders) {
    const auto inData = fileContent(100, 5), inRoot = fileContent(200, 6), deep = fileContent(50, 7);
    const std::string image = buildImage({{"DATA/ALLDATA.KWI", inData},
                                          {"ALLDATA.KWI", inRoot},
                                          {"DATA/SUB/Lower.kwi", deep},
                                          {"ROOT.KWI", fileContent(10, 8)}},
                                         "walk");
    ASSERT_TRUE(OpenISOImage(image));
    const struct {
        const char* path;
        const std::vector<uint8_t>* content; // nullptr: not in the image
    } cases[] = {
        {"data/alldata.kwi", &inData},
        {"D:\\DATA\\ALLDATA.KWI", &inData},
        {"\\Data\\AllData.Kwi", &inData},
        {"/DATA/ALLDATA.KWI", &inData},
        {"X:\\NOPE\\ALLDATA.KWI", &inRoot}, // no folder NOPE: looked up in the root
        {"ALLDATA.KWI", &inRoot},
        {"D:\\NOPE\\DATA\\SUB\\LOWER.KWI", &deep},
        {"data\\nope\\sub\\lower.KWI", &deep},
        {"SUB/LOWER.KWI", nullptr}, // SUB is not in the root, and the root has no LOWER.KWI
        {"NOPE.KWI", nullptr},
        {"DATA\\", nullptr},
        {"", nullptr},
        {"DATA", nullptr}, // a folder is not a file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ISOFileExists(c.path), c.content != nullptr);
        if (c.content) {
            TLN_FileStream s(c.path);
            EXPECT_EQ(readWhole(s), *c.content);
        } else {
            // A name that is not in the image does not fall back to the disk.
            EXPECT_THROW(TLN_FileStream{c.path}, EFOpenError);
        }
    }
}

TEST_F(ImageFileStreamTest, DataFolderFallsBackToTheRoot) {
    const auto content = fileContent(1234, 9);
    ASSERT_TRUE(OpenISOImage(buildImage({{"ALLDATA.KWI", content}}, "flat")));
    EXPECT_TRUE(ISOFileExists("D:\\DATA\\ALLDATA.KWI"));
    TLN_FileStream s("D:\\DATA\\ALLDATA.KWI");
    EXPECT_EQ(readWhole(s), content);
}

// While an image is mounted every name is looked up in it: the volume-set names and files on disk too.
TEST_F(ImageFileStreamTest, MountedImageDecidesTheMode) {
    const std::string folder = fixture::scratchDir("image-stream-disk");
    fixture::writeFile(folder + "/ONDISK.KWI", {1, 2, 3});
    const auto part = fileContent(500, 10);
    ASSERT_TRUE(OpenISOImage(buildImage({{"DATA/ALLDATA1.KWI", part}}, "mode")));
    TLN_FileStream set("D:\\DATA\\ALLDATA1.KWI");
    EXPECT_EQ(set.StreamMode(), TLN_FileStream::Mode::Image);
    EXPECT_EQ(set.GetFileName(), "ALLDATA1.KWI");
    EXPECT_EQ(readWhole(set), part);
    EXPECT_THROW(TLN_FileStream(folder + "/ONDISK.KWI"), EFOpenError);
    CloseISOImage();
    TLN_FileStream disk(folder + "/ONDISK.KWI");
    EXPECT_EQ(disk.StreamMode(), TLN_FileStream::Mode::PlainFile);
}

TEST_F(ImageFileStreamTest, StreamKeepsItsImageAliveAfterAnotherIsMounted) {
    const auto first = fileContent(70000, 11), second = fileContent(9000, 12);
    const std::string firstImage = buildImage({{"DATA/ALLDATA.KWI", first}}, "first");
    const std::string secondImage = buildImage({{"DATA/ALLDATA.KWI", second}}, "second");
    ASSERT_TRUE(OpenISOImage(firstImage));
    auto oldStream = std::make_unique<TLN_FileStream>("DATA/ALLDATA.KWI");
    std::weak_ptr<TISOImage> firstMount = GetISOImage();

    ASSERT_TRUE(OpenISOImage(secondImage));
    EXPECT_EQ(GetISOImageFileName(), secondImage);
    TLN_FileStream newStream("DATA/ALLDATA.KWI");
    EXPECT_EQ(readWhole(*oldStream), first);
    EXPECT_EQ(readWhole(newStream), second);

    CloseISOImage();
    EXPECT_FALSE(IsISOImageOpen());
    EXPECT_EQ(GetISOImageFileName(), "");
    EXPECT_EQ(readWhole(newStream), second);
    EXPECT_FALSE(firstMount.expired());
    oldStream.reset();
    EXPECT_TRUE(firstMount.expired()); // the last stream released the first image
}

// Readers keep reading on their threads while the user mounts and unmounts images.
TEST_F(ImageFileStreamTest, ReadsWhileImagesAreMountedAndUnmounted) {
    const auto first = fileContent(200000, 13);
    const std::string firstImage = buildImage({{"DATA/ALLDATA.KWI", first}}, "busy1");
    const std::string secondImage = buildImage({{"ROOT.KWI", fileContent(100, 14)}}, "busy2");
    ASSERT_TRUE(OpenISOImage(firstImage));
    TLN_FileStream stream("DATA/ALLDATA.KWI");
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&, t] {
            std::vector<uint8_t> buf(3001);
            for (int64_t i = 0; !stop; ++i) {
                const int64_t pos = (i * 7919 + t * 104729) % int64_t(first.size() - buf.size());
                if (stream.ReadAt(pos, buf.data(), int64_t(buf.size())) != int64_t(buf.size()) ||
                    !std::equal(buf.begin(), buf.end(), first.begin() + pos))
                    ++failures;
                (void)ISOFileExists("ROOT.KWI");
                (void)GetISOImageFileName();
            }
        });
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(OpenISOImage(i % 2 ? firstImage : secondImage));
        if (i % 3 == 0) CloseISOImage();
    }
    stop = true;
    for (auto& t : readers)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST_F(ImageFileStreamTest, FailedMountLeavesNothingMounted) {
    const std::string good = buildImage({{"ROOT.KWI", fileContent(10, 15)}}, "good");
    const std::string folder = fixture::scratchDir("image-stream-bad");
    fixture::writeFile(folder + "/empty.iso", {});
    fixture::writeFile(folder + "/zeros.iso", std::vector<uint8_t>(40000, 0));
    fixture::writeFile(folder + "/noise.iso", fileContent(100000, 16));
    auto cut = fixture::readFile(good);
    cut.resize(16 * 2048 + 100); // the primary descriptor itself is cut off
    fixture::writeFile(folder + "/cut.iso", cut);
    // 2336-byte sectors are recognised but not read: such an image does not mount.
    fixture::writeFile(folder + "/mode2.iso",
                       fixture::wrapIsoImage(fixture::readFile(good), fixture::IsoLayout::Mode2));
    for (const std::string& bad :
         {folder + "/missing.iso", folder, folder + "/empty.iso", folder + "/zeros.iso",
          folder + "/noise.iso", folder + "/cut.iso", folder + "/mode2.iso"}) {
        SCOPED_TRACE(bad);
        ASSERT_TRUE(OpenISOImage(good));
        EXPECT_FALSE(OpenISOImage(bad));
        EXPECT_FALSE(IsISOImageOpen());
        EXPECT_EQ(GetISOImage(), nullptr);
        EXPECT_EQ(GetISOImageFileName(), "");
        EXPECT_FALSE(ISOFileExists("ROOT.KWI"));
    }
}

TEST_F(ImageFileStreamTest, NothingMountedFindsNothing) {
    EXPECT_FALSE(IsISOImageOpen());
    EXPECT_EQ(GetISOImageFileName(), "");
    for (const char* path : {"ROOT.KWI", "D:\\DATA\\ALLDATA.KWI", "", "\\"})
        EXPECT_FALSE(ISOFileExists(path));
    CloseISOImage(); // unmounting with nothing mounted is harmless
    EXPECT_FALSE(IsISOImageOpen());
}
