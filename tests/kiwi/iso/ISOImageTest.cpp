// The ISO reader against images made by xorriso, in every stored layout: the listing equals xorriso's,
// extracted files and positioned reads equal the sources, and the open log describes the layout.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <algorithm>
#include <cstring>
#include <map>
#include <thread>

#include "kiwi/iso/ISOException.h"
#include "kiwi/iso/ISOImage.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/IsoWriter.h"

using fixture::IsoLayout;
using fixture::IsoListedFile;

namespace {
struct XorrisoImage {
    std::string sourceFolder;
    std::vector<uint8_t> plain;
    std::vector<IsoListedFile> xorrisoFiles;
    std::map<std::string, std::string> sourceByIsoPath; // upper-case "DIR/NAME" → source file
};

// Several folders, nested folders, a zero-length file, multi-sector files, a 120-entry folder (its
// directory spans several sectors) and a lower-case folder that the ISO tree holds in upper case.
const XorrisoImage& xorrisoImage() {
    static const XorrisoImage image = [] {
        XorrisoImage built;
        const std::string root = fixture::scratchDir("iso-xorriso");
        built.sourceFolder = root + "/source";
        const std::vector<std::pair<std::string, size_t>> files = {{"README.TXT", 6},
                                                                   {"EMPTY.BIN", 0},
                                                                   {"LARGE.BIN", 1572864 + 7},
                                                                   {"DATA/BIG.BIN", 10000},
                                                                   {"DATA/EXACT.BIN", 4096},
                                                                   {"DATA/SUB/NOTE.TXT", 100},
                                                                   {"DATA/SUB/DEEP/LEVEL4/X.KWI", 5000},
                                                                   {"TOP2/ONE.BIN", 2049},
                                                                   {"lower/mixed.txt", 33}};
        uint32_t seed = 1;
        for (const auto& [name, size] : files)
            fixture::writeFile(built.sourceFolder + "/" + name, fixture::patternBytes(size, seed++));
        for (int i = 1; i <= 120; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "MAPS/M%03d.DAT", i);
            fixture::writeFile(built.sourceFolder + "/" + name, fixture::patternBytes(size_t(i), seed++));
        }
        const QString source = QString::fromStdString(built.sourceFolder);
        for (QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            built.sourceByIsoPath[QDir(source).relativeFilePath(path).toUpper().toStdString()] =
                path.toStdString();
        }
        const std::string imagePath = root + "/plain.iso";
        fixture::makeIsoWithXorriso(built.sourceFolder, imagePath);
        built.plain = fixture::readFile(imagePath);
        built.xorrisoFiles = fixture::xorrisoListing(imagePath);
        return built;
    }();
    return image;
}

std::vector<IsoListedFile> readerListing(const TDirectoryEntry* directory) {
    std::vector<IsoListedFile> files;
    for (int i = 0; i < directory->FileCount(); ++i) {
        const TFileEntry* f = directory->GetFile(i);
        files.push_back({f->GetDirectoryPath(), f->Name(), f->DataLength()});
    }
    for (int i = 0; i < directory->DirectoryCount(); ++i) {
        const auto sub = readerListing(directory->GetDirectory(i));
        files.insert(files.end(), sub.begin(), sub.end());
    }
    return files;
}

const TFileEntry* findFile(const TDirectoryEntry* root, const std::string& folder, const std::string& name) {
    const TDirectoryEntry* directory = root;
    for (size_t start = 0; start < folder.size();) {
        const size_t end = folder.find('\\', start);
        const std::string component = folder.substr(start, end - start);
        const TDirectoryEntry* next = nullptr;
        for (int i = 0; i < directory->DirectoryCount(); ++i)
            if (directory->GetDirectory(i)->Name() == component) next = directory->GetDirectory(i);
        if (!next) return nullptr;
        directory = next;
        start = end + 1;
    }
    for (int i = 0; i < directory->FileCount(); ++i)
        if (directory->GetFile(i)->Name() == name) return directory->GetFile(i);
    return nullptr;
}

