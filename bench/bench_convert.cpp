// The conversion run on generated maps (copy path, every parcel with adjacent parcel information to
// repair), run as the program runs it (through its job, on a worker thread), against plain copies of the
// same bytes in the same run: each of seven conversions of a large map paired with its own `cp` + fsync
// (every pair printed with each side's processor time, then the median throughput ratio and the range),
// time per parcel at 10^4, 10^5 and 10^6 parcels in one level (each run paired with a run of the 10^4 map),
// the run's peak memory at each size, and the split of the large output beside `cp` + fsync. Every ratio
// printed is of runs made side by side.
//
// B4: the run with 100 000 imported buildings and 50 000 house numbers beside the copy-only run of the
// same map.
//
// B8: the many-small-blocks shape (1 KiB parcels with every frame kind, as `kiwiprobe gen-alldata --large N
// --frames` writes it; N from KIWI_BENCH_MANY_SIDE, 20 by default, about 83 MiB; 83 is 1.48 GB): the
// copy-only run and the run that re-encodes names (UTF-8 to code page 1251), each in nine pairs with
// cp + fsync.
//
// Every map is generated and every run made in a child process, so that the generator's memory never
// counts and each run's peak resident size (ru_maxrss) is its own.
// The large map's size in MiB comes from KIWI_BENCH_CONVERT_MIB or --map_mib=N (2048 gives about 200 000
// parcels); without either only the 256 MiB map runs, so that the default run stays quick. --quick skips
// the large map whatever its size.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BenchConversionJob.h"
#include "BenchProcess.h"
#include "converter/import/BuildingData.h"
#include "converter/job/CompletionRun.h"
#include "converter/job/ConversionRun.h"
#include "kiwi/map/KiwiMap.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CommandNumber.h"

extern char** environ;

