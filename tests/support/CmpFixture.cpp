// Compressed-file fixtures: encoders and list/data-file layouts.
#include "support/CmpFixture.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <zlib.h>

#include "support/FixtureWriter.h"

namespace fixture {

namespace {
constexpr size_t blockSize = 65536;
constexpr size_t sectorSize = 2048;

const char* const vocabulary[] = {"MAIN ST",   "HIGH ST",   "STATION RD", "RIVER",      "PARK",
                                  "CHURCH LN", "MILL LANE", "A road",     "MOTORWAY 7", "BRIDGE"};

std::vector<uint8_t> deflateWith(const uint8_t* data, size_t size, int level, int windowBits) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::vector<uint8_t> out(deflateBound(&z, uLong(size)) + 32);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = deflate(&z, Z_FINISH);
    deflateEnd(&z);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate failed");
    out.resize(out.size() - z.avail_out);
    return out;
}

// One byte-pair packet of a chunk: repeatedly replace the most frequent pair by an unused code.
void bpePacket(const uint8_t* data, size_t size, ByteWriter& out) {
    std::vector<int> buffer(data, data + size);
    std::array<uint8_t, 256> left{}, right{};
    std::array<bool, 256> used{};
    for (int c = 0; c < 256; ++c)
        left[c] = uint8_t(c);
    for (size_t i = 0; i < size; ++i)
        used[data[i]] = true;
    std::vector<int> counts(65536, 0);
    for (;;) {
        int best = -1, bestCount = 2;
        for (size_t i = 0; i + 1 < buffer.size(); ++i) {
            const int pair = buffer[i] << 8 | buffer[i + 1];
            if (++counts[size_t(pair)] > bestCount) bestCount = counts[size_t(pair)], best = pair;
        }
        for (size_t i = 0; i + 1 < buffer.size(); ++i)
            counts[size_t(buffer[i] << 8 | buffer[i + 1])] = 0;
        int code = -1;
        for (int c = 0; c < 256 && code < 0; ++c)
            if (!used[size_t(c)]) code = c;
        if (best < 0 || code < 0) break;
        used[size_t(code)] = true;
        left[size_t(code)] = uint8_t(best >> 8);
        right[size_t(code)] = uint8_t(best & 0xFF);
        std::vector<int> next;
        next.reserve(buffer.size());
        for (size_t i = 0; i < buffer.size(); ++i) {
            if (i + 1 < buffer.size() && (buffer[i] << 8 | buffer[i + 1]) == best) {
                next.push_back(code);
                ++i;
            } else {
                next.push_back(buffer[i]);
            }
        }
        buffer.swap(next);
    }
    auto entry = [&](int c) {
        out.u8(left[size_t(c)]);
        if (left[size_t(c)] != c) out.u8(right[size_t(c)]);
    };
    int c = 0;
    while (c < 256) {
        if (left[size_t(c)] == c) {
            // A run of literals is skipped with one count byte >= 128, then one entry follows.
            int run = 1;
            while (run < 128 && c + run < 256 && left[size_t(c + run)] == c + run)
                ++run;
            out.u8(uint32_t(127 + run));
            c += run;
            if (c == 256) break;
            entry(c++);
        } else {
            int run = 1;
            while (run < 128 && c + run < 256 && left[size_t(c + run)] != c + run)
                ++run;
            out.u8(uint32_t(run - 1));
            for (int k = 0; k < run; ++k)
                entry(c++);
        }
    }
    out.u16(uint32_t(buffer.size()));
    for (int code : buffer)
        out.u8(uint32_t(code));
}
} // namespace

