// COVERAGE.BIN: the area list and the pictures beside it, with hostile names and sizes.
#include <gtest/gtest.h>

#include <QColor>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/parts/Coverage.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LoadingFixtures.h"

namespace {
std::string coverageFolder(const std::string& name,
                           const std::vector<std::pair<uint16_t, std::string>>& records) {
    const std::string root = fixture::scratchDir(name);
    fixture::writeFile(root + "/disc/COVERAGE.BIN", fixture::buildCoverage(records));
    return root;
}
} // namespace

TEST(Coverage, ReadsItemsAndLoadsPictures) {
    const std::string root = coverageFolder(
        "coverage",
        {{0x0101, "AREA1.BMP"}, {0x0202, "../secret.bmp"}, {0x0303, "missing.bmp"}, {0x0404, "text.bmp"}});
    fixture::writeFile(root + "/disc/area1.bmp", fixture::buildBmp(5, 3, fixture::coveragePictureColour));
    fixture::writeFile(root + "/secret.bmp", fixture::buildBmp(2, 2, fixture::coveragePictureColour));
    fixture::writeFile(root + "/disc/text.bmp", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});

    const TLN_Coverage coverage(root + "/disc/COVERAGE.BIN");
    ASSERT_TRUE(coverage.IsValid());
    EXPECT_EQ(coverage.Folder(), root + "/disc");
    ASSERT_EQ(coverage.Count(), 4);
    EXPECT_EQ(coverage.GetItem(0).Code, 0x0101);
    EXPECT_EQ(coverage.GetItem(0).Name, "AREA1.BMP");
    EXPECT_EQ(coverage.GetItem(1).Name, "../secret.bmp");
    EXPECT_EQ(coverage.GetItem(3).Code, 0x0404);
    EXPECT_EQ(coverage.GetItem(4).Name, "");
    EXPECT_EQ(coverage.GetItem(-1).Code, 0);

    QImage picture;
    ASSERT_TRUE(coverage.LoadPicture(coverage.GetItem(0).Name, picture)); // matched case-insensitively
    ASSERT_EQ(picture.width(), 5);
    ASSERT_EQ(picture.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(picture.pixel(x, y) & 0xFFFFFF, fixture::coveragePictureColour(x, y)) << x << "," << y;

    for (const std::string& name :
         {std::string("../secret.bmp"), std::string("missing.bmp"), std::string("text.bmp"), std::string(""),
          std::string("/etc/passwd"), std::string("..")}) {
        QImage kept(1, 1, QImage::Format_RGB32);
        EXPECT_FALSE(coverage.LoadPicture(name, kept)) << name;
        EXPECT_EQ(kept.width(), 1) << name;
    }
}

TEST(Coverage, CountsAndTruncation) {
    std::vector<std::pair<uint16_t, std::string>> many(256, {1, "A.BMP"});
    const std::string root = coverageFolder("coverage-count", many);
    const TLN_Coverage tooMany(root + "/disc/COVERAGE.BIN");
    EXPECT_FALSE(tooMany.IsValid());
    EXPECT_EQ(tooMany.Count(), 0);

    many.resize(255);
    const std::string root255 = coverageFolder("coverage-255", many);
    EXPECT_EQ(TLN_Coverage(root255 + "/disc/COVERAGE.BIN").Count(), 255);

    // Count 3, one whole record, then a record whose name runs past the end, then nothing.
    std::vector<uint8_t> bytes = fixture::buildCoverage({{7, "ONE.BMP"}, {8, "TWO.BMP"}});
    bytes[1] = 3;
    bytes.resize(bytes.size() - 2);
    const std::string cut = fixture::scratchDir("coverage-cut") + "/COVERAGE.BIN";
    fixture::writeFile(cut, bytes);
    const TLN_Coverage truncated(cut);
    EXPECT_TRUE(truncated.IsValid());
    EXPECT_TRUE(truncated.IsTruncated());
    EXPECT_EQ(truncated.Count(), 1);
    EXPECT_EQ(truncated.StoredCount(), 3);
    EXPECT_EQ(truncated.Damage(),
              "COVERAGE.BIN, byte 12: Number of Picture Items 3, item 2, the file holds 8 of its 10 bytes");

    const std::string empty = fixture::scratchDir("coverage-empty") + "/COVERAGE.BIN";
    fixture::writeFile(empty, {0});
    EXPECT_FALSE(TLN_Coverage(empty).IsValid());
    EXPECT_THROW(TLN_Coverage("/nonexistent/COVERAGE.BIN"), EFOpenError);
}

TEST(Coverage, OversizedPicturesAreRefused) {
    const std::string root = coverageFolder("coverage-huge", {{1, "HUGE.BMP"}});
    // A BMP header claiming 100000 × 100000 pixels over a few bytes of data.
    std::vector<uint8_t> bmp = fixture::buildBmp(2, 2, fixture::coveragePictureColour);
    const uint32_t side = 100000;
    for (int i = 0; i < 4; ++i) {
        bmp[size_t(18 + i)] = uint8_t(side >> (8 * i));
        bmp[size_t(22 + i)] = uint8_t(side >> (8 * i));
    }
    fixture::writeFile(root + "/disc/HUGE.BMP", bmp);
    const TLN_Coverage coverage(root + "/disc/COVERAGE.BIN");
    QImage picture;
    EXPECT_FALSE(coverage.LoadPicture("HUGE.BMP", picture));
    EXPECT_TRUE(picture.isNull());
}
