// "PCT2MNG.KWI" lists, finding the files they name, and expansion picture headers.
#include <gtest/gtest.h>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/picture/EXPCTManager.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/PictureFixture.h"

namespace {
std::shared_ptr<TLN_MemoryStream> streamOf(const std::vector<uint8_t>& bytes) {
    return std::make_shared<TLN_MemoryStream>(bytes);
}

std::vector<std::pair<uint32_t, std::string>> entries(int n) {
    std::vector<std::pair<uint32_t, std::string>> list;
    for (int i = 0; i < n; ++i)
        list.push_back({uint32_t(i % 3) << 16, "PICT" + std::to_string(1000 + i) + ".KWI"});
    return list;
}
} // namespace

TEST(PCT2MNGManager, EntryCountOneToNineteen) {
    EXPECT_TRUE(TLN_PCT2MNGManager(streamOf(fixture::buildPct2Mng(entries(19))), 0).IsValid());
    EXPECT_TRUE(TLN_PCT2MNGManager(streamOf(fixture::buildPct2Mng(entries(1))), 0).IsValid());
    EXPECT_FALSE(TLN_PCT2MNGManager(streamOf(fixture::buildPct2Mng(entries(20))), 0).IsValid());
    EXPECT_FALSE(TLN_PCT2MNGManager(streamOf(fixture::buildPct2Mng({}, 0)), 0).IsValid());
    TLN_PCT2MNGManager nineteen(streamOf(fixture::buildPct2Mng(entries(19))), 0);
    ASSERT_EQ(nineteen.Count(), 19);
    EXPECT_EQ(nineteen.Items()[18].Name, "PICT1018.KWI");
    EXPECT_EQ(nineteen.Items()[17].Kind, kExpansionPictureKind);
}

TEST(PCT2MNGManager, SignatureIsLittleEndian) {
    auto bytes = fixture::buildPct2Mng(entries(2));
    for (int at = 0; at < 4; ++at) {
        auto wrong = bytes;
        wrong[size_t(at)] ^= 0x01;
        EXPECT_FALSE(TLN_PCT2MNGManager(streamOf(wrong), 0).IsValid()) << "byte " << at;
    }
    std::vector<uint8_t> swapped = bytes;
    std::swap(swapped[0], swapped[3]);
    std::swap(swapped[1], swapped[2]);
    EXPECT_FALSE(TLN_PCT2MNGManager(streamOf(swapped), 0).IsValid());
    EXPECT_FALSE(TLN_PCT2MNGManager(streamOf({0x00, 0x03, 0x00}), 0).IsValid());
}

TEST(PCT2MNGManager, KindKeepsBitsNineteenToSixteenInPlace) {
    TLN_PCT2MNGManager list(streamOf(fixture::buildPct2Mng(fixture::standardPictureSet().list)), 0);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Items()[0].Kind, kPictureDataKind);
    EXPECT_EQ(list.Items()[1].Kind, kExpansionPictureKind); // stored 0xABC2FFFF
    EXPECT_EQ(list.Items()[2].Kind, kParameterDataKind);
    EXPECT_EQ(list.Items()[4].Name, "../PICT.KWI");
}

TEST(PCT2MNGManager, TruncatedListKeepsTheWholeEntries) {
    auto bytes = fixture::buildPct2Mng(entries(4));
    bytes.resize(10 + 24 * 2 + 19);
    TLN_PCT2MNGManager list(streamOf(bytes), 0);
    EXPECT_TRUE(list.IsValid());
    EXPECT_EQ(list.StoredCount(), 4);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_TRUE(list.Truncated());
}

TEST(PCT2MNGManager, FindsListedFilesBesideTheListOnly) {
    const std::string folder = fixture::scratchDir("pct2mng");
    fixture::writeStandardPictureSet(folder);
    fixture::writeFile(fixture::scratchDir("pct2mng-outside") + "/PICT.KWI", {1});
    TLN_PCT2MNGManager list(folder + "/PCT2MNG.KWI");
    ASSERT_TRUE(list.IsValid());
    EXPECT_EQ(list.ManagementFilePath(0), folder + "/PICT0001.KWI");
    EXPECT_EQ(list.ManagementFilePath(1), folder + "/EXPCT001.KWI");
    EXPECT_EQ(list.ManagementFilePath(2), "");                       // not on disk
    EXPECT_EQ(list.ManagementFilePath(3), folder + "/pict0002.kwi"); // case ignored
    EXPECT_EQ(list.ManagementFilePath(4), "");                       // "../" refused
    EXPECT_EQ(list.ManagementFilePath(5), "");
    EXPECT_EQ(FindPictureManagementFile(folder, ""), "");
    EXPECT_THROW(TLN_PCT2MNGManager(folder + "/NOPE.KWI"), EFOpenError);
}

