// The frame fixture: background, name and infrastructure link frames, the route guidance frames, the texts
// in the map text code page, and the bodies the ALLDATA builder places after a distribution header.
#include "support/FrameFixture.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

#include "support/FixtureWriter.h"

namespace fixture {

namespace {

const char* iconvName(int codePage) {
    switch (codePage) {
    case 65001:
        return "UTF-8";
    case 1200:
    case 1201:
        return "UTF-16BE";
    case 1251:
        return "CP1251";
    case 1252:
        return "CP1252";
    default:
        throw std::invalid_argument("frame fixture: no iconv name for code page " + std::to_string(codePage));
    }
}

// Appends bytes padded to an even length.
void appendEven(ByteWriter& w, const std::vector<uint8_t>& bytes) {
    w.raw(bytes);
    w.align(2);
}

// A name data record: the fixed words, the type-specific words, the string size and the string.
struct NameRecordSpec {
    uint16_t word0Flags = 0; // bits 15-13
    uint8_t scaleFlags = 0x1F;
    uint8_t type = 1;
    bool orientation = false;
    uint8_t priority = 0;
    uint16_t typeCode = 0;
    uint16_t word6 = 0;
    uint16_t x = 0, y = 0;
    uint16_t drawOffset = 0;
    std::vector<uint16_t> placement;
    uint16_t typeWord = 0;
    std::vector<uint8_t> string; // the character string form, or empty
};

void writeNameRecord(ByteWriter& w, const NameRecordSpec& r) {
    const size_t at = w.size();
    w.u16(0);
    w.u16(uint32_t(r.scaleFlags) << 11 | uint32_t(r.type) << 8 | (r.orientation ? 1u : 0u) << 6 | r.priority);
    w.u16(r.typeCode).u16(r.word6);
    if (r.type == 4) {
        w.u16(r.drawOffset);
        for (uint16_t point : r.placement)
            w.u16(point);
    } else if (r.type != 0 && r.type != 7) {
        w.u16(r.x).u16(r.y);
        if (r.type == 2 || r.type == 5 || r.type == 6) w.u16(r.typeWord);
    }
    if (r.type != 0 && r.type != 7) {
        w.u16(uint32_t(r.string.size() / 2));
        w.raw(r.string);
    } else {
        w.fill(8, 0xEE); // no layout: only the size tells where the next record starts
    }
    w.patchU16(at, r.word0Flags | uint32_t((w.size() - at) / 2));
}

// A two-language table: the word at +2 is 3 (languages 1 and 2); language 1 starts at +6.
std::vector<uint8_t> languageTable(const std::string& first, const std::string& second, int codePage) {
    const std::vector<uint8_t> one = characterString(first, codePage);
    const std::vector<uint8_t> two = characterString(second, codePage);
    ByteWriter w;
    w.u16(uint32_t((6 + one.size() + two.size()) / 2)).u16(3).u16(uint32_t((6 + one.size()) / 2));
    w.raw(one).raw(two);
    return w.take();
}

std::vector<uint8_t> filler(size_t count, uint8_t seed) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t(seed + i * 7);
    return bytes;
}

} // namespace

std::vector<uint8_t> encodeText(const std::string& utf8, int codePage) {
    iconv_t cd = iconv_open(iconvName(codePage), "UTF-8");
    if (cd == iconv_t(-1)) throw std::runtime_error("frame fixture: iconv_open failed");
    std::vector<char> in(utf8.begin(), utf8.end());
    std::vector<char> out(utf8.size() * 4 + 8);
    char* inPointer = in.data();
    size_t inLeft = in.size();
    char* outPointer = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(cd);
    if (result == size_t(-1)) throw std::runtime_error("frame fixture: text not encodable in the code page");
    return std::vector<uint8_t>(reinterpret_cast<uint8_t*>(out.data()),
                                reinterpret_cast<uint8_t*>(outPointer));
}

std::vector<uint8_t> characterString(const std::string& utf8, int codePage) {
    std::vector<uint8_t> text = encodeText(utf8, codePage);
    if (text.size() % 2) text.push_back(0);
    ByteWriter w;
    w.u16(uint32_t(text.size() / 2)).raw(text);
    return w.take();
}

std::string nameText(int counter, int which) {
    static const char* const names[] = {"Москва", "Тверская", "Kremlin", "Арбат", "Невский", "Öland"};
    return std::string(names[which % 6]) + "-" + std::to_string(counter);
}

