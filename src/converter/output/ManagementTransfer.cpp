// Transfer of the management data of the other parts.
#include "converter/output/ManagementTransfer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "converter/output/OutputEncoding.h"
#include "converter/output/ProducedFile.h"
#include "converter/output/RegionDataWriter.h"
#include "converter/output/RegionFileBuilder.h"
#include "converter/source/SourceFiles.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/parts/ManagementParts.h"

namespace {

constexpr int kHeaderTable = 2048;
constexpr int kHeaderRecord = 18;
constexpr int64_t kLargestBlock = 100000000;
constexpr int64_t kHeaderBytes = 8192;
constexpr int64_t kCopyChunk = 4 << 20;
constexpr int kRegionHeader = ManagementHeaderIndex(ManagementPart::RegionData);
constexpr int kVoiceHeader = ManagementHeaderIndex(ManagementPart::VoiceData);

std::string hex(int64_t value, int digits) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

uint16_t storedSectors(TLN_Stream& source, int index) {
    uint8_t bytes[2] = {0, 0};
    source.ReadAt(kHeaderTable + kHeaderRecord * index + 4, bytes, 2);
    return uint16_t((bytes[0] << 8) | bytes[1]);
}

void copyBlock(ConversionContext& c, TLN_Stream& source, int64_t from, int64_t count, int64_t to) {
    std::vector<uint8_t> buffer(size_t(std::min(count, kCopyChunk)));
    for (int64_t done = 0; done < count;) {
        c.checkStop();
        const int64_t n = std::min<int64_t>(count - done, int64_t(buffer.size()));
        source.ReadExactAt(from + done, buffer.data(), n);
        c.out.WriteAt(to + done, buffer.data(), n);
        done += n;
        c.progress.SetProgress1(done, count);
    }
}

// The voice data file that header 6 names (beside the source) copied whole to append; the record then
// points at it and names no file. Returns the next append position.
int64_t insertVoiceFile(ConversionContext& c, const TLN_Management_Header& header, int64_t append) {
    const auto voice = OpenBesideSource(c.map.Path(), header.Name);
    if (!voice) {
        c.passOver(Failure(FailureCode::VoiceFileMissing, {{"file", header.Name}}));
        return append;
    }
    c.progress.SetProgressLabel("Transferring Voice Data Management");
    const int64_t n = voice->Size();
    copyBlock(c, *voice, 0, n, append);
    TLN_Stream& source = *c.map.GetAllDataStream();
    const int64_t record = kHeaderTable + kHeaderRecord * kVoiceHeader;
    c.out.Seek(record);
    WriteAddressAndStoredSize(c.out, append, storedSectors(source, kVoiceHeader));
    const uint8_t noName[12] = {};
    c.out.Write(noName, 12);
    c.progress.AddLog("Voice Data Management inserted from file VOICEDAT.KWI. Address: 0x" + hex(append, 10) +
                      "  Size: 0x" + hex(AlignUp32(n), 8));
    return append + AlignUp32(n);
}

// A dummy management 21 with a 44-byte header (16-bit table sizes) for older loaders, modelled on the
// management distribution header at old (the block record 5 of management 32 names). Returns the next
// append position.
int64_t appendDummyManagement21(ConversionContext& c, TLN_Stream& source, int64_t old, int64_t append) {
    uint8_t header[46] = {};
    if (source.ReadAt(old, header, 46) != 46) {
        c.warn("Management 21 cannot be read: no dummy management 21 created");
        return append;
    }
    auto word = [&](int at) { return uint32_t((header[at] << 8) | header[at + 1]); };
    const int64_t w20 = word(20), w22 = word(22), table1 = 2 * int64_t(word(30));
    const int64_t k = (2 * w20) / 8;
    const int64_t table1Bytes = w22 * (k + 2);
    const int64_t total = std::max<int64_t>(44, table1) + table1Bytes + 2 * w20 * 32;
    if (table1 < 44 || total > (int64_t(1) << 24)) {
        c.warn("Management 21 has tables no dummy can copy: no dummy management 21 created");
        return append;
    }
    std::vector<uint8_t> block(size_t(total), 0);
    std::copy(header, header + 38, block.begin());
    std::copy(header + 40, header + 46, block.begin() + 38);
    for (int64_t e = 0; e < w22; ++e)
        std::fill_n(block.begin() + table1 + e * (k + 2) + 2, k, uint8_t(0xFF));
    std::fill(block.begin() + table1 + table1Bytes, block.end(), uint8_t(0xFF));
    auto put = [&](int64_t at, int64_t value) {
        block[size_t(at)] = uint8_t(value >> 8);
        block[size_t(at + 1)] = uint8_t(value);
    };
    put(0, 22);
    put(32, table1Bytes / 2);
    put(34, (table1 + table1Bytes) / 2);
    put(36, 2 * w20 * 16);
    c.out.WriteAt(append, block.data(), total);
    c.out.Seek(kHeaderTable + kHeaderRecord * 20);
    WriteAddressAndStoredSize(c.out, append, 2);
    c.progress.AddLog("Dummy Management 21 (16-bit) created. Address: 0x" + hex(append, 10) + "  Size: 0x" +
                      hex(44 + table1Bytes + 2 * w20 * 32, 8));
    return append + AlignUp32(total);
}

// The region data of the REGION.KWI that header 1 names (beside the source) written at append; the
// record then points at it and names no file. Returns the next append position.
int64_t insertRegionFile(ConversionContext& c, const TLN_Management_Header& header, int64_t append) {
    const std::string path = FindBesideSource(c.map.Path(), header.Name);
    if (path.empty()) {
        c.passOver(Failure(FailureCode::RegionFileMissing, {{"file", header.Name}}));
        return append;
    }
    const TLN_RegionManager regions(path);
    // A damaged file fails this task only: the map written so far is kept, its record still names the file.
    const auto fail = [&](const Failure& why) {
        c.passOver({Failure(FailureCode::RegionInsertFailed, why, {{"file", header.Name}}), true});
        return append;
    };
    if (!regions.IsValid()) return fail(Failure(FailureCode::RegionNotValidData));
    c.progress.SetProgressLabel("Transferring Region Data Management");
    int64_t n = 0;
    try {
        n = AlignUp32(WriteRegionData(c, regions, append));
    } catch (const ERegionDataShort& e) {
        return fail(e.Reason());
    }
    TLN_Stream& source = *c.map.GetAllDataStream();
    c.out.Seek(kHeaderTable + kHeaderRecord * kRegionHeader);
    WriteAddressAndStoredSize(c.out, append, storedSectors(source, kRegionHeader));
    const uint8_t noName[12] = {};
    c.out.Write(noName, 12);
    c.progress.AddLog("Region Data Management inserted from file REGION.KWI. Address: 0x" + hex(append, 10) +
                      "  Size: 0x" + hex(n, 8));
    return append + n;
}

// Region data kept in "ALLDATA.KWI" itself, rewritten at append with its frames re-pointed; the record keeps
// its old size field. Returns the next append position, or -1 when the block does not read as region data
// (it is then copied as any other block).
int64_t transferRegionData(ConversionContext& c, const TLN_Management_Header& header, int64_t append) {
    const TLN_RegionManager regions(c.map.GetAllDataStream(), header.Address);
    if (!regions.IsValid()) return -1;
    c.progress.SetProgressLabel("Transferring Region Data Management");
    const int64_t n = AlignUp32(WriteRegionData(c, regions, append));
    c.out.Seek(kHeaderTable + kHeaderRecord * kRegionHeader);
    WriteAddressAndStoredSize(c.out, append, storedSectors(*c.map.GetAllDataStream(), kRegionHeader));
    c.progress.AddLog("Region Data Management transferred. Address: 0x" + hex(append, 10) + "  Size: 0x" +
                      hex(n, 8));
    return append + n;
}

// Where each block of the source ends: the nearest start above it among every header, the main map data,
// the block management 32 refers to, and the end of the source file.
struct SourceBlocks {
    std::vector<int64_t> starts;
    int64_t sourceSize = 0;
    // The block the record 5 of management 32 names (-1 when none) and its stored size.
    int64_t block325 = -1;
    uint16_t block325Size = 0;

