// The main map model over the fixture: header, levels, block sets, blocks, parcel lists and data files.
#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "MapTestSupport.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CountingStream.h"

using maptest::numberOf;
using maptest::openMap;

TEST(KiwiMap, ReadsTheHeaderAndLevels) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    ASSERT_TRUE(map->IsValid());
    ASSERT_TRUE(map->LevelsLoaded());
    EXPECT_EQ(map->PartBase(), 8192);
    EXPECT_EQ(map->HeaderSize(), 30u);
    EXPECT_TRUE(map->FileNameDesignation());
    EXPECT_EQ(map->LevelRecordSize(), 52u);
    EXPECT_EQ(map->BlockSetRecordSize(), 10u);
    EXPECT_EQ(map->BlockRecordSize(), 18u);
    EXPECT_EQ(map->BlockSetRecordCount(), 3);
    EXPECT_EQ(map->SystemNumber(), 2u);
    EXPECT_EQ(map->Coverage(), (TLN_Rect{-40000, 1500000, 60000, 1400000}));
    ASSERT_EQ(map->LevelCount(), 2u);

    const TLN_Level_Management_Record level = map->GetLevel(0);
    EXPECT_EQ(level.LevelCode, 1);
    EXPECT_EQ(level.Position, 8192 + 30);
    EXPECT_EQ(level.BlockSets, (TLN_Division{2, 1}));
    EXPECT_EQ(level.Blocks, (TLN_Division{2, 2}));
    EXPECT_EQ(level.Parcels, (TLN_Division{2, 2}));
    EXPECT_EQ(level.Divisions[0], level.Parcels);
    EXPECT_EQ(map->GetLevelWord(0, 2), (TLN_Division{4, 4}));
    EXPECT_EQ(map->GetLevelWord(0, 3), (TLN_Division{1, 2}));
    EXPECT_EQ(level.IntegratedCount, 4);
    EXPECT_EQ(level.DividedCount, 2);
    EXPECT_EQ(level.MainMapBasicCount, 3);
    EXPECT_EQ(level.MainMapExtendedCount, 2);
    EXPECT_EQ(level.RouteGuidanceBasicCount, 1);
    EXPECT_EQ(level.BlockWidth, 8192);
    EXPECT_EQ(level.BlockSetWidth, 16384);
    EXPECT_EQ(level.BlockSetHeight, 16384);
    EXPECT_EQ(level.ParcelsPerBlockSetX, 4);
    EXPECT_EQ(level.ParcelsAcrossX, 8);
    EXPECT_EQ(level.ParcelsAcrossY, 4);
    EXPECT_EQ(level.ParcelWidth, 12500);
    EXPECT_EQ(level.ParcelHeight, 25000);
    EXPECT_EQ(level.NodeRecordSize, 8u);
    // Scale labels: 99999 cm is 1:999 m, 100000 cm is 1:1 km, all ones is no scale.
    EXPECT_EQ(level.ScaleLabels[0], "1:100 m");
    EXPECT_EQ(level.ScaleLabels[1], "1:999 m");
    EXPECT_EQ(level.ScaleLabels[2], "1:1 km");
    EXPECT_EQ(level.ScaleLabels[4], "");
    EXPECT_TRUE(level.HasClassLists);
    EXPECT_EQ(level.RoadClassCodes, (std::vector<uint16_t>{3, 17}));
    EXPECT_EQ(level.RoadClassIndex[17 % 16], 1);
    EXPECT_EQ(level.BackgroundClassIndex[40 % 32], 1);
    EXPECT_EQ(level.NameClassCodes, (std::vector<uint16_t>{5}));
    EXPECT_EQ(map->GetLevel(1).LevelCode, 2);
    EXPECT_EQ(map->Level(2), nullptr);
    EXPECT_EQ(map->GetLevelWord(2, 0), (TLN_Division{0, 0}));
    EXPECT_EQ(map->GetLevelWord(0, 4), (TLN_Division{0, 0}));
}