std::string otherLanguageText(int counter) {
    return "Moscow-" + std::to_string(counter);
}

std::string displayText(int counter, int item) {
    return std::string(item ? "Садовое кольцо " : "Ленинградское ш. ") + std::to_string(counter);
}

std::vector<uint8_t> backgroundFrame(const FrameOptions& options, int64_t nameRecordWordOffset) {
    const int c = options.counter;
    ByteWriter w;
    const size_t headerBytes =
        options.wide ? 4 + 6 * size_t(options.backgroundClasses) : 2 + 4 * size_t(options.backgroundClasses);
    w.u16(uint32_t(headerBytes / 2));
    if (options.wide) w.u16(0);
    std::vector<size_t> entries;
    for (int i = 0; i < options.backgroundClasses; ++i) {
        entries.push_back(w.size());
        // Every class but the first is absent.
        if (options.wide)
            w.u32(0xFFFFFFFFu).u16(0);
        else
            w.u16(0xFFFF).u16(0);
    }
    // Class 0's element unit: points, lines and areas.
    const size_t unit = w.size();
    const size_t unitHeader = options.wide ? 10 : 4;
    w.u16(options.full ? 3 : 1);
    std::vector<size_t> headers;
    for (int j = 0; j < (options.full ? 3 : 1); ++j) {
        headers.push_back(w.size());
        w.fill(unitHeader, 0);
    }
    struct Unit {
        uint8_t shape;
        uint16_t records;
    };
    const Unit units[3] = {{0, 2}, {1, 1}, {2, 1}};

    auto writeHeader = [&](int j, size_t records) {
        const size_t at = headers[size_t(j)];
        const uint32_t offset = uint32_t((records - unit) / 2);
        const uint32_t shape = uint32_t(units[j].shape) << 14 | (j == 2 ? 1u << 13 : 0u);
        if (options.wide) {
            w.patchU32(at, offset);
            w.patchU16(at + 4, 0xDDDD); // not read
            w.patchU16(at + 6, shape);
            w.patchU16(at + 8, 0xF000 | units[j].records);
        } else {
            w.patchU16(at, offset);
            w.patchU16(at + 2, shape | units[j].records);
        }
    };
    // A small frame holds the area alone.
    if (!options.full) headers = {headers[0], 0, headers[0]};
    size_t at = 0;
    if (options.full) {
        // Points: one with a name and auxiliary data, one with a pen up word and the underground attribute.
        writeHeader(0, w.size());
        at = w.size();
        w.u16(0x4000).u16(0x10u << 11).u16(1124).u16(1u << 12 | 1u << 11 | 5);
        w.u16(uint32_t(1u << 13 | (400 + c))).u16(500);
        w.u16(uint32_t(nameRecordWordOffset)).u16(13).u32(0x01020304u);
        w.patchU16(at, 0x4000 | uint32_t((w.size() - at) / 2));
        at = w.size();
        w.u16(0).u16(0x04u << 11).u16(640).u16(1u << 10 | 1u << 9);
        w.u16(600).u16(uint32_t(2u << 13 | 700));
        w.u16(0xABCD).u32(0);
        w.patchU16(at, uint32_t((w.size() - at) / 2));
        // A line of 3 offsets with pen up runs of 2 and 2 (3 + 1 points), a name, multiplication constant 2.
        writeHeader(1, w.size());
        at = w.size();
        w.u16(0).u16(0x18u << 11 | 3).u16(321).u16(1u << 12 | 1u << 10 | 2);
        w.u16(uint32_t(1000 + c)).u16(1100);
        w.u16(0x0A0B).u16(0xF6F5).u16(0x0102);
        w.u32(2u << 16 | 0x00AA).u32(0xF000u << 16 | 2u << 16 | 0x00BB);
        w.u16(uint32_t(nameRecordWordOffset)).u32(0);
        w.patchU16(at, uint32_t((w.size() - at) / 2));
    }
    // An area of 4 offsets with a building ID, extended data flag.
    writeHeader(2, w.size());
    at = w.size();
    w.u16(0).u16(0x1Fu << 11 | 4).u16(1568).u16(2u << 14 | 1u << 13 | 1);
    w.u16(2000).u16(uint32_t(2100 + c));
    w.u16(0x1000).u16(0x0010).u16(0xF000).u16(0x00F0);
    w.u32(0x00ABC000u + uint32_t(c));
    w.patchU16(at, 0x2000 | uint32_t((w.size() - at) / 2));

    const uint32_t unitOffset = uint32_t(unit / 2);
    const uint32_t unitWords = uint32_t((w.size() - unit) / 2);
    if (options.wide) {
        w.patchU32(entries[0], unitOffset);
        w.patchU16(entries[0] + 4, unitWords);
    } else {
        w.patchU16(entries[0], unitOffset);
        w.patchU16(entries[0] + 2, unitWords);
    }
    return w.take();
}

