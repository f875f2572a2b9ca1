// LOADING.KWI: systems of two makers, units and modules, file lists and identification records.
#include <gtest/gtest.h>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BigEndianIO.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/Loading.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LoadingFixtures.h"

namespace {
TLN_Loading load(std::vector<uint8_t> bytes) {
    return TLN_Loading(std::make_shared<TLN_MemoryStream>(std::move(bytes)));
}
// A file of count systems with the given unit counts (maker unknown), padded to size.
std::vector<uint8_t> systemsFile(const std::vector<int>& units, size_t size = 2048) {
    fixture::ByteWriter w;
    w.u16(uint32_t(units.size())).u16(0);
    for (int u : units)
        w.coordinate(1).coordinate(2).u8(0).u8(0).u16(0).u16(uint32_t(u)).u16(0);
    w.padTo(size);
    return w.take();
}
} // namespace

TEST(Loading, ReadsSystemsOfTwoMakers) {
    const fixture::LoadingFixture fx = fixture::buildLoading();
    const TLN_Loading loading = load(fx.bytes);
    ASSERT_TRUE(loading.IsValid());
    EXPECT_EQ(loading.SystemCount(), 2);
    ASSERT_EQ(loading.Systems().size(), 2u);

    const TLN_System_Identification_Info& aisin = loading.Systems()[0];
    EXPECT_EQ(aisin.MakerName, "AISIN-AW");
    EXPECT_EQ(aisin.Point.X, fixture::kAisinLongitude);
    EXPECT_EQ(aisin.Point.Y, fixture::kAisinLatitude);
    EXPECT_EQ(aisin.Point.ByteValue, 5);
    EXPECT_EQ(aisin.Point.WordValue, 0x1999);
    ASSERT_EQ(aisin.UnitCount, 2);
    ASSERT_EQ(aisin.Units.size(), 2u);

    const TLN_Unit_Record_AISIN& main = aisin.Units[0];
    EXPECT_EQ(main.Index, 0);
    EXPECT_EQ(main.UnitPosition, 36);
    EXPECT_EQ(main.UnitNumber, 1);
    EXPECT_EQ(main.UnitName, "NAVI MAIN");
    EXPECT_EQ(main.UnitIdentifier, "ID000001");
    EXPECT_EQ(main.ModulePosition, int64_t(fx.aisinModule0));
    EXPECT_EQ(main.ModulePosition, 36 + 2 * 64);
    EXPECT_EQ(main.ModuleWord1, 0x0102);
    EXPECT_EQ(main.ModuleWord2, 0x0304);
    EXPECT_EQ(main.ModuleName, "MAIN PROGRAM");
    EXPECT_EQ(main.ModuleAddress, 4096); // a KIWI address
    EXPECT_EQ(main.ModuleSize, 2);
    EXPECT_TRUE(main.HasFirstEntry);
    EXPECT_FALSE(main.FileListTruncated);
    ASSERT_EQ(main.Files.size(), 3u); // the first entry and the two it leads to
    EXPECT_EQ(main.Files[0].Name, "FILELIST");
    EXPECT_EQ(main.Files[0].Position, int64_t(fx.fileListAt));
    EXPECT_EQ(main.Files[0].Size, 0x40u);
    EXPECT_EQ(main.Files[1].Name, "PROG.BIN");
    EXPECT_EQ(main.Files[1].Position, 4096 + 0x200);
    EXPECT_EQ(main.Files[1].Size, 0x200u);
    EXPECT_EQ(main.Files[2].Name, "DATA.BIN");
    EXPECT_EQ(main.Files[2].Position, 4096 + 0x400);

    const TLN_Unit_Record_AISIN& data = aisin.Units[1];
    EXPECT_EQ(data.Index, 1);
    EXPECT_EQ(data.ModuleAddress, 8192 + 64);
    EXPECT_FALSE(data.HasFirstEntry);
    ASSERT_EQ(data.Files.size(), 2u);
    EXPECT_EQ(data.Files[0].Name, "A.DAT");
    EXPECT_EQ(data.Files[0].Position, 8256);
    EXPECT_EQ(data.Files[1].Name, "B.DAT");
    EXPECT_EQ(data.Files[1].Position, 8256 + 0x40);

    const TLN_System_Identification_Info& denso = loading.Systems()[1];
    EXPECT_EQ(denso.MakerName, "DENSO");
    ASSERT_EQ(denso.Units.size(), 1u);
    EXPECT_EQ(denso.Units[0].Index, 2); // numbered across systems
    EXPECT_EQ(denso.Units[0].UnitPosition, 36 + 2 * 320);
    EXPECT_EQ(denso.Units[0].ModuleAddressValue, 3u);
    EXPECT_EQ(denso.Units[0].ModuleAddress, 6144); // sector 3
    EXPECT_TRUE(denso.Units[0].Files.empty());     // only AISIN-AW modules have file lists
}

