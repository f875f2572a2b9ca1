// The other parts' management data: each block appended after the new main map data with its header
// record re-pointed (stored size kept), RDS-TMC data dropped when asked, nothing pointing into the new
// main map data.
#include <gtest/gtest.h>

#include "converter/job/CompletionRun.h"
#include "kiwi/core/KiwiConversions.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

constexpr int64_t kBlockA = 300; // management 6 (header 5)
constexpr int64_t kBlockB = 200; // management 28, RDS-TMC (header 27)

struct Source {
    convtest::Folders folders;
    int64_t blockA = 0;
    int64_t blockB = 0;
};

// The small map with two management blocks appended after its frames.
Source makeSource(const std::string& name, int headerA = 5) {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    const size_t plainSize = fixture::buildAllData(plan).allData.size();
    Source s;
    s.blockA = int64_t((plainSize + 2047) / 2048 * 2048);
    s.blockB = s.blockA + 2048;
    plan.headers[headerA] = {s.blockA, 10, ""};
    plan.headers[6 + 5 - headerA] = {-1, 4, "VOICEDAT.KWI"};
    plan.headers[27] = {s.blockB, 7, ""};
    auto image = fixture::buildAllData(plan);
    image.allData.resize(size_t(s.blockB + kBlockB), 0);
    for (int64_t i = 0; i < kBlockA; ++i)
        image.allData[size_t(s.blockA + i)] = uint8_t(0xA0 + i % 7);
    for (int64_t i = 0; i < kBlockB; ++i)
        image.allData[size_t(s.blockB + i)] = uint8_t(0xB0 + i % 5);
    const std::string root = fixture::scratchDir("convert-mgmt-" + name);
    s.folders = {root + "/src", root + "/out", fixture::writeAllData(image, root + "/src")};
    std::vector<uint8_t> voice(500);
    for (size_t i = 0; i < voice.size(); ++i)
        voice[i] = uint8_t(0x50 + i % 11);
    fixture::writeFile(root + "/src/voicedat.kwi", voice);
    fixture::writeFile(root + "/out/.keep", {});
    std::remove((root + "/out/.keep").c_str());
    return s;
}

struct HeaderRecord {
    int64_t address = -1;
    uint16_t sectors = 0;
};

HeaderRecord headerOf(const std::vector<uint8_t>& file, int index) {
    const size_t at = size_t(2048 + 18 * index);
    const uint32_t address = (uint32_t(file[at]) << 24) | (uint32_t(file[at + 1]) << 16) |
                             (uint32_t(file[at + 2]) << 8) | file[at + 3];
    return {KiwiAddressToOffset(address), uint16_t((file[at + 4] << 8) | file[at + 5])};
}

} // namespace

TEST(ManagementTransfer, BlocksAreAppendedAndRepointed) {
    const Source s = makeSource("copy");
    const ConversionResult result = convtest::convert(s.folders.allData, s.folders.output);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    const auto in = convtest::readFile(s.folders.allData);
    const auto out = convtest::readFile(s.folders.output + "/ALLDATA.KWI");
    const HeaderRecord a = headerOf(out, 5);
    const HeaderRecord b = headerOf(out, 27);
    EXPECT_EQ(a.sectors, 10);
    EXPECT_EQ(b.sectors, 7);
    ASSERT_GT(a.address, 8192);
    ASSERT_GT(b.address, a.address);
    EXPECT_EQ(a.address % 32, 0);
    // Block A reaches up to block B's start in the source, and is copied whole.
    const int64_t extentA = s.blockB - s.blockA;
    EXPECT_EQ(b.address, a.address + extentA);
    EXPECT_TRUE(std::equal(in.begin() + s.blockA, in.begin() + s.blockB, out.begin() + a.address));
    EXPECT_TRUE(std::equal(in.begin() + s.blockB, in.end(), out.begin() + b.address));
    EXPECT_EQ(int64_t(out.size()), b.address + ((kBlockB + 31) / 32) * 32);
    // Header 1 names a file of its own and header 2 lies in the copied first 8 KiB: both stay.
    EXPECT_TRUE(std::equal(in.begin() + 2048 + 18, in.begin() + 2048 + 54, out.begin() + 2048 + 18));
}