std::vector<uint8_t> nameFrame(const FrameOptions& options, std::vector<int64_t>* nameRecords) {
    const int c = options.counter;
    const int cp = options.textCodePage;
    ByteWriter w;
    const size_t first = options.wide ? 4 : 2;
    w.u16(uint32_t((first + 4 * size_t(options.nameClasses)) / 2));
    if (options.wide) w.u16(0);
    std::vector<size_t> entries;
    for (int i = 0; i < options.nameClasses; ++i) {
        entries.push_back(w.size());
        w.u16(0xFFFF).u16(0);
    }
    std::vector<int64_t> positions;
    auto list = [&](size_t entry, const std::vector<NameRecordSpec>& records) {
        if (entry >= entries.size()) return;
        w.patchU16(entries[entry], uint32_t(w.size() / 2));
        w.patchU16(entries[entry] + 2, uint32_t(records.size()));
        for (const NameRecordSpec& record : records) {
            positions.push_back(int64_t(w.size()));
            writeNameRecord(w, record);
        }
    };
    NameRecordSpec one;
    one.type = 1;
    one.priority = 9;
    one.typeCode = 304;
    one.x = uint16_t(100 + c);
    one.y = uint16_t(1u << 13 | 200);
    one.string = characterString(nameText(c, 0), cp);
    NameRecordSpec two;
    two.type = 2;
    two.word0Flags = 0x4000;
    two.orientation = true;
    two.typeCode = 258;
    two.word6 = 0x2000 | 0xC000 | 0x0803; // additional info flag and type 3, auxiliary flag, constant 3
    two.x = 300;
    two.y = 400;
    two.typeWord = 0xFD05; // offsets -3, 5
    two.string = characterString(nameText(c, 1), cp);
    NameRecordSpec four;
    four.type = 4;
    four.scaleFlags = 0x04;
    four.typeCode = 1000;
    four.word6 = 5u << 8 | 2u << 6 | 2; // placement type 5, identification 2, two placement points
    four.drawOffset = 0x0123;
    four.placement = {0x4010, 0x8020};
    four.string = characterString(nameText(c, 2), cp);
    NameRecordSpec five;
    five.type = 5;
    five.typeCode = 498;
    five.x = 1500;
    five.y = 1600;
    five.typeWord = 1u << 12 | 2u << 10 | 45; // 45 degrees
    NameRecordSpec six;
    six.type = 6;
    six.typeCode = 257;
    six.word6 = 4;
    six.x = 2500;
    six.y = uint16_t(2600 + c);
    six.typeWord = 1u << 12; // below the anchor
    six.string = characterString(nameText(c, 3), cp);
    if (!options.full) {
        list(0, {one});
        if (nameRecords) *nameRecords = positions;
        return w.take();
    }
    list(0, {one, two, four, five, six});

    NameRecordSpec unknown;
    unknown.type = 0;
    NameRecordSpec three;
    three.type = 3;
    three.typeCode = 0x0101;
    three.x = 10;
    three.y = 20;
    three.string = languageTable(nameText(c, 4), otherLanguageText(c), cp);
    list(2, {unknown, three});
    // Class 1 has no records: its list is empty and sits at the frame's end.
    list(1, {});
    if (nameRecords) *nameRecords = positions;
    return w.take();
}

