// The sample disc's other parts read by the readers: every file listed in 05.CMP decompresses to its
// plain content, LOADING.KWI and COVERAGE.BIN with its picture, the route planning network (positions in
// the coverage, links that answer each other), the search data's tables as the index grids will read
// them, every picture as drawn, every chime as encoded.
#include <gtest/gtest.h>

#include <QImage>
#include <map>

#include "SampleDiscFolder.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/Loading.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "kiwi/region/Region.h"
#include "kiwi/region/RegionManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "sample-disc/SampleDisc.h"
#include "support/fixtures/PictureFixture.h"
#include "support/fixtures/TownGeometry.h"
#include "support/fixtures/TownIndex.h"
#include "support/fixtures/TownMedia.h"
#include "support/fixtures/VoiceFixtures.h"

namespace {

std::vector<uint8_t> readAll(TLN_Stream& stream) {
    std::vector<uint8_t> bytes(size_t(stream.Size()));
    EXPECT_EQ(stream.ReadAt(0, bytes.data(), int64_t(bytes.size())), int64_t(bytes.size()));
    return bytes;
}

bool insideTown(const TLN_Point& p) {
    using namespace fixture::town;
    return p.X >= kTownWest && p.X <= kTownEast && p.Y >= kTownSouth && p.Y <= kTownNorth;
}

} // namespace

TEST(SampleDiscParts, CompressedFilesReadAsTheirPlainContent) {
    const std::map<std::string, std::vector<uint8_t>> plain = {
        {"SRCH0001.KWI", fixture::buildTownIndex().dataFile},
        {"PICT0001.KWI", fixture::buildPictureFile(samplePictureFile())}};
    for (const auto& [name, bytes] : plain) {
        const auto stream = TLN_DecompFileStream::Create(sampleDiscFile(name));
        ASSERT_TRUE(stream->Listed()) << name;
        EXPECT_NE(fixture::readFile(sampleDiscFile(name)), bytes) << name << " is stored compressed";
        EXPECT_EQ(readAll(*stream), bytes) << name;
    }
    EXPECT_EQ(TLN_DecompFileStream::Create(sampleDiscFile("ALLDATA.KWI"))->Listed(), false);
}

TEST(SampleDiscParts, LoadingAndCoverage) {
    const TLN_Loading loading(sampleDiscFile("LOADING.KWI"));
    EXPECT_TRUE(loading.IsValid());
    EXPECT_EQ(loading.SystemCount(), 2);
    const TLN_Coverage coverage(sampleDiscFile("COVERAGE.BIN"));
    ASSERT_TRUE(coverage.IsValid());
    ASSERT_EQ(coverage.Count(), 1);
    QImage picture;
    ASSERT_TRUE(coverage.LoadPicture(coverage.GetItem(0).Name, picture));
    EXPECT_EQ(picture.size(), QSize(128, 128));
}

TEST(SampleDiscParts, RoutePlanningNetworkHoldsTogether) {
    TLN_RegionManager regions(sampleDiscFile("REGION.KWI"));
    ASSERT_TRUE(regions.IsValid());
    // Level 0 (level code 1): the main crossings of the whole town; level 1 (code 0), below it: south and
    // north of the river, joined by the bridges.
    const std::vector<std::pair<int, int>> present = {{0, 0}, {1, 0}, {1, 1}};
    for (const auto& [level, number] : present) {
        EXPECT_EQ(regions.GetRegionItem(level), 1 - level);
        const auto region = regions.GetRegion(level, number);
        ASSERT_TRUE(region && region->IsValid()) << level << "/" << number;
        ASSERT_GE(region->GetNodeCount(), 4);
        for (int k = 0; k < region->GetNodeCount(); ++k) {
            TLN_Point at;
            ASSERT_TRUE(region->GetNodePosition(k, at));
            EXPECT_TRUE(insideTown(at)) << level << "/" << number << "/" << k;
            std::array<TLN_RP_Node_Link, kRPMaxLinks> links;
            const int count = region->GetNodeLinks(k, links);
            ASSERT_GE(count, 1);
            for (int l = 0; l < count; ++l) {
                // Every link is there from its other end too.
                const int otherNumber = links[size_t(l)].Boundary ? links[size_t(l)].Region : number;
                const auto other = regions.GetRegion(level, otherNumber);
                ASSERT_TRUE(other && links[size_t(l)].Node < other->GetNodeCount());
                std::array<TLN_RP_Node_Link, kRPMaxLinks> back;
                const int backCount = other->GetNodeLinks(links[size_t(l)].Node, back);
                bool found = false;
                for (int b = 0; b < backCount; ++b)
                    found = found || (back[size_t(b)].Node == k &&
                                      (!back[size_t(b)].Boundary || back[size_t(b)].Region == number));
                EXPECT_TRUE(found) << level << "/" << number << "/" << k << " link " << l;
            }
        }
    }
}

