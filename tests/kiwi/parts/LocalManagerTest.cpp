// Localisation frame and Manager21 header: validity limits, area spacing, names and both header forms.
#include <gtest/gtest.h>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/parts/Manager21.h"
#include "support/fixtures/LocalFixture.h"

namespace {
std::shared_ptr<TLN_MemoryStream> memory(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_MemoryStream>(std::move(bytes));
}
} // namespace

TEST(LocalManager, ReadsLanguagesAndAreasAtAnyBase) {
    for (size_t prefix : {size_t(0), size_t(33)}) {
        TLN_LocalManager reader(memory(fixture::buildLocalPart(fixture::standardLocalPlan(), prefix)),
                                int64_t(prefix));
        ASSERT_TRUE(reader.IsValid());
        EXPECT_EQ(reader.ManagementHeaderSize(), 28); // 19 + 3 × 3 bytes, rounded up to words
        EXPECT_EQ(reader.MainMapCentralPoint(), (TLN_Point{-3947658, 1589820}));
        EXPECT_EQ(reader.AreaRecordSize(), 24);
        ASSERT_EQ(reader.LanguageCount(), 3);
        EXPECT_EQ(reader.GetLanguageName(2), "deu");
        ASSERT_EQ(reader.AreaCount(), 4);
        const TLN_Area& area = reader.GetArea(3);
        EXPECT_EQ(area.AreaCode, 7);
        EXPECT_EQ(area.Toponym, "Kl");
        EXPECT_EQ(area.Property1, 0x31323334u);
        EXPECT_EQ(area.MainCity, (TLN_Point{-2, -1}));
        EXPECT_EQ(area.Property2, 0x3A3B);
        EXPECT_EQ(area.Property3, 0x3C);
        EXPECT_EQ(area.Language, "deu");
        EXPECT_THROW(reader.GetArea(4), std::out_of_range);
        EXPECT_THROW(reader.GetLanguageName(-1), std::out_of_range);
    }
}

TEST(LocalManager, AreaNamesByCode) {
    TLN_LocalManager reader(memory(fixture::buildLocalPart(fixture::standardLocalPlan())), 0);
    EXPECT_EQ(reader.GetAreaName(1), "MSK");
    EXPECT_EQ(reader.GetAreaName(2), "SPB"); // the first of two areas with code 2
    EXPECT_EQ(reader.GetAreaName(3), "");
}

TEST(LocalManager, AreaRecordSizeSpacesTheRecords) {
    // Records 22 bytes apart (no padding) and 30 bytes apart read the same fields.
    for (uint8_t size : {uint8_t(22), uint8_t(30)}) {
        fixture::LocalPlan plan = fixture::standardLocalPlan();
        plan.areaRecordSize = size;
        TLN_LocalManager reader(memory(fixture::buildLocalPart(plan)), 0);
        ASSERT_EQ(reader.AreaCount(), 4) << int(size);
        EXPECT_EQ(reader.GetArea(2).Toponym, "LEN");
        EXPECT_EQ(reader.GetArea(2).Language, "ENG");
    }
}

TEST(LocalManager, CountLimitsAndTruncation) {
    for (auto [languages, areas, valid] : {std::tuple{49, 99, true}, {50, 0, false}, {0, 100, false}}) {
        fixture::LocalPlan plan = fixture::standardLocalPlan();
        plan.declaredLanguages = languages;
        plan.declaredAreas = areas;
        TLN_LocalManager reader(memory(fixture::buildLocalPart(plan)), 0);
        EXPECT_EQ(reader.IsValid(), valid) << languages << " " << areas;
    }
    // 99 declared areas with four stored: only the records the stream holds are listed.
    fixture::LocalPlan plan = fixture::standardLocalPlan();
    plan.declaredAreas = 99;
    TLN_LocalManager reader(memory(fixture::buildLocalPart(plan)), 0);
    EXPECT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.NumberOfAreas(), 99);
    EXPECT_EQ(reader.AreaCount(), 4);
    EXPECT_FALSE(TLN_LocalManager(memory({}), 0).IsValid());
}

TEST(Manager21, HeaderFormsBySize) {
    for (int headerBytes : {44, 46}) {
        TLN_Manager21 reader(memory(fixture::buildManager21Part(headerBytes, 10)), 10);
        ASSERT_TRUE(reader.IsValid());
        EXPECT_EQ(reader.HeaderSize(), headerBytes);
        EXPECT_EQ(reader.CoverageLowerLeft(), (TLN_Point{-100000, 1500000}));
        EXPECT_EQ(reader.CoverageUpperRight(), (TLN_Point{200000, 1700000}));
        EXPECT_EQ(reader.LevelCode(), 0x0102);
        EXPECT_EQ(reader.BitMaskBits(), 0x80);
        EXPECT_EQ(reader.BitMaskBytes(), 0x10);
        EXPECT_EQ(reader.MainTableRecordCount(), 7);
        EXPECT_EQ(reader.MainTablePosition(), 10 + 0x60);
        EXPECT_EQ(reader.MainTableSize(), 0x20);
        EXPECT_EQ(reader.SecondTablePosition(), 10 + 0xA0);
        // 44 bytes: a 16-bit size and the properties from 38; otherwise 32 bits and from 40.
        EXPECT_EQ(reader.SecondTableSize(), headerBytes == 44 ? 0x20 : 0x2468A);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(reader.Property(i), 0x1101 + i) << headerBytes;
    }
    const auto bytes = fixture::buildManager21Part(46);
    EXPECT_FALSE(TLN_Manager21(memory(bytes), int64_t(bytes.size())).IsValid());
    EXPECT_FALSE(TLN_Manager21(memory(bytes), -1).IsValid());
}