std::vector<uint8_t> mapLikeContent(size_t size, uint32_t seed) {
    std::vector<uint8_t> out;
    out.reserve(size + 64);
    uint32_t state = seed * 2654435761u + 1;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    int32_t latitude = 1800000, longitude = 400000;
    uint32_t record = 0;
    while (out.size() < size) {
        // A record: id, kind, point count, delta-coded points, a name.
        const uint32_t points = 2 + next() % 6;
        out.push_back(uint8_t(record >> 8));
        out.push_back(uint8_t(record));
        out.push_back(uint8_t(0x10 + next() % 4));
        out.push_back(uint8_t(points));
        for (uint32_t p = 0; p < points; ++p) {
            latitude += int32_t(next() % 64) - 20;
            longitude += int32_t(next() % 64) - 20;
            for (int32_t v : {latitude, longitude}) {
                out.push_back(uint8_t(v >> 16));
                out.push_back(uint8_t(v >> 8));
                out.push_back(uint8_t(v));
                out.push_back(0);
            }
        }
        const char* name = vocabulary[next() % 10];
        while (*name)
            out.push_back(uint8_t(*name++));
        out.push_back(0);
        while (out.size() % 4)
            out.push_back(0xFF);
        ++record;
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> gzipMember(const uint8_t* data, size_t size, int level) {
    return deflateWith(data, size, level, 16 + MAX_WBITS);
}

std::vector<uint8_t> zlibStream(const uint8_t* data, size_t size, int level) {
    return deflateWith(data, size, level, MAX_WBITS);
}

std::vector<uint8_t> bpeEncode(const uint8_t* data, size_t size) {
    ByteWriter out;
    for (size_t at = 0; at < size; at += 4096)
        bpePacket(data + at, std::min<size_t>(4096, size - at), out);
    return out.take();
}

std::vector<uint8_t> buildCmpList(const std::vector<CmpListEntrySpec>& entries, int64_t entryCountField) {
    ByteWriter w;
    w.u32(entryCountField >= 0 ? uint32_t(entryCountField) : uint32_t(entries.size()));
    std::vector<size_t> tableFields;
    for (const auto& e : entries) {
        tableFields.push_back(w.size());
        w.u32(0).u16(e.type).u16(uint32_t(e.name.size())).text(e.name);
        if (e.name.size() % 2) w.u8(0);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (e.type == 0) continue;
        w.align(4);
        w.patchU32(tableFields[i], uint32_t(w.size()));
        w.fixedText(e.tag, 4).u32(e.blockCount).u32(e.fileSize);
        if (e.type == 1 || e.type == 2) {
            for (uint32_t s : e.sectors)
                w.u32(s);
            for (uint16_t s : e.sizes)
                w.u16(s);
        } else if (e.type == 258 || e.type == 514 || e.type == 770) {
            w.u32(e.segmentCountField >= 0 ? uint32_t(e.segmentCountField) : uint32_t(e.segments.size()));
            for (const auto& [first, base] : e.segments)
                w.u32(first).u32(base);
            for (uint16_t o : e.offsets)
                w.u16(o);
        }
    }
    return w.take();
}

std::vector<uint8_t> buildCmp13List(const std::vector<std::pair<uint8_t, std::string>>& entries) {
    ByteWriter w;
    w.raw("MCM\0CMP\0", 8).u16(uint32_t(entries.size()));
    for (const auto& [value, name] : entries)
        w.u8(value).u8(uint32_t(name.size())).text(name);
    return w.take();
}

std::vector<uint8_t> buildCmpDataFile(const std::vector<uint8_t>& content, CmpListEntrySpec& spec,
                                      const std::vector<BlockCoding>& coding, size_t segmentEvery) {
    const bool segmented = spec.type == 258 || spec.type == 514 || spec.type == 770;
    const size_t blocks = (content.size() + blockSize - 1) / blockSize;
    spec.blockCount = uint32_t(blocks);
    spec.fileSize = uint32_t(content.size());
    spec.sectors.clear();
    spec.sizes.clear();
    spec.segments.clear();
    spec.offsets.clear();
    ByteWriter w;
    w.fill(sectorSize, 0xEE); // the first blocks do not start at 0
    for (size_t k = 0; k < blocks; ++k) {
        w.align(sectorSize, 0xEE);
        const uint8_t* chunk = content.data() + k * blockSize;
        const size_t length = std::min(blockSize, content.size() - k * blockSize);
        std::vector<uint8_t> packed;
        if (coding.empty() || coding[k] == BlockCoding::Listed)
            packed = spec.type == 1 ? bpeEncode(chunk, length) : gzipMember(chunk, length);
        const bool stored = packed.empty() || packed.size() > 0xFFFF;
        const uint32_t sector = uint32_t(w.size() / sectorSize);
        if (segmented) {
            if (k % segmentEvery == 0) spec.segments.push_back({uint32_t(k), sector});
            spec.offsets.push_back(uint16_t(sector - spec.segments.back().second));
            w.u16(stored ? 0 : uint32_t(packed.size()));
        } else {
            spec.sectors.push_back(sector);
            spec.sizes.push_back(stored ? 0 : uint16_t(packed.size()));
        }
        if (stored)
            w.raw(chunk, length);
        else
            w.raw(packed);
    }
    return w.take();
}

std::vector<uint8_t> buildCmp13DataFile(const std::vector<uint8_t>& content, uint32_t base,
                                        const std::vector<size_t>& storedBlocks) {
    const size_t blocks = (content.size() + blockSize - 1) / blockSize;
    ByteWriter w;
    w.text("CMP").u8(0).u32(base).u16(2).u32(uint32_t(content.size())).u16(4096).u16(uint32_t(blocks));
    const size_t table = w.size();
    w.fill(4 * blocks);
    for (size_t k = 0; k < blocks; ++k) {
        w.patchU32(table + 4 * k, uint32_t(w.size() - base));
        const uint8_t* chunk = content.data() + k * blockSize;
        const size_t length = std::min(blockSize, content.size() - k * blockSize);
        if (std::find(storedBlocks.begin(), storedBlocks.end(), k) != storedBlocks.end())
            w.raw(chunk, length);
        else
            w.raw(zlibStream(chunk, length));
    }
    return w.take();
}

const char* cmpLayoutName(CmpLayout layout) {
    switch (layout) {
    case CmpLayout::Gzip05:
        return "Gzip05";
    case CmpLayout::GzipWithStored:
        return "GzipWithStored";
    case CmpLayout::Bpe05:
        return "Bpe05";
    case CmpLayout::Type1In06:
        return "Type1In06";
    case CmpLayout::Segmented258:
        return "Segmented258";
    case CmpLayout::Segmented514:
        return "Segmented514";
    case CmpLayout::Segmented770:
        return "Segmented770";
    case CmpLayout::Zlib13:
        return "Zlib13";
    case CmpLayout::Zlib13Stored:
        return "Zlib13Stored";
    }
    return "?";
}

CmpLayoutFiles writeCmpLayout(const std::string& root, CmpLayout layout, const std::string& relativeName,
                              const std::vector<uint8_t>& content) {
    CmpLayoutFiles files;
    files.content = content;
    files.dataPath = root + "/" + relativeName;
    if (layout == CmpLayout::Zlib13 || layout == CmpLayout::Zlib13Stored) {
        files.listPath = root + "/13.CMP";
        writeFile(files.listPath, buildCmp13List({{1, relativeName}}));
        writeFile(files.dataPath, layout == CmpLayout::Zlib13 ? buildCmp13DataFile(content)
                                                              : buildCmp13DataFile(content, 10, {1}));
        return files;
    }
    CmpListEntrySpec spec;
    spec.name = relativeName;
    std::vector<BlockCoding> coding;
    std::string listName = "05.CMP";
    switch (layout) {
    case CmpLayout::Bpe05:
        spec.type = 1;
        break;
    case CmpLayout::Segmented258:
        spec.type = 258;
        break;
    case CmpLayout::Segmented514:
        spec.type = 514;
        break;
    case CmpLayout::Segmented770:
        spec.type = 770;
        break;
    case CmpLayout::GzipWithStored:
        spec.type = 2;
        for (size_t k = 0; k * blockSize < content.size(); ++k)
            coding.push_back(k % 2 ? BlockCoding::Stored : BlockCoding::Listed);
        break;
    default:
        spec.type = 2;
        break;
    }
    const auto data = buildCmpDataFile(content, spec, coding);
    if (layout == CmpLayout::Type1In06) {
        spec.type = 1;
        listName = "06.CMP";
    }
    files.listPath = root + "/" + listName;
    writeFile(files.listPath, buildCmpList({spec}));
    writeFile(files.dataPath, data);
    return files;
}

} // namespace fixture