TEST(PCT2MNGManager, FindsListedFilesInTheMountedImage) {
    KIWI_NEED_XORRISO();
    const std::string folder = fixture::scratchDir("pct2mng-image");
    fixture::writeStandardPictureSet(folder + "/tree/DATA");
    fixture::makeIsoWithXorriso(folder + "/tree", folder + "/pictures.iso");
    ASSERT_TRUE(OpenISOImage(folder + "/pictures.iso"));
    struct Unmount {
        ~Unmount() { CloseISOImage(); }
    } unmount;
    TLN_PCT2MNGManager list("DATA/PCT2MNG.KWI");
    ASSERT_TRUE(list.IsValid());
    EXPECT_EQ(list.ManagementFilePath(0), "DATA/PICT0001.KWI");
    EXPECT_EQ(list.ManagementFilePath(2), "");
    EXPECT_EQ(list.ManagementFilePath(4), "");
    TLN_GraphicManager pictures(list.ManagementFilePath(0));
    EXPECT_EQ(pictures.DecodeImage(0, 0), fixture::standardPictureSet().mainImages[0].expected);
    // Files on disk beside the image are not where a mounted disc's files are looked for.
    fixture::writeFile(folder + "/PICT0001.KWI", {1});
    EXPECT_EQ(FindPictureManagementFile(folder, "PICT0001.KWI"), "");
}

TEST(EXPCTManager, ReadsTheHeader) {
    const auto& h = fixture::standardPictureSet().expansion;
    std::vector<uint8_t> bytes(100, 0);
    const auto file = fixture::buildExpansionPicture(h, {});
    bytes.insert(bytes.end(), file.begin(), file.end());
    TLN_EXPCTManager reader(streamOf(bytes), 100);
    ASSERT_TRUE(reader.IsValid());
    const TLN_EXPCT_Header& r = reader.Header();
    EXPECT_EQ(r.UserClassification.Y, 1589820);
    EXPECT_EQ(r.UserClassification.X, 3947658);
    EXPECT_EQ(r.UserClassification.ByteValue, 3);
    EXPECT_EQ(r.UserClassification.WordValue, 0x1234);
    EXPECT_EQ(r.UsageClassificationCode, 1);
    EXPECT_EQ(r.DataClassificationCode, 2);
    EXPECT_EQ(r.EquipmentClassificationCode, 3);
    EXPECT_EQ(r.PictureDataOffset, 12u);
    EXPECT_EQ(r.PictureDataSize, 4);
    EXPECT_EQ(r.PictureDataPosition, 100 + 24);

    fixture::ExpansionHeader south = h;
    south.latitude = -1589820;
    EXPECT_EQ(TLN_EXPCTManager(streamOf(fixture::buildExpansionPicture(south, {})), 0)
                  .Header()
                  .UserClassification.Y,
              -1589820);
}

TEST(EXPCTManager, AllOnesDataOffsetMeansNone) {
    fixture::ExpansionHeader h = fixture::standardPictureSet().expansion;
    h.dataOffsetWords = 0xFFFFFFFF;
    TLN_EXPCTManager reader(streamOf(fixture::buildExpansionPicture(h, {})), 0);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.Header().PictureDataOffset, 0xFFFFFFFFu);
    EXPECT_EQ(reader.Header().PictureDataPosition, -1);
}

TEST(EXPCTManager, ShortFileIsInvalid) {
    auto bytes = fixture::buildExpansionPicture(fixture::standardPictureSet().expansion, {});
    bytes.pop_back();
    EXPECT_FALSE(TLN_EXPCTManager(streamOf(bytes), 0).IsValid());
    EXPECT_FALSE(TLN_EXPCTManager(streamOf({}), 0).IsValid());
}
