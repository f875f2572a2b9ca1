// The ALLDATA fixture builder's internals: one builder object that writes the files of one AllDataPlan.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "support/AllDataFixture.h"
#include "support/FixtureWriter.h"

namespace fixture {

struct FrameOptions;

class AllDataBuilder {
public:
    explicit AllDataBuilder(const AllDataPlan& plan);
    AllDataImage build();

private:
    // What a frame's distribution header says about its parcel.
    struct FrameIdentity {
        int level = 0;
        int column = 0; // level-wide parcel column and row
        int row = 0;
        uint8_t locationX = 0;
        uint8_t locationY = 0;
        uint8_t identifier = 0;
        uint8_t typeNumber = 0;
        uint8_t latitudinal = 0;
        uint8_t longitudinal = 0;
        bool adjacent = false;
        bool extension = false;
    };
    struct WrittenFrame {
        int64_t position = 0;
        uint32_t sectors = 0;
        int regions = 0;
        int64_t routeGuidance = -1;
        uint32_t routeGuidanceSectors = 1;
    };

    ByteWriter& partWriter();
    ByteWriter& fileWriter(const std::string& name);
    std::string fileNameOf(const std::string& name) const;
    const BlockSetPlan& blockSetPlan(int level, int set) const;
    const BlockPlan& blockPlan(int level, int set, int block) const;

    void writeNamedPoint(int32_t latitude, int32_t longitude, uint8_t floor, uint16_t date,
                         const std::string& text);
    void writeDataVolume();
    void writeHeaderTable();
    void writeManagementData();
    // Writes a block's parcel management information, its sub-lists and frames; returns its position and
    // size.
    std::pair<int64_t, int64_t> writeBlock(int level, int set, int block);
    WrittenFrame writeFrame(ByteWriter& writer, const FrameIdentity& identity, bool routeGuidance);
    int64_t writeRouteGuidanceFrame(ByteWriter& writer, const FrameIdentity& identity, int counter,
                                    uint32_t& sectors);

    // What the frame fixture writes for a parcel of level (see FrameFixture.h).
    FrameOptions frameOptions(int level, int counter) const;

    const AllDataPlan& plan_;
    AllDataImage image_;
    ByteWriter all_;
    std::map<std::string, ByteWriter> files_;
    size_t headerZero_ = 0;
    int frameCounter_ = 0;
};

} // namespace fixture
