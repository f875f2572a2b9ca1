// The ALLDATA fixtures the tests, the probe and the benchmark use.
#include "support/AllDataFixture.h"

#include "support/FixtureWriter.h"

namespace fixture {

namespace {
ParcelPlan parcelOf(ParcelPlan::Kind kind, int divisionType = 0) {
    ParcelPlan parcel;
    parcel.kind = kind;
    parcel.divisionType = divisionType;
    return parcel;
}
} // namespace

AllDataPlan smallAllDataPlan(const std::string& systemText) {
    using Kind = ParcelPlan::Kind;
    AllDataPlan plan;
    plan.systemText = systemText;

    LevelPlan low;
    low.codeByte = 0x04;
    low.integrationByte = 0x21;
    low.blockSets = {2, 1};
    low.blocks = {2, 2};
    low.parcels = {2, 2};
    low.divisions[0] = {2, 2};
    low.divisions[1] = {4, 4};
    low.divisions[2] = {1, 2};
    low.basic = 3;
    low.extended = 2;
    low.routeBasic = 1;
    low.routeExtended = 0;

    BlockSetPlan first;
    first.blocks.resize(4);
    // Block 0: list type 0 with a route guidance list, a divided parcel, an adjacent table, an empty record.
    first.blocks[0].routeGuidance = true;
    first.blocks[0].parcels[1] = parcelOf(Kind::Divided, 1);
    first.blocks[0].parcels[2].adjacent = true;
    first.blocks[0].parcels[2].extension = true;
    first.blocks[0].parcels[3].kind = Kind::Empty;
    // Block 1: list type 1 (a word after each record).
    first.blocks[1].listType = 1;
    // Block 2: list type 100, frames in the data file each record names; one names a missing file.
    first.blocks[2].listType = 100;
    first.blocks[2].dataFile = "MAP100.DAT";
    first.blocks[2].parcels[3].recordFile = "NOFILE.DAT";
    // Block 3: list type 202 naming its data file.
    first.blocks[3].listType = 202;
    first.blocks[3].dataFile = "MAP202.DAT";
    first.blocks[3].parcels[0].adjacent = true;

    BlockSetPlan second;
    second.blocks.resize(4);
    // Block 0: its information lies in a file the block record names; one parcel divided 4 x 4.
    second.blocks[0].blockFile = "BLOCK10.PMI";
    second.blocks[0].parcels[0] = parcelOf(Kind::Divided, 2);
    second.blocks[1].absent = true;
    // Block 2: list type 202 without a file name: frames in the list's own stream.
    second.blocks[2].listType = 202;
    second.blocks[2].noName = true;
    // Block 3: a divided parcel whose sub-list offset is 0.
    second.blocks[3].parcels[2] = parcelOf(Kind::Divided, 1);
    second.blocks[3].parcels[2].selfReference = true;
    low.sets = {first, second};

    LevelPlan high;
    high.codeByte = 0x08;
    high.integrationByte = 0x10;
    high.blockSets = {1, 1};
    high.blocks = {1, 2};
    high.parcels = {2, 2};
    high.divisions[0] = {2, 1};
    high.divisions[1] = {2, 2};
    high.divisions[2] = {1, 2};
    high.basic = 3;
    high.extended = 1;
    high.routeBasic = 0;
    high.routeExtended = 0;
    BlockSetPlan only;
    only.blocks.resize(2);
    // Block 0: parcels 0 and 1 integrated 2 x 1.
    only.blocks[0].parcels[0] = parcelOf(Kind::Integrated);
    only.blocks[0].parcels[0].integrated = {2, 1};
    only.blocks[0].parcels[1].kind = Kind::IntegratedMember;
    // Block 1: parcel 3 divided with division type 3 (1 x 2).
    only.blocks[1].parcels[3] = parcelOf(Kind::Divided, 3);
    high.sets = {only};

    plan.levels = {low, high};
    return plan;
}

AllDataPlan largeAllDataPlan(int blockSetsPerSide) {
    AllDataPlan plan;
    plan.frameBodyBytes = 1024;
    LevelPlan level;
    level.blockSets = {blockSetsPerSide, blockSetsPerSide};
    level.blocks = {4, 4};
    level.parcels = {4, 4};
    level.divisions[0] = {2, 2};
    level.routeBasic = 0;
    level.routeExtended = 0;
    plan.levels = {level};
    return plan;
}

AllDataImage buildHostileAllData(HostileMapShape shape) {
    AllDataImage image = buildAllData(smallAllDataPlan());
    image.files.clear();
    image.parcels.clear();
    image.levelRecords.clear();
    image.blockSetTables.clear();
    const bool crowded = shape == HostileMapShape::CrowdedBlockSets;
    const size_t fileSize = crowded ? 4096 : 6656;
    const size_t base = crowded ? 3328 : 4096;
    image.allData.resize(base, 0);
    image.partBase = int64_t(base);

    ByteWriter part;
    // Main map header: no file names, level records of 40 bytes (crowded) or one word, block set records
    // of 10 bytes, block records of 6.
    part.u16(15).u16(0).u16(0).u16(0);
    part.u24(signMagnitude24(1500000)).u24(signMagnitude24(1400000));
    part.u24(signMagnitude24(-40000)).u24(signMagnitude24(60000));
    part.u16(crowded ? 20 : 1).u16(5).u16(3).u16(crowded ? 1 : 256).u16(crowded ? 1560 : 0xFF00);
    if (crowded) {
        image.levelRecords.push_back(int64_t(base + part.size()));
        part.u8(0x04).u8(0x21).u16(0x3200);
        for (int i = 0; i < 5; ++i)
            part.u32(0xFFFFFFFFu);
        part.u8(38).u8(39);                       // block sets: 39 rows of 40
        part.u8(40).u8(41);                       // blocks: 41 rows of 42
        part.u8(1).u8(1);                         // parcels 2 x 2
        part.u8(0).u8(0).u8(0).u8(0).u8(0).u8(0); // divisions 1 x 1
        part.u16(uint32_t((part.size() + 4) / 2)).u16(4);
        image.blockSetTables.push_back(int64_t(base + part.size()));
        for (uint32_t set = 0; base + part.size() + 10 <= fileSize; ++set)
            part.u8(0x04).u8(set & 0xFF).u32(0).u32(0x7FFFFFFFu);
    } else {
        while (base + part.size() < fileSize)
            part.u8(0xFE).u8(0xFF);
        // Level 0's table offset (record bytes 36-37): 320 words on, byte 4736.
        part.patchU16(30 + 36, 320);
        image.levelRecords.push_back(int64_t(base + 30));
        image.blockSetTables.push_back(int64_t(base + 640));
    }
    std::vector<uint8_t> bytes = part.take();
    bytes.resize(fileSize - base, 0);
    image.allData.insert(image.allData.end(), bytes.begin(), bytes.end());
    // Management header 0 (the first record of the table at 2048): the part and its size in sectors.
    const uint32_t address = kiwiAddress(base);
    const uint16_t sectors = uint16_t((fileSize - base + 31) / 32);
    const uint8_t header[6] = {uint8_t(address >> 24), uint8_t(address >> 16), uint8_t(address >> 8),
                               uint8_t(address),       uint8_t(sectors >> 8),  uint8_t(sectors)};
    for (size_t i = 0; i < 6; ++i)
        image.allData[2048 + i] = header[i];
    for (size_t i = 6; i < 18; ++i)
        image.allData[2048 + i] = 0;
    return image;
}

} // namespace fixture
