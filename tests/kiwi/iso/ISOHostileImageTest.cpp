// Hand-made and hostile ISO images: loops, deep chains, records and extents past their bounds, broken
// descriptor sets and multi-extent files end with an error or a bounded tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <optional>

#include "kiwi/iso/ISOException.h"
#include "kiwi/iso/ISOImage.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoWriter.h"

using fixture::IsoWriter;
using Record = fixture::IsoWriter::Record;
using testing::Contains;
using testing::HasSubstr;
using testing::StrEq;
using testing::ThrowsMessage;

namespace {
constexpr uint8_t Dir = IsoWriter::DirectoryFlag;

// Descriptors at 16 and 17 and the root directory at 18.
IsoWriter imageWithRoot(uint32_t sectors, const std::vector<Record>& root) {
    IsoWriter iso(sectors);
    const uint32_t length = IsoWriter::directoryLength(root);
    iso.primary(16, 18, length);
    iso.terminator(17);
    iso.directory(18, 18, length, root);
    return iso;
}

struct OpenedImage {
    std::vector<std::string> log;
    std::string path;
    std::unique_ptr<TISOImage> image;
    const TDirectoryEntry* root() const { return image->Tree()->Root(); }
    bool logHas(const std::string& text) const {
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& l) { return l.find(text) != l.npos; });
    }
};

std::unique_ptr<OpenedImage> openImage(const std::vector<uint8_t>& bytes) {
    auto opened = std::make_unique<OpenedImage>();
    opened->path = fixture::scratchDir("iso-hostile") + "/image.iso";
    fixture::writeFile(opened->path, bytes);
    opened->image = std::make_unique<TISOImage>(opened->path, &opened->log);
    EXPECT_TRUE(opened->image->OpenImage());
    return opened;
}

std::vector<std::string> fileNames(const TDirectoryEntry* directory) {
    std::vector<std::string> names;
    for (int i = 0; i < directory->FileCount(); ++i)
        names.push_back(directory->GetFile(i)->Name());
    return names;
}
std::vector<std::string> directoryNames(const TDirectoryEntry* directory) {
    std::vector<std::string> names;
    for (int i = 0; i < directory->DirectoryCount(); ++i)
        names.push_back(directory->GetDirectory(i)->Name());
    return names;
}

TEST(ISOHostileImage, HandMadeTreeListsAndExtracts) {
    auto iso = imageWithRoot(30, {{"README.TXT;1", 20, 5000},
                                  {"EMPTY.BIN;1", 23, 0},
                                  {";1", 23, 10},
                                  {"", 23, 10},
                                  {"SUB;1", 19, 2048, Dir, 40}});
    iso.directory(19, 18, 2048, {{"A.B;1", 23, 7, 0, 60}, {"", 23, 7}, {"", 24, 2048, Dir}});
    const auto readme = fixture::patternBytes(5000, 7);
    iso.data(20, readme);
    iso.data(23, {1, 2, 3, 4, 5, 6, 7});
    auto opened = openImage(iso.bytes());
    EXPECT_EQ(fileNames(opened->root()), std::vector<std::string>{"README.TXT"});
    EXPECT_EQ(directoryNames(opened->root()), std::vector<std::string>{"SUB;1"}); // directory names keep ";"
    const TDirectoryEntry* sub = opened->root()->GetDirectory(0);
    EXPECT_EQ(fileNames(sub), std::vector<std::string>{"A.B"});
    EXPECT_EQ(sub->DirectoryCount(), 0);
    EXPECT_EQ(sub->GetFile(0)->GetDirectoryPath(), "SUB;1\\");

    const std::string target = fixture::scratchDir("iso-hostile-extract") + "/readme.txt";
    ASSERT_TRUE(opened->image->ExtractFile(opened->root()->GetFile(0), target));
    EXPECT_EQ(fixture::readFile(target), readme); // three sectors read, 5000 bytes written
}

