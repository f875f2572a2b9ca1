// Fixture builder of KIWI parameters parts.
#include "support/ParamFixture.h"

#include "support/FixtureWriter.h"

namespace fixture {

namespace {

size_t words(size_t bytes) {
    return (bytes + 1) / 2;
}

bool hasSixByteEntries(const PatternTableSpec& table) {
    return table.layout == 3 || (table.flags & 0x10);
}

// A landmark data frame at the writer's (even) position; every offset counts words from its start.
void writeLandmarkFrame(ByteWriter& w, const LandmarkFrameSpec& spec) {
    const size_t l = w.size();
    w.u16(0).u16(spec.categories);
    w.u16(spec.declaredTables >= 0 ? uint32_t(spec.declaredTables) : uint32_t(spec.tables.size()));

    struct Pending {
        size_t tableOffsetField = 0;
        std::vector<size_t> entryOffsetFields;
    };
    std::vector<Pending> pending(spec.tables.size());
    for (size_t t = 0; t < spec.tables.size(); ++t) {
        const PatternTableSpec& table = spec.tables[t];
        const size_t r = w.size();
        w.u16(0).u16(table.flags);
        const uint32_t count =
            table.declaredCount >= 0 ? uint32_t(table.declaredCount) : uint32_t(table.identifiers.size());
        if (table.layout == 2) {
            w.u8(table.dayPalette).u8(table.nightPalette).u16(table.groups);
            pending[t].tableOffsetField = w.size();
            w.u32(0).u32(0);
        } else {
            w.u8(table.sizeX).u8(table.sizeY).u8(table.dayPalette).u8(table.nightPalette);
            if (table.layout == 3)
                for (uint16_t v : table.displayValues)
                    w.u16(v);
            pending[t].tableOffsetField = w.size();
            w.u32(0).u32(0).u16(count);
            for (uint16_t id : table.identifiers) {
                w.u16(id);
                if (hasSixByteEntries(table)) {
                    pending[t].entryOffsetFields.push_back(w.size());
                    w.u32(0);
                }
            }
            if (table.useCode >= 0) w.u16(uint32_t(table.useCode));
        }
        w.align(2);
        if (!table.zeroSize) w.patchU16(r, uint32_t((w.size() - r) / 2));
    }
    // Name and reading info: its size, the list's size and the list's offset, then a 4-byte list.
    w.u16(4).u16(2);
    const size_t listField = w.size();
    w.u32(0);
    w.patchU32(listField, uint32_t((w.size() - l) / 2));
    w.u32(0x4E414D45);

    for (size_t t = 0; t < spec.tables.size(); ++t) {
        const PatternTableSpec& table = spec.tables[t];
        const size_t start = w.size();
        const bool byOffset = (table.flags & 0x10) && table.layout != 2;
        if (!byOffset) {
            for (const auto& pattern : table.patterns)
                w.raw(pattern);
        } else {
            for (size_t i = table.patterns.size(); i-- > 0;) {
                w.align(2);
                if (i < pending[t].entryOffsetFields.size())
                    w.patchU32(pending[t].entryOffsetFields[i], uint32_t((w.size() - start) / 2));
                w.raw(table.patterns[i]);
            }
        }
        w.align(2);
        w.patchU32(pending[t].tableOffsetField, uint32_t((start - l) / 2));
        w.patchU32(pending[t].tableOffsetField + 4, uint32_t((w.size() - start) / 2));
    }
    w.patchU16(l, uint32_t(words(w.size() - l)));
}

// A 12-byte frame reference followed by the landmark frame it names.
void writeFrameReference(ByteWriter& w, const LandmarkFrameSpec& spec) {
    const size_t f = w.size();
    w.u16(6).u16(0).u32(6).u32(0);
    const size_t l = w.size();
    writeLandmarkFrame(w, spec);
    w.patchU32(f + 8, uint32_t((w.size() - l) / 2));
}

} // namespace

std::vector<uint8_t> buildParamPart(const ParamPartSpec& spec, size_t prefix) {
    ByteWriter w;
    w.fill(prefix, 0xEE);
    const size_t b = w.size();
    constexpr int kRecords = 3;
    w.u16((4 + 20 * kRecords) / 2).u16(spec.declaredRecords >= 0 ? uint32_t(spec.declaredRecords) : kRecords);
    const uint16_t codes[kRecords] = {4609, 4610, 4611};
    for (int i = 0; i < kRecords; ++i) {
        // User classification, then the data classification code in the middle of a 32-bit field.
        w.coordinate(1589820 + i).coordinate(-3947658).u8(3 + i).u8(0).u16(0x1234);
        w.u8(0).u16(codes[i]).u8(0);
        w.u16(0).u16(5);
    }
    size_t records[kRecords];
    for (int i = 0; i < kRecords; ++i) {
        records[i] = w.size();
        w.patchU16(b + 4 + 20 * i + 16, uint32_t((records[i] - b) / 2));
        w.u32(0).u32(0).u8(i == 0 ? 0xC0 : 0x00).u8(0);
    }
    auto frameAt = [&](int i, size_t start) {
        w.patchU32(records[i], uint32_t((start - b) / 2));
        w.patchU32(records[i] + 4, uint32_t((w.size() - start) / 2));
    };

    // Drawing parameters: header, colour palettes, two line style palettes, map elements, landmarks.
    const size_t d = w.size();
    const uint32_t colors = spec.palettes.empty() ? 0 : uint32_t(spec.palettes[0].size());
    w.u16(14).u16(0).u16(0);
    w.u16(spec.declaredColors >= 0 ? uint32_t(spec.declaredColors) : colors)
        .u16(uint32_t(spec.palettes.size()));
    w.u16(0).u16(2).u16(2).u16(0).u16(2).u32(0).u32(0);
    w.patchU16(d + 4, uint32_t((w.size() - d) / 2));
    for (const auto& palette : spec.palettes)
        for (const auto& rgb : palette)
            w.u8(0x5A).u8(rgb[0]).u8(rgb[1]).u8(rgb[2]);
    w.patchU16(d + 10, uint32_t((w.size() - d) / 2));
    w.u32(0x11223344).u32(0x55667788);
    w.patchU16(d + 16, uint32_t((w.size() - d) / 2));
    w.u32(0x99AABBCC);
    const size_t l = w.size();
    writeLandmarkFrame(w, spec.drawingLandmarks);
    w.patchU32(d + 20, uint32_t((l - d) / 2));
    w.patchU32(d + 24, uint32_t((w.size() - l) / 2));
    frameAt(0, d);

    const size_t symbol = w.size();
    writeFrameReference(w, spec.symbolLandmarks);
    frameAt(1, symbol);
    const size_t route = w.size();
    writeFrameReference(w, spec.routeLandmarks);
    frameAt(2, route);
    return w.take();
}

ParamPartSpec standardParamSpec() {
    ParamPartSpec spec;
    // Palette 0: magenta (the key), red, green, blue. Palette 1: black (its key), white, grey, yellow.
    spec.palettes = {{{255, 0, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                     {{0, 0, 0}, {255, 255, 255}, {128, 128, 128}, {255, 255, 0}}};
    auto& tables = spec.drawingLandmarks.tables;
    spec.drawingLandmarks.categories = 7;
    // 1 bpp, 10 × 2: rows of 1 byte (10 div 8); pixels 8 and 9 stay index 0.
    tables.push_back({.flags = 0x0000,
                      .sizeX = 10,
                      .sizeY = 2,
                      .dayPalette = 0,
                      .nightPalette = 1,
                      .identifiers = {0x0101, 0x0102},
                      .patterns = {{0xA0, 0x5F}, {0xFF, 0x00}}});
    // 4 bpp, 3 × 2, by offset: rows of 1 byte (the third pixel is not stored), high nibble first.
    tables.push_back({.flags = 0x0012,
                      .sizeX = 3,
                      .sizeY = 2,
                      .dayPalette = 0,
                      .nightPalette = 1,
                      .identifiers = {0x0201, 0x0202},
                      .patterns = {{0x12, 0x30, 0xEE}, {0x21, 0x03, 0x00}},
                      .useCode = 0x0201});
    // 8 bpp with format flag 1, palette 1; index 0x7F lies beyond the palette's four colours.
    tables.push_back({.flags = 0x1003,
                      .sizeX = 2,
                      .sizeY = 2,
                      .dayPalette = 1,
                      .nightPalette = 0,
                      .identifiers = {0x0301, 0x0302},
                      .patterns = {{0, 1, 2, 3}, {3, 2, 1, 0x7F}}});
    // 16 bpp little-endian X1R5G5B5: red, magenta (the key), green, blue 16/31.
    tables.push_back({.flags = 0x0004,
                      .sizeX = 2,
                      .sizeY = 2,
                      .identifiers = {0x0401},
                      .patterns = {{0x00, 0x7C, 0x1F, 0x7C, 0xE0, 0x03, 0x10, 0x00}}});
    // 32 bpp B, G, R, X by offset.
    tables.push_back(
        {.flags = 0x0015,
         .sizeX = 2,
         .sizeY = 1,
         .identifiers = {0x0501, 0x0502},
         .patterns = {{0x10, 0x20, 0x30, 0x99, 0xFF, 0x00, 0xFF, 0x00}, {1, 2, 3, 4, 5, 6, 7, 8}}});
    // 2 bpp does not exist: no images.
    tables.push_back(
        {.flags = 0x0001, .sizeX = 4, .sizeY = 1, .identifiers = {0x0601}, .patterns = {{0x1B}}});
    // A day palette number beyond the two palettes: no palette, key black, grey ramp.
    tables.push_back({.flags = 0x0003,
                      .sizeX = 2,
                      .sizeY = 1,
                      .dayPalette = 5,
                      .identifiers = {0x0701},
                      .patterns = {{0x00, 0x80}}});
    // Format flag 2: no images.
    tables.push_back(
        {.flags = 0x2003, .sizeX = 1, .sizeY = 1, .identifiers = {0x0801}, .patterns = {{0x01}}});

    spec.symbolLandmarks.categories = 1;
    spec.symbolLandmarks.tables.push_back({.layout = 2,
                                           .flags = 0x1003,
                                           .dayPalette = 0,
                                           .nightPalette = 1,
                                           .groups = 3,
                                           .identifiers = {},
                                           .patterns = {{1, 2, 3, 4}}});
    spec.routeLandmarks.categories = 2;
    spec.routeLandmarks.tables.push_back({.layout = 3,
                                          .flags = 0x0003,
                                          .sizeX = 2,
                                          .sizeY = 1,
                                          .displayValues = {1, 2, 3, 4, 5, 6},
                                          .identifiers = {0x0901, 0x0902},
                                          .patterns = {{1, 2}, {3, 0}},
                                          .useCode = 0x0001});
    return spec;
}

} // namespace fixture
