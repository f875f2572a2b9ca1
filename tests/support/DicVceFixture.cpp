// Fixture builder of voice command dictionaries.
#include "support/DicVceFixture.h"

#include <string>

#include "support/FixtureWriter.h"
#include "support/TextEncoding.h"

namespace fixture {

namespace {

std::vector<uint8_t> encodeEven(const std::string& utf8, int codePage) {
    std::vector<uint8_t> bytes = encodeText(utf8, charsetOf(codePage));
    if (bytes.size() % 2) bytes.push_back(0);
    return bytes;
}

// A marked text part: the two mark bytes, a unit {length in units, 0}, then the text.
void part(ByteWriter& w, const char* mark, const std::vector<uint8_t>& text, uint32_t lengthUnits) {
    w.u8(uint8_t(mark[0])).u8(uint8_t(mark[1])).u8(lengthUnits).u8(0).raw(text);
}

// A string entry whose first unit counts its units (itself included).
std::vector<uint8_t> entry(const std::vector<uint8_t>& body, uint32_t declaredUnits = 0) {
    ByteWriter w;
    w.u16(declaredUnits ? declaredUnits : uint32_t(body.size() / 2 + 1)).raw(body);
    if (declaredUnits) w.padTo(2 * declaredUnits, 0);
    return w.take();
}

std::vector<std::vector<uint8_t>> entries(int codePage) {
    std::vector<std::vector<uint8_t>> result;
    auto text = [&](const std::string& s) { return encodeEven(s, codePage); };
    ByteWriter b0;
    const auto wien = text("Wien"), vienna = text("Vienna");
    part(b0, "DE", wien, uint32_t(wien.size() / 2));
    part(b0, "EN", vienna, uint32_t(vienna.size() / 2));
    result.push_back(entry(b0.bytes()));
    ByteWriter b1;
    const auto spb = text("Санкт-Петербург");
    part(b1, "EN", spb, uint32_t(spb.size() / 2));
    result.push_back(entry(b1.bytes()));
    ByteWriter b2;
    const auto nur = text("Nur");
    part(b2, "DE", nur, uint32_t(nur.size() / 2));
    result.push_back(entry(b2.bytes()));
    ByteWriter b3;
    const auto longText = text("Long");
    b3.u16(0x2020).u16(0x2020).u16(0x2020);
    part(b3, "EN", longText, uint32_t(longText.size() / 2));
    result.push_back(entry(b3.bytes(), 300));
    ByteWriter b4;
    const auto hidden = text("Hidden");
    for (int i = 1; i < 260; ++i)
        b4.u16(0x2020);
    part(b4, "EN", hidden, uint32_t(hidden.size() / 2));
    result.push_back(entry(b4.bytes(), 300));
    ByteWriter b5;
    part(b5, "EN", text("Cuts"), 200);
    std::vector<uint8_t> cut = entry(b5.bytes());
    cut.insert(cut.end(), 64, 'X');
    result.push_back(cut);
    return result;
}

} // namespace

std::vector<uint8_t> buildDicVce(const DicVceSpec& spec, size_t prefix) {
    ByteWriter w;
    w.fill(prefix, 0xEE);
    const size_t b = w.size();
    w.coordinate(1589820).coordinate(-3947658).u8(1).u8(0).u16(0x2007);
    w.u32(0).u32(spec.headerWords);
    for (int i = 0; i < 8; ++i)
        w.u32(0);
    w.patchU32(b + 44, 0xFFFFFFFF);

    // Phoneme data frame: header, language records, the dictionary data header, its type data, groups.
    const size_t p = w.size();
    const int languages = 2;
    w.u32(0).u16(spec.declaredLanguages >= 0 ? uint32_t(spec.declaredLanguages) : languages);
    w.u16(uint32_t(spec.languageRecordBytes / 2)).u32(0xFFFFFFFF).u32(0).u32(0xFFFFFFFF).u32(0);
    std::vector<size_t> frameFields;
    const char* toponyms[] = {"ENG", "RUS"};
    for (int j = 0; j < languages; ++j) {
        const size_t start = w.size();
        w.coordinate(1000 + j).coordinate(2000 + j).u8(uint8_t(j)).u8(0).u16(0x3000 + uint32_t(j));
        w.fixedText(toponyms[j], 3).u8(0);
        if (spec.languageRecordBytes > 44) w.u16(0xFFFF);
        frameFields.push_back(w.size());
        w.u32(0).u32(30).u32(0).u32(0xFFFFFFFF).u32(0).u32(0x1001 + uint32_t(j)).u32(0x2001 + uint32_t(j));
        w.padTo(start + size_t(spec.languageRecordBytes));
    }
    const size_t r = w.size();
    for (size_t field : frameFields)
        w.patchU32(field, uint32_t((r - p) / 2));
    const uint32_t types = 2;
    w.u32(0).u32(0xFFFFFFFF).u32(0).u32(0xFFFFFFFF).u32(0).u32(0xD1C7).u32(spec.declaredTypes);
    w.text("CITY").text("STRT");
    const size_t typeEntries = w.size();
    for (uint32_t i = 0; i < types; ++i)
        w.u32(0).u32(16).u32(0);
    w.patchU32(r, uint32_t((w.size() - r) / 2));

    // "CITY": two groups; "STRT": none.
    const size_t h = w.size();
    w.u32(16).u32(2).u32(0xD1C7).u32(0xA1).u32(0xA2).u32(0).u32(0).u32(0);
    const size_t h2 = w.size();
    w.u32(8).u32(0).u32(0xD1C8).u32(0);
    w.patchU32(typeEntries, uint32_t((h - r) / 2));
    w.patchU32(typeEntries + 8, uint32_t((h2 - h) / 2));
    w.patchU32(typeEntries + 12, uint32_t((h2 - r) / 2));
    w.patchU32(typeEntries + 20, uint32_t((w.size() - h2) / 2));

    const std::vector<std::vector<uint8_t>> strings = entries(spec.codePage);
    size_t groups[2];
    for (int g = 0; g < 2; ++g) {
        groups[g] = w.size();
        w.patchU32(h + 20 + 4 * size_t(g), uint32_t((groups[g] - h) / 2));
        w.u32(24).text("CITY").u32(0xA1 + uint32_t(g)).u32(0).u32(0).u32(0).u32(g == 0 ? 1 : 0).u32(24);
        // Phonetic data after the list: its offset counts from the group + 8, its size is 8 bytes more.
        w.u32(g == 0 ? uint32_t(strings.size()) : 2).u32(0);
        w.u32(uint32_t((48 + 4 * strings.size() - 8) / 2)).u32(8);
        // The string entry offset list (word offsets from the text page), patched below.
        for (size_t i = 0; i < strings.size(); ++i)
            w.u32(0);
        w.u32(0x50484F4E).u32(0x45544943); // phonetic data
    }
    w.patchU32(h + 28, uint32_t((w.size() - h) / 2));
    w.patchU32(b + 28, uint32_t((w.size() - p) / 2));
    w.patchU32(b + 20, uint32_t((p - b) / 2));
    w.patchU32(b + 24, 12);

    // Text data frame: header, two page entries of 16 bytes, page 1's string entries.
    const size_t x = w.size();
    w.u32(0).u32(2).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    const size_t page = w.size();
    w.patchU32(x + 8, uint32_t((page - x) / 2));
    w.patchU32(x + 24, uint32_t((page - x) / 2));
    for (size_t i = 0; i < strings.size(); ++i) {
        w.align(2);
        w.patchU32(groups[0] + 48 + 4 * i, uint32_t((w.size() - page) / 2));
        w.raw(strings[i]);
    }
    w.align(2);
    w.patchU32(x, uint32_t((w.size() - x) / 2));
    w.patchU32(b + 32, uint32_t((x - b) / 2));
    w.patchU32(b + 36, uint32_t(strings.size()));
    w.patchU32(b + 40, uint32_t((w.size() - x) / 2));
    w.patchU32(b + 12, uint32_t((w.size() - b) / 2));
    return w.take();
}

} // namespace fixture