TEST(ISOHostileImage, DirectoriesPointingBackAreSkipped) {
    auto iso = imageWithRoot(30, {{"A", 19, 2048, Dir}, {"LOOP", 18, 2048, Dir}});
    iso.directory(19, 18, 2048, {{"BACK", 18, 2048, Dir}, {"SELF", 19, 2048, Dir}, {"FILE.TXT;1", 20, 5}});
    auto opened = openImage(iso.bytes());
    EXPECT_EQ(directoryNames(opened->root()), std::vector<std::string>{"A"});
    const TDirectoryEntry* a = opened->root()->GetDirectory(0);
    EXPECT_EQ(a->DirectoryCount(), 0);
    EXPECT_EQ(fileNames(a), std::vector<std::string>{"FILE.TXT"});
    EXPECT_TRUE(opened->logHas("\"BACK\" skipped: extent 18 already visited"));
    EXPECT_TRUE(opened->logHas("\"SELF\" skipped: extent 19 already visited"));
    EXPECT_TRUE(opened->logHas("\"LOOP\" skipped: extent 18 already visited"));
}

TEST(ISOHostileImage, DeepChainsStopAtTheDepthLimit) {
    constexpr uint32_t Depth = 1000;
    auto iso = imageWithRoot(20 + Depth + 2, {{"D", 19, 2048, Dir}});
    const uint32_t dataSector = 20 + Depth;
    for (uint32_t level = 0; level < Depth; ++level) {
        const uint32_t extent = 19 + level;
        iso.directory(extent, extent - 1, 2048, {{"D", extent + 1, 2048, Dir}, {"F.TXT;1", dataSector, 10}});
    }
    auto opened = openImage(iso.bytes());
    int depth = 0;
    for (const TDirectoryEntry* d = opened->root(); d->DirectoryCount() > 0; d = d->GetDirectory(0)) {
        ++depth;
        EXPECT_EQ(d->GetDirectory(0)->FileCount(), 1);
    }
    EXPECT_EQ(depth, TISOImage::MaxDirectoryDepth);
    EXPECT_TRUE(opened->logHas("nested deeper than 64 levels"));
}

TEST(ISOHostileImage, RecordsRunningPastTheSectorEndAreSectorPadding) {
    IsoWriter iso(30);
    iso.primary(16, 18, 4096);
    iso.terminator(17);
    uint64_t at = 18 * 2048;
    at += iso.record(at, std::string(1, '\0'), 18, 4096, Dir);
    at += iso.record(at, std::string(1, '\1'), 18, 4096, Dir);
    iso.record(at, "A.TXT;1", 20, 3, 0);
    // At 2000: a record whose name (100 bytes) runs past the sector, hiding a valid-looking record.
    auto& bytes = iso.bytes();
    bytes[18 * 2048 + 2000] = 40;
    bytes[18 * 2048 + 2000 + 32] = 100;
    iso.record(18 * 2048 + 1800, "HIDDEN.TXT;1", 20, 3, 0); // behind a record of length 0 at 1700
    at = 19 * 2048;
    at += iso.record(at, "LAST.TXT;1", 20, 3, 0);
    bytes[19 * 2048 + 2000] = 200; // a record length past the sector end
    bytes[19 * 2048 + 2000 + 32] = 1;
    bytes[19 * 2048 + 2000 + 33] = 'X';
    auto opened = openImage(bytes);
    EXPECT_EQ(fileNames(opened->root()), (std::vector<std::string>{"A.TXT", "LAST.TXT"}));
}