TEST(ManagementTransfer, RdsDataIsDroppedWhenAsked) {
    const Source s = makeSource("rds");
    ConversionOptions options;
    options.removeRds = true;
    ASSERT_EQ(convtest::convert(s.folders.allData, s.folders.output, options).status, ConversionStatus::Done);
    const auto out = convtest::readFile(s.folders.output + "/ALLDATA.KWI");
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 2048 + 18 * 27, out.begin() + 2048 + 18 * 27 + 6),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    const HeaderRecord a = headerOf(out, 5);
    // Block A is the last thing in the file.
    EXPECT_EQ(int64_t(out.size()), a.address + (s.blockB - s.blockA));
}

TEST(ManagementTransfer, VoiceDataInsideBecomesStdvceWhenFinishing) {
    const Source s = makeSource("stdvce", 6);
    const ConversionResult result = convtest::convert(s.folders.allData, s.folders.output);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_EQ(result.voiceOffset, s.blockA);
    EXPECT_EQ(result.voiceSize, s.blockB - s.blockA);
    CompletionOptions finish;
    finish.outputPath = s.folders.output + "/ALLDATA.KWI";
    finish.sourcePath = s.folders.allData;
    finish.voice = true;
    finish.voiceOffset = result.voiceOffset;
    finish.voiceSize = result.voiceSize;
    ConversionProgress progress;
    std::atomic<bool> stop{false};
    const ConversionResult finished = CompletionRun(finish).Execute(progress, stop);
    ASSERT_EQ(finished.status, ConversionStatus::Done) << finished.message;
    const auto in = convtest::readFile(s.folders.allData);
    const auto voice = convtest::readFile(s.folders.output + "/STDVCE.KWI");
    ASSERT_EQ(int64_t(voice.size()), ((s.blockB - s.blockA) + 31) / 32 * 32);
    EXPECT_TRUE(std::equal(in.begin() + s.blockA, in.begin() + s.blockB, voice.begin()));
}

TEST(ManagementTransfer, VoiceFileIsInsertedWhenAsked) {
    const Source s = makeSource("voice-insert");
    ConversionOptions options;
    options.insertVoiceData = true;
    ASSERT_EQ(convtest::convert(s.folders.allData, s.folders.output, options).status, ConversionStatus::Done);
    const auto out = convtest::readFile(s.folders.output + "/ALLDATA.KWI");
    const auto voice = convtest::readFile(s.folders.source + "/voicedat.kwi");
    const HeaderRecord record = headerOf(out, 6);
    EXPECT_EQ(record.sectors, 4);
    ASSERT_GT(record.address, 8192);
    EXPECT_TRUE(std::equal(voice.begin(), voice.end(), out.begin() + record.address));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 2048 + 18 * 6 + 6, out.begin() + 2048 + 18 * 6 + 18),
              std::vector<uint8_t>(12, 0));
    // Without the option the record keeps naming the file.
    ASSERT_EQ(convtest::convert(s.folders.allData, s.folders.output).status, ConversionStatus::Done);
    const auto plain = convtest::readFile(s.folders.output + "/ALLDATA.KWI");
    EXPECT_EQ(std::string(plain.begin() + 2048 + 18 * 6 + 6, plain.begin() + 2048 + 18 * 6 + 18),
              std::string("VOICEDAT.KWI"));
    // The file gone before the run: the map is made without it, and the user hears so.
    std::remove((s.folders.source + "/voicedat.kwi").c_str());
    const ConversionResult gone = convtest::convert(s.folders.allData, s.folders.output, options);
    ASSERT_EQ(gone.status, ConversionStatus::Done);
    ASSERT_EQ(gone.notes.size(), 1u);
    EXPECT_EQ(gone.notes[0].russian,
              "Голосовые данные не вставлены в карту: файла VOICEDAT.KWI нет рядом с исходной картой");
}

