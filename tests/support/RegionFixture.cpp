// Route planning data written from a description with the fixture builder's own byte writer.
#include "support/RegionFixture.h"

#include <stdexcept>

#include "support/FixtureWriter.h"

namespace fixture {

namespace {

// One route planning data frame, positions relative to its start. The frames follow one another from the
// node data frame: node, link, link cost, upper level node, (no upper level link), passage code, (no
// statistical cost), node coordinate, road reference, then the extended frames.
std::vector<uint8_t> buildFrame(const RegionLevelSpec& level, const RegionFrameSpec& f,
                                RegionFrameManifest& m) {
    const size_t headerBytes = 62 + 6 * size_t(level.extendedFrames);
    ByteWriter w;
    w.u16(uint32_t(headerBytes / 2)).u16(f.regionNumber).u32(f.practicalCode);
    w.fill(headerBytes - 8);
    auto setFrame = [&](size_t index, size_t start, size_t end) {
        w.patchU32(8 + 6 * index, uint32_t(start / 2));
        w.patchU16(12 + 6 * index, uint32_t((end - start) / 2));
    };

    // Link data frame content first: each node's links, then its regulations, then its between-links records.
    ByteWriter links;
    std::vector<size_t> linkTables;
    for (const RegionNodeSpec& node : f.nodes) {
        linkTables.push_back(links.size());
        for (const RegionLinkSpec& link : node.links) {
            links.u16(link.adjacentNode).u16(link.costNumber).u16(link.flagsWord);
            if (node.boundary) links.u16(link.region);
        }
        for (uint16_t regulation : node.regulations) {
            const size_t start = links.size();
            links.u16(regulation).padTo(start + level.regulationRecordSize * 2u);
        }
        for (const auto& between : node.betweenLinks) {
            const size_t start = links.size();
            links.u16(between.word)
                .u8(between.length)
                .u8(between.time)
                .padTo(start + level.betweenLinksRecordSize * 2u);
        }
    }

    // Node data frame: node distribution header with ranks, then the node records.
    const size_t nodeFrame = w.size();
    size_t totalLinks = 0;
    for (const RegionNodeSpec& node : f.nodes)
        totalLinks += node.links.size();
    w.u16(uint32_t((8 + 10 * f.ranks.size()) / 2)).u16(uint32_t(f.nodes.size())).u16(uint32_t(totalLinks));
    w.u16(uint32_t(f.ranks.size()));
    for (const RegionRankSpec& rank : f.ranks)
        w.u16(rank.nodes)
            .u16(rank.boundaryNodes)
            .u16(rank.links)
            .u16(rank.roadClass)
            .u8(0xEE)
            .u8(rank.lastByte);
    for (size_t k = 0; k < f.nodes.size(); ++k) {
        const RegionNodeSpec& node = f.nodes[k];
        if (node.links.empty() || node.links.size() > 16)
            throw std::invalid_argument("1 to 16 links per node");
        const size_t start = w.size();
        m.nodeRecords.push_back(int64_t(start));
        uint32_t flags = node.extraFlags | uint32_t(linkTables[k] / 2);
        flags |= uint32_t(node.links.size() - 1) << 21;
        if (node.boundary) flags |= 1u << 25;
        w.u32(flags).u8(uint32_t(node.regulations.size())).u8(uint32_t(node.betweenLinks.size()));
        w.padTo(start + level.nodeRecordSize * 2u);
    }
    setFrame(0, nodeFrame, w.size());
    m.nodeFrame = int64_t(nodeFrame);

    const size_t linkFrame = w.size();
    w.raw(links.bytes());
    setFrame(1, linkFrame, w.size());
    m.linkFrame = int64_t(linkFrame);
    for (size_t table : linkTables)
        m.linkTables.push_back(int64_t(linkFrame + table));

    const size_t costFrame = w.size();
    for (const RegionCostSpec& c : f.costs) {
        const size_t start = w.size();
        w.u32(c.linkId).u16(c.destination).u16(c.levelWord).u16(c.roadWord).u16(c.lengthWord);
        w.u16(c.connectedNode).u16(c.timeWord).u8(c.status).u8(c.speed).u16(c.sublinkWord);
        w.padTo(start + level.linkCostRecordSize * 2u);
    }
    setFrame(2, costFrame, w.size());
    m.costFrame = int64_t(costFrame);

    const size_t upperNode = w.size();
    w.u32(0xA1A2A3A4);
    setFrame(3, upperNode, w.size());
    w.patchU32(8 + 6 * 4, 0xFFFFFFFF); // no upper level link data frame
    const size_t passage = w.size();
    w.u16(0xB1B2);
    setFrame(5, passage, w.size());
    // The statistical cost frame stays offset 0, size 0.

    if (f.withCoordinates) {
        const size_t coordinates = w.size();
        const uint32_t gridWords = uint32_t(f.grid.size() * 3);
        w.u16(9).u24(signMagnitude24(f.latitudeWidth)).u24(signMagnitude24(f.longitudeWidth));
        w.u8(f.latitudeGrids).u8(f.longitudeGrids);
        w.u16(9).u16(gridWords).u16(9 + gridWords).u16(uint32_t(f.nodes.size() * 2));
        for (const auto& [latitude, longitude] : f.grid)
            w.u24(signMagnitude24(latitude)).u24(signMagnitude24(longitude));
        for (const RegionNodeSpec& node : f.nodes)
            w.u32(node.coordinate);
        setFrame(7, coordinates, w.size());
        m.coordinateFrame = int64_t(coordinates);
    }

    const size_t road = w.size();
    w.u16(0xC1C2).u16(0xC3C4).u16(0xC5C6);
    setFrame(8, road, w.size());

    for (size_t e = 0; e < level.extendedFrames; ++e) {
        const size_t start = w.size();
        w.u32(0xD0D0D000 + uint32_t(e));
        w.patchU32(62 + 6 * e, uint32_t(start / 2));
        w.patchU16(66 + 6 * e, 2);
    }
    return w.take();
}

} // namespace

RegionImage buildRegionData(const RegionFileSpec& spec) {
    RegionImage image;
    ByteWriter w;
    const size_t levelBytes = spec.levelRecordSize * 2u;
    w.u16(uint32_t((50 + spec.levels.size() * levelBytes) / 2)).u16(spec.typeCode);
    size_t total = 0;
    for (const auto& level : spec.levels)
        total += level.regions.size();
    w.u32(uint32_t(total));
    const size_t tableAddressAt = w.size();
    w.u32(0).u16(0).fixedText("REGION.KWI", 12);
    w.u32(0xFFFFFFFF).u16(0).fixedText("", 12); // no common traffic condition table
    w.u16(4).u8(uint32_t(spec.levels.size())).u8(0).u16(spec.levelRecordSize);
    for (const RegionLevelSpec& level : spec.levels) {
        const size_t start = w.size();
        w.u8(uint32_t(level.levelCode) << 2).u8(uint32_t(level.basicFrames) << 4 | level.extendedFrames);
        w.u16(uint32_t(level.regions.size())).u16(level.regionRecordSize).u16(level.nodeRecordSize);
        w.u16(level.linkRecordSize).u16(level.linkCostRecordSize).u16(level.regulationRecordSize);
        w.u16(level.betweenLinksRecordSize);
        w.padTo(start + levelBytes);
    }

    w.align(32);
    image.regionTable = int64_t(w.size());
    w.patchU32(tableAddressAt, kiwiAddress(w.size()));
    image.regions.resize(spec.levels.size());
    for (size_t l = 0; l < spec.levels.size(); ++l) {
        const RegionLevelSpec& level = spec.levels[l];
        for (const RegionSpec& region : level.regions) {
            const size_t start = w.size();
            RegionFrameManifest m;
            m.recordPosition = int64_t(start);
            w.u24(signMagnitude24(region.top)).u24(signMagnitude24(region.bottom));
            w.u24(signMagnitude24(region.left)).u24(signMagnitude24(region.right));
            w.u16(region.higher).u16(region.lowerFirst).u16(region.lowerCount);
            w.u32(0xFFFFFFFF).u16(0); // frame address and size, patched below
            if (spec.typeCode == 100) w.fixedText(region.fileName, 12);
            w.padTo(start + level.regionRecordSize * 2u);
            image.regions[l].push_back(m);
        }
    }
    const size_t tableEnd = w.size();
    w.patchU16(12, uint32_t((tableEnd - size_t(image.regionTable) + 31) / 32));

    for (size_t l = 0; l < spec.levels.size(); ++l) {
        const RegionLevelSpec& level = spec.levels[l];
        for (size_t r = 0; r < level.regions.size(); ++r) {
            const RegionSpec& region = level.regions[r];
            if (!region.hasFrame) continue;
            RegionFrameManifest& m = image.regions[l][r];
            const std::vector<uint8_t> frame = buildFrame(level, region.frame, m);
            size_t start;
            if (region.frameInFile) {
                // A frame file holds position-derived filler up to its first frame.
                std::vector<uint8_t>& file = image.frameFiles[region.fileName];
                while (file.size() < 2048 || file.size() % 32)
                    file.push_back(positionByte(file.size()));
                start = file.size();
                file.insert(file.end(), frame.begin(), frame.end());
                m.file = region.fileName;
            } else {
                w.align(32);
                start = w.size();
                w.raw(frame);
            }
            m.frameStart = int64_t(start);
            for (int64_t* p : {&m.nodeFrame, &m.linkFrame, &m.costFrame, &m.coordinateFrame})
                if (*p >= 0) *p += int64_t(start);
            for (int64_t& p : m.nodeRecords)
                p += int64_t(start);
            for (int64_t& p : m.linkTables)
                p += int64_t(start);
            w.patchU32(size_t(m.recordPosition) + 18, kiwiAddress(start));
            w.patchU16(size_t(m.recordPosition) + 22, uint32_t((frame.size() + 31) / 32));
        }
    }
    w.align(32);
    image.bytes = w.take();
    for (auto& [name, file] : image.frameFiles)
        while (file.size() % 32)
            file.push_back(0);
    return image;
}

RegionFileSpec sampleRegionSpec() {
    RegionFileSpec spec;
    spec.levelRecordSize = 9; // 18-byte steps between level records

    RegionLevelSpec low;
    low.levelCode = 1;
    low.extendedFrames = 1;
    low.nodeRecordSize = 4;      // 8-byte steps: the reader must use the level's size, not 6
    low.linkCostRecordSize = 11; // 22-byte steps
    {
        RegionSpec region;
        region.top = 3950000;
        region.bottom = 3900000;
        region.left = -50000; // negative: sign-magnitude
        region.right = 1100000;
        region.higher = 0;
        region.lowerFirst = 0;
        region.lowerCount = 2;
        RegionFrameSpec& f = region.frame;
        f.regionNumber = 0;
        f.practicalCode = 0x12345678;
        f.ranks = {{3, 1, 5, 0x00F0, (1 << 1) | 1}, {4, 1, 6, 0x000F, 2 << 1}};
        f.latitudeWidth = 36000;
        f.longitudeWidth = 48000;
        f.latitudeGrids = 2;
        f.longitudeGrids = 2;
        f.grid = {{3900000, 1000000}, {3900000, 1048000}, {3936000, 1000000}};
        // Node 0: plain, traffic light; offsets 1/4096 and 3/4096 of the widths round to 12 and 26.
        RegionNodeSpec n0;
        n0.extraFlags = 1u << 19;
        n0.coordinate = 0x00001003;
        n0.links = {{1, 0, 0x8000 | 0x2000 | (3 << 9), 0}, {2, 1, 0x4000, 0}};
        n0.regulations = {0x320D};
        n0.betweenLinks = {{0x126E, 0x20, 0x05}};
        // Node 1: boundary, bits 29-26 and the parcel boundary flag; grid 2, longitude 2048, latitude 1024.
        RegionNodeSpec n1;
        n1.boundary = true;
        n1.extraFlags = (1u << 29) | (1u << 28) | (1u << 26) | (1u << 20);
        n1.coordinate = 0x02800400;
        n1.links = {{0, 0, 0x0000, 0}, {1, 2, 0x2000, 1}};
        // Node 2: plain, rotary, two regulations; the far corner of grid cell 1.
        RegionNodeSpec n2;
        n2.extraFlags = 1u << 18;
        n2.coordinate = 0x01FFFFFF;
        n2.links = {{0, 1, 0x0000, 0}};
        n2.regulations = {0x1102, 0x2307};
        // Node 3: grid cell 0xFF (no such cell) and a link cost number past the link cost frame.
        RegionNodeSpec n3;
        n3.coordinate = 0xFF000000;
        n3.links = {{2, 5, 0x0000, 0}};
        f.nodes = {n0, n1, n2, n3};
        f.costs = {
            {0x00010001, 0x0102, 0xA600, 0xEEB7, 0x3005, 1, 0x1064, 0x80, 0x50, 0xA800},
            {0x00010002, 0x0201, 0x2000, 0x8000, 0x0010, 2, 0x2001, 0x40, 0x10, 0x0000},
            {0x00020001, 0x0000, 0x0000, 0x4000, 0x7FFF, 0, 0x0000, 0x00, 0xF0, 0xF800},
        };
        low.regions.push_back(region);
    }
    {
        // Region number 1 of the lower level: no rank information, so no node to draw and no traveling time.
        RegionSpec region;
        region.top = 3950000;
        region.bottom = 3900000;
        region.left = 1100000;
        region.right = 1200000;
        region.lowerFirst = 2;
        region.lowerCount = 1;
        RegionFrameSpec& f = region.frame;
        f.regionNumber = 1;
        f.practicalCode = 0x00000001;
        f.latitudeWidth = 50000;
        f.longitudeWidth = 100000;
        f.latitudeGrids = 1;
        f.longitudeGrids = 1;
        f.grid = {{3900000, 1100000}};
        RegionNodeSpec n0;
        n0.boundary = true;
        n0.coordinate = 0x00000800;
        n0.links = {{1, 0, 0x0000, 0}, {0, 0, 0x0000, 1}};
        RegionNodeSpec n1;
        n1.boundary = true;
        n1.coordinate = 0x00800000;
        n1.links = {{1, 0, 0x2000, 0}};
        f.nodes = {n0, n1};
        f.costs = {{0x00030001, 0x0001, 0x4000, 0xC011, 0x1064, 1, 0x1064, 0x40, 0x30, 0x0800}};
        low.regions.push_back(region);
    }

    RegionLevelSpec high;
    high.levelCode = 2;
    high.regionRecordSize = 20; // 40-byte steps
    {
        RegionSpec none; // no route planning data frame
        none.hasFrame = false;
        none.top = 4000000;
        none.left = 1000000;
        high.regions.push_back(none);
    }
    {
        // Region number 1 again, on the upper level, with other contents.
        RegionSpec region;
        region.top = 4000000;
        region.bottom = 3900000;
        region.left = 1000000;
        region.right = 1200000;
        region.higher = 0xFFFF;
        RegionFrameSpec& f = region.frame;
        f.regionNumber = 1;
        f.practicalCode = 0xCAFE0002;
        f.ranks = {{2, 0, 2, 0x0001, (2 << 1) | 1}};
        f.latitudeWidth = 8000;
        f.longitudeWidth = 8000;
        f.latitudeGrids = 1;
        f.longitudeGrids = 1;
        f.grid = {{3990000, 1150000}};
        RegionNodeSpec n0;
        n0.coordinate = 0x00000000;
        n0.links = {{1, 0, 0x0000, 0}};
        RegionNodeSpec n1;
        n1.coordinate = 0x00FFFFFF;
        n1.links = {{0, 0, 0x0000, 0}};
        f.nodes = {n0, n1};
        f.costs = {{0x00040001, 0x0004, 0x6000, 0x8034, 0x1001, 0, 0x0064, 0xC0, 0x70, 0x1000}};
        high.regions.push_back(region);
    }
    spec.levels = {low, high};
    return spec;
}

std::vector<uint8_t> embedRegionData(const std::vector<uint8_t>& regionData, int64_t base, size_t trailer) {
    std::vector<uint8_t> out;
    out.reserve(size_t(base) + regionData.size() + trailer);
    for (int64_t p = 0; p < base; ++p)
        out.push_back(positionByte(uint64_t(p)));
    out.insert(out.end(), regionData.begin(), regionData.end());
    for (size_t i = 0; i < trailer; ++i)
        out.push_back(positionByte(out.size()));
    return out;
}

std::string writeRegionData(const RegionImage& image, const std::string& folder, const std::string& name) {
    const std::string path = folder + "/" + name;
    writeFile(path, image.bytes);
    for (const auto& [file, bytes] : image.frameFiles)
        writeFile(folder + "/" + file, bytes);
    return path;
}

} // namespace fixture