TEST(Loading, ReadsIdentificationRecords) {
    const fixture::LoadingFixture fx = fixture::buildLoading();
    const TLN_Loading loading = load(fx.bytes);
    TLN_Unit_Identification id;
    ASSERT_TRUE(loading.ReadIdentification(int64_t(fx.identificationAt), id));
    EXPECT_EQ(id.Name, "NAVP");
    EXPECT_EQ(id.Version, "V1.02");
    EXPECT_EQ(id.Date, "2004-05-06");
    EXPECT_EQ(id.Copyright, "(C) NAV CO");
    EXPECT_EQ(id.RamOffset, 0x00200000u);
    EXPECT_EQ(id.Size, 0x00012345u);
    EXPECT_EQ(id.Checksum, 0xDEADBEEFu);
    EXPECT_TRUE(loading.ReadIdentification(int64_t(fx.bytes.size()) - 124, id));
    EXPECT_FALSE(loading.ReadIdentification(int64_t(fx.bytes.size()) - 123, id));
    EXPECT_FALSE(loading.ReadIdentification(-1, id));
}

TEST(Loading, ValidityRules) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool valid;
        size_t systems;
    };
    std::vector<uint8_t> shortFile = systemsFile({1});
    shortFile.pop_back();
    const std::vector<int> nineteen(19, 1);
    const std::vector<int> twenty(20, 1);
    const Case cases[] = {
        {"one system", systemsFile({1}), true, 1},
        {"2047 bytes", shortFile, false, 0},
        {"no system", systemsFile({}), false, 0},
        {"19 systems", systemsFile(nineteen, 4 + 19 * 16 + 19 * 320), true, 19},
        {"20 systems", systemsFile(twenty, 8192), false, 0},
        {"49 units", systemsFile({49}, 4 + 16 + 49 * 320), true, 1},
        // The system whose records the file cuts short is left out and the reader says why.
        {"49 units past the end", systemsFile({49}, 4 + 16 + 49 * 320 - 1), true, 0},
        {"second system with 0 units", systemsFile({1, 0}), false, 1},
        {"second system with 50 units", systemsFile({1, 50}, 32768), false, 1},
    };
    for (const Case& c : cases) {
        const TLN_Loading loading = load(c.bytes);
        EXPECT_EQ(loading.IsValid(), c.valid) << c.what;
        EXPECT_EQ(loading.Systems().size(), c.systems) << c.what;
        EXPECT_EQ(loading.Damage().empty(), c.valid && c.systems > 0) << c.what << ": " << loading.Damage();
    }
    EXPECT_THROW(TLN_Loading("/nonexistent/LOADING.KWI"), EFOpenError);
}

