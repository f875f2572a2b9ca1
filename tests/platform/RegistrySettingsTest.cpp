// Settings helpers over a scratch XDG config folder: defaults for missing and wrongly typed values,
// binary layouts kept byte for byte, reads of up to the buffer size.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <gtest/gtest.h>

#include "platform/RegistrySettings.h"
#include "platform/SettingsNotices.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ScopedEnvironment.h"

namespace {

class RegistrySettings : public ::testing::Test {
protected:
    RegistrySettings()
        : folder_(QString::fromStdString(fixture::scratchDir(
              std::string("registry-") + ::testing::UnitTest::GetInstance()->current_test_info()->name()))),
          environment_("XDG_CONFIG_HOME", folder_.toUtf8()) {}

    QString settingsFile() const { return folder_ + "/Strovane/settings.txt"; }

    QString folder_;
    fixture::ScopedEnvironment environment_;
};

std::vector<uint8_t> roadColorBytes() {
    fixture::ByteWriter w;
    for (uint32_t i = 0; i < 16; ++i)
        w.u32le(0x00010203u * i + 0x00FF0000u * (i & 1));
    return w.take();
}

std::vector<uint8_t> gotoCashBytes() {
    fixture::ByteWriter w;
    const int64_t values[10] = {0, -1, 1, INT64_MIN, INT64_MAX, 0x0102030405060708, -42, 1 << 20, 7, 99};
    for (const int64_t v : values)
        w.u32le(uint32_t(uint64_t(v))).u32le(uint32_t(uint64_t(v) >> 32));
    return w.take();
}

} // namespace

TEST_F(RegistrySettings, MissingValuesGiveDefaultsAndReadsCreateNothing) {
    EXPECT_FALSE(RegValueExists("DrawGrid"));
    EXPECT_EQ(RegReadInteger("DrawGrid"), 0);
    EXPECT_EQ(RegReadString("Folder"), QString());
    std::array<uint8_t, 8> buffer;
    buffer.fill(0xEE);
    EXPECT_FALSE(RegReadBinary("RoadColors", buffer.data(), int64_t(buffer.size())));
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0xEE; }));
    EXPECT_FALSE(QFileInfo::exists(folder_ + "/Strovane"));

    // With the key present, a value that is not there still gives the defaults.
    ASSERT_TRUE(RegWriteInteger("Version", 3));
    EXPECT_FALSE(RegValueExists("DrawGrid"));
    EXPECT_EQ(RegReadInteger("DrawGrid"), 0);
    EXPECT_FALSE(RegReadBinary("RoadColors", buffer.data(), int64_t(buffer.size())));
    EXPECT_EQ(buffer[0], 0xEE);
}

TEST_F(RegistrySettings, FirstWriteCreatesTheKey) {
    ASSERT_FALSE(QFileInfo::exists(settingsFile()));
    ASSERT_TRUE(RegWriteString("IsoFile", "/data/disc.iso"));
    EXPECT_TRUE(QFileInfo(settingsFile()).isFile());
    EXPECT_TRUE(RegValueExists("IsoFile"));
    EXPECT_EQ(RegReadString("IsoFile"), "/data/disc.iso");
}

TEST_F(RegistrySettings, StringsAndIntegersRoundTrip) {
    ASSERT_TRUE(RegWriteString("UnpackFolder", QString::fromUtf8("/home/anna/Карты")));
    ASSERT_TRUE(RegWriteString("CmpFile", ""));
    ASSERT_TRUE(RegWriteInteger("MapCodePage", 1251));
    ASSERT_TRUE(RegWriteInteger("ThreadAlgorithm", -2));
    EXPECT_EQ(RegReadString("UnpackFolder"), QString::fromUtf8("/home/anna/Карты"));
    EXPECT_TRUE(RegValueExists("CmpFile"));
    EXPECT_EQ(RegReadString("CmpFile"), "");
    EXPECT_EQ(RegReadInteger("MapCodePage"), 1251);
    EXPECT_EQ(RegReadInteger("ThreadAlgorithm"), -2);
    ASSERT_TRUE(RegWriteInteger("MapCodePage", 0));
    EXPECT_EQ(RegReadInteger("MapCodePage"), 0);
}