TEST(SampleDiscParts, SearchTablesReadAsTheirDefinitionsSay) {
    TLN_IndexManager index(sampleDiscFile("INDEXDAT.KWI"));
    ASSERT_TRUE(index.IsValid());
    ASSERT_EQ(index.VolumeCount(), 1u);
    ASSERT_EQ(index.POICount(), 1u);
    ASSERT_EQ(index.ExpansionCount(), 1u);
    TLN_Volume_Management_Record volume;
    ASSERT_TRUE(index.ReadVolumeRecord(0, volume));
    TLN_Search_Frame_Header frame;
    ASSERT_TRUE(index.ReadSearchFrameHeader(volume.FrameAddress, volume.UsesFileAddresses(), frame));
    ASSERT_EQ(frame.RecordCount, 1u);
    TLN_Detailed_Info_Rec search;
    ASSERT_TRUE(index.ReadDetailedSearchRecord(frame, 0, search));
    TLN_Definition_Frame categories, places;
    ASSERT_TRUE(index.ReadDataDefinition(search.CategoryDefinition, categories));
    ASSERT_TRUE(index.ReadDataDefinition(search.MatchingDefinition, places));
    EXPECT_EQ(categories.FindColumn("NAME"), 1);
    EXPECT_EQ(places.FindColumn("RLXY"), 2);
    EXPECT_EQ(search.FirstLevelOptionCount, fixture::townPlaceKinds().size());
    ASSERT_EQ(search.MatchingRecordCount, fixture::townPlaces().size());

    // The places table record by record: key, counted name, then the P6 position.
    const auto data = index.OpenDataFile(search.MatchingData.FileName);
    for (uint32_t n = 0; n < search.MatchingRecordCount; ++n) {
        std::vector<uint8_t> record(2u * search.MatchingRecordSize);
        const int64_t at = search.MatchingData.DataPosition + int64_t(n * record.size());
        ASSERT_EQ(data->ReadAt(at, record.data(), int64_t(record.size())), int64_t(record.size()));
        const fixture::TownPlace& place = fixture::townPlaces()[n];
        EXPECT_EQ(record[0] << 8 | record[1], place.category);
        const size_t length = record[2];
        EXPECT_EQ(std::string(record.begin() + 3, record.begin() + 3 + long(length)), place.name);
        const uint8_t* p6 = record.data() + 3 + length;
        TLN_Point position{int32_t(p6[3] << 16 | p6[4] << 8 | p6[5]),
                           int32_t(p6[0] << 16 | p6[1] << 8 | p6[2])};
        EXPECT_TRUE(insideTown(position)) << place.name;
    }
}

TEST(SampleDiscParts, PicturesDecodeAsDrawn) {
    const TLN_PCT2MNGManager list(sampleDiscFile("PCT2MNG.KWI"));
    ASSERT_TRUE(list.IsValid());
    ASSERT_EQ(list.Count(), 2);
    const TLN_GraphicManager pictures(list.ManagementFilePath(0));
    ASSERT_TRUE(pictures.IsValid());
    const fixture::TownPictures expected = fixture::townPictures();
    ASSERT_EQ(pictures.ImageCount(), int(expected.expected.size()) + kSampleMarkers);
    for (int i = 0; i < int(expected.expected.size()); ++i) {
        const bool gif = expected.file.images[size_t(i)].type == 2;
        const QImage image = gif ? pictures.LoadGIFImage(i) : pictures.DecodeImage(i, 0);
        EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32), expected.expected[size_t(i)])
            << "image " << i;
    }
    // The markers: each an 8 x 8 frame whose colour differs from its centre's.
    for (int i = int(expected.expected.size()); i < pictures.ImageCount(); i += 97) {
        const QImage marker = pictures.DecodeImage(i, 0);
        ASSERT_EQ(marker.size(), QSize(kSampleMarkerSide, kSampleMarkerSide)) << "marker " << i;
        EXPECT_NE(marker.pixel(0, 0), marker.pixel(kSampleMarkerSide / 2, kSampleMarkerSide / 2))
            << "marker " << i;
    }
}

TEST(SampleDiscParts, ChimesDecodeAsEncoded) {
    const TLN_VoiceManager voice(sampleDiscFile("VOICEDAT.KWI"));
    ASSERT_TRUE(voice.IsValid());
    EXPECT_EQ(voice.LanguageCount(), 2);
    const fixture::VoiceDatFixture encoded = fixture::buildVoiceDat(fixture::townVoicePlan());
    ASSERT_EQ(encoded.tables.size(), 4u);
    for (const fixture::VoiceDatTableManifest& table : encoded.tables) {
        bool truncated = true;
        const std::vector<int16_t> samples = voice.DecodePhrases(int64_t(table.position), &truncated);
        EXPECT_FALSE(truncated) << table.id;
        EXPECT_GT(samples.size(), 10000u) << table.id;
        EXPECT_EQ(samples, table.samples) << table.id;
    }
}