std::string sourceOf(const IsoListedFile& file) {
    std::string key = file.folder + file.name;
    std::replace(key.begin(), key.end(), '\\', '/');
    const auto& map = xorrisoImage().sourceByIsoPath;
    const auto it = map.find(key);
    return it == map.end() ? std::string() : it->second;
}

class XorrisoLayout : public testing::TestWithParam<IsoLayout> {
protected:
    void SetUp() override {
        KIWI_NEED_XORRISO();
        folder = fixture::scratchDir(std::string("iso-layout-") + fixture::layoutName(GetParam()));
        imagePath = folder + "/image.img";
        fixture::writeFile(imagePath, fixture::wrapIsoImage(xorrisoImage().plain, GetParam()));
    }
    std::string folder;
    std::string imagePath;
};

TEST_P(XorrisoLayout, ListingEqualsXorrisoListing) {
    TISOImage image(imagePath);
    ASSERT_TRUE(image.OpenImage());
    auto listed = readerListing(image.Tree()->Root());
    std::sort(listed.begin(), listed.end());

    // Zero-length files are not listed by the reader; xorriso lists them.
    std::vector<IsoListedFile> expected;
    for (const auto& f : xorrisoImage().xorrisoFiles)
        if (f.size != 0) expected.push_back(f);
    EXPECT_EQ(expected.size() + 1, xorrisoImage().xorrisoFiles.size());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(expected.size(), 128u);
    EXPECT_NE(findFile(image.Tree()->Root(), "LOWER\\", "MIXED.TXT"), nullptr); // the ISO name, not Joliet's
}

TEST_P(XorrisoLayout, ExtractedFilesEqualTheirSources) {
    TISOImage image(imagePath);
    ASSERT_TRUE(image.OpenImage());
    const auto listed = readerListing(image.Tree()->Root());
    ASSERT_FALSE(listed.empty());
    for (const auto& file : listed) {
        const TFileEntry* entry = findFile(image.Tree()->Root(), file.folder, file.name);
        ASSERT_NE(entry, nullptr) << file.folder << file.name;
        const std::string target = folder + "/extracted.bin";
        ASSERT_TRUE(image.ExtractFile(entry, target)) << file.folder << file.name;
        const std::string source = sourceOf(file);
        ASSERT_FALSE(source.empty()) << file.folder << file.name;
        EXPECT_EQ(fixture::readFile(target), fixture::readFile(source)) << file.folder << file.name;
    }
}

TEST_P(XorrisoLayout, PositionedReadsStayInsideTheFile) {
    TISOImage image(imagePath);
    ASSERT_TRUE(image.OpenImage());
    for (const char* name : {"LARGE.BIN", "DATA\\BIG.BIN", "TOP2\\ONE.BIN"}) {
        const std::string path(name);
        const size_t cut = path.rfind('\\');
        const IsoListedFile key{cut == std::string::npos ? "" : path.substr(0, cut + 1),
                                cut == std::string::npos ? path : path.substr(cut + 1), 0};
        const TFileEntry* entry = findFile(image.Tree()->Root(), key.folder, key.name);
        ASSERT_NE(entry, nullptr) << name;
        const auto source = fixture::readFile(sourceOf(key));
        const int64_t length = int64_t(source.size());
        ASSERT_EQ(entry->DataLength(), source.size());
        struct Slice {
            int64_t position, count, delivered;
        };
        const std::vector<Slice> slices = {{0, 1, 1},
                                           {2040, 20, 20},
                                           {2047, 2050, 2050},
                                           {0, length, length},
                                           {length - 5, 100, 5},
                                           {length, 10, 0},
                                           {length + 5000, 10, 0},
                                           {-1, 10, 0},
                                           {3, 0, 0}};
        for (const Slice& s : slices) {
            if (s.position + s.delivered > length) continue; // slices sized for the larger files
            std::vector<uint8_t> buffer(size_t(std::max<int64_t>(s.count, 1)), 0xEE);
            EXPECT_EQ(image.ReadFileData(*entry, s.position, buffer.data(), s.count), s.delivered)
                << name << " at " << s.position;
            if (s.delivered > 0) {
                EXPECT_TRUE(
                    std::equal(buffer.begin(), buffer.begin() + s.delivered, source.begin() + s.position))
                    << name << " at " << s.position;
            }
            if (s.count > s.delivered) {
                EXPECT_EQ(buffer[size_t(s.delivered)], 0xEE) << "wrote past the file";
            }
        }
    }
}