TEST_F(RegistrySettings, BinaryLayoutsAreKeptByteForByte) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {{"RoadColors", roadColorBytes()}, {"GotoCash", gotoCashBytes()}};
    ASSERT_EQ(cases[0].bytes.size(), 64u);
    ASSERT_EQ(cases[1].bytes.size(), 80u);
    for (const auto& c : cases) {
        ASSERT_TRUE(RegWriteBinary(c.name, c.bytes.data(), int64_t(c.bytes.size())));
        std::vector<uint8_t> read(c.bytes.size(), 0xEE);
        ASSERT_TRUE(RegReadBinary(c.name, read.data(), int64_t(read.size())));
        EXPECT_EQ(read, c.bytes) << c.name;
    }
    // The colours read straight into the 16 colour values of a little-endian machine.
    uint32_t colors[16] = {};
    ASSERT_TRUE(RegReadBinary("RoadColors", colors, sizeof colors));
    EXPECT_EQ(colors[0], 0u);
    EXPECT_EQ(colors[1], 0x00FF0000u + 0x00010203u);
    EXPECT_EQ(colors[15], 0x00FF0000u + 0x00010203u * 15);
}

TEST_F(RegistrySettings, BinaryReadsTakeUpToTheBufferSize) {
    const uint8_t stored[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(RegWriteBinary("ReopenData", stored, 6));

    uint8_t small[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_TRUE(RegReadBinary("ReopenData", small, 3));
    EXPECT_EQ(std::vector<uint8_t>(small, small + 4), (std::vector<uint8_t>{1, 2, 3, 0xEE}));

    uint8_t large[8];
    std::fill(std::begin(large), std::end(large), 0xEE);
    ASSERT_TRUE(RegReadBinary("ReopenData", large, 8));
    EXPECT_EQ(std::vector<uint8_t>(large, large + 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0xEE, 0xEE}));

    EXPECT_TRUE(RegReadBinary("ReopenData", nullptr, 0));
    EXPECT_TRUE(RegReadBinary("ReopenData", large, -5));
    EXPECT_FALSE(RegWriteBinary("ReopenData", stored, -1));
    EXPECT_FALSE(RegWriteBinary("ReopenData", nullptr, 4));

    ASSERT_TRUE(RegWriteBinary("EndCash", nullptr, 0));
    EXPECT_TRUE(RegValueExists("EndCash"));
    EXPECT_TRUE(RegReadBinary("EndCash", large, 8));
    EXPECT_EQ(large[0], 1);
}

TEST_F(RegistrySettings, WronglyTypedValuesReadAsDefaults) {
    settingsnotice::Take();
    const uint8_t bytes[4] = {0x0A, 0, 0, 0};
    ASSERT_TRUE(RegWriteString("AsString", "10"));
    ASSERT_TRUE(RegWriteInteger("AsInteger", 10));
    ASSERT_TRUE(RegWriteBinary("AsBinary", bytes, 4));
    for (const char* name : {"AsString", "AsInteger", "AsBinary"}) {
        EXPECT_TRUE(RegValueExists(name)) << name;
        const bool isString = std::string(name) == "AsString";
        const bool isInteger = std::string(name) == "AsInteger";
        const bool isBinary = std::string(name) == "AsBinary";
        EXPECT_EQ(RegReadString(name), isString ? "10" : "") << name;
        EXPECT_EQ(RegReadInteger(name), isInteger ? 10 : 0) << name;
        uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        EXPECT_EQ(RegReadBinary(name, buffer, 4), isBinary) << name;
        EXPECT_EQ(buffer[0], isBinary ? 0x0A : 0xEE) << name;
    }
    // The user is told once for each value read with another type, naming the file and the value.
    const QStringList notices = settingsnotice::Take();
    ASSERT_EQ(notices.size(), 3);
    EXPECT_TRUE(notices[0].contains(settingsFile()) && notices[0].contains("AsString"))
        << notices[0].toStdString();
    // Replacing such a value keeps a copy of the file as it was.
    ASSERT_TRUE(RegWriteInteger("AsString", 5));
    EXPECT_EQ(QDir(folder_ + "/Strovane").entryList({"settings.txt.damaged-*"}).size(), 1);
}

TEST_F(RegistrySettings, CorruptFileReadsAsEmptyAndCanBeWrittenAgain) {
    QDir().mkpath(folder_ + "/Strovane");
    QFile file(settingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    file.close();
    EXPECT_FALSE(RegValueExists("Version"));
    EXPECT_EQ(RegReadInteger("Version"), 0);
    ASSERT_TRUE(RegWriteInteger("Version", 4));
    EXPECT_EQ(RegReadInteger("Version"), 4);
}