namespace {

using bench::ChildRun;
using bench::copyRun;
using bench::copySeconds;
using bench::inChild;
using bench::now;

int64_t largeMapMiB = 0;
bool quick = false;
constexpr int64_t kQuickMapMiB = 256;
// Conversions each paired with a cp + fsync of the same bytes.
constexpr int kPairs = 7;
// Frame bodies: 10 KiB frames for the throughput maps (about 200 000 parcels in 2 GiB), small ones for the
// scaling maps so that 10^6 parcels stay a few hundred MiB.
constexpr int kLargeFrameBody = 10 * 1024;
constexpr int kScalingFrameBody = 128;

int sideFor(int64_t mib, int frameBody) {
    // 256 parcels per block set; a frame is its body plus about 100 bytes of tables.
    const double parcels = double(mib) * 1048576.0 / double(frameBody + 100);
    return std::max(1, int(std::lround(std::sqrt(parcels / 256.0))));
}

// Generates a one-level map in a child; returns the path of its "ALLDATA.KWI" ("" on failure).
std::string generate(const std::string& name, int side, int frameBody) {
    const std::string folder = fixture::scratchDir(name);
    const ChildRun made = inChild("bench_convert", [&] {
        fixture::AllDataPlan plan = fixture::largeAllDataPlan(side);
        plan.frameBodyBytes = frameBody;
        // Every parcel with adjacent parcel information naming its real neighbours, so that the repair
        // does its full work (neighbours written before and after the parcel, one of them divided).
        plan.realNeighbours = true;
        fixture::LevelPlan& level = plan.levels.front();
        fixture::BlockPlan block;
        for (int p = 0; p < level.parcels.x * level.parcels.y; ++p)
            block.parcels[p].adjacent = true;
        fixture::BlockSetPlan set;
        set.blocks.assign(size_t(level.blocks.x * level.blocks.y), block);
        level.sets.assign(size_t(side) * size_t(side), set);
        fixture::writeAllData(fixture::buildAllData(plan), folder);
        return true;
    });
    return made.ok ? folder + "/ALLDATA.KWI" : std::string();
}

ChildRun convertInChild(const std::string& source, const std::string& outputFolder) {
    return inChild("bench_convert", [&] {
        ConversionOptions options;
        options.outputPath = outputFolder + "/ALLDATA.KWI";
        return bench::convertThroughJob(source, options);
    });
}

int64_t fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

struct Throughput {
    double mib = 0, parcels = 0;
    ChildRun split, splitCopy;
    // Throughput beside cp + fsync, pair by pair.
    bench::PairedRatios paired;
};
std::map<int64_t, Throughput> throughput;

struct Scaling {
    double parcels = 0, perParcelUs = 0, rss = 0;
    // Time per parcel over that of the 10^4-parcel map run beside it, pair by pair.
    std::vector<double> perParcelRatios;
};
std::map<int, Scaling> scaling;

struct Imports {
    double parcels = 0, buildings = 0, numbers = 0;
    double copyRun = 0, importRun = 0, copyRss = 0, importRss = 0, copyCpu = 0, importCpu = 0;
    double copyMiB = 0, importMiB = 0;
};
Imports imports;

int64_t manyBlocksSide = 20;
constexpr int kManyPairs = 9;
// Copy-only and re-encoding runs of the many-block map, beside cp + fsync.
std::map<bool, Throughput> manyBlocks;

// B1 and the split: the copy-only run of a map of about range(0) MiB beside cp, then the split of the
// run's output beside cp of it (once: the split consumes the output).
void BM_CopyOnlyRun(benchmark::State& state) {
    const int64_t mib = state.range(0);
    const int side = sideFor(mib, kLargeFrameBody);
    const std::string source = generate("bench-convert-src-" + std::to_string(mib), side, kLargeFrameBody);
    if (source.empty()) return state.SkipWithError("map not generated");
    const std::string output = fixture::scratchDir("bench-convert-out-" + std::to_string(mib));
    const std::string copies = fixture::scratchDir("bench-convert-cp-" + std::to_string(mib));
    Throughput t;
    t.mib = double(fileSize(source)) / 1048576.0;
    t.parcels = 256.0 * side * side;
    copySeconds(source, copies + "/WARM.BIN", false); // the source in the page cache for both
    std::remove((copies + "/WARM.BIN").c_str());
    // Each conversion beside its own cp + fsync of the same bytes; the output and the copy go before the
    // clock starts (replacing them would make the next step free their pages).
    std::printf("copy-only run, %.0f MiB, through its job, paired with cp + fsync:\n", t.mib);
    for (auto _ : state) {
        t.paired = bench::runPairs(
            "convert", "cp + fsync", kPairs,
            [&] {
                std::remove((output + "/ALLDATA.KWI").c_str());
                ::sync();
                return convertInChild(source, output);
            },
            [&] {
                const ChildRun copy = copyRun(source, copies + "/COPY.BIN", true);
                std::remove((copies + "/COPY.BIN").c_str());
                return copy;
            });
        if (t.paired.ratios.size() != size_t(kPairs)) return state.SkipWithError("conversion failed");
        state.SetIterationTime(bench::medianOf(t.paired.stepSeconds));
    }
    std::remove(source.c_str());

    // The split beside a cp + fsync of the same output, one after the other.
    const std::string newMap = output + "/ALLDATA.KWI";
    ::sync();
    t.splitCopy = copyRun(newMap, copies + "/COPY.BIN", true);
    std::remove((copies + "/COPY.BIN").c_str());
    ::sync();
    t.split = inChild("bench_convert", [&] {
        CompletionOptions options;
        options.outputPath = newMap;
        options.sourcePath = source;
        options.split = true;
        // Several volumes even from the quick map.
        options.volumeBytes = std::max<int64_t>(int64_t(64) << 20, fileSize(newMap) / 4 + 1);
        ConversionProgress progress;
        std::atomic<bool> stop{false};
        return CompletionRun(options).Execute(progress, stop).status == ConversionStatus::Done;
    });
    fixture::scratchDir("bench-convert-out-" + std::to_string(mib));
    throughput[mib] = t;
    state.counters["MiB/s"] = t.mib / bench::medianOf(t.paired.stepSeconds);
    state.counters["vs_cp_fsync"] = t.paired.Median();
    state.counters["peak_MiB"] = t.paired.stepPeakMiB;
}
BENCHMARK(BM_CopyOnlyRun)->Arg(kQuickMapMiB)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// B8: the many-block map, generated once in a child as the probe's generator writes it.
const std::string& manyBlocksMap() {
    static const std::string path = [] {
        const std::string folder = fixture::scratchDir("bench-convert-many");
        const ChildRun made = inChild("bench_convert", [&] {
            fixture::AllDataPlan plan = fixture::largeAllDataPlan(int(manyBlocksSide));
            plan.frames = fixture::AllDataPlan::Frames::Full;
            fixture::writeAllData(fixture::buildAllData(plan), folder);
            return true;
        });
        return made.ok ? folder + "/ALLDATA.KWI" : std::string();
    }();
    return path;
}

void BM_ManyBlocks(benchmark::State& state) {
    const bool reencode = state.range(0) != 0;
    const std::string& source = manyBlocksMap();
    if (source.empty()) return state.SkipWithError("map not generated");
    const std::string output =
        fixture::scratchDir(reencode ? "bench-convert-many-utf" : "bench-convert-many-out");
    const std::string copies = fixture::scratchDir("bench-convert-many-cp");
    Throughput t;
    t.mib = double(fileSize(source)) / 1048576.0;
    t.parcels = 256.0 * double(manyBlocksSide * manyBlocksSide);
    copySeconds(source, copies + "/WARM.BIN", false);
    std::remove((copies + "/WARM.BIN").c_str());
    const char* step = reencode ? "re-encode names" : "convert";
    std::printf("many-block map, %.0f MiB, %s through its job, paired with cp + fsync:\n", t.mib, step);
    for (auto _ : state) {
        t.paired = bench::runPairs(
            step, "cp + fsync", kManyPairs,
            [&] {
                std::remove((output + "/ALLDATA.KWI").c_str());
                ::sync();
                return inChild("bench_convert", [&] {
                    ConversionOptions options;
                    options.outputPath = output + "/ALLDATA.KWI";
                    options.utfToAnsi = reencode;
                    return bench::convertThroughJob(source, options);
                });
            },
            [&] {
                const ChildRun copy = copyRun(source, copies + "/COPY.BIN", true);
                std::remove((copies + "/COPY.BIN").c_str());
                return copy;
            });
        if (t.paired.ratios.size() != size_t(kManyPairs)) return state.SkipWithError("conversion failed");
        state.SetIterationTime(bench::medianOf(t.paired.stepSeconds));
    }
    manyBlocks[reencode] = t;
    state.counters["vs_cp_fsync"] = t.paired.Median();
    state.counters["peak_MiB"] = t.paired.stepPeakMiB;
}
BENCHMARK(BM_ManyBlocks)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// B2 and B7: time per parcel and peak memory with 10^4, 10^5 and 10^6 parcels in one level.
// The 10^4-parcel map every scaling run is paired with, made once.
const std::string& smallestScalingMap() {
    static const std::string path = generate("bench-convert-scale-reference", 6, kScalingFrameBody);
    return path;
}

void BM_ParcelScaling(benchmark::State& state) {
    const int side = int(state.range(0));
    const std::string source =
        generate("bench-convert-scale-" + std::to_string(side), side, kScalingFrameBody);
    const std::string& smallest = smallestScalingMap();
    if (source.empty() || smallest.empty()) return state.SkipWithError("map not generated");
    const std::string output = fixture::scratchDir("bench-convert-scale-out-" + std::to_string(side));
    const double parcels = 256.0 * side * side, smallestParcels = 256.0 * 36;
    double seconds = 0, rss = 0;
    Scaling& s = scaling[side];
    for (auto _ : state) {
        // This map's run beside a run of the smallest map, alternating which goes first.
        const bench::PairedRatios pair = bench::runPairs(
            "this map", "the 10^4 map", 1, [&] { return convertInChild(source, output); },
            [&] { return convertInChild(smallest, output); });
        if (pair.ratios.empty()) return state.SkipWithError("conversion failed");
        state.SetIterationTime(pair.stepSeconds[0]);
        seconds += pair.stepSeconds[0];
        rss = std::max(rss, pair.stepPeakMiB);
        s.perParcelRatios.push_back((pair.stepSeconds[0] / parcels) /
                                    (pair.baselineSeconds[0] / smallestParcels));
    }
    s.parcels = parcels;
    s.perParcelUs = 1e6 * seconds / double(state.iterations()) / parcels;
    s.rss = rss;
    state.counters["us/parcel"] = s.perParcelUs;
    state.counters["peak_MiB"] = rss;
    fixture::scratchDir("bench-convert-scale-" + std::to_string(side));
    fixture::scratchDir("bench-convert-scale-out-" + std::to_string(side));
}
// 9216, 102400 and 984064 parcels.
BENCHMARK(BM_ParcelScaling)->Arg(6)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParcelScaling)->Arg(20)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParcelScaling)->Arg(62)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A map whose every frame has its tables (so the rewriting rebuilds it) and whose regular parcels are
// marked undivided, and building data over all of it: squares of 5 to 40 map units and house numbers at
// random places. Returns the map's path and fills data ("" on failure).
std::string generateWithImports(const std::string& name, int side, size_t buildings, size_t numbers,
                                std::vector<uint8_t>& data) {
    namespace bd = building_data;
    const std::string folder = fixture::scratchDir(name);
    fixture::AllDataPlan plan = fixture::largeAllDataPlan(side);
    plan.frames = fixture::AllDataPlan::Frames::Full;
    plan.levelRecordBytes = 80;
    plan.coverageReferences = true;
    // Buildings go into the most detailed level (code 0).
    plan.levels.front().codeByte = 0x00;
    plan.levels.front().nameClasses = {5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    fixture::AllDataImage image = fixture::buildAllData(plan);
    for (const fixture::ParcelEntry& e : image.parcels)
        if (e.frame >= 0 && e.sub < 0 && e.identifier == 0 && size_t(e.frame) + 36 <= image.allData.size())
            image.allData[size_t(e.frame + 12)] |= 0xC0;
    const std::string path = fixture::writeAllData(image, folder);
    const TLN_KiwiMap map(path);
    const TLN_Level_Management_Record* level = map.Level(0);
    if (!level) return {};
    // Imported units are 16 per map unit.
    const int64_t across = int64_t(side) * 16;
    const int64_t width = across * level->ParcelWidth * 16, height = across * level->ParcelHeight * 16;
    const int64_t west = int64_t(plan.west) * 16, south = int64_t(plan.south) * 16;
    uint64_t seed = 88172645463325252ull;
    auto next = [&](int64_t below) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        return int64_t(seed % uint64_t(std::max<int64_t>(1, below)));
    };
    data.clear();
    bd::Box box;
    for (size_t i = 0; i < buildings; ++i) {
        const int32_t w = int32_t(16 * (5 + next(36)));
        const auto x = int32_t(west + next(width - w)), y = int32_t(south + next(height - w));
        const bd::Point square[4] = {{x, y}, {x + w, y}, {x + w, y + w}, {x, y + w}};
        bd::AppendRecord(data, bd::kBuilding, square);
        box.Widen(square[0]), box.Widen(square[2]);
    }
    for (size_t i = 0; i < numbers; ++i) {
        const std::string label = std::to_string(1 + next(200));
        const bd::Point at[1] = {{int32_t(west + next(width)), int32_t(south + next(height))}};
        bd::AppendRecord(data, bd::kHouseNumber, at,
                         {reinterpret_cast<const uint8_t*>(label.data()), label.size()});
        box.Widen(at[0]);
    }
    bd::WriteBox(data, box);
    return path;
}

