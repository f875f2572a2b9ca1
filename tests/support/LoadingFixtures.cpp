// Builds LOADING.KWI, COVERAGE.BIN and BMP images byte by byte from their layouts.
#include "support/LoadingFixtures.h"

#include "support/FixtureWriter.h"

namespace fixture {
namespace {
// Unit record (64 bytes): number, 3 bytes, 52-byte name, 8-byte identifier.
void unitRecord(ByteWriter& w, uint8_t number, const std::string& name, const std::string& identifier) {
    w.u8(number).fill(3).fixedText(name, 52).fixedText(identifier, 8);
}
// Module record head: two words and the 64-byte name; the rest is written by the caller.
void moduleHead(ByteWriter& w, uint16_t first, uint16_t second, const std::string& name) {
    w.u16(first).u16(second).fixedText(name, 64);
}
void fileEntry(ByteWriter& w, const std::string& name, uint32_t wordOffset, uint32_t size) {
    w.fixedText(name, 8).u32(wordOffset).u32(size);
}
} // namespace

LoadingFixture buildLoading() {
    LoadingFixture fixture;
    ByteWriter w;
    w.u16(2).u16(0);
    // System identification records: point record (latitude, longitude, floor, date), units, 2 bytes.
    w.coordinate(kAisinLatitude).coordinate(kAisinLongitude).u8(5).u8(0).u16(0x1999).u16(2).u16(0);
    w.coordinate(kDensoLatitude).coordinate(kDensoLongitude).u8(7).u8(0).u16(0x2001).u16(1).u16(0);

    // AISIN-AW: two unit records, then two module records.
    unitRecord(w, 0x01, "NAVI MAIN", "ID000001");
    unitRecord(w, 0x03, "NAVI DATA", "ID000002");
    fixture.aisinModule0Address = 4096;
    fixture.aisinModule1Address = 8192 + 64;
    fixture.aisinModule0 = w.size();
    moduleHead(w, 0x0102, 0x0304, "MAIN PROGRAM");
    w.u16(1).u16(0);                      // a first entry follows
    fileEntry(w, "FILELIST", 0x10, 0x40); // the list at module address + 32
    w.padTo(fixture.aisinModule0 + 250).u32(kiwiAddress(fixture.aisinModule0Address)).u16(2);
    fixture.aisinModule1 = w.size();
    moduleHead(w, 0x0506, 0x0708, "MAP DATA");
    w.u16(2).u16(0); // two entries in the record itself
    fileEntry(w, "A.DAT", 0, 16);
    fileEntry(w, "B.DAT", 0x20, 32);
    w.padTo(fixture.aisinModule1 + 250).u32(kiwiAddress(fixture.aisinModule1Address)).u16(1);

    // DENSO: one unit and its module at sector 3; the word at +68 is 1 but DENSO has no file list.
    unitRecord(w, 0x07, "DENSO UNIT", "DN000001");
    fixture.densoModule = w.size();
    moduleHead(w, 0x0A0B, 0x0C0D, "DENSO MODULE");
    w.u16(1).u16(0);
    fileEntry(w, "NOTREAD", 0, 0);
    w.padTo(fixture.densoModule + 250).u32(3).u16(1);

    // Module 0's contents: the file list, then the identification record of its first file.
    fixture.fileListAt = fixture.aisinModule0Address + 32;
    w.padTo(fixture.fileListAt).u16(2).u16(0);
    fileEntry(w, "PROG.BIN", 0x100, 0x200);
    fileEntry(w, "DATA.BIN", 0x200, 0x80);
    fixture.identificationAt = fixture.aisinModule0Address + 0x200;
    w.padTo(fixture.identificationAt);
    const size_t id = w.size();
    // The texts at +0, +6, +16 and +48 overlap; each ends at its CR LF.
    w.text("NAVP\r\n").text("V1.02\r\n").padTo(id + 16).text("2004-05-06\r\n");
    w.padTo(id + 48)
        .text("(C) NAV CO\r\nLTD")
        .padTo(id + 112)
        .u32(0x00200000)
        .u32(0x00012345)
        .u32(0xDEADBEEF);
    w.padTo(16384);
    fixture.bytes = w.take();
    return fixture;
}

std::vector<uint8_t> buildCoverage(const std::vector<std::pair<uint16_t, std::string>>& records) {
    ByteWriter w;
    w.u16(uint32_t(records.size()));
    for (const auto& [code, name] : records)
        w.u16(code).u8(uint32_t(name.size())).text(name);
    return w.take();
}

std::vector<uint8_t> buildBmp(int width, int height, uint32_t (*colour)(int x, int y)) {
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) / 4 * 4;
    const uint32_t pixelBytes = rowBytes * uint32_t(height);
    ByteWriter w;
    // BITMAPFILEHEADER and BITMAPINFOHEADER, little-endian.
    w.text("BM").u32le(54 + pixelBytes).u16le(0).u16le(0).u32le(54);
    w.u32le(40).u32le(uint32_t(width)).u32le(uint32_t(height)).u16le(1).u16le(24).u32le(0).u32le(pixelBytes);
    w.u32le(2835).u32le(2835).u32le(0).u32le(0);
    for (int y = height - 1; y >= 0; --y) { // rows bottom-up
        const size_t start = w.size();
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            w.u8(c).u8(c >> 8).u8(c >> 16); // blue, green, red
        }
        w.padTo(start + rowBytes);
    }
    return w.take();
}

uint32_t coveragePictureColour(int x, int y) {
    return uint32_t(x * 40) << 16 | uint32_t(y * 60) << 8 | 0x80;
}

} // namespace fixture