TEST(KiwiMap, FindsEveryParcelTheFixtureWroteAndNothingElse) {
    const auto plan = fixture::smallAllDataPlan();
    const auto image = fixture::buildAllData(plan);
    const auto map = openMap(image);
    std::set<std::string> expected;
    for (const fixture::ParcelEntry& entry : image.parcels) {
        SCOPED_TRACE(std::to_string(entry.level) + "/" + std::to_string(entry.blockSet) + "/" +
                     std::to_string(entry.block) + "/" + std::to_string(entry.parcel) + "/" +
                     std::to_string(entry.sub));
        TLN_MM_Parcel_Managenent_Record record;
        ASSERT_TRUE(map->FindParcel(numberOf(plan, entry), false, record));
        if (entry.sub >= 0) {
            ASSERT_TRUE(record.IsDivided());
            TLN_MM_Parcel_Managenent_Record sub;
            ASSERT_TRUE(map->ReadParcel(record.Stream, uint8_t(entry.level), uint32_t(entry.sub), sub, false,
                                        record.Address));
            record = sub;
        } else {
            expected.insert(std::to_string(entry.level) + "/" + std::to_string(entry.blockSet) + "/" +
                            std::to_string(entry.block) + "/" + std::to_string(entry.parcel));
        }
        EXPECT_EQ(record.Address, entry.frame);
        EXPECT_EQ(record.Size, entry.frameSize);
        ASSERT_TRUE(record.Stream);
        EXPECT_EQ(fileNamePart(record.Stream->FileName()), entry.file);
        TLN_MM_Distribution_Header header;
        ASSERT_TRUE(
            map->ReadMainMapHeader(record.Stream, uint8_t(entry.level), header, true, record.Address));
        EXPECT_EQ(header.Identifier, entry.identifier);
        EXPECT_EQ(header.RouteGuidancePosition, entry.routeGuidanceFrame);
        EXPECT_EQ(int(header.Regions.size()), entry.regions);
        if (entry.routeGuidanceFrame >= 0) {
            TLN_MM_Parcel_Managenent_Record route;
            ASSERT_TRUE(map->FindParcel(numberOf(plan, entry), true, route));
            EXPECT_EQ(route.Address, entry.routeGuidanceFrame);
            EXPECT_EQ(route.Size, 32u);
        }
    }
    // Every parcel number of every level: the found ones are exactly the manifest's (divided ones included).
    std::set<std::string> divided;
    for (const fixture::ParcelEntry& entry : image.parcels)
        if (entry.sub >= 0)
            divided.insert(std::to_string(entry.level) + "/" + std::to_string(entry.blockSet) + "/" +
                           std::to_string(entry.block) + "/" + std::to_string(entry.parcel));
    std::set<std::string> found;
    for (size_t l = 0; l < plan.levels.size(); ++l) {
        const auto& level = plan.levels[l];
        for (int set = 0; set < level.blockSets.x * level.blockSets.y; ++set)
            for (int block = 0; block < level.blocks.x * level.blocks.y; ++block)
                for (int parcel = 0; parcel < level.parcels.x * level.parcels.y; ++parcel) {
                    fixture::ParcelEntry entry;
                    entry.level = int(l);
                    entry.blockSet = set;
                    entry.block = block;
                    entry.parcel = parcel;
                    TLN_MM_Parcel_Managenent_Record record;
                    if (map->FindParcel(numberOf(plan, entry), false, record))
                        found.insert(std::to_string(l) + "/" + std::to_string(set) + "/" +
                                     std::to_string(block) + "/" + std::to_string(parcel));
                }
    }
    expected.insert(divided.begin(), divided.end());
    EXPECT_EQ(found, expected);
    EXPECT_FALSE(found.count("0/0/0/3")) << "empty record";
    EXPECT_FALSE(found.count("0/0/2/3")) << "missing data file";
    EXPECT_FALSE(found.count("0/1/3/2")) << "sub-parcel list offset 0";
    EXPECT_FALSE(found.count("0/1/1/0")) << "absent block";
}

TEST(KiwiMap, DataFilesAreOpenedOnceEach) {
    const auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    std::map<std::string, int> opens;
    auto inner = fixture::memoryOpener(fixture::memoryFilesOf(image));
    TLN_KiwiMap map(maptest::kMemoryAllData, [&](const std::string& path) {
        ++opens[fileNamePart(path)];
        return inner(path);
    });
    const auto plan = fixture::smallAllDataPlan();
    for (int pass = 0; pass < 2; ++pass)
        for (const fixture::ParcelEntry& entry : image.parcels) {
            TLN_MM_Parcel_Managenent_Record record;
            map.FindParcel(numberOf(plan, entry), false, record);
        }
    EXPECT_EQ(opens["MAP100.DAT"], 1);
    EXPECT_EQ(opens["MAP202.DAT"], 1);
    EXPECT_EQ(opens["BLOCK10.PMI"], 1);
    EXPECT_EQ(map.DataFileStreams().size(), 3u);
    // A missing file is tried once and remembered as missing.
    EXPECT_FALSE(map.GetDataFileStream("NOFILE.DAT"));
    EXPECT_FALSE(map.GetDataFileStream("NOFILE.DAT"));
    EXPECT_EQ(opens["NOFILE.DAT"], 1);
    map.FreeDataFileStreams();
    EXPECT_TRUE(map.DataFileStreams().empty());
}

