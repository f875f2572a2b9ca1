// Walks every parcel of a large generated main map (management data and distribution header with its
// tables) and reports parcels per second and underlying stream reads per parcel, beside the time it takes
// to read the same file's bytes sequentially in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "BenchParcelWalk.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/map/KiwiMap.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CountingStream.h"

namespace {

// What the walk benchmark measured, for the closing summary line.
struct Summary {
    double parcelsPerWalk = 0;
    double walkMs = 0;
    double readsPerParcel = 0;
    double sequentialMs = 0;
} summary;

// 8 x 8 block sets of 4 x 4 blocks of 4 x 4 parcels: a 128 x 128-parcel level, 16384 parcels.
const std::string& largeMapPath() {
    static const std::string path = [] {
        const auto image = fixture::buildAllData(fixture::largeAllDataPlan(8));
        return fixture::writeAllData(image, fixture::scratchDir("bench-map-walk"));
    }();
    return path;
}

// Reads every parcel's record and its distribution header with tables; returns the parcels read.
size_t walkParcels(TLN_KiwiMap& map) {
    size_t parcels = 0;
    bench::forEachParcelHeader(
        map, [&](const TLN_Level_Management_Record&, const TLN_MM_Parcel_Managenent_Record&) { ++parcels; });
    return parcels;
}

double sequentialReadSeconds(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    auto stream = TLN_HandleStream::OpenForReading(path);
    std::vector<uint8_t> buffer(1 << 16);
    int64_t position = 0;
    uint64_t sum = 0;
    for (int64_t n; (n = stream->ReadAt(position, buffer.data(), int64_t(buffer.size()))) > 0; position += n)
        sum += buffer[0];
    benchmark::DoNotOptimize(sum);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WalkEveryParcel(benchmark::State& state) {
    const std::string& path = largeMapPath();
    size_t parcels = 0;
    uint64_t reads = 0;
    double walkSeconds = 0;
    for (auto _ : state) {
        ReadCounter counter;
        const auto start = std::chrono::steady_clock::now();
        TLN_KiwiMap map(path, counter.Opener());
        parcels += walkParcels(map);
        walkSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        reads += counter.Reads();
    }
    double sequential = 0;
    for (int i = 0; i < 5; ++i)
        sequential += sequentialReadSeconds(path);
    state.counters["parcels/s"] = benchmark::Counter(double(parcels), benchmark::Counter::kIsRate);
    state.counters["reads/parcel"] = double(reads) / double(parcels);
    state.counters["walk_ms"] = 1000 * walkSeconds / double(state.iterations());
    state.counters["seq_read_ms"] = 1000 * sequential / 5;
    summary = {double(parcels) / double(state.iterations()), 1000 * walkSeconds / double(state.iterations()),
               double(reads) / double(parcels), 1000 * sequential / 5};
}
BENCHMARK(BM_WalkEveryParcel)->Unit(benchmark::kMillisecond);

void BM_ReadFileSequentially(benchmark::State& state) {
    const std::string& path = largeMapPath();
    int64_t bytes = 0;
    for (auto _ : state) {
        sequentialReadSeconds(path);
        bytes += TLN_HandleStream::OpenForReading(path)->Size();
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadFileSequentially)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (summary.walkMs > 0)
        std::printf("walk of %.0f parcels: %.2f ms, %.0f parcels/s, %.2f underlying reads per parcel; "
                    "sequential read of the same file: %.2f ms (walk / read = %.1f)\n",
                    summary.parcelsPerWalk, summary.walkMs, 1000 * summary.parcelsPerWalk / summary.walkMs,
                    summary.readsPerParcel, summary.sequentialMs, summary.walkMs / summary.sequentialMs);
    return 0;
}
