// Every conversion invariant over every shape of the main map management data: at 8192 as today, or below
// it (at 4096 and elsewhere, the next part at or across 8192, the whole map under 8 KiB), block records
// with and without file names, one file or a volume set, both system-number widths. Each converts, reads
// back level by level equal to its source, keeps the other parts' data, and converts again to the same
// bytes.
#include <gtest/gtest.h>

#include "converter/MapComparison.h"
#include "kiwi/core/KiwiConversions.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/OutputValidator.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ManagementShapes.h"

namespace fixture {
// The shape's name in failure messages, not its bytes.
void PrintTo(const ManagementShape& shape, std::ostream* out) {
    *out << shape.name;
}
} // namespace fixture

namespace {

struct Header {
    int64_t address = -1;
    uint16_t sectors = 0;
    std::string name;
};

Header headerOf(const std::vector<uint8_t>& file, int index) {
    const size_t at = size_t(2048 + 18 * index);
    const uint32_t stored = (uint32_t(file[at]) << 24) | (uint32_t(file[at + 1]) << 16) |
                            (uint32_t(file[at + 2]) << 8) | file[at + 3];
    std::string name(file.begin() + std::ptrdiff_t(at + 6), file.begin() + std::ptrdiff_t(at + 18));
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    return {KiwiAddressToOffset(stored), uint16_t((file[at + 4] << 8) | file[at + 5]), name};
}

uint16_t wordAt(const std::vector<uint8_t>& file, size_t at) {
    return uint16_t((file[at] << 8) | file[at + 1]);
}

std::string emptyFolder(const std::string& name) {
    const std::string folder = fixture::scratchDir(name);
    fixture::writeFile(folder + "/.keep", {});
    std::remove((folder + "/.keep").c_str());
    return folder;
}

std::string joined(const std::vector<std::string>& problems) {
    std::string text;
    for (const auto& p : problems)
        text += p + "\n";
    return text;
}

class ManagementShapeTest : public testing::TestWithParam<fixture::ManagementShape> {
protected:
    // The source folder written for this shape and an empty output folder.
    std::string writeSource(const std::string& tag, bool detailedLast = false) {
        const std::string root = fixture::scratchDir("convert-shape-" + GetParam().name + "-" + tag);
        source_ = root + "/src";
        fixture::ManagementShape shape = GetParam();
        if (detailedLast) shape.plan = convtest::detailedLast(shape.plan); // as the extra level needs
        const std::string path = fixture::writeManagementShape(shape, source_);
        output_ = emptyFolder(root + "/out");
        return path;
    }
    std::string source_, output_;
};

TEST_P(ManagementShapeTest, ConvertsAndReadsBackEqual) {
    const std::string path = writeSource("plain");
    const auto before = convtest::snapshot(source_);
    const ConversionResult result = convtest::convert(path, output_);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_EQ(convtest::snapshot(source_), before) << "the source folder changed";
    EXPECT_GT(compareMaps(path, output_ + "/ALLDATA.KWI").parcels, 1);
    const auto out = convtest::readFile(output_ + "/ALLDATA.KWI");
    const auto v = convtest::validateOutput(out);
    EXPECT_TRUE(v.problems.empty()) << joined(v.problems);

    // The whole source as one byte string (a volume set's parts joined).
    std::vector<uint8_t> in;
    for (const auto& [name, bytes] : before)
        if (name.rfind("ALLDATA", 0) == 0) in.insert(in.end(), bytes.begin(), bytes.end());
    // The first 8 KiB are the source's (zeros past a shorter source) but for the level list, header 0 and
    // the address and size of the header records (checked below).
    for (size_t i = 0; i < 8192; ++i) {
        if ((i >= 492 && i < 750) || (i >= 2048 && i < 2066) ||
            (i >= 2048 && i < 3200 && (i - 2048) % 18 < 6))
            continue;
        ASSERT_EQ(out[i], i < in.size() ? in[i] : 0) << "byte " << i;
    }
    // Header 0 names the management data at 8192, with the source's size.
    const Header oldMain = headerOf(in, 0), newMain = headerOf(out, 0);
    EXPECT_EQ(newMain.address, 8192);
    EXPECT_EQ(newMain.sectors, oldMain.sectors);
    EXPECT_EQ(newMain.name, "");
    // Its header and level records as the source's, but for File Name Designation and the block records'
    // size, now 3 words.
    const std::vector<uint8_t>& part = oldMain.name.empty() ? in : before.at(oldMain.name);
    const size_t base = size_t(oldMain.address);
    const size_t levels = 30 + size_t(wordAt(part, base + 26)) * 2 * wordAt(part, base + 20);
    for (size_t i = 0; i < levels; ++i) {
        if (i == 4 || i == 5 || i == 24 || i == 25) continue;
        ASSERT_EQ(out[8192 + i], part[base + i]) << "management byte " << i;
    }
    EXPECT_EQ(wordAt(out, 8192 + 4), 0);
    EXPECT_EQ(wordAt(out, 8192 + 24), 3);
    // Every other part the table places in "ALLDATA.KWI" holds the source's bytes where its record now
    // points, whether it stayed in the first 8 KiB or moved behind the main map.
    for (int i = 1; i < 30; ++i) {
        const Header was = headerOf(in, i), now = headerOf(out, i);
        if (was.address <= 0 || was.sectors == 0 || !was.name.empty()) continue;
        ASSERT_GE(now.address, 0) << "management " << i + 1;
        const int64_t n = std::min<int64_t>(int64_t(was.sectors) * 32, int64_t(in.size()) - was.address);
        ASSERT_LE(now.address + n, int64_t(out.size()));
        EXPECT_TRUE(
            std::equal(in.begin() + was.address, in.begin() + was.address + n, out.begin() + now.address))
            << "management " << i + 1 << " moved from " << was.address << " to " << now.address;
    }
}

TEST_P(ManagementShapeTest, TwoRunsAndASecondConversionGiveTheSameBytes) {
    const std::string path = writeSource("again");
    ASSERT_EQ(convtest::convert(path, output_).status, ConversionStatus::Done);
    const auto first = convtest::readFile(output_ + "/ALLDATA.KWI");
    ASSERT_EQ(convtest::convert(path, output_).status, ConversionStatus::Done);
    EXPECT_EQ(convtest::readFile(output_ + "/ALLDATA.KWI"), first) << "two runs differ";
    const std::string again = emptyFolder("convert-shape-" + GetParam().name + "-again2");
    ASSERT_EQ(convtest::convert(output_ + "/ALLDATA.KWI", again).status, ConversionStatus::Done);
    EXPECT_EQ(convtest::readFile(again + "/ALLDATA.KWI"), first) << "converting the new map changed it";
}

TEST_P(ManagementShapeTest, ExtraLevelConvertsAndHeaderZeroCoversTheGrownData) {
    const std::string path = writeSource("extra", true);
    ConversionOptions options;
    options.addExtraLevel = true;
    const ConversionResult result = convtest::convert(path, output_, options);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_GT(compareMaps(path, output_ + "/ALLDATA.KWI", 1).parcels, 1);
    const auto out = convtest::readFile(output_ + "/ALLDATA.KWI");
    const auto v = convtest::validateOutput(out);
    EXPECT_TRUE(v.problems.empty()) << joined(v.problems);
    // The word at 8192 holds the grown management data's size in words; header 0 counts its sectors
    // rounded up, so that the last bytes of the data lie inside the part (a plain "size shr 5" would cut
    // them off whenever the size is not a multiple of 32).
    const int64_t bytes = 2 * int64_t(wordAt(out, 8192));
    EXPECT_EQ(int64_t(headerOf(out, 0).sectors), (bytes + 31) / 32) << bytes << " bytes";
}

TEST_P(ManagementShapeTest, AStopOrAFullDiskLeavesNothingAndTheSourceAsItWas) {
    const std::string path = writeSource("stop");
    const auto before = convtest::snapshot(source_);
    EXPECT_EQ(convtest::convert(path, output_, {}, {}, "Level 0 Main Map").status, ConversionStatus::Stopped);
    // A disk that fills halfway through the new map.
    int64_t half = 0;
    for (const auto& [name, bytes] : before)
        if (name.rfind("ALLDATA", 0) == 0) half += int64_t(bytes.size()) / 2;
    const ConversionResult full = convtest::convert(
        path, output_, {}, [half](const std::string& file) { return convtest::openWithBudget(file, half); });
    EXPECT_EQ(full.status, ConversionStatus::Failed) << full.message;
    for (const auto& [name, bytes] : convtest::snapshot(output_))
        EXPECT_EQ(name, "Log.txt") << "left in the output folder";
    EXPECT_EQ(convtest::snapshot(source_), before);
}

INSTANTIATE_TEST_SUITE_P(Conversion, ManagementShapeTest, testing::ValuesIn(fixture::managementShapes()),
                         [](const testing::TestParamInfo<fixture::ManagementShape>& shape) {
                             return shape.param.name;
                         });

} // namespace