std::vector<uint8_t> infraLinkFrame(const FrameOptions& options, const std::vector<int64_t>& multiLinks) {
    const int c = options.counter;
    const int meshes = 2;
    const size_t meshBytes = 10; // code + 4 counts
    const size_t linkBytes = 16;
    ByteWriter w;
    w.coordinate(1450000 + c).coordinate(-20000).u8(3).u8(0).u16(0x0607);
    w.u32(0x00310100u | uint32_t(c & 0xFF));
    const size_t header = 34 + 3 * (6 + meshes * meshBytes);
    w.u16(uint32_t((header - 16) / 2)).u16(meshes).u16(0x0000).u16(meshBytes / 2).u16(linkBytes / 2).u16(6);
    const size_t tableAt = w.size();
    w.u32(0).u16(0);
    // Link counts per area and mesh (road kind groups).
    const uint16_t counts[3][2][4] = {{{1, 0, 1, 0}, {0, 1, 0, 0}}, {{1, 0, 0, 0}, {0, 0, 0, 0}}, {}};
    std::vector<size_t> references;
    for (int a = 0; a < 3; ++a) {
        references.push_back(w.size());
        w.u32(0xFFFFFFFFu).u16(0);
        for (int m = 0; m < meshes; ++m) {
            w.u16(uint32_t(0x5000 + 16 * a + m));
            for (int k = 0; k < 4; ++k)
                w.u16(counts[a][m][k]);
        }
    }
    if (w.size() != header) throw std::logic_error("infra link header size");
    auto link = [&](uint16_t word0, uint16_t length, uint16_t first, uint16_t second,
                    std::vector<uint16_t> distances, uint32_t number) {
        const size_t at = w.size();
        w.u16(word0).u16(length).u16(first).u16(second);
        for (uint16_t d : distances)
            w.u16(d);
        w.u32(number);
        w.padTo(at + linkBytes, 0);
    };
    // Area 0: independent link (2 road links from 0), top link with an origin distance, midpoint link.
    w.patchU32(references[0], uint32_t((w.size() - 16) / 2));
    link(uint16_t(0u << 14 | (100 + c)), 25, 2, 0, {}, 0x01000000u + uint32_t(c));
    link(uint16_t(1u << 14 | 1u << 12 | 101), 30, 3, 2, {7}, 0x01000001u);
    link(uint16_t(3u << 14 | 3u << 12 | 102), 12, 1, 2, {0xFFFF, 12}, 0x01000002u);
    w.patchU16(references[0] + 4, 3 * linkBytes / 2);
    // Area 1: an end-point link with an end distance.
    w.patchU32(references[1], uint32_t((w.size() - 16) / 2));
    link(uint16_t(2u << 14 | 2u << 12 | 103), 4, 0, 1, {4}, 0x01000003u);
    w.patchU16(references[1] + 4, linkBytes / 2);
    // The road link corresponding table: the three multilinks of the road frame.
    w.patchU32(tableAt, uint32_t((w.size() - 16) / 2));
    const size_t table = w.size();
    for (size_t r = 0; r < multiLinks.size() && r < 3; ++r)
        w.u16(uint32_t(multiLinks[r] / 2))
            .u16(uint32_t((r == 1 ? 0x8000u : 0u) | (r + 1)))
            .u16(uint32_t(r))
            .u32(0x00200000u + uint32_t(r))
            .u16(uint32_t(2 * r));
    w.patchU16(tableAt + 4, uint32_t((w.size() - table) / 2));
    // Area 2 has no links: its empty data sits at the frame's end.
    w.patchU32(references[2], uint32_t((w.size() - 16) / 2));
    return w.take();
}

std::vector<uint8_t> guidanceFrame(const FrameOptions& options) {
    const int c = options.counter;
    ByteWriter w;
    w.u16(0);
    // Flag 13; tables: intersections, toward names, direction guides, road structures, caution points.
    w.u16(0x2000 | 1u << 11 | 1u << 9 | 1u << 7 | 1u << 6 | 1u << 4);
    w.u32(6u << 21 | 0x0ABCu << 9 | 7u);
    const size_t tables = w.size();
    w.fill(5 * 4, 0);
    const size_t extendedAt = w.size();
    w.u32(0);
    w.patchU16(0, uint32_t(w.size() / 2));
    auto table = [&](int index, uint16_t count) {
        w.patchU16(tables + 4 * size_t(index), uint32_t(w.size() / 2));
        w.patchU16(tables + 4 * size_t(index) + 2, count);
    };
    table(0, 2); // intersection names: no layout, opaque words
    w.raw(filler(8, uint8_t(c)));
    table(1, 2); // toward names
    w.u16(1u << 11 | 1u << 10).u16(uint32_t(500 + c));
    w.u16(0x8001).u16(2u << 8).u16(0x0010).u32(0x11112222u).u16(0x0003).u32(0x33334444u).u16(0x0004);
    w.u16(2u << 11).u16(600);
    w.u16(0x8000).u16(1u << 8).u32(0x55556666u).u16(0x0005);
    w.u16(0x0001).u16(0).u16(0xFFFF); // a string flag with no string (all ones)
    table(2, 1);                      // direction guides
    w.u16(0x0101).u16(2);
    w.u32(1u << 9 | 0x40000000u).u16(1u << 8 | 0x21).u16(0x0F0F).u16(0x0030).u32(0x77778888u).u16(0x0006);
    w.u32(0x00000001u).u16(0x05).u16(0x0E0E);
    table(3, 2); // road structures
    w.u16(0x0200 | 0x0100 | 0x0040 | 0x0020 | 0x0010).u16(900).u16(901).u16(902).u16(903).u16(0x0011);
    w.u16(0x0080 | 0x0020).u16(0x0A01).u16(0x0A02);
    w.patchU32(extendedAt, uint32_t(w.size() / 2));
    w.raw(filler(4, 0x50)).raw(filler(6, 0x70));
    table(4, 0); // caution points: none, the empty table at the frame's end
    return w.take();
}