TEST(ISOHostileImage, ExtentsBeyondTheImageStopTheirBranch) {
    auto iso = imageWithRoot(20, {{"HUGE", 19, 0xFFFFFFFFu, Dir},
                                  {"FAR", 5000, 2048, Dir},
                                  {"FAR.BIN;1", 5000, 100},
                                  {"EDGE.BIN;1", 19, 4096},
                                  {"OK.BIN;1", 19, 2048},
                                  {"WRAP.BIN;1", 0xFFFFFFFFu, 0xFFFFFFFFu}});
    auto opened = openImage(iso.bytes());
    EXPECT_EQ(fileNames(opened->root()), std::vector<std::string>{"OK.BIN"});
    EXPECT_TRUE(opened->root()->DirectoryCount() == 0);
    EXPECT_TRUE(
        opened->logHas("directory \"HUGE\" skipped: extent 19 with 4294967295 bytes lies beyond the image"));
    EXPECT_TRUE(opened->logHas("file \"FAR.BIN\" skipped"));
    EXPECT_TRUE(opened->logHas("file \"EDGE.BIN\" skipped"));

    // An entry that never came from the walk: extraction refuses it and leaves the target alone.
    TDataTree tree;
    TDirectoryRecordHeader header{};
    header[3] = 0x13; // extent 0x1300, little-endian half
    header[10] = 100;
    const TFileEntry* far = TFileEntry::Create(tree.Root(), "FAR.BIN", header);
    const std::string folder = fixture::scratchDir("iso-hostile-far");
    EXPECT_FALSE(opened->image->ExtractFile(far, folder + "/new.bin"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(folder + "/new.bin")));
    fixture::writeFile(folder + "/old.bin", {9, 9});
    EXPECT_FALSE(opened->image->ExtractFile(far, folder + "/old.bin"));
    EXPECT_EQ(fixture::readFile(folder + "/old.bin"), (std::vector<uint8_t>{9, 9}));
    uint8_t buffer[100];
    EXPECT_EQ(opened->image->ReadFileData(*far, 0, buffer, 100), 0);
}

TEST(ISOHostileImage, OverlappingDirectoriesCannotMultiplyTheWork) {
    // Sixty directories starting one sector apart, each running to the end of the image: walked in
    // full they would read its sectors sixty times over.
    constexpr uint32_t Sectors = 200;
    std::vector<Record> root;
    for (uint32_t i = 0; i < 60; ++i)
        root.push_back({"D" + std::to_string(i), 30 + i, (Sectors - 30 - i) * 2048, Dir});
    auto opened = openImage(imageWithRoot(Sectors, root).bytes());
    EXPECT_LT(opened->root()->DirectoryCount(), 60);
    EXPECT_GT(opened->root()->DirectoryCount(), 0);
    EXPECT_TRUE(opened->logHas("more directory sectors than the image holds: walk stopped"));
}

// Not an empty tree, as if the disc held nothing: the "." record at sector 18 gives no length to read
// the root with.
TEST(ISOHostileImage, RootBeyondTheImageWithoutAnOwnLengthInsideItIsRefused) {
    const std::optional<uint32_t> ownLengths[] = {std::nullopt, 0xFFFFFFFFu, 20 * 2048, 0};
    for (const std::optional<uint32_t>& ownLength : ownLengths) {
        IsoWriter iso(20);
        iso.primary(16, 18, 0xFFFFFFFFu);
        iso.terminator(17);
        if (ownLength) iso.record(18 * 2048, std::string(1, '\0'), 18, *ownLength, Dir);
        const std::string path = fixture::scratchDir("iso-hostile") + "/root.iso";
        fixture::writeFile(path, iso.bytes());
        TISOImage image(path);
        EXPECT_THAT([&] { image.OpenImage(); },
                    ThrowsMessage<EISOLibImageException>(
                        StrEq("root directory at sector 18 with 4294967295 bytes lies beyond the image, and "
                              "its own \".\" record gives no length inside it")))
            << ownLength.value_or(1);
    }
}

TEST(ISOHostileImage, MultiExtentFilesAreNotListed) {
    auto iso = imageWithRoot(30, {{"MULTI.BIN;1", 19, 2048, IsoWriter::MultiExtentFlag},
                                  {"MULTI.BIN;1", 20, 2048, IsoWriter::MultiExtentFlag},
                                  {"MULTI.BIN;1", 21, 100},
                                  {"AFTER.TXT;1", 22, 5}});
    auto opened = openImage(iso.bytes());
    EXPECT_EQ(fileNames(opened->root()), std::vector<std::string>{"AFTER.TXT"});
    EXPECT_EQ(std::count(opened->log.begin(), opened->log.end(),
                         "ParseDirectory(): multi-extent file \"MULTI.BIN;1\" not listed"),
              1);
}

