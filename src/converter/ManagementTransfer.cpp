// Transfer of the management data of the other parts.
#include "converter/ManagementTransfer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "converter/OutputEncoding.h"
#include "converter/ProducedFile.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/KiwiConversions.h"

namespace {

constexpr int kHeaderTable = 2048;
constexpr int kHeaderRecord = 18;
constexpr int64_t kLargestBlock = 100000000;
constexpr int64_t kCopyChunk = 4 << 20;

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
    const std::string path = FindInFolder(FolderOf(c.map.Path()), header.Name);
    if (path.empty()) {
        c.warn(header.Name + " not found beside the source map: voice data not inserted");
        return append;
    }
    c.progress.SetProgressLabel("Transferring Voice Data Management");
    const auto voice = OpenKiwiFile(path);
    const int64_t n = voice->Size();
    copyBlock(c, *voice, 0, n, append);
    TLN_Stream& source = *c.map.GetAllDataStream();
    const int64_t record = kHeaderTable + kHeaderRecord * 6;
    c.out.Seek(record);
    WriteAddressAndStoredSize(c.out, append, storedSectors(source, 6));
    const uint8_t noName[12] = {};
    c.out.Write(noName, 12);
    c.progress.AddLog("Voice Data Management inserted from file " + header.Name + ". Address: 0x" +
                      hex(append, 10) + "  Size: 0x" + hex(AlignUp32(n), 8));
    return append + AlignUp32(n);
}

} // namespace

int64_t TransferManagementData(ConversionContext& c, int64_t sourceSize) {
    TLN_Stream& source = *c.map.GetAllDataStream();
    int64_t append = AlignUp32(c.out.Size());
    // Where each block ends: the nearest start above it among every header, the main map data, the block
    // management 32 refers to, and the end of the source file.
    std::vector<int64_t> starts;
    for (int i = 0; i < 64; ++i) {
        const TLN_Management_Header header = c.map.GetManagementHeader(i);
        if (header.Address > 0 && header.Name.empty()) starts.push_back(header.Address);
    }
    starts.push_back(sourceSize);
    if (c.mainDataStart > 0) starts.push_back(c.mainDataStart);
    int64_t block325 = -1;
    uint16_t block325Size = 0;
    const TLN_Management_Header header31 = c.map.GetManagementHeader(31);
    if (header31.Address > 0 && header31.Name.empty()) {
        uint8_t bytes[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
        source.ReadAt(header31.Address + 90, bytes, 6);
        block325 = KiwiAddressToOffset((uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) |
                                       (uint32_t(bytes[2]) << 8) | bytes[3]);
        block325Size = uint16_t((bytes[4] << 8) | bytes[5]);
        if (block325 > 0) starts.push_back(block325);
    }
    std::sort(starts.begin(), starts.end());
    auto extentOf = [&](int64_t address) {
        const auto above = std::upper_bound(starts.begin(), starts.end(), address);
        return (above == starts.end() ? sourceSize : *above) - address;
    };

    std::vector<int64_t> newAddress(64, -1);
    for (int i = 1; i < 32; ++i) {
        c.checkStop();
        const TLN_Management_Header header = c.map.GetManagementHeader(i);
        newAddress[size_t(i)] = header.Address;
        // Headers 30 and 31 move only when their data lies past the copied first 8 KiB.
        const int64_t lowest = i >= 30 ? 8191 : 8192;
        if (i == 6 && c.options.insertVoiceData && !header.Name.empty()) {
            append = insertVoiceFile(c, header, append);
            continue;
        }
        if (header.Address <= lowest || header.Size == 0 || !header.Name.empty()) continue;
        const int64_t record = kHeaderTable + kHeaderRecord * i;
        if (i == 27 && c.options.removeRds) {
            c.out.Seek(record);
            WriteEmptyReference(c.out);
            newAddress[size_t(i)] = -1;
            continue;
        }
        const int64_t n = std::min(extentOf(header.Address), sourceSize - header.Address);
        if (n <= 0 || (n >= kLargestBlock && i != 6)) {
            // Left where it was it would point into the new main map data.
            c.out.Seek(record);
            WriteEmptyReference(c.out);
            newAddress[size_t(i)] = -1;
            c.warn("Management " + std::to_string(i + 1) + " cannot be transferred");
            continue;
        }
        if (i == 6) {
            c.voiceOffset = header.Address;
            c.voiceSize = n;
        }
        c.progress.SetProgressLabel("Transferring Management " + std::to_string(i + 1) + " ...  ");
        copyBlock(c, source, header.Address, n, append);
        c.out.Seek(record);
        WriteAddressAndStoredSize(c.out, append, storedSectors(source, i));
        newAddress[size_t(i)] = append;
        c.progress.AddLog("Management " + std::to_string(i + 1) + " transferred. Address: 0x" +
                          hex(append, 10) + "  Size: 0x" + hex(n, 8));
        append += AlignUp32(n);
    }
    if (block325 > 0 && newAddress[31] > 0) {
        const int64_t n = std::min(extentOf(block325), sourceSize - block325);
        if (n > 0 && n < kLargestBlock) {
            copyBlock(c, source, block325, n, append);
            c.out.Seek(newAddress[31] + 90);
            WriteAddressAndStoredSize(c.out, append, block325Size);
            c.progress.AddLog("Management 32/5 transferred. Address: 0x" + hex(append, 10) + "  Size: 0x" +
                              hex(n, 8));
            append += AlignUp32(n);
        }
    }
    if (newAddress[29] > 0 && c.options.target != ConversionTarget::Others) {
        const char* code = c.options.target == ConversionTarget::AisinAw ? "eng" : "#us";
        c.out.WriteAt(newAddress[29] + 19, code, 3);
    }
    c.out.SetSize(append);
    return append;
}
