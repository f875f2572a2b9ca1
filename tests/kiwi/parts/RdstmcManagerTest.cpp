// RDS-TMC part: usage codes, the region/group/location chain, message layouts, strings in two code pages
// and two languages, and bounds on hostile counts and lengths.
#include <gtest/gtest.h>

#include "kiwi/core/MapCodePage.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/RdstmcManager.h"
#include "support/fixtures/RdstmcFixture.h"

namespace {

// Sets the map text code page for one test and restores the previous one.
struct CodePageScope {
    int saved = MapTextCodePage;
    explicit CodePageScope(int codePage) { MapTextCodePage = codePage; }
    ~CodePageScope() { MapTextCodePage = saved; }
};

TLN_RdstmcManager open(const fixture::RdstmcPlan& plan, size_t prefix = 0) {
    return TLN_RdstmcManager(std::make_shared<TLN_MemoryStream>(fixture::buildRdstmcPart(plan, prefix)),
                             int64_t(prefix));
}

} // namespace

TEST(RdstmcManager, UsageCodeDecidesValidity) {
    for (auto [code, valid] :
         {std::pair{44880, true}, {65297, true}, {0, false}, {1234, false}, {44881, false}}) {
        EXPECT_EQ(open({.usageCode = uint16_t(code)}).IsValid(), valid) << code;
    }
}

TEST(RdstmcManager, RegionsGroupsAndLocations) {
    CodePageScope scope(1251);
    const TLN_RdstmcManager reader = open({}, 12);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.Header().HeaderSize, 26);
    EXPECT_EQ(reader.Header().TmcFramePosition, 12 + 42);
    ASSERT_EQ(reader.RegionCount(), 2);

    TLN_TmcRegion region;
    ASSERT_TRUE(reader.ReadRegionDataInfo(1, region));
    EXPECT_EQ(region.AreaCode, 7);
    EXPECT_EQ(region.NumberOfGroups, 1);
    EXPECT_EQ(reader.ReadText(region.NamePosition).Text, QString::fromUtf8("Тверь"));
    EXPECT_EQ(reader.ReadText(region.NamePosition, 1).Text, "Tver");

    // Region 0, group 1, location 0 is the third location of the fixture.
    TLN_TmcGroup group;
    ASSERT_TRUE(reader.ReadGroupInfo(0, 1, group));
    EXPECT_EQ(group.FirstLocationNumber, 200);
    TLN_TmcLocationInfo info;
    ASSERT_TRUE(reader.ReadLocationInfo(0, 1, 0, info));
    EXPECT_EQ(info.LocationNumber, 102);
    EXPECT_EQ(info.LocationType, 3);
    TLN_TmcLocationData data;
    ASSERT_TRUE(reader.ReadLocationData(0, 1, 0, data));
    EXPECT_EQ(data.LocationTypeCode, 0xA002u);
    EXPECT_EQ(data.PreviousCrossroad, 602);
    EXPECT_EQ(data.NextCrossroad, 702);
    EXPECT_EQ(data.Property6, 0xD002u);
    EXPECT_EQ(data.Location, (TLN_Point{1099998, 1600002}));
    EXPECT_EQ(reader.ReadText(data.CrossingRoadName1Position).Text, QString::fromUtf8("МКАД"));
    EXPECT_EQ(data.CrossingRoadName2Position, -1);
    EXPECT_TRUE(reader.ReadText(data.CrossingRoadName2Position).Text.isEmpty());

    // Indices outside the counts are not found.
    EXPECT_FALSE(reader.ReadRegionDataInfo(2, region));
    EXPECT_FALSE(reader.ReadGroupInfo(0, 2, group));
    EXPECT_FALSE(reader.ReadLocationInfo(0, 0, 2, info));
    EXPECT_FALSE(reader.ReadLocationData(1, 0, 1, data));
    EXPECT_FALSE(reader.ReadRegionDataInfo(-1, region));
}

