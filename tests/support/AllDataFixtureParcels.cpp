// The ALLDATA fixture builder: parcel management information, parcel lists and parcel frames.
#include <algorithm>

#include "support/AllDataFixtureWriter.h"
#include "support/FrameFixture.h"

namespace fixture {

namespace {

int recordSizeOf(int listType) {
    switch (listType) {
    case 0:
    case 204:
        return 6;
    case 100:
        return 18;
    default: // 1, 2, 202, 206
        return 8;
    }
}

void patchText(ByteWriter& writer, size_t at, const std::string& text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        writer.patchU8(at + i, i < text.size() ? uint8_t(text[i]) : 0);
}

bool namesItsFile(int listType) {
    return listType == 202 || listType == 204 || listType == 206;
}

} // namespace

std::pair<int64_t, int64_t> AllDataBuilder::writeBlock(int level, int set, int block) {
    const LevelPlan& l = plan_.levels[size_t(level)];
    const BlockPlan& b = blockPlan(level, set, block);
    ByteWriter& list = fileWriter(b.blockFile);
    const std::string listFile = fileNameOf(b.blockFile);
    const int recordSize = recordSizeOf(b.listType);
    const int count = l.parcels.x * l.parcels.y;

    // Parcel management information: division type 0, list type, route guidance offset, [extension], list.
    list.align(32);
    const size_t pmi = list.size();
    list.u8(0).u8(uint32_t(b.listType)).u16(0xFFFF);
    if (namesItsFile(b.listType)) {
        list.u16(b.noName ? 2 : 1);
        if (!b.noName) list.fixedText(b.dataFile, 12);
    }
    const size_t records = list.size();
    list.fill(size_t(count * recordSize), 0);

    // The sub-parcels' own information of each divided parcel (list type 0, in the same stream).
    std::map<int, size_t> subLists;
    for (const auto& [index, parcel] : b.parcels) {
        if (parcel.kind != ParcelPlan::Kind::Divided) continue;
        list.align(2);
        const size_t sub = list.size();
        subLists[index] = sub;
        const size_t at = records + size_t(index * recordSize);
        list.patchU32(at, parcel.selfReference ? 0 : uint32_t((sub - pmi) / 2));
        list.patchU16(at + 4, 0);
        const CountPair& division = l.divisions[parcel.divisionType - 1];
        list.u8(uint32_t(parcel.divisionType)).u8(0).u16(0xFFFF).fill(size_t(division.x * division.y * 6), 0);
    }
    size_t routeList = 0;
    const bool routeGuidance = b.routeGuidance && l.routeBasic + l.routeExtended > 0;
    if (routeGuidance) {
        list.align(2);
        routeList = list.size();
        list.patchU16(pmi + 2, uint32_t((routeList - pmi) / 2));
        for (int i = 0; i < count; ++i)
            list.u32(0xFFFFFFFFu).u16(0);
    }
    const int64_t pmiBytes = int64_t(list.size() - pmi);

    const bool inDataFile = b.listType == 100 || (namesItsFile(b.listType) && !b.noName);
    ByteWriter& frames = inDataFile ? fileWriter(b.dataFile) : list;
    const std::string frameFile = inDataFile ? b.dataFile : listFile;
    const int setX = set % l.blockSets.x, setY = set / l.blockSets.x;
    const int blockX = block % l.blocks.x, blockY = block / l.blocks.x;
    const int perSetX = l.blocks.x * l.parcels.x, perSetY = l.blocks.y * l.parcels.y;

    auto patchRecord = [&](int index, int64_t frame, uint32_t sectors, const ParcelPlan& parcel) {
        const size_t at = records + size_t(index * recordSize);
        list.patchU32(at, kiwiAddress(uint64_t(frame)));
        list.patchU16(at + 4, sectors);
        if (b.listType == 1) list.patchU16(at + 6, uint32_t(0x1000 + index));
        if (b.listType == 100)
            patchText(list, at + 6, parcel.recordFile.empty() ? b.dataFile : parcel.recordFile, 12);
    };
    auto record = [&](int index, int sub, const WrittenFrame& frame, uint8_t identifier,
                      const std::string& file) {
        ParcelEntry entry;
        entry.level = level;
        entry.blockSet = set;
        entry.block = block;
        entry.parcel = index;
        entry.sub = sub;
        entry.file = file;
        entry.frame = frame.position;
        entry.frameSize = frame.sectors * 32;
        entry.identifier = identifier;
        entry.routeGuidanceFrame = frame.routeGuidance;
        entry.regions = frame.regions;
        image_.parcels.push_back(entry);
    };

    for (int index = 0; index < count; ++index) {
        const auto found = b.parcels.find(index);
        const ParcelPlan parcel = found == b.parcels.end() ? ParcelPlan{} : found->second;
        const int parcelX = index % l.parcels.x, parcelY = index / l.parcels.x;
        FrameIdentity identity;
        identity.level = level;
        identity.column = setX * perSetX + blockX * l.parcels.x + parcelX;
        identity.row = setY * perSetY + blockY * l.parcels.y + parcelY;
        identity.locationX = uint8_t(parcelX);
        identity.locationY = uint8_t(parcelY);
        identity.adjacent = parcel.adjacent;
        identity.extension = parcel.extension;

        switch (parcel.kind) {
        case ParcelPlan::Kind::Empty: {
            const size_t at = records + size_t(index * recordSize);
            list.patchU32(at, 0xFFFFFFFFu);
            list.patchU16(at + 4, 0);
            break;
        }
        case ParcelPlan::Kind::IntegratedMember:
            break;
        case ParcelPlan::Kind::Regular: {
            const WrittenFrame frame = writeFrame(frames, identity, routeGuidance);
            if (!parcel.recordFile.empty()) { // names a file that is not written: the record is not found
                patchRecord(index, 2048, frame.sectors, parcel);
                break;
            }
            patchRecord(index, frame.position, frame.sectors, parcel);
            if (routeGuidance) {
                list.patchU32(routeList + size_t(index * 6), kiwiAddress(uint64_t(frame.routeGuidance)));
                list.patchU16(routeList + size_t(index * 6) + 4, frame.routeGuidanceSectors);
            }
            record(index, -1, frame, 0, frameFile);
            break;
        }
        case ParcelPlan::Kind::Integrated: {
            identity.identifier = 2;
            identity.latitudinal = uint8_t(parcel.integrated.y - 1);
            identity.longitudinal = uint8_t(parcel.integrated.x - 1);
            const WrittenFrame frame = writeFrame(frames, identity, false);
            for (int dy = 0; dy < parcel.integrated.y; ++dy)
                for (int dx = 0; dx < parcel.integrated.x; ++dx) {
                    const int member = (parcelY + dy) * l.parcels.x + parcelX + dx;
                    patchRecord(member, frame.position, frame.sectors, parcel);
                }
            for (int member = 0; member < count; ++member) {
                const int mx = member % l.parcels.x, my = member / l.parcels.x;
                if (mx >= parcelX && mx < parcelX + parcel.integrated.x && my >= parcelY &&
                    my < parcelY + parcel.integrated.y)
                    record(member, -1, frame, 2, frameFile);
            }
            break;
        }
        case ParcelPlan::Kind::Divided: {
            if (parcel.selfReference) break;
            const CountPair& division = l.divisions[parcel.divisionType - 1];
            const size_t sub = subLists[index];
            for (int s = 0; s < division.x * division.y; ++s) {
                FrameIdentity subIdentity = identity;
                subIdentity.identifier = 1;
                subIdentity.typeNumber = uint8_t(parcel.divisionType);
                subIdentity.latitudinal = uint8_t(s / division.x);
                subIdentity.longitudinal = uint8_t(s % division.x);
                const WrittenFrame frame = writeFrame(list, subIdentity, false);
                list.patchU32(sub + 4 + size_t(s * 6), kiwiAddress(uint64_t(frame.position)));
                list.patchU16(sub + 4 + size_t(s * 6) + 4, frame.sectors);
                record(index, s, frame, 1, listFile);
            }
            break;
        }
        }
    }
    return {int64_t(pmi), pmiBytes};
}

AllDataBuilder::WrittenFrame AllDataBuilder::writeFrame(ByteWriter& writer, const FrameIdentity& identity,
                                                        bool routeGuidance) {
    const LevelPlan& l = plan_.levels[size_t(identity.level)];
    const int counter = frameCounter_++;
    const int regions = counter % 3;
    const int references = l.basic + l.extended;
    const int64_t tables = 36 + 4 * regions + 6 * references + (identity.adjacent ? 48 : 0);
    const int64_t listBytes = identity.adjacent ? 12 : 0;
    const int64_t headerBytes = tables + listBytes + (identity.extension ? 8 : 0);
    const bool withFrames = plan_.frames != AllDataPlan::Frames::None;
    FrameBody frames;
    if (withFrames) frames = buildMainMapFrames(frameOptions(identity.level, counter), l.basic, l.extended);
    const int64_t body =
        withFrames ? int64_t(frames.bytes.size()) : std::max<int64_t>(plan_.frameBodyBytes, 16 * references);
    const uint32_t sectors = uint32_t((headerBytes + body + 31) / 32);

    writer.align(32);
    const size_t start = writer.size();
    writer.u16(uint32_t(headerBytes / 2));
    writer.coordinate(plan_.south + identity.row * 250).coordinate(plan_.west + identity.column * 250);
    writer.u8(identity.locationY).u8(identity.locationX);
    writer.u16(uint32_t(identity.identifier << 14 | (identity.adjacent ? 1 : 0) << 13 |
                        identity.typeNumber << 8 | (identity.latitudinal & 15) << 4 |
                        (identity.longitudinal & 15)));
    writer.u32(uint32_t(0x20 + identity.level) << 24 | uint32_t(counter));
    writer.u16(identity.level == 0 ? 0x4005 : 0x0005).u16(0x8003).u16(0x0003).u16(480).u16(70);
    const size_t routeAt = writer.size();
    writer.u32(0xFFFFFFFFu).u16(0);
    writer.u16(uint32_t(regions));
    for (int r = 0; r < regions; ++r)
        writer.u16(uint32_t((identity.level + 1) << 10 | r)).u16(uint32_t(100 + counter + r));
    for (int j = 0; j < references; ++j) {
        if (withFrames) {
            const auto& [offset, size] = frames.references[size_t(j)];
            if (offset < 0)
                writer.u32(0xFFFFFFFFu).u16(0);
            else
                writer.u32(uint32_t((headerBytes + offset) / 2)).u16(uint32_t(size / 2));
        } else if (j == l.basic + 1)
            writer.u32(0xFFFFFFFFu).u16(0); // the second extended frame is absent
        else
            writer.u32(uint32_t((headerBytes + 16 * j) / 2)).u16(8);
    }
    if (identity.adjacent) {
        const uint32_t self = kiwiAddress(start);
        for (int d = 0; d < 8; ++d) {
            if (d == 2) // Right: a neighbour divided 2 x 2, listed right after this table
                writer.u32(uint32_t(tables / 2) << 16 | 1u << 12 | 1u << 8 | 1u).u16(0);
            else if (d == 5) // Lower Left: no neighbour
                writer.u32(0xFFFFFFFFu).u16(0);
            else
                writer.u32(self).u16(sectors);
        }
        writer.u32(self).u16(sectors).u32(self).u16(sectors);
    }
    if (identity.extension) writer.fill(8, 0xEE);
    if (withFrames)
        writer.raw(frames.bytes);
    else
        for (int64_t i = 0; i < body; ++i)
            writer.u8(positionByte(uint64_t(start + size_t(headerBytes + i))));
    writer.align(32);

    WrittenFrame frame{int64_t(start), sectors, regions, -1};
    if (routeGuidance) {
        frame.routeGuidance = writeRouteGuidanceFrame(writer, identity, counter, frame.routeGuidanceSectors);
        writer.patchU32(routeAt, kiwiAddress(uint64_t(frame.routeGuidance)));
        writer.patchU16(routeAt + 4, frame.routeGuidanceSectors);
    }
    return frame;
}

int64_t AllDataBuilder::writeRouteGuidanceFrame(ByteWriter& writer, const FrameIdentity& identity,
                                                int counter, uint32_t& sectors) {
    const LevelPlan& l = plan_.levels[size_t(identity.level)];
    const int references = l.routeBasic + l.routeExtended;
    const int64_t headerBytes = 20 + 6 * references;
    writer.align(32);
    const size_t start = writer.size();
    writer.u16(uint32_t(headerBytes / 2));
    writer.coordinate(plan_.south + identity.row * 250).coordinate(plan_.west + identity.column * 250);
    writer.u8(identity.locationY).u8(identity.locationX);
    // Bit 13 set: no adjacent parcel information (the route guidance header reads the bit inverted).
    writer.u16(uint32_t(identity.identifier << 14 | 1u << 13));
    writer.u32(0x00C0FFEEu).u16(0xC123);
    if (plan_.frames != AllDataPlan::Frames::None) {
        const FrameBody frames =
            buildRouteGuidanceFrames(frameOptions(identity.level, counter), l.routeBasic, l.routeExtended);
        for (const auto& [offset, size] : frames.references)
            writer.u32(uint32_t((headerBytes + offset) / 2)).u16(uint32_t(size / 2));
        writer.raw(frames.bytes).align(32, 0x5A);
        sectors = uint32_t((writer.size() - start) / 32);
        return int64_t(start);
    }
    for (int j = 0; j < references; ++j)
        writer.u32(uint32_t((headerBytes + 4 * j) / 2)).u16(2);
    // The whole frame stays within one 32-byte sector (its size in the main header is 1 sector).
    writer.padTo(start + 32, 0x5A);
    sectors = 1;
    return int64_t(start);
}

} // namespace fixture
