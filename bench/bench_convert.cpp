// The conversion run on generated maps (copy path): time per parcel at growing sizes, and the whole run
// beside a plain copy of the same source file in the same run; prints the ratios.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

#include "converter/ConversionRun.h"
#include "kiwi/io/HandleStream.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

struct Measured {
    double parcels = 0;
    double runMs = 0;
    double copyMs = 0;
};
std::map<int, Measured> measured;

// side × side block sets of 4 × 4 blocks of 4 × 4 parcels (256 parcels per block set).
const std::string& mapPath(int side) {
    static std::map<int, std::string> paths;
    auto& path = paths[side];
    if (path.empty())
        path = fixture::writeAllData(fixture::buildAllData(fixture::largeAllDataPlan(side)),
                                     fixture::scratchDir("bench-convert-src-" + std::to_string(side)));
    return path;
}

double copySeconds(const std::string& from, const std::string& to) {
    const auto start = std::chrono::steady_clock::now();
    auto in = TLN_HandleStream::OpenForReading(from);
    auto out = TLN_HandleStream::Create(to);
    std::vector<uint8_t> buffer(1 << 20);
    int64_t at = 0;
    for (int64_t n; (n = in->ReadAt(at, buffer.data(), int64_t(buffer.size()))) > 0; at += n)
        out->WriteAt(at, buffer.data(), n);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ConvertCopyPath(benchmark::State& state) {
    const int side = int(state.range(0));
    const std::string& source = mapPath(side);
    const std::string output = fixture::scratchDir("bench-convert-out-" + std::to_string(side));
    ConversionOptions options;
    options.outputPath = output + "/ALLDATA.KWI";
    double seconds = 0;
    for (auto _ : state) {
        ConversionProgress progress;
        std::atomic<bool> stop{false};
        const auto start = std::chrono::steady_clock::now();
        const ConversionResult result = ConversionRun(source, options).Execute(progress, stop);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result.status != ConversionStatus::Done) state.SkipWithError(result.message.c_str());
    }
    const double parcels = 256.0 * side * side;
    double copy = 0;
    for (int i = 0; i < 3; ++i)
        copy += copySeconds(source, output + "/COPY.BIN");
    measured[side] = {parcels, 1000 * seconds / double(state.iterations()), 1000 * copy / 3};
    state.counters["parcels/s"] =
        benchmark::Counter(parcels * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertCopyPath)->Arg(2)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    double firstPerParcel = 0;
    for (const auto& [side, m] : measured) {
        const double perParcel = m.runMs / m.parcels;
        if (firstPerParcel == 0) firstPerParcel = perParcel;
        std::printf(
            "%.0f parcels: run %.2f ms (%.2f us/parcel, %.2fx the smallest map's), plain copy %.2f ms "
            "(run / copy = %.1f)\n",
            m.parcels, m.runMs, 1000 * perParcel, perParcel / firstPerParcel, m.copyMs, m.runMs / m.copyMs);
    }
    return 0;
}
