// Sequential reading of a large file inside an ISO image through TLN_FileStream, against reading the same
// bytes of the image file directly with pread in the same run. KIWI_BENCH_ISO_MIB sets the file size in
// MiB (1024 by default; a small value gives a quick run).
#include <benchmark/benchmark.h>

#include "BenchRatio.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <unistd.h>
#include <vector>

#include "kiwi/disc/FileManager.h"
#include "kiwi/disc/FileStream.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/iso/DataTree.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CommandNumber.h"

namespace {
constexpr int64_t ReadSize = 1 << 20;

struct BenchImage {
    std::string folder;
    std::string image;
    int64_t fileOffset = 0; // where the file's bytes start in the image file
    int64_t fileSize = 0;
} bench;

// Writes sizeMiB of xorshift output (no runs, no repetition) and makes an image of it with xorriso.
bool buildImage(int64_t sizeMiB) {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/kiwi-bench-iso-XXXXXX";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) return false;
    bench.folder = name.data();
    std::filesystem::create_directories(bench.folder + "/tree/DATA");
    const std::string source = bench.folder + "/tree/DATA/ALLDATA.KWI";
    FILE* out = std::fopen(source.c_str(), "wb");
    if (!out) return false;
    std::vector<uint64_t> chunk(ReadSize / 8);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (int64_t i = 0; i < sizeMiB; ++i) {
        for (auto& word : chunk) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        if (std::fwrite(chunk.data(), 1, ReadSize, out) != size_t(ReadSize)) return false;
    }
    if (std::fclose(out) != 0) return false;
    bench.image = bench.folder + "/bench.iso";
    if (fixture::runCommand("xorriso -as mkisofs -quiet -o '" + bench.image + "' '" + bench.folder +
                            "/tree' >/dev/null 2>&1") != 0)
        return false;
    std::filesystem::remove_all(bench.folder + "/tree");
    if (!OpenISOImage(bench.image)) return false;
    TLN_FileStream stream("DATA/ALLDATA.KWI");
    bench.fileOffset = int64_t(stream.ImageEntry()->ExtentLocation()) * 2048;
    bench.fileSize = stream.Size();
    return bench.fileSize == sizeMiB * ReadSize;
}

void BM_FileStreamSequential(benchmark::State& state) {
    TLN_FileStream stream("DATA/ALLDATA.KWI");
    std::vector<uint8_t> buffer(ReadSize);
    for (auto _ : state) {
        for (int64_t position = 0; position < bench.fileSize; position += ReadSize) {
            if (stream.ReadAt(position, buffer.data(), ReadSize) !=
                std::min(ReadSize, bench.fileSize - position))
                state.SkipWithError("short read");
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * bench.fileSize);
}

void BM_ImageFilePread(benchmark::State& state) {
    auto image = TLN_HandleStream::OpenForReading(bench.image);
    std::vector<uint8_t> buffer(ReadSize);
    for (auto _ : state) {
        for (int64_t position = 0; position < bench.fileSize; position += ReadSize) {
            const size_t wanted = size_t(std::min(ReadSize, bench.fileSize - position));
            if (::pread(image->Handle(), buffer.data(), wanted, off_t(bench.fileOffset + position)) !=
                ssize_t(wanted))
                state.SkipWithError("short read");
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * bench.fileSize);
}

} // namespace

// xorriso has just written the image, so both find it in the page cache: the ratio measures the stream's
// own cost.
BENCHMARK(BM_ImageFilePread)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_FileStreamSequential)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const int64_t sizeMiB = BenchSizeVariable("KIWI_BENCH_ISO_MIB", 1024, 1, 65536);
    std::printf("building an image with a %lld MiB file...\n", (long long)sizeMiB);
    const bool built = buildImage(sizeMiB);
    int status = 1;
    if (built) {
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const double direct = reporter.bytesPerSecond["BM_ImageFilePread"];
        const double stream = reporter.bytesPerSecond["BM_FileStreamSequential"];
        if (direct > 0 && stream > 0) {
            std::printf("throughput ratio TLN_FileStream / direct pread: %.3f (aim >= 0.8)\n",
                        stream / direct);
            status = 0;
        }
    } else {
        std::fprintf(stderr, "could not build the benchmark image (is xorriso installed?)\n");
    }
    CloseISOImage();
    benchmark::Shutdown();
    if (!bench.folder.empty()) std::filesystem::remove_all(bench.folder);
    return status;
}
