// Fixture builder of "FILECON.MNG" files.
#include "support/FileConFixture.h"

#include "support/FixtureWriter.h"

namespace fixture {

std::vector<uint8_t> buildFileCon(const FileConSpec& spec) {
    ByteWriter w;
    w.u16(spec.headerSize);
    w.u16(spec.declaredCount >= 0 ? uint32_t(spec.declaredCount) : uint32_t(spec.entries.size()));
    w.u32(spec.value);
    for (uint32_t i = 8; i < spec.headerSize; ++i)
        w.u8(0xA0 + i - 8);
    // A header size below 8 puts the records over the header fields, as such a file would have them.
    std::vector<uint8_t> bytes = w.take();
    for (size_t i = 0; i < spec.entries.size(); ++i) {
        ByteWriter r;
        const FileConEntry& e = spec.entries[i];
        r.u8(e.number)
            .u8(0)
            .u8(0)
            .u8(0)
            .u32(e.size)
            .fixedText(e.physicalName, 12)
            .fixedText(e.logicalName, 12);
        const size_t at = spec.headerSize + 32 * i;
        if (bytes.size() < at + 32) bytes.resize(at + 32);
        std::copy(r.bytes().begin(), r.bytes().end(), bytes.begin() + long(at));
    }
    return bytes;
}

std::vector<FileConEntry> fileConEntries(int count) {
    std::vector<FileConEntry> entries;
    for (int i = 0; i < count; ++i) {
        const std::string digits = std::to_string(i);
        entries.push_back(
            {uint8_t(i * 16), "FILE" + digits + ".KWI", i % 2 ? "ODD.KWI" : "EVEN.KWI", uint32_t(1000 + i)});
    }
    return entries;
}

} // namespace fixture
