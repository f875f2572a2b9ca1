// Parsing every parcel data frame of the large fixture map (each parcel read as one buffer and every record
// decoded, texts included) against reading the same bytes raw in the same run. KIWI_BENCH_FRAMES_SIDE sets
// the block sets per side (4 by default: 64 × 64 parcels).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CommandNumber.h"
#include "support/walkers/FrameDump.h"

namespace {

struct BenchMap {
    std::string folder;
    std::unique_ptr<TLN_KiwiMap> map;
    std::vector<TLN_MM_Parcel_Managenent_Record> parcels;
    int64_t bytes = 0;
} bench;

bool buildMap(int side) {
    bench.folder = fixture::scratchDir("bench-frames");
    fixture::AllDataPlan plan = fixture::largeAllDataPlan(side);
    plan.frames = fixture::AllDataPlan::Frames::Full;
    const std::string path = fixture::writeAllData(fixture::buildAllData(plan), bench.folder);
    bench.map = std::make_unique<TLN_KiwiMap>(path);
    TLN_KiwiMap& map = *bench.map;
    const TLN_Level_Management_Record* level = map.Level(0);
    if (!level) return false;
    for (int32_t set = 0; set < level->BlockSetCount(); ++set)
        for (int32_t block = 0; block < level->BlockCount(); ++block) {
            TLN_Block_Management_Record record;
            TLN_Parcel_Management_Info info;
            if (!map.ReadBlock(0, uint32_t(set), uint32_t(block), record) ||
                !map.ReadParcelManagement(record.Stream, 0, info, record.Address))
                continue;
            for (uint32_t index = 0; index < info.RecordCount; ++index) {
                TLN_MM_Parcel_Managenent_Record parcel;
                if (map.ReadParcel(record.Stream, 0, index, parcel, false, record.Address) &&
                    !parcel.IsDivided()) {
                    bench.parcels.push_back(parcel);
                    bench.bytes += parcel.Size;
                }
            }
        }
    return !bench.parcels.empty();
}

void BM_RawRead(benchmark::State& state) {
    std::vector<uint8_t> buffer(1 << 21);
    for (auto _ : state) {
        for (const auto& parcel : bench.parcels) {
            if (parcel.Stream->ReadAt(parcel.Address, buffer.data(), parcel.Size) != int64_t(parcel.Size))
                state.SkipWithError("short read");
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(bench.parcels.size()));
    state.SetBytesProcessed(state.iterations() * bench.bytes);
}

void BM_ParseFrames(benchmark::State& state) {
    TLN_KiwiMap& map = *bench.map;
    FrameDumpOptions options;
    options.pages = TLN_TextPages{65001, 0};
    size_t records = 0;
    for (auto _ : state) {
        // Every pass reads each parcel from the stream again.
        map.SpanCache().Clear();
        for (const auto& parcel : bench.parcels) {
            const auto frames = LoadParcelFrames(map, 0, parcel);
            if (!frames)
                state.SkipWithError("parcel not read");
            else
                records += dumpParcelFrames(map, *frames, nullptr, options);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(bench.parcels.size()));
    state.SetBytesProcessed(state.iterations() * bench.bytes);
    state.counters["records_per_parcel"] =
        double(records) / double(state.iterations() * int64_t(bench.parcels.size()));
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> itemsPerSecond;
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const auto& run : reports) {
            const auto counter = run.counters.find("items_per_second");
            if (counter != run.counters.end() && run.run_type == Run::RT_Iteration)
                itemsPerSecond[run.benchmark_name().substr(0, run.benchmark_name().find('/'))] =
                    counter->second.value;
        }
        ConsoleReporter::ReportRuns(reports);
    }
};

} // namespace

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ParseFrames)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const int side = int(BenchSizeVariable("KIWI_BENCH_FRAMES_SIDE", 4, 1, 64));
    std::printf("building a map of %d x %d parcels with every frame kind...\n", side * 16, side * 16);
    int status = 1;
    if (buildMap(side)) {
        std::printf("%zu parcels, %lld bytes of frames\n", bench.parcels.size(), (long long)bench.bytes);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const double raw = reporter.itemsPerSecond["BM_RawRead"];
        const double parse = reporter.itemsPerSecond["BM_ParseFrames"];
        if (raw > 0 && parse > 0) {
            std::printf(
                "parse: %.0f parcels/s; raw read of the same bytes: %.0f parcels/s; parse time / raw read "
                "time: %.2f (aim <= 3)\n",
                parse, raw, raw / parse);
            status = 0;
        }
    } else {
        std::fprintf(stderr, "could not build the benchmark map\n");
    }
    bench.map.reset();
    benchmark::Shutdown();
    if (!bench.folder.empty()) std::filesystem::remove_all(bench.folder);
    return status;
}