std::vector<uint8_t> stringFrame(const FrameOptions& options) {
    const int c = options.counter;
    const int cp = options.textCodePage;
    ByteWriter w;
    w.u16(6).u16(2); // header: 4 bytes + 2 items × 4
    const size_t items = w.size();
    w.u32(0).u32(0);
    auto record = [&](const std::string& display, const std::string& pronunciation, uint16_t voice,
                      uint32_t address, uint16_t sectors) {
        std::vector<uint8_t> d = encodeText(display, cp);
        std::vector<uint8_t> p = encodeText(pronunciation, cp);
        d.resize((d.size() + 1) / 2 * 2, 0);
        p.resize((p.size() + 1) / 2 * 2, 0);
        w.u32(0x5A000000u | uint32_t(d.size() / 2) << 16 | uint32_t(p.size() / 2) << 8 | 0x33);
        w.raw(d).raw(p).u16(voice).u32(address).u16(sectors);
    };
    w.patchU16(items, uint32_t(w.size() / 2));
    w.patchU16(items + 2, 2);
    record(displayText(c, 0), "leningradskoe", 0x8000 | 2u << 12 | 5u << 8, kiwiAddress(0x12340), 3);
    record(displayText(c, 1), "", 0, 0xFFFFFFFFu, 0);
    w.patchU16(items + 4, uint32_t(w.size() / 2));
    w.patchU16(items + 6, 1);
    record("Кольцо", "koltso", 0, 0xFFFFFFFFu, 0);
    return w.take();
}

FrameBody buildMainMapFrames(const FrameOptions& options, int basic, int extended) {
    FrameBody body;
    ByteWriter w;
    std::vector<int64_t> multiLinks;
    std::vector<int64_t> names;
    const std::vector<uint8_t> roads = roadFrame(options, &multiLinks);
    const std::vector<uint8_t> nameBytes = nameFrame(options, &names);
    auto place = [&](const std::vector<uint8_t>& bytes) {
        w.align(2);
        body.references.push_back({int64_t(w.size()), int64_t(bytes.size())});
        appendEven(w, bytes);
    };
    for (int j = 0; j < basic; ++j) {
        if (j == 0)
            place(roads);
        else if (j == 1)
            place(backgroundFrame(options, names.empty() ? 0 : names[0] / 2));
        else if (j == 2)
            place(nameBytes);
        else
            place(filler(16, uint8_t(j)));
    }
    for (int j = 0; j < extended; ++j) {
        if (j == 0 && options.full)
            place(infraLinkFrame(options, multiLinks));
        else if (j <= 1)
            body.references.push_back({-1, 0});
        else
            place(filler(16, uint8_t(0x40 + j)));
    }
    body.bytes = w.take();
    return body;
}

FrameBody buildRouteGuidanceFrames(const FrameOptions& options, int basic, int extended) {
    FrameBody body;
    ByteWriter w;
    auto place = [&](const std::vector<uint8_t>& bytes) {
        body.references.push_back({int64_t(w.size()), int64_t(bytes.size())});
        appendEven(w, bytes);
    };
    for (int j = 0; j < basic; ++j)
        place(j == 0 ? guidanceFrame(options) : j == 1 ? stringFrame(options) : filler(16, uint8_t(j)));
    for (int j = 0; j < extended; ++j)
        place(filler(16, uint8_t(0x60 + j)));
    body.bytes = w.take();
    return body;
}

} // namespace fixture