TEST_P(XorrisoLayout, ConcurrentReadsShareNoPosition) {
    TISOImage image(imagePath);
    ASSERT_TRUE(image.OpenImage());
    const TFileEntry* entry = findFile(image.Tree()->Root(), "", "LARGE.BIN");
    ASSERT_NE(entry, nullptr);
    const auto source = fixture::readFile(sourceOf({"", "LARGE.BIN", 0}));
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            std::vector<uint8_t> buffer(3000);
            for (int64_t position = t * 977; position + 3000 <= int64_t(source.size());
                 position += 4 * 5003) {
                if (image.ReadFileData(*entry, position, buffer.data(), 3000) != 3000 ||
                    !std::equal(buffer.begin(), buffer.end(), source.begin() + position))
                    ++mismatches[size_t(t)];
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

INSTANTIATE_TEST_SUITE_P(Layouts, XorrisoLayout,
                         testing::Values(IsoLayout::Plain, IsoLayout::LeadingBlock, IsoLayout::RawMode1,
                                         IsoLayout::RawMode1LeadingBlock),
                         [](const auto& instance) {
                             return std::string(fixture::layoutName(instance.param));
                         });

class XorrisoImageTest : public testing::Test {
protected:
    void SetUp() override { KIWI_NEED_XORRISO(); }
    std::string writeLayout(IsoLayout layout) {
        const std::string path =
            fixture::scratchDir("iso-image") + "/" + fixture::layoutName(layout) + ".img";
        fixture::writeFile(path, fixture::wrapIsoImage(xorrisoImage().plain, layout));
        return path;
    }
};

TEST_F(XorrisoImageTest, OpenLogDescribesTheLayout) {
    struct Case {
        IsoLayout layout;
        const char* data;
        const char* offset;
    };
    for (const Case& c :
         {Case{IsoLayout::Plain, "sector", "0"}, Case{IsoLayout::LeadingBlock, "sector", "307200"},
          Case{IsoLayout::RawMode1, "RAW", "0"}}) {
        const std::string path = writeLayout(c.layout);
        std::vector<std::string> log;
        TISOImage image(path, &log);
        ASSERT_TRUE(image.OpenImage());
        ASSERT_GE(log.size(), 9u);
        const std::vector<std::string> head(log.begin(), log.begin() + 5);
        EXPECT_EQ(head,
                  (std::vector<std::string>{"OpenImage(): file \"" + path + "\" opened...",
                                            std::string("OpenImage(): image contains ") + c.data + " data",
                                            "OpenImage(): image contains yellow book mode 1 data",
                                            "OpenImage(): user data sector size is 2048 bytes",
                                            std::string("OpenImage(): image data offset in image file is ") +
                                                c.offset + " bytes"}));
        EXPECT_EQ(log[5], "OpenImage(): Primary Volume Descriptor found");
        EXPECT_EQ(log[6], "OpenImage(): Supplementary Volume Descriptor found"); // Joliet, present but unused
        EXPECT_EQ(log[7], "ParseDirectory(): parsing directory using primary volume descriptor...");
        EXPECT_THAT(log[8], testing::StartsWith("ParseDirectory(): directory sector "));
    }
}

TEST_F(XorrisoImageTest, Mode2ImagesAreRefusedAfterTheLayoutLines) {
    std::vector<std::string> log;
    TISOImage image(writeLayout(IsoLayout::Mode2), &log);
    EXPECT_FALSE(image.OpenImage());
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[2], "OpenImage(): image contains yellow book mode 2 data");
    EXPECT_EQ(log[3], "OpenImage(): user data sector size is 2336 bytes");
    EXPECT_EQ(log[5], "OpenImage(): sorry, but sector size other than 2048 bytes are not yet supported...");
    EXPECT_EQ(image.Tree()->Root()->FileCount(), 0);
    EXPECT_EQ(image.Tree()->Root()->DirectoryCount(), 0);
}

TEST_F(XorrisoImageTest, VersionSuffixesAreCutAndLongDirectoriesRead) {
    const auto& plain = xorrisoImage().plain;
    const char stored[] = "README.TXT;1";
    EXPECT_NE(std::search(plain.begin(), plain.end(), stored, stored + 12),
              plain.end()); // as the image holds it
    TISOImage image(writeLayout(IsoLayout::Plain));
    ASSERT_TRUE(image.OpenImage());
    EXPECT_NE(findFile(image.Tree()->Root(), "", "README.TXT"), nullptr);
    const TDirectoryEntry* maps = nullptr;
    for (int i = 0; i < image.Tree()->Root()->DirectoryCount(); ++i)
        if (image.Tree()->Root()->GetDirectory(i)->Name() == "MAPS")
            maps = image.Tree()->Root()->GetDirectory(i);
    ASSERT_NE(maps, nullptr);
    EXPECT_GT(maps->DataLength(), 2048u);
    EXPECT_EQ(maps->FileCount(), 120);
}

TEST_F(XorrisoImageTest, ExtractionReplacesTargetsOnlyOnSuccess) {
    TISOImage image(writeLayout(IsoLayout::RawMode1));
    ASSERT_TRUE(image.OpenImage());
    const TFileEntry* big = findFile(image.Tree()->Root(), "DATA\\", "BIG.BIN");
    ASSERT_NE(big, nullptr);
    const std::string folder = fixture::scratchDir("iso-extract-target");
    const std::string target = folder + "/target.bin";
    fixture::writeFile(target, {1, 2, 3});
    EXPECT_TRUE(image.ExtractFile(big, target));
    EXPECT_EQ(fixture::readFile(target).size(), 10000u);
    EXPECT_FALSE(image.ExtractFile(nullptr, target));
    EXPECT_FALSE(image.ExtractFile(big, folder + "/no/such/folder/x.bin"));
    EXPECT_EQ(fixture::readFile(target).size(), 10000u);
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::Files).size(), 1); // no temporary left
}

TEST_F(XorrisoImageTest, CloseReturnsToTheUnopenedState) {
    const std::string path = writeLayout(IsoLayout::Plain);
    TISOImage image(path);
    ASSERT_TRUE(image.OpenImage());
    const TFileEntry copy = *findFile(image.Tree()->Root(), "", "README.TXT");
    image.CloseImage();
    EXPECT_EQ(image.FileName(), "");
    EXPECT_EQ(image.Tree()->Root()->FileCount(), 0);
    uint8_t byte = 0;
    EXPECT_THROW(image.ReadFileData(copy, 0, &byte, 1), EISOLibImageException);
    EXPECT_FALSE(image.ExtractFile(&copy, fixture::scratchDir("iso-closed") + "/x"));
}

TEST(ISOImage, MissingImageFileIsLoggedAndRaised) {
    std::vector<std::string> log;
    TISOImage image("/nonexistent/folder/disc.iso", &log);
    EXPECT_THAT([&] { image.OpenImage(); },
                testing::ThrowsMessage<EISOLibImageException>(testing::StrEq("image file not found")));
    EXPECT_EQ(log, std::vector<std::string>{"OpenImage(): file \"/nonexistent/folder/disc.iso\" not found"});
}
} // namespace