    int64_t extentOf(int64_t address) const {
        const auto above = std::upper_bound(starts.begin(), starts.end(), address);
        return (above == starts.end() ? sourceSize : *above) - address;
    }
};

SourceBlocks findSourceBlocks(ConversionContext& c, int64_t sourceSize) {
    TLN_Stream& source = *c.map.GetAllDataStream();
    SourceBlocks blocks;
    blocks.sourceSize = sourceSize;
    std::vector<int64_t>& starts = blocks.starts;
    for (int i = 0; i < 64; ++i) {
        const TLN_Management_Header header = c.map.GetManagementHeader(i);
        if (header.Address > 0 && header.Name.empty()) starts.push_back(header.Address);
    }
    starts.push_back(sourceSize);
    if (c.mainDataStart > 0) starts.push_back(c.mainDataStart);
    const TLN_Management_Header header31 = c.map.GetManagementHeader(31);
    if (header31.Address > 0 && header31.Name.empty()) {
        uint8_t bytes[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
        source.ReadAt(header31.Address + 90, bytes, 6);
        blocks.block325 = KiwiAddressToOffset((uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) |
                                              (uint32_t(bytes[2]) << 8) | bytes[3]);
        blocks.block325Size = uint16_t((bytes[4] << 8) | bytes[5]);
        if (blocks.block325 > 0) starts.push_back(blocks.block325);
    }
    std::sort(starts.begin(), starts.end());
    return blocks;
}

// Moves management i + 1 to append (or inserts its file, or empties its record) and notes its new address
// (-1 when it has none). Returns the next append position.
int64_t transferManagement(ConversionContext& c, int i, const SourceBlocks& blocks, int64_t append,
                           std::vector<int64_t>& newAddress) {
    TLN_Stream& source = *c.map.GetAllDataStream();
    const TLN_Management_Header header = c.map.GetManagementHeader(i);
    newAddress[size_t(i)] = header.Address;
    if (i == kRegionHeader && c.options.insertRegionData && !header.Name.empty())
        return insertRegionFile(c, header, append);
    if (i == kVoiceHeader && c.options.insertVoiceData && !header.Name.empty())
        return insertVoiceFile(c, header, append);
    // A part wholly inside the copied first 8 KiB stays there; one that reaches 8192 or past it (also
    // from below, when the main map management data started below 8192) would be overwritten by the
    // new main map and moves. Address 0 and all ones both mean absent.
    if (header.Address <= 0 || header.Size == 0 || !header.Name.empty() ||
        header.Address + int64_t(header.Size) <= kHeaderBytes)
        return append;
    const int64_t record = kHeaderTable + kHeaderRecord * i;
    if (i == 27 && c.options.removeRds) {
        c.out.Seek(record);
        WriteEmptyReference(c.out);
        newAddress[size_t(i)] = -1;
        return append;
    }
    if (i == kRegionHeader) {
        const int64_t next = transferRegionData(c, header, append);
        if (next >= 0) {
            newAddress[size_t(i)] = append;
            return next;
        }
    }
    const int64_t n = std::min(blocks.extentOf(header.Address), blocks.sourceSize - header.Address);
    if (n <= 0 || (n >= kLargestBlock && i != kVoiceHeader)) {
        // Left where it was it would point into the new main map data.
        c.out.Seek(record);
        WriteEmptyReference(c.out);
        newAddress[size_t(i)] = -1;
        c.warn("Management " + std::to_string(i + 1) + " cannot be transferred");
        return append;
    }
    if (i == kVoiceHeader) {
        c.voiceOffset = header.Address;
        c.voiceSize = n;
    }
    c.progress.SetProgressLabel("Transferring Management " + std::to_string(i + 1) + " ...  ");
    copyBlock(c, source, header.Address, n, append);
    c.out.Seek(record);
    WriteAddressAndStoredSize(c.out, append, storedSectors(source, i));
    newAddress[size_t(i)] = append;
    c.progress.AddLog("Management " + std::to_string(i + 1) + " transferred. Address: 0x" + hex(append, 10) +
                      "  Size: 0x" + hex(n, 8));
    return append + AlignUp32(n);
}

// Moves the block management 32 refers to after it and re-points its record 5 in the moved management 32
// at newAddress32. Returns the next append position.
int64_t transferBlock325(ConversionContext& c, const SourceBlocks& blocks, int64_t newAddress32,
                         int64_t append) {
    const int64_t n = std::min(blocks.extentOf(blocks.block325), blocks.sourceSize - blocks.block325);
    if (n <= 0 || n >= kLargestBlock) return append;
    copyBlock(c, *c.map.GetAllDataStream(), blocks.block325, n, append);
    c.out.Seek(newAddress32 + 90);
    WriteAddressAndStoredSize(c.out, append, blocks.block325Size);
    c.progress.AddLog("Management 32/5 transferred. Address: 0x" + hex(append, 10) + "  Size: 0x" +
                      hex(n, 8));
    return append + AlignUp32(n);
}

// The language code of the target in management 30 (moved to address).
void setLanguageCode(ConversionContext& c, int64_t address) {
    if (address <= 0 || c.options.target == ConversionTarget::Others) return;
    const char* code = c.options.target == ConversionTarget::AisinAw ? "eng" : "#us";
    c.out.WriteAt(address + 19, code, 3);
}

} // namespace

int64_t TransferManagementData(ConversionContext& c, int64_t sourceSize) {
    int64_t append = AlignUp32(c.out.Size());
    const SourceBlocks blocks = findSourceBlocks(c, sourceSize);
    std::vector<int64_t> newAddress(64, -1);
    for (int i = 1; i < 32; ++i) {
        c.checkStop();
        append = transferManagement(c, i, blocks, append, newAddress);
    }
    if (blocks.block325 > 0 && newAddress[31] > 0)
        append = transferBlock325(c, blocks, newAddress[31], append);
    if (c.options.createManagement21 && newAddress[31] > 0 && blocks.block325 > 0)
        append = appendDummyManagement21(c, *c.map.GetAllDataStream(), blocks.block325, append);
    setLanguageCode(c, newAddress[29]);
    c.out.SetSize(append);
    return append;
}
