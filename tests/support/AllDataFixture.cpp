// The ALLDATA fixture builder: data volume, management header table and main map management data.
#include "support/AllDataFixture.h"

#include <stdexcept>

#include "support/AllDataFixtureWriter.h"
#include "support/FixtureWriter.h"

namespace fixture {

AllDataBuilder::AllDataBuilder(const AllDataPlan& plan) : plan_(plan) {}

ByteWriter& AllDataBuilder::partWriter() {
    return plan_.mainMapFile.empty() ? all_ : fileWriter(plan_.mainMapFile);
}

ByteWriter& AllDataBuilder::fileWriter(const std::string& name) {
    if (name.empty()) return partWriter();
    auto found = files_.find(name);
    if (found == files_.end()) {
        // Data files start with filler so that nothing of interest sits at position 0.
        found = files_.emplace(name, ByteWriter()).first;
        for (uint64_t p = 0; p < 2048; ++p)
            found->second.u8(positionByte(p));
    }
    return found->second;
}

std::string AllDataBuilder::fileNameOf(const std::string& name) const {
    if (!name.empty()) return name;
    return plan_.mainMapFile.empty() ? "ALLDATA.KWI" : plan_.mainMapFile;
}

AllDataImage AllDataBuilder::build() {
    writeDataVolume();
    writeHeaderTable();
    writeManagementData();
    image_.allData = all_.take();
    for (auto& [name, writer] : files_)
        image_.files[name] = writer.take();
    return std::move(image_);
}

void AllDataBuilder::writeNamedPoint(int32_t latitude, int32_t longitude, uint8_t floor, uint16_t date,
                                     const std::string& text) {
    all_.coordinate(latitude).coordinate(longitude).u8(floor).u8(0).u16(date).fixedText(text, 20);
}

void AllDataBuilder::writeDataVolume() {
    writeNamedPoint(128000, 503000, 3, 0x0506, plan_.systemText);
    all_.padTo(64);
    writeNamedPoint(129000, 504000, 1, 0x0507, "DATA AUTHOR");
    all_.padTo(128);
    writeNamedPoint(130000, 505000, 2, 0x0508, "HW MAKER");
    all_.padTo(160).fixedText("KIWI FORMAT 1.22", 64);
    all_.fixedText("2005/06/30/01", 64);
    all_.fixedText("FIXTURE DISC", 128);
    all_.u16(0x0003).padTo(424).fixedText("MEDIA 1.0", 32);
    all_.coordinate(plan_.south).coordinate(plan_.west).coordinate(plan_.north).coordinate(plan_.east);
    all_.u16(plan_.logicalSectorSize).u16(2048).u16(0x0001).padTo(492);
    // One data type listing the main map levels.
    all_.u16(1).u8(1).u8(uint32_t(plan_.levels.size()));
    for (size_t level = 0; level < plan_.levels.size(); ++level) {
        const LevelPlan& l = plan_.levels[level];
        all_.u8(l.codeByte).u8(0).u16(uint32_t(l.blocks.x * l.blocks.y));
    }
    all_.padTo(2048);
}

void AllDataBuilder::writeHeaderTable() {
    for (int i = 0; i < 64; ++i) {
        const size_t at = all_.size();
        switch (i) {
        case 0:
            headerZero_ = at;
            all_.u32(0).u16(0).fixedText(plan_.mainMapFile, 12);
            break;
        case 1:
            all_.u32(0).u16(3).fixedText("REGION.KWI", 12);
            break;
        case 2:
            all_.u32(kiwiAddress(4096)).u16(3).fixedText("", 12);
            break;
        case 5:
            all_.u32(0xFFFFFFFFu).u16(3).fixedText("", 12);
            break;
        default:
            all_.u32(0xFFFFFFFFu).u16(0).fixedText("", 12);
            break;
        }
    }
    // Filler for the area header 2 points at.
    all_.padTo(4096);
    for (uint64_t p = 4096; p < 4096 + 96; ++p)
        all_.u8(positionByte(p));
}

void AllDataBuilder::writeManagementData() {
    ByteWriter& part = partWriter();
    part.padTo(plan_.partOffset);
    const int64_t base = plan_.partOffset;
    image_.partBase = base;
    const int levelBytes = plan_.levelRecordBytes;
    const int blockBytes = plan_.fileNameDesignation ? 18 : 6;
    int totalBlockSets = 0;
    for (const LevelPlan& level : plan_.levels)
        totalBlockSets += level.blockSets.x * level.blockSets.y;

    // Main map data management header (30 bytes).
    part.u16(15).u16(0).u16(plan_.fileNameDesignation ? 1 : 0).u16(0);
    part.u24(signMagnitude24(plan_.north)).u24(signMagnitude24(plan_.south));
    part.u24(signMagnitude24(plan_.west)).u24(signMagnitude24(plan_.east));
    part.u16(uint32_t(levelBytes / 2)).u16(5).u16(uint32_t(blockBytes / 2));
    part.u16(uint32_t(plan_.levels.size())).u16(uint32_t(totalBlockSets));

    std::vector<size_t> tableOffsetAt;
    for (const LevelPlan& l : plan_.levels) {
        const size_t start = part.size();
        image_.levelRecords.push_back(int64_t(start));
        part.u8(l.codeByte).u8(l.integrationByte);
        part.u16(uint32_t(l.basic << 12 | l.extended << 8 | l.routeBasic << 4 | l.routeExtended));
        for (uint32_t scale : l.scales)
            part.u32(scale);
        for (const CountPair& pair :
             {l.blockSets, l.blocks, l.parcels, l.divisions[0], l.divisions[1], l.divisions[2]})
            part.u8(uint32_t(pair.y - 1)).u8(uint32_t(pair.x - 1));
        tableOffsetAt.push_back(part.size());
        part.u16(0xFFFF).u16(l.nodeRecordWords);
        if (levelBytes > 40) {
            part.u16(uint32_t((l.roadClasses.size() - 1) << 10 | (l.backgroundClasses.size() - 1) << 5 |
                              (l.nameClasses.size() - 1)));
            for (const auto* list : {&l.roadClasses, &l.backgroundClasses, &l.nameClasses})
                for (uint16_t code : *list)
                    part.u16(code);
        }
        if (part.size() > start + size_t(levelBytes)) throw std::logic_error("level record too small");
        part.padTo(start + size_t(levelBytes));
    }

    // Block set records of every level, then the block tables.
    struct PendingSet {
        int level, set;
        size_t record;
    };
    std::vector<PendingSet> sets;
    for (size_t level = 0; level < plan_.levels.size(); ++level) {
        const LevelPlan& l = plan_.levels[level];
        part.patchU16(tableOffsetAt[level], uint32_t((int64_t(part.size()) - base) / 2));
        image_.blockSetTables.push_back(int64_t(part.size()));
        for (int set = 0; set < l.blockSets.x * l.blockSets.y; ++set) {
            sets.push_back({int(level), set, part.size()});
            part.u8(l.codeByte).u8(uint32_t(set)).u32(0xFFFFFFFFu).u32(0);
        }
    }
    struct PendingBlock {
        int level, set, block;
        size_t record;
    };
    std::vector<PendingBlock> blocks;
    for (const PendingSet& pending : sets) {
        const LevelPlan& l = plan_.levels[size_t(pending.level)];
        if (blockSetPlan(pending.level, pending.set).absent) continue;
        const int count = l.blocks.x * l.blocks.y;
        part.patchU32(pending.record + 2, uint32_t((int64_t(part.size()) - base) / 2));
        part.patchU32(pending.record + 6, uint32_t(count * blockBytes / 2));
        for (int block = 0; block < count; ++block) {
            blocks.push_back({pending.level, pending.set, block, part.size()});
            part.u32(0xFFFFFFFFu).u16(0);
            if (plan_.fileNameDesignation)
                part.fixedText(blockPlan(pending.level, pending.set, block).blockFile, 12);
        }
    }
    const size_t managementEnd = part.size();
    for (const PendingBlock& pending : blocks) {
        const BlockPlan& block = blockPlan(pending.level, pending.set, pending.block);
        if (block.absent) continue;
        const auto [position, bytes] = writeBlock(pending.level, pending.set, pending.block);
        partWriter().patchU32(pending.record, kiwiAddress(uint64_t(position)));
        partWriter().patchU16(pending.record + 4,
                              uint32_t((bytes + plan_.logicalSectorSize - 1) / plan_.logicalSectorSize));
    }
    // Management header 0: the part's address and its size in logical sectors.
    const int64_t partBytes = int64_t(managementEnd) - base;
    all_.patchU32(headerZero_, kiwiAddress(uint64_t(base)));
    all_.patchU16(headerZero_ + 4,
                  uint32_t(std::min<int64_t>(0xFFFF, (partBytes + plan_.logicalSectorSize - 1) /
                                                         plan_.logicalSectorSize)));
}

const BlockSetPlan& AllDataBuilder::blockSetPlan(int level, int set) const {
    static const BlockSetPlan regular;
    const auto& sets = plan_.levels[size_t(level)].sets;
    return size_t(set) < sets.size() ? sets[size_t(set)] : regular;
}

const BlockPlan& AllDataBuilder::blockPlan(int level, int set, int block) const {
    static const BlockPlan regular;
    const auto& blocks = blockSetPlan(level, set).blocks;
    return size_t(block) < blocks.size() ? blocks[size_t(block)] : regular;
}

AllDataImage buildAllData(const AllDataPlan& plan) {
    return AllDataBuilder(plan).build();
}

std::string writeAllData(const AllDataImage& image, const std::string& folder) {
    const std::string path = folder + "/ALLDATA.KWI";
    writeFile(path, image.allData);
    for (const auto& [name, bytes] : image.files)
        writeFile(folder + "/" + name, bytes);
    return path;
}

std::string writeAllDataVolumes(const AllDataImage& image, const std::string& folder, size_t firstPartBytes) {
    const size_t split = std::min(firstPartBytes, image.allData.size());
    writeFile(folder + "/ALLDATA1.KWI",
              std::vector<uint8_t>(image.allData.begin(), image.allData.begin() + long(split)));
    writeFile(folder + "/ALLDATA2.KWI",
              std::vector<uint8_t>(image.allData.begin() + long(split), image.allData.end()));
    for (const auto& [name, bytes] : image.files)
        writeFile(folder + "/" + name, bytes);
    return folder + "/ALLDATA1.KWI";
}

} // namespace fixture
