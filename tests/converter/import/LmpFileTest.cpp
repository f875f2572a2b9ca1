// Compiled building data files: saved and loaded back equal, older unpadded files re-padded, appending
// keeping the union of both boxes, and every malformed file refused with the buffer untouched.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>
#include <fstream>

#include "converter/import/LmpFile.h"
#include "converter/import/MpImporter.h"

using namespace building_data;

namespace {

std::vector<uint8_t> sample() {
    std::vector<uint8_t> data;
    mp_import::MpImporter importer(data, {});
    importer.ImportText("[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\n[END]\n"
                        "[POI]\nType=0x3300\nLabel=12\xC0\nData0=(55.75007,37.6001)\n[END]\n"
                        "[POI]\nType=0x3300\nLabel=1234\nData0=(55.76,37.6001)\n[END]\n",
                        "s.mp", true);
    return data;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The same records with each label stored as its bytes alone.
std::vector<uint8_t> unpadded(const std::vector<uint8_t>& padded) {
    std::vector<uint8_t> out(padded.begin(), padded.begin() + 16);
    ForEachRecord(padded, [&](const RecordView& r) {
        out.insert(out.end(), r.bytes, r.bytes + 4 + size_t(r.count) * 8 + r.labelLength);
    });
    return out;
}

} // namespace

TEST(LmpFile, SavedDataLoadsBackEqualAndNoTemporaryStays) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("map.lmp").toStdString();
    const std::vector<uint8_t> data = sample();
    SaveLmp(path, data);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path + ".part")));
    std::vector<uint8_t> loaded{1, 2, 3};
    const LmpLoadResult result = LoadLmp(loaded, path, LmpLoadMode::Replace);
    ASSERT_TRUE(result.ok) << result.error.English();
    EXPECT_EQ(loaded, data);
    EXPECT_EQ(result.recordsAdded, 3u);
    EXPECT_EQ(ProposedLmpName("/maps/Moscow.City.mp"), "/maps/Moscow.City.lmp");
    EXPECT_EQ(ProposedLmpName("/maps.d/moscow"), "/maps.d/moscow.lmp");
}

TEST(LmpFile, AnUnpaddedFileIsRepaddedAndLayoutsAreToldApart) {
    const std::vector<uint8_t> padded = sample();
    const std::vector<uint8_t> plain = unpadded(padded);
    ASSERT_NE(plain.size(), padded.size());
    EXPECT_EQ(CheckLmp(padded).layout, LmpLayout::Padded);
    EXPECT_EQ(CheckLmp(plain).layout, LmpLayout::Unpadded);
    QTemporaryDir dir;
    const std::string path = dir.filePath("old.lmp").toStdString();
    writeBytes(path, plain);
    std::vector<uint8_t> loaded;
    ASSERT_TRUE(LoadLmp(loaded, path, LmpLoadMode::Replace).ok);
    EXPECT_EQ(loaded, padded);
}

TEST(LmpFile, AppendingKeepsEarlierRecordsAndTheUnionOfBoxes) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("far.lmp").toStdString();
    std::vector<uint8_t> far;
    mp_import::MpImporter importer(far, {});
    importer.ImportText("[POLYGON]\nType=0x01\nData0=(56,38),(56,38.1),(56.1,38.1)\n[END]\n", "f.mp", true);
    SaveLmp(path, far);
    std::vector<uint8_t> data = sample();
    const std::vector<uint8_t> before = data;
    const LmpLoadResult result = LoadLmp(data, path, LmpLoadMode::Append);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(data.size(), before.size() + far.size() - 16);
    EXPECT_TRUE(std::equal(before.begin() + 16, before.end(), data.begin() + 16));
    Box expected = ReadBox(before);
    expected.Widen(ReadBox(far));
    EXPECT_EQ(ReadBox(data), expected);
    EXPECT_EQ(result.box, expected);
    EXPECT_EQ(expected.west, ReadBox(before).west);
    EXPECT_EQ(expected.east, ReadBox(far).east);
}

TEST(LmpFile, MalformedFilesAreRefusedAndTheBufferStaysAsItWas) {
    const std::vector<uint8_t> good = sample();
    const auto with = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = good;
        bytes[at] = value;
        return bytes;
    };
    // The first point's longitude (little-endian, before its latitude) set to x map units.
    const auto withLongitude = [&](int32_t x) {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[16 + 4 + size_t(i)] = uint8_t(uint32_t(x) >> (8 * i));
        return bytes;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"shorter than the box", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
        {"a record past the end", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"a header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 18)},
        {"no points", with(16, 0)},
        {"an unknown kind", with(18, 0x22)},
        {"an outline with a label", with(19, 2)},
        {"a house number label above 6",
         [&] {
             std::vector<uint8_t> bytes = unpadded(good);
             bytes[16 + 28 + 3] = 7;
             return bytes;
         }()},
        {"a point off the globe", with(16 + 4 + 3, 0x7F)},
        {"a point one unit east of 180 degrees", withLongitude(180 * 460800 + 1)},
        {"a point one unit west of -180 degrees", withLongitude(-180 * 460800 - 1)},
        {"trailing bytes",
         [&] {
             std::vector<uint8_t> bytes = good;
             bytes.push_back(0);
             return bytes;
         }()},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.filePath("bad.lmp").toStdString();
        writeBytes(path, c.bytes);
        EXPECT_FALSE(CheckLmp(c.bytes).layout.has_value()) << c.what;
        for (const LmpLoadMode mode : {LmpLoadMode::Replace, LmpLoadMode::Append}) {
            std::vector<uint8_t> data = good;
            const LmpLoadResult result = LoadLmp(data, path, mode);
            EXPECT_FALSE(result.ok) << c.what;
            EXPECT_TRUE(result.error);
            EXPECT_EQ(data, good) << c.what;
        }
    }
    for (const int32_t x : {-180 * 460800, 180 * 460800})
        EXPECT_TRUE(CheckLmp(withLongitude(x)).layout.has_value()) << x;
    std::vector<uint8_t> data = good;
    EXPECT_FALSE(LoadLmp(data, dir.filePath("missing.lmp").toStdString(), LmpLoadMode::Replace).ok);
    EXPECT_EQ(data, good);
}

TEST(LmpFile, AFailedSaveLeavesTheEarlierFileAndNoTemporary) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("keep.lmp").toStdString();
    const std::vector<uint8_t> data = sample();
    SaveLmp(path, data);
    const std::string missingFolder = dir.filePath("no/such/x.lmp").toStdString();
    EXPECT_ANY_THROW(SaveLmp(missingFolder, data));
    std::vector<uint8_t> loaded;
    ASSERT_TRUE(LoadLmp(loaded, path, LmpLoadMode::Replace).ok);
    EXPECT_EQ(loaded, data);
}
