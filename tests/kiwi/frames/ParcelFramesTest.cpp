// A parcel's frames read once from the map: every parcel of the frame fixture, reads per parcel and the
// shared cache, references outside the parcel's data, texts in the map text code page.
#include <gtest/gtest.h>

#include "../map/MapTestSupport.h"
#include "kiwi/frames/GuidanceFrame.h"
#include "kiwi/frames/InfraLinkFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/frames/RoadFrame.h"
#include "kiwi/map/KiwiMap.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/FrameFixture.h"
#include "support/walkers/CountingStream.h"
#include "support/walkers/FrameWalk.h"

namespace {

std::shared_ptr<const TLN_Parcel_Frames> load(TLN_KiwiMap& map, const fixture::AllDataPlan& plan,
                                              const fixture::ParcelEntry& entry) {
    TLN_MM_Parcel_Managenent_Record record;
    if (entry.sub >= 0) {
        TLN_MM_Parcel_Managenent_Record divided;
        if (!map.FindParcel(maptest::numberOf(plan, entry), false, divided)) return nullptr;
        if (!map.ReadParcel(divided.Stream, uint8_t(entry.level), uint32_t(entry.sub), record, false,
                            divided.Address))
            return nullptr;
    } else if (!map.FindParcel(maptest::numberOf(plan, entry), false, record)) {
        return nullptr;
    }
    return LoadParcelFrames(map, uint8_t(entry.level), record);
}

} // namespace

TEST(ParcelFrames, EveryParcelOfTheFixtureOnceFromTheCache) {
    const fixture::AllDataPlan plan = fixture::framesAllDataPlan();
    const auto image = fixture::buildAllData(plan);
    const std::string path = fixture::writeAllData(image, fixture::scratchDir("parcel-frames"));
    ReadCounter counter;
    TLN_KiwiMap map(path, counter.Opener());
    size_t guided = 0;
    for (const fixture::ParcelEntry& entry : image.parcels) {
        SCOPED_TRACE(std::to_string(entry.level) + "/" + std::to_string(entry.blockSet) + "/" +
                     std::to_string(entry.block) + "/" + std::to_string(entry.parcel));
        // The parcel management information is read first; the frames cost one read, the guidance one more.
        TLN_MM_Parcel_Managenent_Record record;
        ASSERT_TRUE(map.FindParcel(maptest::numberOf(plan, entry), false, record));
        counter.Reset();
        const auto frames = load(map, plan, entry);
        ASSERT_TRUE(frames);
        EXPECT_LE(counter.Reads(), entry.routeGuidanceFrame >= 0 ? 2u : 1u + (entry.sub >= 0 ? 1u : 0u));
        EXPECT_EQ(frames->Parcel.Position(), entry.frame);
        EXPECT_TRUE(frames->Road.IsValid());
        EXPECT_TRUE(frames->Background.IsValid());
        EXPECT_TRUE(frames->Name.IsValid());
        EXPECT_EQ(frames->HasRouteGuidance, entry.routeGuidanceFrame >= 0);
        if (frames->HasRouteGuidance) {
            ++guided;
            EXPECT_EQ(frames->RouteGuidance.Position(), entry.routeGuidanceFrame);
            EXPECT_TRUE(frames->Guidance.IsValid());
            EXPECT_TRUE(frames->Strings.IsValid());
        }
        TLN_Road_Data_Frame road;
        EXPECT_TRUE(ReadRoadDataFrame(frames->Road, road));
        EXPECT_EQ(road.Classes.size(), 3u);
        // A second load takes the buffers from the map's cache.
        counter.Reset();
        ASSERT_TRUE(LoadParcelFrames(map, frames->Stream, frames->Level, entry.frame, entry.frameSize));
        EXPECT_EQ(counter.Reads(), 0u);
    }
    EXPECT_GT(guided, 0u);
    EXPECT_LE(map.SpanCache().HeldBytes(), map.SpanCache().Capacity());
}

TEST(ParcelFrames, ReferencesOutsideTheParcelAreNotFound) {
    const fixture::AllDataPlan plan = fixture::framesAllDataPlan();
    auto image = fixture::buildAllData(plan);
    const fixture::ParcelEntry& entry = image.parcels.front();
    ASSERT_EQ(entry.file, "ALLDATA.KWI");
    // The road reference (after 36 bytes and the regions) points far past the parcel; the name reference
    // starts inside and runs past its end.
    const size_t reference = size_t(entry.frame) + 36 + 4 * size_t(entry.regions);
    for (size_t i = 0; i < 4; ++i)
        image.allData[reference + i] = i == 0 ? 0x00 : 0x7F;
    image.allData[reference + 6 * 2 + 4] = 0x7F;
    const auto map = maptest::openMap(image);
    const auto frames = load(*map, plan, entry);
    ASSERT_TRUE(frames);
    EXPECT_FALSE(frames->Road.IsValid());
    TLN_Road_Data_Frame road;
    EXPECT_FALSE(ReadRoadDataFrame(frames->Road, road));
    EXPECT_TRUE(frames->Name.IsValid());
    EXPECT_EQ(frames->Name.End(), frames->Parcel.End());
    EXPECT_TRUE(frames->Background.IsValid());
}