TEST(KiwiMap, AtMostTheBoundOfDataFilesStaysOpen) {
    const auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    const auto plan = fixture::smallAllDataPlan();
    const std::set<std::string> dataFiles = {"MAP100.DAT", "MAP202.DAT", "BLOCK10.PMI"};
    auto inner = fixture::memoryOpener(fixture::memoryFilesOf(image));
    // Data-file streams alive now (opened and not yet closed), and opens so far.
    auto live = std::make_shared<std::atomic<int>>(0);
    int opens = 0;
    TLN_KiwiMap bounded(maptest::kMemoryAllData, [&](const std::string& path) -> std::shared_ptr<TLN_Stream> {
        std::shared_ptr<TLN_Stream> stream = inner(path);
        if (!stream || !dataFiles.count(fileNamePart(path))) return stream;
        ++opens;
        ++*live;
        return std::shared_ptr<TLN_Stream>(stream.get(), [stream, live](TLN_Stream*) mutable {
            stream.reset();
            --*live;
        });
    });
    TLN_KiwiMap reference(maptest::kMemoryAllData, inner);
    ASSERT_TRUE(bounded.IsValid());
    bounded.DataFiles().SetLimit(1);

    auto head = [](const TLN_MM_Parcel_Managenent_Record& record) {
        std::vector<uint8_t> bytes(16, 0);
        if (record.Stream && record.Address >= 0) record.Stream->ReadAt(record.Address, bytes.data(), 16);
        return bytes;
    };
    int found = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (const fixture::ParcelEntry& entry : image.parcels) {
            {
                TLN_MM_Parcel_Managenent_Record got, expected;
                const bool ok = bounded.FindParcel(numberOf(plan, entry), false, got);
                ASSERT_EQ(ok, reference.FindParcel(numberOf(plan, entry), false, expected));
                if (!ok) continue;
                ++found;
                EXPECT_EQ(got.Address, expected.Address);
                EXPECT_EQ(got.Size, expected.Size);
                EXPECT_EQ(got.FileName, expected.FileName);
                EXPECT_EQ(head(got), head(expected));
            }
            EXPECT_LE(live->load(), 1) << "the bound holds between reads";
            EXPECT_LE(bounded.DataFileStreams().size(), 1u);
        }
    EXPECT_GT(found, 0);
    EXPECT_GT(opens, 3) << "files closed by the bound are opened again when needed";
    EXPECT_EQ(reference.DataFileStreams().size(), 3u);
}

TEST(KiwiMap, DataFileNamesStayInsideTheFolder) {
    const auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    const std::string folder = fixture::scratchDir("kiwimap-names");
    fixture::writeAllData(image, folder + "/disc");
    fixture::writeFile(folder + "/OUTSIDE.DAT", {1, 2, 3});
    // Lower-case copies of a disc: found by a case-insensitive match.
    std::rename((folder + "/disc/MAP202.DAT").c_str(), (folder + "/disc/map202.dat").c_str());
    TLN_KiwiMap map(folder + "/disc/ALLDATA.KWI");
    EXPECT_TRUE(map.GetDataFileStream("MAP202.DAT"));
    EXPECT_TRUE(map.GetDataFileStream("Map202.Dat"));
    EXPECT_EQ(map.DataFileStreams().size(), 1u) << "one file, opened once, whatever the case of its name";
    EXPECT_FALSE(map.GetDataFileStream("../OUTSIDE.DAT"));
    EXPECT_FALSE(map.GetDataFileStream("..\\OUTSIDE.DAT"));
    EXPECT_FALSE(map.GetDataFileStream(folder + "/OUTSIDE.DAT"));
    EXPECT_FALSE(map.GetDataFileStream(""));
    EXPECT_FALSE(map.GetDataFileStream(".."));
    EXPECT_FALSE(map.GetDataFileStream("NOSUCH.DAT"));
}

TEST(KiwiMap, MissingFileRaisesAndBadVolumesGiveInvalidOrEmptyMaps) {
    EXPECT_THROW(TLN_KiwiMap("/nonexistent-kiwi-fixture/ALLDATA.KWI"), EFOpenError);

    auto plan = fixture::smallAllDataPlan();
    plan.logicalSectorSize = 16;
    const auto invalid = openMap(fixture::buildAllData(plan));
    EXPECT_FALSE(invalid->IsValid());
    EXPECT_EQ(invalid->LevelCount(), 0u);
    EXPECT_FALSE(invalid->PartStream());

    auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    image.allData[2048 + 4] = 0; // management header 0: size 0
    image.allData[2048 + 5] = 0;
    const auto empty = openMap(image);
    EXPECT_TRUE(empty->IsValid());
    EXPECT_EQ(empty->LevelCount(), 0u);
    TLN_BlockSet_Management_Record set;
    EXPECT_FALSE(empty->ReadBlockSet(0, 0, set));
}

