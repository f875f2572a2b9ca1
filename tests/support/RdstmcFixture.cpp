// Fixture builder of KIWI RDS-TMC parts.
//
// Regions: 0 (country 0x0C, table 0x11, area 2, ECC 0xE0; groups {first 100, last 101, 2 locations},
// {first 200, last 200, 1 location}), 1 (area 7; one group {300, 300, 1 location}). Location k of the
// fixture has number 100 + k (k = 0..3 in file order), type 1 + k, data with type code 0xA000 + k,
// section 500 + k, previous 600 + k, next 700 + k, properties 0xB000 + k .. and position
// (1600000 + k, 1100000 - k). Messages: partition 0 numbers 0x101, 0x102; partition 1 0x201, 0x202;
// partition 2 0x301, 0x302, 0x303 (the last without a string).
#include "support/RdstmcFixture.h"

#include <string>

#include "support/FixtureWriter.h"
#include "support/TextEncoding.h"

namespace fixture {

namespace {

const std::pair<const char*, const char*> kStrings[] = {
    {"Москва", "Moscow"},   {"Тверь", "Tver"},
    {"М10", "M10"},         {"Ленинградское шоссе", "Leningradskoye"},
    {"МКАД", "MKAD"},       {"Пробка", "Jam"},
    {"Авария", "Accident"}, {"Ремонт", "Roadworks"}};

// The text frame: each string is {u16 language count, u16 word offset per language}, then per
// language {byte, a, b, byte, 2 (a + b) bytes of text}. Returns word offsets of the strings.
std::vector<uint32_t> writeStrings(ByteWriter& x, const RdstmcSpec& spec) {
    std::vector<uint32_t> offsets;
    const std::string charset = charsetOf(spec.codePage);
    const size_t count = std::size(kStrings);
    for (size_t i = 0; i < count; ++i) {
        x.align(2);
        const size_t s = x.size();
        offsets.push_back(uint32_t(s / 2));
        x.u16(2).u16(0).u16(0);
        for (int language = 0; language < 2; ++language) {
            x.align(2);
            x.patchU16(s + 2 + 2 * size_t(language), uint32_t((x.size() - s) / 2));
            std::vector<uint8_t> text =
                encodeText(language ? kStrings[i].second : kStrings[i].first, charset);
            if (text.size() % 2) text.push_back(0);
            const uint32_t words = uint32_t(text.size() / 2);
            const bool pastEnd = spec.lastStringPastEnd && i + 1 == count && language == 1;
            const uint32_t a = pastEnd ? 120 : words / 2;
            x.u8(1).u8(a).u8(pastEnd ? 120 : words - a).u8(0).raw(text);
        }
    }
    return offsets;
}

} // namespace

std::vector<uint8_t> buildRdstmcPart(const RdstmcSpec& spec, size_t prefix) {
    ByteWriter x;
    const std::vector<uint32_t> text = writeStrings(x, spec);

    ByteWriter w;
    w.fill(prefix, 0xEE);
    const size_t b = w.size();
    const size_t m = b + 16;
    w.coordinate(1600000).coordinate(1100000).u8(2).u8(0).u16(0x2010);
    w.u16(spec.usageCode).u16(0xBEEF).u16(13);
    for (int i = 0; i < 6; ++i)
        w.u32(0);
    auto frame = [&](int index, size_t start) {
        w.patchU32(b + 18 + 8 * size_t(index), uint32_t((start - m) / 2));
        w.patchU32(b + 22 + 8 * size_t(index), uint32_t((w.size() - start) / 2));
    };

    // TMC data frame: header, two regions, then the group, location info and location frames.
    const size_t t = w.size();
    w.u16(0x5A5A).u32(19).u32(spec.declaredRegions >= 0 ? uint32_t(spec.declaredRegions) : 2).u32(16);
    for (int i = 0; i < 6; ++i)
        w.u32(0);
    const size_t regions = w.size();
    w.fill(64);
    const size_t groupFrame = w.size();
    const uint16_t groups[3][3] = {{100, 101, 2}, {200, 200, 1}, {300, 300, 1}};
    const uint32_t groupInfoOffsets[3] = {0, 20, 0}; // bytes from the region's location info data
    for (int g = 0; g < 3; ++g)
        w.u16(groups[g][0]).u16(groups[g][1]).u16(groups[g][2]).u32(groupInfoOffsets[g] / 2);
    const size_t infoFrame = w.size();
    const uint32_t dataOffsets[4] = {0, 50, 100, 0}; // bytes from the region's location data
    for (int k = 0; k < 4; ++k)
        w.u16(100 + k).u16(0x1000 + k).u8(1 + k).u8(0x20 + k).u32(dataOffsets[k] / 2);
    const size_t dataFrame = w.size();
    for (int k = 0; k < 4; ++k) {
        w.u32(0xA000 + k).u16(0x4444).u32(text[2]).u32(k == 0 ? text[3] : 0xFFFFFFFF);
        w.u16(500 + k).u16(0x3000 + k).u32(text[4]).u32(0xFFFFFFFF).u16(600 + k).u16(700 + k);
        w.u32(0xB000 + k).u32(0xC000 + k).u32(0xD000 + k).coordinate(1600000 + k).coordinate(1100000 - k);
    }
    // Region records: region 0 owns groups 0-1, infos 0-2, data 0-2; region 1 group 2, info 3, data 3.
    auto region = [&](int i, uint8_t area, uint32_t group, uint16_t groupCount, uint32_t info,
                      uint16_t infoCount, uint32_t data, uint32_t dataSize, uint32_t name) {
        ByteWriter r;
        r.u8(0x0C).u8(0x11).u8(area).u8(0xE0).u32(group / 2).u16(groupCount).u16(5);
        r.u32(info / 2).u16(infoCount).u16(5).u32(data / 2).u32(dataSize / 2).u32(name);
        for (size_t k = 0; k < r.size(); ++k)
            w.patchU8(regions + 32 * size_t(i) + k, r.bytes()[k]);
    };
    region(0, 2, 0, 2, 0, 3, 0, 150, text[0]);
    region(1, 7, 20, 1, 30, 1, 150, 50, text[1]);
    w.patchU32(t + 14, uint32_t((groupFrame - t) / 2));
    w.patchU32(t + 18, uint32_t((infoFrame - groupFrame) / 2));
    w.patchU32(t + 22, uint32_t((infoFrame - t) / 2));
    w.patchU32(t + 26, uint32_t((dataFrame - infoFrame) / 2));
    w.patchU32(t + 30, uint32_t((dataFrame - t) / 2));
    w.patchU32(t + 34, uint32_t((w.size() - dataFrame) / 2));
    frame(0, t);

    // Events frame: a 74-byte header with one {offset, size} pair per partition, then the tables.
    const size_t e = w.size();
    w.u16(37);
    w.fill(72);
    auto partition = [&](int p, size_t start) {
        w.patchU32(e + 2 + 8 * size_t(p), uint32_t((start - e) / 2));
        w.patchU32(e + 6 + 8 * size_t(p), uint32_t((w.size() - start) / 2));
    };
    size_t start = w.size();
    w.u16(0x101).u32(0x11111111).u32(text[5]).u32(0x22222222);
    w.u16(0x102).u32(0x33333333).u32(text[6]).u32(0x44444444);
    partition(0, start);
    start = w.size();
    w.u16(0x201).u16(0x5555).u32(text[5]).u16(0x202).u16(0x6666).u32(text[7]);
    partition(1, start);
    start = w.size();
    w.u16(0x301).u32(text[5]).u16(0x302).u32(text[6]).u16(0x303).u32(0xFFFFFFFF);
    partition(2, start);
    w.align(2);
    frame(1, e);

    const size_t textFrame = w.size();
    w.raw(x.bytes());
    frame(2, textFrame);
    if (spec.lastStringPastEnd) w.patchU32(b + 38, uint32_t((w.size() - textFrame) / 2 + 200));
    return w.take();
}

} // namespace fixture
