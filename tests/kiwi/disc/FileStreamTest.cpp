// TLN_FileStream over plain files and numbered volume sets: the stream contract, part discovery, reads
// across parts and past the end, and damaged sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/disc/FileStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/StreamContract.h"

namespace {
int scratchCounter = 0;
std::string freshDir(const std::string& name) {
    return fixture::scratchDir("file-stream-" + name + "-" + std::to_string(scratchCounter++));
}

// Bytes [from, from + n) of the set's position-derived content.
std::vector<uint8_t> setBytes(uint64_t from, size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = fixture::positionByte(from + i);
    return v;
}

// Writes parts named names[i] with sizes[i] whose concatenation is the position-derived content.
void writeSet(const std::string& folder, const std::vector<std::string>& names,
              const std::vector<size_t>& sizes) {
    uint64_t offset = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        fixture::writeFile(folder + "/" + names[i], setBytes(offset, sizes[i]));
        offset += sizes[i];
    }
}

std::vector<uint8_t> readAll(TLN_Stream& s, int64_t position, int64_t count) {
    std::vector<uint8_t> out(size_t(count), 0);
    out.resize(size_t(s.ReadAt(position, out.data(), count)));
    return out;
}

std::shared_ptr<TLN_Stream> makePlain(const std::vector<uint8_t>& content) {
    const std::string path = freshDir("contract") + "/plain.kwi";
    fixture::writeFile(path, content);
    return std::make_shared<TLN_FileStream>(path);
}

// Three parts: two of the same size and a shorter last one, as the converter writes them.
std::shared_ptr<TLN_Stream> makeVolumeSet(const std::vector<uint8_t>& content) {
    const std::string folder = freshDir("contract");
    const size_t partSize = content.size() * 2 / 5;
    const size_t cuts[] = {0, partSize, 2 * partSize, content.size()};
    for (int i = 0; i < 3; ++i)
        fixture::writeFile(
            folder + "/ALLDATA" + std::to_string(i + 1) + ".KWI",
            std::vector<uint8_t>(content.begin() + long(cuts[i]), content.begin() + long(cuts[i + 1])));
    auto stream = std::make_shared<TLN_FileStream>(folder + "/ALLDATA1.KWI");
    EXPECT_EQ(stream->Parts().size(), 3u);
    return stream;
}

class FileStreamTest : public ::testing::Test {
protected:
    // Every mode decision depends on the mounted image; none may be left over from another test.
    void SetUp() override { CloseISOImage(); }
};
} // namespace

INSTANTIATE_TEST_SUITE_P(FileStreamPlain, StreamContract,
                         ::testing::Values(StreamFactory{"plain", makePlain}));
INSTANTIATE_TEST_SUITE_P(FileStreamVolumeSet, StreamContract,
                         ::testing::Values(StreamFactory{"volumeSet", makeVolumeSet}));

TEST_F(FileStreamTest, PlainFileModeAndName) {
    const std::string path = freshDir("plain") + "/SOME.KWI";
    writeSet(folderPart(path), {"SOME.KWI"}, {300});
    TLN_FileStream s(path);
    EXPECT_EQ(s.StreamMode(), TLN_FileStream::Mode::PlainFile);
    EXPECT_EQ(s.GetFileName(), path);
    EXPECT_EQ(s.FileName(), path);
    EXPECT_EQ(s.Size(), 300);
    EXPECT_THROW(TLN_FileStream(path + ".missing"), EFOpenError);
}

TEST_F(FileStreamTest, OpenKiwiFileReadsThroughAFileStream) {
    const std::string folder = freshDir("open");
    writeSet(folder, {"ALLDATA1.KWI", "ALLDATA2.KWI"}, {100, 50});
    auto stream = OpenKiwiFile(folder + "/ALLDATA1.KWI");
    // Readers get the decompressing stream, which reads an unlisted file through TLN_FileStream.
    auto* decompressing = dynamic_cast<TLN_DecompFileStream*>(stream.get());
    ASSERT_NE(decompressing, nullptr);
    EXPECT_FALSE(decompressing->Listed());
    auto* fileStream = dynamic_cast<TLN_FileStream*>(&decompressing->DataStream());
    ASSERT_NE(fileStream, nullptr);
    EXPECT_TRUE(fileStream->IsMultiVolume());
    EXPECT_EQ(stream->Size(), 150);
    EXPECT_EQ(fileStream->FileName(), "");
    EXPECT_EQ(stream->FileName(), folder + "/ALLDATA1.KWI"); // the decompressing stream keeps the name
}