TEST(Loading, FileListsAreBoundedByTheirSpace) {
    const fixture::LoadingFixture fx = fixture::buildLoading();
    // In the record: a count of 0xFFFF is cut to the 11 entries that fit before the address field.
    std::vector<uint8_t> bytes = fx.bytes;
    bytes[fx.aisinModule1 + 68] = 0xFF;
    bytes[fx.aisinModule1 + 69] = 0xFF;
    TLN_Loading inRecord = load(bytes);
    ASSERT_TRUE(inRecord.IsValid());
    EXPECT_EQ(inRecord.Systems()[0].Units[1].Files.size(), 11u);
    EXPECT_TRUE(inRecord.Systems()[0].Units[1].FileListTruncated);

    // After a first entry: the count is cut at the end of the module (2 sectors from 4096).
    bytes = fx.bytes;
    bytes[fx.fileListAt] = 0xFF;
    bytes[fx.fileListAt + 1] = 0xFF;
    TLN_Loading inModule = load(bytes);
    const TLN_Unit_Record_AISIN& unit = inModule.Systems()[0].Units[0];
    EXPECT_EQ(unit.Files.size(), 1 + (8192 - (fx.fileListAt + 4)) / 16);
    EXPECT_TRUE(unit.FileListTruncated);

    // A first entry pointing outside its module: only the first entry.
    bytes = fx.bytes;
    bytes[fx.aisinModule0 + 80] = 0x10; // word offset 0x10000010
    TLN_Loading outside = load(bytes);
    EXPECT_EQ(outside.Systems()[0].Units[0].Files.size(), 1u);
    EXPECT_TRUE(outside.Systems()[0].Units[0].FileListTruncated);

    // A module that runs past the end of the file has no list read at all.
    bytes = fx.bytes;
    bytes[fx.aisinModule0 + 255] = 0x09; // 9 sectors from 4096 pass 16384
    TLN_Loading pastEnd = load(bytes);
    EXPECT_TRUE(pastEnd.IsValid());
    EXPECT_TRUE(pastEnd.Systems()[0].Units[0].Files.empty());

    // All ones is no module.
    bytes = fx.bytes;
    for (int i = 0; i < 4; ++i)
        bytes[fx.aisinModule0 + 250 + size_t(i)] = 0xFF;
    TLN_Loading none = load(bytes);
    EXPECT_EQ(none.Systems()[0].Units[0].ModuleAddress, -1);
    EXPECT_TRUE(none.Systems()[0].Units[0].Files.empty());
}

TEST(Loading, DataMakers) {
    struct Case {
        int32_t x, y;
        const char* name;
    };
    const Case cases[] = {
        {3947658, 1005219, "AISIN-AW"},
        {4019390, 1022789, "PANASONIC"},
        {3950370, 1009544, "TOYOTA"},
        {3945853, 1007932, "DENSO"},
        {0x4F0000, 4474190, "DENSO"},
        {0x4FFFFF, 4474190, "DENSO"},
        {310392, 1510128, "VOLKSWAGEN"},
        {3894568, 1004808, "MITSUBISHI"},
        {-2391568, 1219088, "GENERAL MOTORS"},
        {3947659, 1005219, ""},
        {1005219, 3947658, ""}, // off by one, X and Y swapped
        {0x4E0000, 4474190, ""},
        {0x4F0000, 4474191, ""},
        {2391568, 1219088, ""},
        {0, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataMakerName({c.x, c.y}), c.name) << c.x << "," << c.y;

    // The masked row matches the text "DENSO" stored over a coordinate pair.
    TLN_MemoryStream text(std::vector<uint8_t>{'D', 'E', 'N', 'S', 'O', 0, 0, 0});
    EXPECT_EQ(DataMakerName(ReadCoordinatePair(text, 0)), "DENSO");
    // A real pair in the file order (latitude first) names the maker.
    TLN_MemoryStream pair(std::vector<uint8_t>{0x0F, 0x56, 0xA3, 0, 0x3C, 0x3C, 0x8A, 0});
    EXPECT_EQ(DataMakerName(ReadCoordinatePair(pair, 0)), "AISIN-AW");
}