ChildRun convertImportsInChild(const std::string& source, const std::string& outputFolder,
                               const std::vector<uint8_t>* data) {
    return inChild("bench_convert", [&] {
        ConversionOptions options;
        options.outputPath = outputFolder + "/ALLDATA.KWI";
        if (data) {
            options.buildings = true;
            options.buildingsClass = 1;
            options.buildingsTypeCode = 0x0ABC;
            options.address = true;
            options.numberingClass = 9;
            options.numberingTypeCode = 450;
        }
        return bench::convertThroughJob(source, options,
                                        data ? std::make_shared<const std::vector<uint8_t>>(*data) : nullptr);
    });
}

// B4: range(0) block sets a side, 100 000 buildings and 50 000 house numbers, against the copy-only run.
void BM_ImportedOutlines(benchmark::State& state) {
    const int side = int(state.range(0));
    std::vector<uint8_t> data;
    const std::string source = generateWithImports("bench-convert-imports", side, 100000, 50000, data);
    if (source.empty()) return state.SkipWithError("map not generated");
    const std::string output = fixture::scratchDir("bench-convert-imports-out");
    for (auto _ : state) {
        ::sync();
        const ChildRun copy = convertImportsInChild(source, output, nullptr);
        const double copyMiB = double(fileSize(output + "/ALLDATA.KWI")) / 1048576;
        ::sync();
        const ChildRun rewritten = convertImportsInChild(source, output, &data);
        const double importMiB = double(fileSize(output + "/ALLDATA.KWI")) / 1048576;
        if (!copy.ok || !rewritten.ok) return state.SkipWithError("conversion failed");
        state.SetIterationTime(rewritten.seconds);
        imports = {256.0 * side * side,
                   100000,
                   50000,
                   copy.seconds,
                   rewritten.seconds,
                   copy.maxRssMiB,
                   rewritten.maxRssMiB,
                   copy.cpuSeconds,
                   rewritten.cpuSeconds,
                   copyMiB,
                   importMiB};
    }
    state.counters["x_copy_only"] = imports.importRun / imports.copyRun;
    fixture::scratchDir("bench-convert-imports");
    fixture::scratchDir("bench-convert-imports-out");
}
BENCHMARK(BM_ImportedOutlines)->Arg(8)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Takes out the flags of this benchmark before Google Benchmark sees the rest.
void takeOwnFlags(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--map_mib=", 0) == 0) {
            std::string why;
            const auto mib = ParseCommandNumber(arg.substr(10), 1, 65536, &why);
            if (!mib) {
                std::fprintf(stderr, "%s: %s\n", arg.c_str(), why.c_str());
                std::exit(2);
            }
            largeMapMiB = *mib;
        } else if (arg == "--quick")
            quick = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
}