namespace {

// The small map with management 32 appended (header 31) whose record 5 names an appended management 21.
struct Source32 {
    convtest::Folders folders;
    int64_t block32 = 0;
    int64_t block21 = 0;
    std::vector<uint8_t> header21;
};

Source32 makeSource32(const std::string& name) {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    const size_t plainSize = fixture::buildAllData(plan).allData.size();
    Source32 s;
    s.block32 = int64_t((plainSize + 2047) / 2048 * 2048);
    s.block21 = s.block32 + 2048;
    plan.headers[31] = {s.block32, 4, ""};
    auto image = fixture::buildAllData(plan);
    image.allData.resize(size_t(s.block21 + 256), 0);
    const uint32_t address = uint32_t((s.block21 / 2048) << 8);
    const uint8_t record5[6] = {
        uint8_t(address >> 24), uint8_t(address >> 16), uint8_t(address >> 8), uint8_t(address), 0, 3};
    std::copy(record5, record5 + 6, image.allData.begin() + s.block32 + 90);
    // A 46-byte header: 23 words, a 16-bit mask (stored 8), 3 main table records, table 1 at 46 bytes.
    s.header21.resize(46);
    for (size_t i = 0; i < 46; ++i)
        s.header21[i] = uint8_t(0x30 + i);
    s.header21[0] = 0, s.header21[1] = 23;
    s.header21[20] = 0, s.header21[21] = 8;
    s.header21[22] = 0, s.header21[23] = 3;
    s.header21[30] = 0, s.header21[31] = 23;
    std::copy(s.header21.begin(), s.header21.end(), image.allData.begin() + s.block21);
    const std::string root = fixture::scratchDir("convert-mgmt32-" + name);
    s.folders = {root + "/src", root + "/out", fixture::writeAllData(image, root + "/src")};
    fixture::writeFile(root + "/out/.keep", {});
    std::remove((root + "/out/.keep").c_str());
    return s;
}

} // namespace

TEST(ManagementTransfer, BlockOfManagement32MovesWithItsRecord) {
    const Source32 s = makeSource32("move");
    ASSERT_EQ(convtest::convert(s.folders.allData, s.folders.output).status, ConversionStatus::Done);
    const auto in = convtest::readFile(s.folders.allData);
    const auto out = convtest::readFile(s.folders.output + "/ALLDATA.KWI");
    const HeaderRecord h31 = headerOf(out, 31);
    ASSERT_GT(h31.address, 8192);
    // Management 32 moved whole but for record 5, which names the moved block and keeps its size.
    std::vector<uint8_t> moved(out.begin() + h31.address, out.begin() + h31.address + 2048);
    const HeaderRecord record5 = headerOf(
        std::vector<uint8_t>(out.begin() + h31.address + 90 - 2048, out.begin() + h31.address + 96), 0);
    EXPECT_EQ(record5.sectors, 3);
    ASSERT_GT(record5.address, h31.address);
    EXPECT_TRUE(std::equal(in.begin() + s.block21, in.end(), out.begin() + record5.address));
    EXPECT_TRUE(std::equal(in.begin() + s.block32, in.begin() + s.block32 + 90, moved.begin()));
    // No dummy management 21 unless asked: record 20 as it was.
    EXPECT_TRUE(std::equal(in.begin() + 2408, in.begin() + 2414, out.begin() + 2408));
}

