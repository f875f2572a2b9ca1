// Fixture builders of the localisation frame and the Manager21 header.
#include "support/LocalFixture.h"

#include "support/FixtureWriter.h"

namespace fixture {

LocalSpec standardLocalSpec() {
    LocalSpec spec;
    spec.centralLatitude = 1589820;
    spec.centralLongitude = -3947658;
    spec.languages = {"ENG", "RUS", "deu"};
    spec.areas = {{1, "msk", 0x01020304, 1600000, 1100000, 0x0A0B, 0x0C, "RUS"},
                  {2, "Spb", 0x11121314, 1800000, 1000000, 0x1A1B, 0x1C, "RUS"},
                  {2, "LEN", 0x21222324, 1810000, 1010000, 0x2A2B, 0x2C, "ENG"},
                  {7, "Kl", 0x31323334, -1, -2, 0x3A3B, 0x3C, "deu"}};
    return spec;
}

std::vector<uint8_t> buildLocalPart(const LocalSpec& spec, size_t prefix) {
    ByteWriter w;
    w.fill(prefix, 0xEE);
    const size_t b = w.size();
    w.u16(0).u16(0).coordinate(spec.centralLatitude).coordinate(spec.centralLongitude);
    w.fill(3).u8(spec.areaRecordSize);
    w.u8(spec.declaredAreas >= 0 ? uint32_t(spec.declaredAreas) : uint32_t(spec.areas.size())).u8(0);
    w.u8(spec.declaredLanguages >= 0 ? uint32_t(spec.declaredLanguages) : uint32_t(spec.languages.size()));
    for (const std::string& language : spec.languages)
        w.fixedText(language, 3);
    w.patchU16(b, uint32_t((w.size() - b + 1) / 2));
    for (const AreaSpec& a : spec.areas) {
        const size_t start = w.size();
        w.u8(a.code).fixedText(a.toponym, 3).u32(a.property1).coordinate(a.latitude).coordinate(a.longitude);
        w.u16(a.property2).u8(a.property3).fixedText(a.language, 3);
        w.padTo(start + spec.areaRecordSize, 0xAA);
    }
    return w.take();
}

std::vector<uint8_t> buildManager21Part(int headerBytes, size_t prefix) {
    ByteWriter w;
    w.fill(prefix, 0xEE);
    w.u16(uint32_t(headerBytes / 2));
    w.coordinate(1500000).coordinate(-100000).coordinate(1700000).coordinate(200000);
    w.u16(0x0102).u16(0x40).u16(7).u16(0x1101).u16(0x1102).u16(0x1103);
    w.u16(0x30).u16(0x10).u16(0x50);
    if (headerBytes == 44)
        w.u16(0x10);
    else
        w.u32(0x12345);
    w.u16(0x1104).u16(0x1105).u16(0x1106);
    w.padTo(prefix + size_t(headerBytes));
    w.fill(0x100, 0x77); // the tables
    return w.take();
}

} // namespace fixture