TEST(RdstmcManager, MessageTablesOfThreeLayouts) {
    CodePageScope scope(1200);
    const TLN_RdstmcManager reader = open({.codePage = 1200});
    EXPECT_EQ(reader.MessageCount(0), 2);
    EXPECT_EQ(reader.MessageCount(1), 2);
    EXPECT_EQ(reader.MessageCount(2), 3);
    TLN_TmcMessage m;
    ASSERT_TRUE(reader.ReadMessageRecord(1, m));
    EXPECT_EQ(m.MessageNumber, 0x102);
    EXPECT_EQ(m.Property1, 0x33333333u);
    EXPECT_EQ(m.Property2, 0x44444444u);
    EXPECT_EQ(reader.ReadText(m.TextPosition).Text, QString::fromUtf8("Авария"));
    ASSERT_TRUE(reader.ReadMessageRecord2(1, m));
    EXPECT_EQ(m.Property1, 0x6666u);
    EXPECT_EQ(reader.ReadText(m.TextPosition, 1).Text, "Roadworks");
    ASSERT_TRUE(reader.ReadMessageRecord3(2, m));
    EXPECT_EQ(m.MessageNumber, 0x303);
    EXPECT_EQ(m.TextPosition, -1);
    EXPECT_FALSE(reader.ReadMessageRecord3(3, m));
    EXPECT_FALSE(reader.ReadMessageRecord(-1, m));
}

TEST(RdstmcManager, HostileCountsAndLengths) {
    CodePageScope scope(1200);
    // A region count far beyond the frame is bounded by the bytes of the frame.
    const TLN_RdstmcManager many = open({.codePage = 1200, .declaredRegions = 0xFFFFFFFF});
    EXPECT_EQ(many.TmcHeader().NumberOfRegions, 0xFFFFFFFFu);
    EXPECT_LE(many.RegionCount(), many.Header().TmcFrameSize / 32);
    TLN_TmcRegion region;
    for (int64_t i = 0; i < many.RegionCount(); ++i)
        many.ReadRegionDataInfo(i, region);

    // A text whose stored length runs past the end of the file is cut at the end.
    const TLN_RdstmcManager cut = open({.codePage = 1200, .lastStringPastEnd = true});
    TLN_TmcMessage m;
    ASSERT_TRUE(cut.ReadMessageRecord2(1, m));
    EXPECT_EQ(cut.ReadText(m.TextPosition, 1).Text, "Roadworks");
    // A language beyond the string's table reads neighbouring words but stays within the stream.
    cut.ReadText(m.TextPosition, 40000);
    EXPECT_TRUE(
        cut.ReadText(cut.Header().TextFramePosition + cut.Header().TextFrameSize + 100000).Text.isEmpty());
}

TEST(RdstmcManager, OffsetsFromAFrameThatIsNoneAreNone) {
    CodePageScope scope(1251);
    auto patch32 = [](std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
    };
    std::vector<uint8_t> bytes = fixture::buildRdstmcPart({});
    const TLN_RdstmcManager intact(std::make_shared<TLN_MemoryStream>(bytes), 0);
    const int64_t t = intact.Header().TmcFramePosition;
    // No text frame and no location data frame: their offsets are all ones.
    patch32(bytes, 34, 0xFFFFFFFF);
    patch32(bytes, size_t(t + 30), 0xFFFFFFFF);
    const TLN_RdstmcManager reader(std::make_shared<TLN_MemoryStream>(bytes), 0);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.Header().TextFramePosition, -1);
    EXPECT_EQ(reader.TmcHeader().LocationFramePosition, -1);

    TLN_TmcRegion region;
    ASSERT_TRUE(reader.ReadRegionDataInfo(1, region));
    EXPECT_EQ(region.NamePosition, -1);
    EXPECT_EQ(region.LocationDataPosition, -1);
    EXPECT_TRUE(reader.ReadText(region.NamePosition).Raw.isEmpty());
    TLN_TmcLocationInfo info;
    ASSERT_TRUE(reader.ReadLocationInfo(1, 0, 0, info));
    EXPECT_EQ(info.LocationDataPosition, -1);
    TLN_TmcLocationData data;
    EXPECT_FALSE(reader.ReadLocationData(1, 0, 0, data));
    TLN_TmcMessage message;
    ASSERT_TRUE(reader.ReadMessageRecord2(1, message));
    EXPECT_EQ(message.TextPosition, -1);
}