TEST(KiwiMap, ManagementPartInItsOwnFile) {
    auto plan = fixture::smallAllDataPlan();
    plan.mainMapFile = "MAINMAP.KWI";
    const auto image = fixture::buildAllData(plan);
    const auto map = openMap(image);
    ASSERT_EQ(map->LevelCount(), 2u);
    EXPECT_TRUE(map->OwnsPartStream());
    EXPECT_EQ(map->PartStream()->FileName(), "MAINMAP.KWI");
    for (const fixture::ParcelEntry& entry : image.parcels) {
        TLN_MM_Parcel_Managenent_Record record;
        ASSERT_TRUE(map->FindParcel(numberOf(plan, entry), false, record));
        if (entry.sub < 0) {
            EXPECT_EQ(record.Address, entry.frame);
        }
    }
}

TEST(KiwiMap, ManagementPartInItsOwnFileWithoutASize) {
    auto plan = fixture::smallAllDataPlan();
    plan.mainMapFile = "MAINMAP.KWI";
    plan.zeroAbsentHeadersFrom = 48;
    auto image = fixture::buildAllData(plan);
    // Header 0 names the file and leaves its size 0: the file is the part all the same.
    image.allData[2048 + 4] = image.allData[2048 + 5] = 0;
    const auto map = openMap(image);
    EXPECT_EQ(map->LevelCount(), 2u);
    EXPECT_TRUE(map->GetManagementHeader(0).Present());
    EXPECT_FALSE(map->GetManagementHeader(3).Present());
    EXPECT_FALSE(map->GetManagementHeader(60).Present());
}

TEST(KiwiMap, LevelRecordOfFortyBytesHasNoClassLists) {
    auto plan = fixture::smallAllDataPlan();
    plan.levelRecordBytes = 40;
    const auto image = fixture::buildAllData(plan);
    const auto map = openMap(image);
    const TLN_Level_Management_Record level = map->GetLevel(0);
    EXPECT_FALSE(level.HasClassLists);
    EXPECT_EQ(level.RoadClassCount, 16);
    EXPECT_EQ(level.BackgroundClassCount, 32);
    EXPECT_EQ(level.NameClassCount, 16);
    EXPECT_TRUE(level.RoadClassCodes.empty());
    EXPECT_EQ(map->GetLevel(1).Position, 8192 + 30 + 40);
    TLN_MM_Parcel_Managenent_Record record;
    EXPECT_TRUE(map->FindParcel(numberOf(plan, image.parcels.back()), false, record));
}

TEST(KiwiMap, CoverageAcrossTheDateLine) {
    auto plan = fixture::smallAllDataPlan();
    plan.west = 5000000;  // 173.6 degrees east
    plan.east = -5000000; // 173.6 degrees west
    const auto map = openMap(fixture::buildAllData(plan));
    EXPECT_EQ(map->Coverage().Left, 5000000);
    EXPECT_EQ(map->Coverage().Right, -5000000 + 10368000);
    EXPECT_EQ(map->GetLevel(0).ParcelWidth, 368000 / 8);
}

TEST(KiwiMap, ParcelSizesOnlyForVariantsBelowThree) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan("BXXXX1")));
    EXPECT_EQ(map->SystemVariant(), 3);
    EXPECT_EQ(map->GetLevel(0).ParcelWidth, 0);
    EXPECT_EQ(map->GetLevel(0).ParcelHeight, 0);
}

TEST(KiwiMap, WalkingParcelsCostsAboutOneReadEach) {
    const auto plan = fixture::largeAllDataPlan(2); // 32 x 32 parcels
    const auto image = fixture::buildAllData(plan);
    const std::string path = fixture::writeAllData(image, fixture::scratchDir("kiwimap-reads"));
    ReadCounter counter;
    TLN_KiwiMap map(path, counter.Opener());
    counter.Reset();
    for (const fixture::ParcelEntry& entry : image.parcels) {
        TLN_MM_Parcel_Managenent_Record record;
        TLN_MM_Distribution_Header header;
        ASSERT_TRUE(map.FindParcel(numberOf(plan, entry), false, record));
        ASSERT_TRUE(map.ReadMainMapHeader(record.Stream, 0, header, true, record.Address));
    }
    // One read per header, plus each block set table, block table and parcel list once.
    const uint64_t tables = 1 + 4 + 4 * 16;
    EXPECT_EQ(image.parcels.size(), 1024u);
    EXPECT_LE(counter.Reads(), image.parcels.size() + tables);
}