void printSummary() {
    for (const auto& [mib, t] : throughput) {
        std::printf("copy-only run, %.0f MiB, %.0f parcels (through its job):\n", t.mib, t.parcels);
        t.paired.Print("convert", "cp + fsync");
        if (t.split.ok && t.splitCopy.ok)
            std::printf(
                "split of the %.0f MiB output: %.2f s (processor %.2f s, peak %.1f MiB) beside cp + fsync "
                "%.2f s (processor %.2f s), made one after the other; split / cp = %.2f\n",
                t.mib, t.split.seconds, t.split.cpuSeconds, t.split.maxRssMiB, t.splitCopy.seconds,
                t.splitCopy.cpuSeconds, t.split.seconds / t.splitCopy.seconds);
    }
    for (const auto& [reencode, t] : manyBlocks) {
        std::printf("many-block map, %.0f MiB, %.0f parcels, %s (through its job):\n", t.mib, t.parcels,
                    reencode ? "names re-encoded" : "copy-only");
        t.paired.Print(reencode ? "re-encode names" : "convert", "cp + fsync");
    }
    for (const auto& [side, s] : scaling) {
        const auto [low, high] = std::minmax_element(s.perParcelRatios.begin(), s.perParcelRatios.end());
        std::printf(
            "%.0f parcels in one level: %.2f us/parcel, peak RSS %.1f MiB; per parcel over the 10^4 map "
            "run beside it, %zu pairs: median %.2fx (range %.2f-%.2f)\n",
            s.parcels, s.perParcelUs, s.rss, s.perParcelRatios.size(), bench::medianOf(s.perParcelRatios),
            low == s.perParcelRatios.end() ? 0 : *low, high == s.perParcelRatios.end() ? 0 : *high);
    }
    if (imports.parcels > 0)
        std::printf(
            "%.0f parcels with %.0f buildings and %.0f house numbers: %.2f s (processor %.2f s), copy-only "
            "run "
            "just before it %.2f s (processor %.2f s), %.2fx; peak RSS %.1f MiB (copy-only %.1f MiB); output "
            "%.1f MiB (copy-only %.1f MiB)\n",
            imports.parcels, imports.buildings, imports.numbers, imports.importRun, imports.importCpu,
            imports.copyRun, imports.copyCpu, imports.importRun / imports.copyRun, imports.importRss,
            imports.copyRss, imports.importMiB, imports.copyMiB);
}

} // namespace

int main(int argc, char** argv) {
    largeMapMiB = BenchSizeVariable("KIWI_BENCH_CONVERT_MIB", largeMapMiB, 0, 65536);
    manyBlocksSide = BenchSizeVariable("KIWI_BENCH_MANY_SIDE", manyBlocksSide, 1, 83);
    takeOwnFlags(argc, argv);
    if (!quick && largeMapMiB > 0 && largeMapMiB != kQuickMapMiB)
        benchmark::RegisterBenchmark("BM_CopyOnlyRun", BM_CopyOnlyRun)
            ->Arg(largeMapMiB)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
