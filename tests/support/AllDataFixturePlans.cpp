// The ALLDATA fixtures the tests, the probe and the benchmark use.
#include "support/AllDataFixture.h"

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

} // namespace fixture