// Which names start a set: the file-name component, exactly and case-sensitively.
TEST_F(FileStreamTest, VolumeSetTriggerIsTheExactFileName) {
    const struct {
        const char* name;
        bool volumeSet;
    } cases[] = {
        {"ALLDATA1.KWI", true},
        {"REGION1.KWI", true},
        {"x/y.z/ALLDATA1.KWI", true},
        {"D:\\DATA\\REGION1.KWI", true},
        {"alldata1.kwi", false},
        {"ALLDATA.KWI", false},
        {"ALLDATA2.KWI", false},
        {"XALLDATA1.KWI", false},
        {"ALLDATA1.KWI.BAK", false},
        {"ALLDATA1.KWI/", false},
        {"ALLDATA1.KWI/LOADING.KWI", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TLN_FileStream::IsVolumeSetName(c.name), c.volumeSet) << c.name;
}

TEST_F(FileStreamTest, LowerCaseFirstPartNameOpensAsPlainFile) {
    const std::string folder = freshDir("lower-plain");
    writeSet(folder, {"alldata1.kwi", "alldata2.kwi"}, {64, 32});
    TLN_FileStream s(folder + "/alldata1.kwi");
    EXPECT_EQ(s.StreamMode(), TLN_FileStream::Mode::PlainFile);
    EXPECT_EQ(s.Size(), 64);
}

// A set of two parts: part 2 beside part 1, no part 3; a read starting 40 bytes before the end of part 1.
TEST_F(FileStreamTest, ReadCrossesFromPartOneIntoPartTwo) {
    const std::string folder = freshDir("two");
    writeSet(folder, {"ALLDATA1.KWI", "ALLDATA2.KWI", "ALLDATA4.KWI"}, {1000, 700, 50});
    TLN_FileStream s(folder + "/ALLDATA1.KWI");
    ASSERT_EQ(s.Parts().size(), 2u); // part 3 is missing, so part 4 is not part of the set
    EXPECT_EQ(s.Size(), 1700);
    EXPECT_EQ(readAll(s, 960, 100), setBytes(960, 100));
}

TEST_F(FileStreamTest, ReadSpansThreeAndMoreParts) {
    const std::string folder = freshDir("many");
    writeSet(folder, {"REGION1.KWI", "REGION2.KWI", "REGION3.KWI", "REGION4.KWI"}, {10, 10, 10, 7});
    TLN_FileStream s(folder + "/REGION1.KWI");
    ASSERT_EQ(s.Parts().size(), 4u);
    EXPECT_EQ(readAll(s, 5, 20), setBytes(5, 20));  // parts 1, 2, 3
    EXPECT_EQ(readAll(s, 0, 37), setBytes(0, 37));  // all of them
    EXPECT_EQ(readAll(s, 3, 100), setBytes(3, 34)); // short at the end of the set
    EXPECT_EQ(readAll(s, 20, 1), setBytes(20, 1));  // first byte of part 3
    EXPECT_EQ(readAll(s, 19, 1), setBytes(19, 1));  // last byte of part 2
}

TEST_F(FileStreamTest, NinePartsAtMost) {
    const std::string folder = freshDir("nine");
    std::vector<std::string> names;
    for (int i = 1; i <= 9; ++i)
        names.push_back("ALLDATA" + std::to_string(i) + ".KWI");
    writeSet(folder, names, std::vector<size_t>(9, 11));
    fixture::writeFile(folder + "/ALLDATA10.KWI", std::vector<uint8_t>(5, 1));
    fixture::writeFile(folder + "/ALLDATA:.KWI", std::vector<uint8_t>(5, 1));
    TLN_FileStream s(folder + "/ALLDATA1.KWI");
    EXPECT_EQ(s.Parts().size(), 9u);
    EXPECT_EQ(s.Size(), 99);
    EXPECT_EQ(readAll(s, 0, 200), setBytes(0, 99));
}

// A dot in a folder name must not decide where the part digit is.
TEST_F(FileStreamTest, DottedFolderName) {
    const std::string folder = freshDir("dots") + "/disc.v2/DATA.1";
    writeSet(folder, {"ALLDATA1.KWI", "ALLDATA2.KWI", "ALLDATA3.KWI"}, {100, 100, 40});
    TLN_FileStream s(folder + "/ALLDATA1.KWI");
    ASSERT_EQ(s.Parts().size(), 3u);
    EXPECT_EQ(s.Parts()[2].fileName, folder + "/ALLDATA3.KWI");
    EXPECT_EQ(readAll(s, 0, 240), setBytes(0, 240));
}

TEST_F(FileStreamTest, EmptyFirstPart) {
    const std::string folder = freshDir("empty");
    writeSet(folder, {"ALLDATA1.KWI", "ALLDATA2.KWI", "ALLDATA3.KWI"}, {0, 100, 50});
    TLN_FileStream s(folder + "/ALLDATA1.KWI");
    ASSERT_EQ(s.Parts().size(), 3u);
    EXPECT_EQ(s.Size(), 150);
    EXPECT_EQ(readAll(s, 0, 150), setBytes(0, 150));
    EXPECT_EQ(readAll(s, 99, 2), setBytes(99, 2));
    EXPECT_EQ(s.Seek(120), 120);
    uint8_t b = 0;
    EXPECT_EQ(s.Read(&b, 1), 1);
    EXPECT_EQ(b, fixture::positionByte(120));
}

TEST_F(FileStreamTest, EmptyPartInTheMiddleAndAllEmpty) {
    const std::string folder = freshDir("middle");
    writeSet(folder, {"ALLDATA1.KWI", "ALLDATA2.KWI", "ALLDATA3.KWI"}, {30, 0, 30});
    TLN_FileStream s(folder + "/ALLDATA1.KWI");
    EXPECT_EQ(readAll(s, 10, 40), setBytes(10, 40));

    const std::string emptyFolder = freshDir("all-empty");
    writeSet(emptyFolder, {"REGION1.KWI", "REGION2.KWI"}, {0, 0});
    TLN_FileStream empty(emptyFolder + "/REGION1.KWI");
    EXPECT_EQ(empty.Size(), 0);
    uint8_t b[4];
    EXPECT_EQ(empty.ReadAt(0, b, 4), 0);
}

// Discs copied from a mounted DVD often have lower-case names: later parts match case-insensitively.
TEST_F(FileStreamTest, LowerCasePartNames) {
    const std::string folder = freshDir("lower");
    writeSet(folder, {"ALLDATA1.KWI", "alldata2.kwi", "AllData3.Kwi"}, {20, 20, 5});
    TLN_FileStream s(folder + "/ALLDATA1.KWI");
    ASSERT_EQ(s.Parts().size(), 3u);
    EXPECT_EQ(s.Parts()[1].fileName, folder + "/alldata2.kwi");
    EXPECT_EQ(readAll(s, 0, 45), setBytes(0, 45));

    // The fixed name asked for while the whole set is lower case on disk.
    const std::string allLower = freshDir("all-lower");
    writeSet(allLower, {"region1.kwi", "region2.kwi"}, {8, 8});
    TLN_FileStream r(allLower + "/REGION1.KWI");
    EXPECT_TRUE(r.IsMultiVolume());
    EXPECT_EQ(readAll(r, 0, 16), setBytes(0, 16));
}

TEST_F(FileStreamTest, ExactPartNameWinsOverOtherCases) {
    const std::string folder = freshDir("exact");
    writeSet(folder, {"REGION1.KWI", "REGION2.KWI"}, {10, 10});
    fixture::writeFile(folder + "/region2.kwi", std::vector<uint8_t>(500, 0xAA));
    TLN_FileStream s(folder + "/REGION1.KWI");
    EXPECT_EQ(s.Size(), 20);
    EXPECT_EQ(readAll(s, 0, 20), setBytes(0, 20));
}

TEST_F(FileStreamTest, MissingFirstPartRaisesOpenError) {
    const std::string folder = freshDir("missing");
    writeSet(folder, {"ALLDATA2.KWI"}, {10});
    EXPECT_THROW(TLN_FileStream(folder + "/ALLDATA1.KWI"), EFOpenError);
}

TEST_F(FileStreamTest, ReadsAtAndPastTheEndOfTheSet) {
    const std::string folder = freshDir("end");
    writeSet(folder, {"ALLDATA1.KWI", "ALLDATA2.KWI"}, {50, 30});
    TLN_FileStream s(folder + "/ALLDATA1.KWI");
    uint8_t buf[16];
    EXPECT_EQ(s.ReadAt(80, buf, 16), 0);
    EXPECT_EQ(s.ReadAt(1 << 30, buf, 16), 0);
    EXPECT_EQ(s.ReadAt(INT64_MAX - 4, buf, 16), 0);
    EXPECT_EQ(s.ReadAt(75, buf, 16), 5);
    EXPECT_EQ(s.Seek(0, SeekOrigin::End), 80);
    EXPECT_EQ(s.Seek(1000), 1000);
    EXPECT_EQ(s.Read(buf, 16), 0);
}

TEST_F(FileStreamTest, NegativeSeeksRaise) {
    const std::string folder = freshDir("seek");
    writeSet(folder, {"ALLDATA1.KWI", "ALLDATA2.KWI", "PLAIN.KWI"}, {50, 30, 10});
    for (const char* name : {"ALLDATA1.KWI", "PLAIN.KWI"}) {
        TLN_FileStream s(folder + "/" + name);
        EXPECT_THROW(s.Seek(-1), EReadError) << name;
        EXPECT_THROW(s.Seek(-1000, SeekOrigin::End), EReadError) << name;
        s.Seek(5);
        EXPECT_THROW(s.Seek(-6, SeekOrigin::Current), EReadError) << name;
        EXPECT_EQ(s.Position(), 5) << name;
        EXPECT_THROW(s.Seek(INT64_MAX, SeekOrigin::Current), EReadError) << name;
        EXPECT_EQ(s.Seek(-5, SeekOrigin::Current), 0) << name;
    }
}

// A part cut on disk after the set was opened: the set cannot deliver what its table promises.
TEST_F(FileStreamTest, PartShorterThanWhenOpenedRaisesWithItsName) {
    const std::string folder = freshDir("cut");
    writeSet(folder, {"ALLDATA1.KWI", "ALLDATA2.KWI", "ALLDATA3.KWI"}, {100, 100, 100});
    TLN_FileStream s(folder + "/ALLDATA1.KWI");
    ASSERT_EQ(truncate((folder + "/ALLDATA3.KWI").c_str(), 40), 0);
    ASSERT_EQ(truncate((folder + "/ALLDATA2.KWI").c_str(), 60), 0);
    EXPECT_EQ(readAll(s, 0, 160), setBytes(0, 160)); // still inside what part 2 holds
    uint8_t buf[300];
    try {
        s.ReadAt(150, buf, 100);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(std::string(e.what()), "File Read or File Size Error " + folder + "/ALLDATA2.KWI");
    }
    try {
        s.ReadAt(250, buf, 50);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(std::string(e.what()), "File Read or File Size Error " + folder + "/ALLDATA3.KWI");
    }
}

TEST_F(FileStreamTest, FolderNamedLikeAPartEndsTheSet) {
    const std::string folder = freshDir("folder-part");
    writeSet(folder, {"ALLDATA1.KWI"}, {10});
    std::filesystem::create_directory(folder + "/ALLDATA2.KWI");
    TLN_FileStream stream(folder + "/ALLDATA1.KWI");
    EXPECT_EQ(stream.Size(), 10);
    std::filesystem::create_directory(folder + "/REGION1.KWI");
    EXPECT_THROW(TLN_FileStream(folder + "/REGION1.KWI"), EFOpenError);
}
