// Sequential reading of a large CMP-listed file through TLN_DecompFileStream, against inflating the same
// blocks with plain zlib into one buffer in the same run: gzip blocks of a "05.CMP" file and zlib blocks
// of a "13.CMP" file. KIWI_BENCH_DECOMP_MIB sets the decompressed size in MiB (256 by default; a small
// value gives a quick run).
#include <benchmark/benchmark.h>

#include "BenchRatio.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/io/HandleStream.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CommandNumber.h"

namespace {
constexpr int64_t blockSize = 65536;
constexpr int64_t readSize = 1 << 20;

struct BenchFiles {
    std::string folder;
    int64_t size = 0;
    // Where each compressed block lies: {offset, length}.
    std::vector<std::pair<int64_t, int64_t>> gzipBlocks, zlibBlocks;
} bench;

bool append(FILE* out, const std::vector<uint8_t>& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

// Writes "05.CMP" + GZIP.KWI (type 2, gzip blocks) and "13/13.CMP" + ZLIB.KWI (zlib blocks) of the same
// map-like content, block by block, without holding the whole content.
bool buildFiles(int64_t sizeMiB) {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/kiwi-bench-decomp-XXXXXX";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) return false;
    bench.folder = name.data();
    bench.size = sizeMiB << 20;
    const int64_t blocks = bench.size / blockSize;
    std::filesystem::create_directories(bench.folder + "/13");
    FILE* gzipFile = std::fopen((bench.folder + "/GZIP.KWI").c_str(), "wb");
    FILE* zlibFile = std::fopen((bench.folder + "/13/ZLIB.KWI").c_str(), "wb");
    if (!gzipFile || !zlibFile) return false;
    fixture::CmpListEntryPlan plan;
    plan.name = "GZIP.KWI";
    plan.type = 2;
    plan.blockCount = uint32_t(blocks);
    plan.fileSize = uint32_t(bench.size);
    const int64_t headerSize = 18 + 4 * blocks;
    std::vector<uint8_t> header(size_t(headerSize), 0);
    int64_t gzipAt = 0, zlibAt = headerSize;
    if (!append(zlibFile, header)) return false;
    std::vector<uint8_t> content;
    for (int64_t b = 0; b < blocks; ++b) {
        if (b % 64 == 0) content = fixture::mapLikeContent(64 * blockSize, uint32_t(b + 1));
        const uint8_t* chunk = content.data() + (b % 64) * blockSize;
        auto gz = fixture::gzipMember(chunk, blockSize);
        auto z = fixture::zlibStream(chunk, blockSize);
        if (gz.size() > 0xFFFF || z.size() >= size_t(blockSize)) return false;
        plan.sectors.push_back(uint32_t(gzipAt / 2048));
        plan.sizes.push_back(uint16_t(gz.size()));
        bench.gzipBlocks.push_back({gzipAt, int64_t(gz.size())});
        gz.resize((gz.size() + 2047) / 2048 * 2048, 0);
        if (!append(gzipFile, gz)) return false;
        gzipAt += int64_t(gz.size());
        bench.zlibBlocks.push_back({zlibAt, int64_t(z.size())});
        if (!append(zlibFile, z)) return false;
        zlibAt += int64_t(z.size());
    }
    fixture::ByteWriter h;
    h.text("CMP").u8(0).u32(0).u16(2).u32(uint32_t(bench.size)).u16(4096).u16(uint32_t(blocks));
    for (const auto& block : bench.zlibBlocks)
        h.u32(uint32_t(block.first));
    std::fseek(zlibFile, 0, SEEK_SET);
    if (!append(zlibFile, h.bytes())) return false;
    if (std::fclose(gzipFile) != 0 || std::fclose(zlibFile) != 0) return false;
    fixture::writeFile(bench.folder + "/05.CMP", fixture::buildCmpList({plan}));
    fixture::writeFile(bench.folder + "/13/13.CMP", fixture::buildCmp13List({{1, "ZLIB.KWI"}}));
    return true;
}

void readThroughStream(benchmark::State& state, const std::string& path) {
    auto stream = TLN_DecompFileStream::Create(path);
    if (!stream->Listed() || stream->Size() != bench.size) {
        state.SkipWithError("not listed");
        return;
    }
    std::vector<uint8_t> buffer(readSize);
    for (auto _ : state) {
        for (int64_t position = 0; position < bench.size; position += readSize) {
            if (stream->ReadAt(position, buffer.data(), readSize) !=
                std::min(readSize, bench.size - position))
                state.SkipWithError("short read");
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * bench.size);
}

// The baseline: read each compressed block and inflate it with zlib into its place in one buffer.
void inflateRaw(benchmark::State& state, const std::string& path, bool gzip) {
    auto file = TLN_HandleStream::OpenForReading(path);
    const auto& blocks = gzip ? bench.gzipBlocks : bench.zlibBlocks;
    std::vector<uint8_t> compressed(static_cast<size_t>(blockSize)), buffer(readSize);
    z_stream z{};
    inflateInit2(&z, gzip ? 16 + MAX_WBITS : MAX_WBITS);
    for (auto _ : state) {
        for (size_t b = 0; b < blocks.size(); ++b) {
            const auto [offset, length] = blocks[b];
            if (::pread(file->Handle(), compressed.data(), size_t(length), off_t(offset)) != ssize_t(length))
                state.SkipWithError("short read");
            inflateReset(&z);
            z.next_in = compressed.data();
            z.avail_in = uInt(length);
            z.next_out = buffer.data() + (int64_t(b) * blockSize) % readSize;
            z.avail_out = uInt(blockSize);
            if (inflate(&z, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    inflateEnd(&z);
    state.SetBytesProcessed(state.iterations() * bench.size);
}

void BM_GzipRawZlib(benchmark::State& state) {
    inflateRaw(state, bench.folder + "/GZIP.KWI", true);
}
void BM_GzipStream(benchmark::State& state) {
    readThroughStream(state, bench.folder + "/GZIP.KWI");
}
void BM_Zlib13RawZlib(benchmark::State& state) {
    inflateRaw(state, bench.folder + "/13/ZLIB.KWI", false);
}
void BM_Zlib13Stream(benchmark::State& state) {
    readThroughStream(state, bench.folder + "/13/ZLIB.KWI");
}

} // namespace

BENCHMARK(BM_GzipRawZlib)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_GzipStream)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_Zlib13RawZlib)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_Zlib13Stream)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const int64_t sizeMiB = BenchSizeVariable("KIWI_BENCH_DECOMP_MIB", 256, 1, 4095);
    std::printf("building listed files of %lld MiB...\n", (long long)sizeMiB);
    int status = 1;
    if (buildFiles(sizeMiB)) {
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        auto& r = reporter.bytesPerSecond;
#ifdef KIWI_HAVE_LIBDEFLATE
        const char* aim = "aim >= 2 with libdeflate";
#else
        const char* aim = "aim >= 0.9";
#endif
        if (r["BM_GzipRawZlib"] > 0 && r["BM_Zlib13RawZlib"] > 0) {
            std::printf("throughput ratio gzip blocks, TLN_DecompFileStream / raw zlib: %.3f (%s)\n",
                        r["BM_GzipStream"] / r["BM_GzipRawZlib"], aim);
            std::printf("throughput ratio 13.CMP zlib blocks, TLN_DecompFileStream / raw zlib: %.3f (%s)\n",
                        r["BM_Zlib13Stream"] / r["BM_Zlib13RawZlib"], aim);
            status = 0;
        }
    } else {
        std::fprintf(stderr, "could not build the benchmark files\n");
    }
    benchmark::Shutdown();
    if (!bench.folder.empty()) std::filesystem::remove_all(bench.folder);
    return status;
}