TEST(ISOHostileImage, BrokenDescriptorSetsFailToOpen) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    std::vector<Case> cases;
    {
        IsoWriter iso(20); // a supplementary descriptor only
        iso.descriptor(16, 2, 18, 2048);
        iso.terminator(17);
        cases.push_back({"no primary", iso.bytes(), "no primary volume descriptor found!"});
    }
    {
        IsoWriter iso(20);
        iso.terminator(16);
        cases.push_back({"terminator only", iso.bytes(), "no primary volume descriptor found!"});
    }
    {
        IsoWriter iso(17); // the image ends after the primary descriptor
        iso.primary(16, 18, 2048);
        cases.push_back({"ends after primary", iso.bytes(), "no volume descriptor set terminator found!"});
    }
    {
        IsoWriter iso(200); // more descriptors than any set holds
        iso.primary(16, 18, 2048);
        for (uint32_t s = 17; s < 200; ++s)
            iso.descriptor(s, 3);
        iso.terminator(199);
        cases.push_back({"endless set", iso.bytes(), "no volume descriptor set terminator found!"});
    }
    for (const Case& c : cases) {
        const std::string path = fixture::scratchDir("iso-hostile-descriptors") + "/image.iso";
        fixture::writeFile(path, c.bytes);
        std::vector<std::string> log;
        TISOImage image(path, &log);
        EXPECT_THAT([&] { image.OpenImage(); }, ThrowsMessage<EISOLibImageException>(StrEq(c.message)))
            << c.what;
        EXPECT_LE(log.size(), 5u + TISOImage::MaxVolumeDescriptors) << c.what;
        EXPECT_EQ(image.Tree()->Root()->FileCount(), 0) << c.what;
    }
}

TEST(ISOHostileImage, ShortFilesAreUnknownFormats) {
    const std::string path = fixture::scratchDir("iso-hostile-short") + "/short.iso";
    std::vector<uint8_t> bytes(32768 + 6, 0);
    std::copy_n("\1CD001", 6, bytes.begin() + 32768);
    bytes.pop_back(); // 32773 bytes: the identifier is one byte short of complete
    fixture::writeFile(path, bytes);
    TISOImage image(path);
    EXPECT_THAT([&] { image.OpenImage(); },
                ThrowsMessage<EISOImageHandlerException>(StrEq("unkown image format!")));
}

TEST(ISOHostileImage, EntryCountIsBounded) {
    // One directory of a million and one records, all naming the same data sector.
    constexpr uint32_t Entries = TISOImage::MaxDirectoryEntries + 1;
    constexpr uint32_t PerSector = 2048 / 36; // "A;1": 33 + 3 bytes
    const uint32_t directorySectors = (Entries + 2 + PerSector - 1) / PerSector + 1;
    const uint32_t dataSector = 19 + directorySectors;
    IsoWriter iso(dataSector + 1);
    iso.primary(16, 18, directorySectors * 2048);
    iso.terminator(17);
    uint64_t at = 18 * 2048;
    uint32_t inSector = 0;
    auto place = [&](const std::string& name, uint32_t extent, uint32_t length, uint8_t flags) {
        if (inSector + IsoWriter::recordLength(name) > 2048) {
            at += 2048 - inSector;
            inSector = 0;
        }
        const size_t size = iso.record(at, name, extent, length, flags);
        at += size;
        inSector += uint32_t(size);
    };
    place(std::string(1, '\0'), 18, directorySectors * 2048, Dir);
    place(std::string(1, '\1'), 18, directorySectors * 2048, Dir);
    for (uint32_t i = 0; i < Entries; ++i)
        place("A;1", dataSector, 1, 0);
    auto opened = openImage(iso.bytes());
    EXPECT_EQ(opened->root()->FileCount(), TISOImage::MaxDirectoryEntries);
    EXPECT_TRUE(opened->logHas("more than 1000000 entries: walk stopped"));
}
} // namespace