TEST(ParcelFrames, TextsInTheMapTextCodePage) {
    for (const int codePage : {65001, 1251, 1200}) {
        SCOPED_TRACE(codePage);
        fixture::AllDataPlan plan = fixture::framesAllDataPlan();
        plan.textCodePage = codePage;
        const auto image = fixture::buildAllData(plan);
        const auto map = maptest::openMap(image);
        const fixture::ParcelEntry& entry = image.parcels.front();
        const auto frames = load(*map, plan, entry);
        ASSERT_TRUE(frames);
        TLN_Name_Data_Frame names;
        ASSERT_TRUE(ReadNameDataFrame(frames->Name, map->GetLevel(0), names, map->SystemNumber()));
        TLN_Name_Data_Record record;
        ASSERT_TRUE(ReadNameRecord(frames->Name, 48, true, record, names.Classes[0].ListPosition, 0,
                                   TLN_TextPages{codePage, 0}));
        EXPECT_EQ(record.String.text, QString::fromStdString(fixture::nameText(0, 0)));
        const auto expected = fixture::encodeText(fixture::nameText(0, 0), codePage);
        EXPECT_EQ(record.String.raw,
                  QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())));
    }
}

TEST(ParcelFrames, WideVariantWalksLikeTheNarrowOne) {
    size_t records[2] = {0, 0};
    for (const bool wide : {false, true}) {
        const auto image = fixture::buildAllData(fixture::framesAllDataPlan(wide));
        const auto map = maptest::openMap(image);
        EXPECT_EQ(map->SystemNumber(), wide ? 8u : 2u);
        FrameWalkOptions options;
        options.dump.pages = TLN_TextPages{wide ? 1200 : 65001, 0};
        const FrameWalkResult result = walkFrames(*map, nullptr, options);
        EXPECT_EQ(result.parcels, 51u);
        records[wide] = result.records;
    }
    EXPECT_EQ(records[0], records[1]);
    EXPECT_GT(records[0], 1000u);
}

// Read through the map in both system-number widths: an all-ones string offset of a toward name point is no
// string, and lists of no records whose offsets name their frame's end are empty lists at that end.
TEST(ParcelFrames, EmptyListsAtFrameEndsAndAllOnesOffsets) {
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "system 8" : "system 2");
        const fixture::AllDataPlan plan = fixture::framesAllDataPlan(wide);
        const auto image = fixture::buildAllData(plan);
        const auto map = maptest::openMap(image);
        size_t checked = 0, emptyNames = 0, emptyAreas = 0;
        for (const fixture::ParcelEntry& entry : image.parcels) {
            if (entry.routeGuidanceFrame < 0 || entry.sub >= 0) continue;
            const auto frames = load(*map, plan, entry);
            ASSERT_TRUE(frames);
            TLN_Guidance_Data_Frame guidance;
            ASSERT_TRUE(ReadGuidanceDataFrame(frames->Guidance, guidance));
            const TLN_Guidance_Table_Reference& caution = guidance.Tables[7];
            EXPECT_TRUE(caution.Present);
            EXPECT_EQ(caution.Count, 0);
            EXPECT_EQ(caution.Position, frames->Guidance.End());
            const auto toward =
                GuidanceRecordPositions(frames->Guidance, guidance, TLN_Guidance_Table::TowardNames);
            ASSERT_EQ(toward.size(), 2u);
            TLN_Toward_Name_Data_Rec record;
            ASSERT_TRUE(ReadTowardName(frames->Guidance, record, toward[1]));
            ASSERT_EQ(record.Points.size(), 2u);
            EXPECT_TRUE(record.Points[1].StringFlag());
            EXPECT_EQ(record.Points[1].StringOffset, 0xFFFF);
            EXPECT_EQ(record.Points[1].StringPosition, -1);

            TLN_Name_Data_Frame names;
            ASSERT_TRUE(ReadNameDataFrame(frames->Name, map->GetLevel(uint8_t(entry.level)), names,
                                          map->SystemNumber()));
            if (names.Classes.size() > 1 && names.Classes[1].StoredRecordCount == 0 &&
                names.Classes[1].Offset != 0xFFFF) {
                EXPECT_EQ(names.Classes[1].ListPosition, frames->Name.End());
                EXPECT_EQ(names.Classes[1].RecordCount, 0);
                ++emptyNames;
            }
            if (frames->InfraLink.IsValid()) {
                TLN_Infra_Link_Frame infra;
                ASSERT_TRUE(ReadInfraLinkFrame(frames->InfraLink, infra));
                EXPECT_EQ(infra.Areas[2].Size, 0u);
                EXPECT_EQ(infra.Areas[2].DataPosition, frames->InfraLink.End());
                ++emptyAreas;
            }
            ++checked;
        }
        EXPECT_GT(checked, 0u);
        EXPECT_GT(emptyNames, 0u);
        EXPECT_GT(emptyAreas, 0u);
    }
}