TEST(ManagementTransfer, DummyManagement21HasSixteenBitTables) {
    const Source32 s = makeSource32("dummy");
    ConversionOptions options;
    options.createManagement21 = true;
    ASSERT_EQ(convtest::convert(s.folders.allData, s.folders.output, options).status, ConversionStatus::Done);
    const auto out = convtest::readFile(s.folders.output + "/ALLDATA.KWI");
    const HeaderRecord record = headerOf(out, 20);
    EXPECT_EQ(record.sectors, 2);
    ASSERT_GT(record.address, 8192);
    const auto at = out.begin() + record.address;
    const std::vector<uint8_t> block(at, at + 46 + 3 * 4 + 16 * 32);
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[1], 22);
    EXPECT_TRUE(std::equal(s.header21.begin() + 2, s.header21.begin() + 32, block.begin() + 2));
    // Table 1 size 6 words, table 2 at word 29, table 2 size 256 words.
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 32, block.begin() + 38),
              (std::vector<uint8_t>{0, 6, 0, 29, 1, 0}));
    EXPECT_TRUE(std::equal(s.header21.begin() + 40, s.header21.begin() + 46, block.begin() + 38));
    for (int e = 0; e < 3; ++e)
        EXPECT_EQ(std::vector<uint8_t>(block.begin() + 46 + 4 * e, block.begin() + 50 + 4 * e),
                  (std::vector<uint8_t>{0, 0, 0xFF, 0xFF}));
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 58, block.end()), std::vector<uint8_t>(16 * 32, 0xFF));
    // It is the last thing in the file.
    EXPECT_EQ(int64_t(out.size()), record.address + (46 + 12 + 512 + 31) / 32 * 32);
}

// An unused record stored as FF FF FF FF 00 00 or as 00 00 00 00 00 00 (discs use both, even in one table)
// is absent: left as it is, never copied, never a start; a record naming a file of its own has address 0
// and is present.
TEST(ManagementTransfer, AbsentRecordsStoredBothWaysStayAbsentAndANamedFileIsPresent) {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    for (int i : {3, 13, 29, 31})
        plan.headers[i] = {0, 0, ""};
    for (int i = 48; i < 64; ++i)
        plan.headers[i] = {0, 0, ""};
    plan.headers[6] = {0, 4, "VOICEDAT.KWI"};
    const auto f = convtest::makeSource("mgmt-absent-both", plan);
    std::vector<uint8_t> voice(300);
    for (size_t i = 0; i < voice.size(); ++i)
        voice[i] = uint8_t(0x70 + i % 13);
    fixture::writeFile(f.source + "/VOICEDAT.KWI", voice);
    ConversionOptions options;
    options.insertVoiceData = true;
    options.createManagement21 = true;
    options.target = ConversionTarget::AisinAw;
    const ConversionResult result = convtest::convert(f.allData, f.output, options);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    // The small map's two parcels damaged on purpose: a missing data file, a sub-list naming itself.
    EXPECT_EQ(result.warnings, 2);
    const auto in = convtest::readFile(f.allData);
    const auto out = convtest::readFile(f.output + "/ALLDATA.KWI");
    for (int i : {3, 5, 13, 20, 29, 31, 47, 48, 63}) {
        const size_t at = size_t(2048 + 18 * i);
        EXPECT_TRUE(std::equal(in.begin() + at, in.begin() + at + 18, out.begin() + at)) << "record " << i;
    }
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 2048 + 18 * 3, out.begin() + 2048 + 18 * 3 + 6),
              std::vector<uint8_t>(6, 0));
    // Nothing was written near address 0 (no language code at 19, no block of management 32 at 90); the
    // target's own record takes bytes 0 to 11.
    EXPECT_TRUE(std::equal(in.begin() + 12, in.begin() + 64, out.begin() + 12));
    // The named voice file is inserted; the record then names no file.
    const HeaderRecord record = headerOf(out, 6);
    ASSERT_GT(record.address, 8192);
    EXPECT_TRUE(std::equal(voice.begin(), voice.end(), out.begin() + record.address));
    const auto log = convtest::readFile(f.output + "/Log.txt");
    const std::string text(log.begin(), log.end());
    EXPECT_NE(text.find("Voice Data Management inserted from file VOICEDAT.KWI. Address: 0x"),
              std::string::npos);
    for (const char* absent : {"Management 4 ", "Management 14 ", "Management 32/5", "Dummy Management 21"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
}
