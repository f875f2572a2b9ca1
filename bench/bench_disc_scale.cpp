// A map of a real disc's shape and scale (seven levels, level 0 of about 3.7 million parcel cells sharing
// frames in 4 x 4 groups, about 1.5 GB at KIWI_BENCH_DISC_MIB=1459; 48 MiB by default) and what the
// program does with it: the map walk (reads per parcel), opening the record tree and paging the largest
// block lists, the map view's start (level 0, zoom 1, as a newly opened map shows) and a pan, and the
// converter's copy-only run through its job on a worker thread, as the program runs it, each of seven runs
// paired with its own cp + fsync of the same bytes (every pair printed, with each side's processor time).
// Each runs in a child process of its own so that its peak memory is its own. Printed, never a test.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "BenchConversionJob.h"
#include "BenchParcelWalk.h"
#include "BenchProcess.h"
#include "BenchQuietHost.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/SourceOpener.h"
#include "mapview/core/MapRenderView.h"
#include "mapview/core/MapRenderer.h"
#include "mapview/core/MapViewState.h"
#include "mapview/core/QPainterCanvas.h"
#include "support/fixtures/DiscShapes.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CommandNumber.h"
#include "support/walkers/CountingStream.h"

extern char** environ;

namespace {

using bench::ChildRun;
using bench::copyRun;
using bench::inChild;
using bench::now;

// Conversions each paired with a cp + fsync of the same bytes.
constexpr int kPairs = 7;

int64_t fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

double mib(int64_t bytes) {
    return double(bytes) / 1048576.0;
}

void report(const char* stage, const ChildRun& run) {
    std::printf("  %-44s %s  %8.2f s  peak RSS %8.1f MiB\n", stage, run.ok ? "  " : "!!", run.seconds,
                run.maxRssMiB);
}

// Every level, block set, block and parcel record, and each parcel's distribution header with its tables:
// parcels read, frames among them (a shared frame counted once), underlying reads.
bool walkMap(const std::string& path) {
    ReadCounter counter;
    TLN_KiwiMap map(path, counter.Opener());
    uint64_t parcels = 0, levelZero = 0;
    std::set<int64_t> frames;
    const double start = now();
    bench::forEachParcelHeader(
        map, [&](const TLN_Level_Management_Record& record, const TLN_MM_Parcel_Managenent_Record& parcel) {
            ++parcels;
            if (record.LevelCode == 0) ++levelZero;
            frames.insert(parcel.Address);
        });
    const double seconds = now() - start;
    std::printf("    walk: %llu parcel records (%llu on level 0), %zu frames, %.0f parcels/s, %.2f reads per "
                "parcel, %.1f MiB read\n",
                static_cast<unsigned long long>(parcels), static_cast<unsigned long long>(levelZero),
                frames.size(), double(parcels) / seconds, double(counter.Reads()) / double(parcels),
                mib(int64_t(counter.Bytes())));
    return parcels > 0;
}

using bench::QuietHost;

// Expands node, turning every page of a paged list; returns the children.
size_t expandAll(RecordTree& tree, KindContext& context, RecordNode& node) {
    tree.Expand(context, node);
    for (bool turned = true; turned;) {
        turned = false;
        for (const auto& child : node.children)
            if (child->IsMoreNode()) {
                tree.TurnPage(context, *child);
                turned = true;
                break;
            }
    }
    return node.children.size();
}

RecordNode* firstOfKind(RecordNode& node, int kind) {
    for (const auto& child : node.children)
        if (child->kind == kind) return child.get();
    return nullptr;
}

// Opens the folder as the main window does, then expands the map's management down to level 0 (its last
// level record), a block set and a block, turning every page; shows the block (a grid row per parcel)
// and asks for every row's texts, as scrolling through it would.
bool openTree(const std::string& folder) {
    int argc = 1;
    char name[] = "bench_disc_scale";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    FieldGridModel gridModel;
    FieldGrid grid(gridModel);
    QuietHost host;
    RecordTree tree;
    OpenData data;
    KindContext context{grid, host, data};
    MapCodePageChoice codePages;
    SourceOpener opener(tree, data, codePages);
    double start = now();
    const OpenOutcome outcome = opener.OpenFolder(QString::fromStdString(folder));
    if (!outcome.expandRoot) return false;
    const size_t rootChildren = expandAll(tree, context, *outcome.expandRoot);
    RecordNode* mapNode = firstOfKind(*outcome.expandRoot, 100);
    if (!mapNode) return false;
    const size_t levels = expandAll(tree, context, *mapNode);
    const double opened = now() - start;
    RecordNode* level = nullptr;
    for (const auto& child : mapNode->children)
        if (child->kind == 9) level = child.get();
    if (!level) return false;
    start = now();
    const size_t sets = expandAll(tree, context, *level);
    const double setsSeconds = now() - start;
    RecordNode* set = firstOfKind(*level, 10);
    if (!set) return false;
    start = now();
    const size_t blocks = expandAll(tree, context, *set);
    const double blocksSeconds = now() - start;
    RecordNode* block = firstOfKind(*set, 11);
    if (!block) return false;
    start = now();
    const size_t parcels = expandAll(tree, context, *block);
    const double parcelsSeconds = now() - start;
    start = now();
    tree.Select(context, *block);
    int64_t characters = 0;
    for (int row = 0; row < gridModel.rowCount(); ++row)
        for (int column = 0; column < 3; ++column)
            characters += gridModel.CellText(row, column).size();
    const double pageSeconds = now() - start;
    std::printf(
        "    tree: open + \"ALL DATA\" (%zu) + map data (%zu levels) %.1f ms; level 0's %zu block sets "
        "%.1f ms; a block set's %zu blocks %.1f ms; a block's %zu parcels %.1f ms; the block's view of "
        "%d rows read through %.1f ms (%lld characters)\n",
        rootChildren, levels, 1000 * opened, sets, 1000 * setsSeconds, blocks, 1000 * blocksSeconds, parcels,
        1000 * parcelsSeconds, gridModel.rowCount(), 1000 * pageSeconds, static_cast<long long>(characters));
    SourceOpener::CloseAllHeadless(tree, data);
    return parcels > 0;
}

// The view a newly opened map shows (level 0, zoom 1, origin (0, 0)) in a 1600 x 1000 client area, painted
// as the window paints it, then a pan of a quarter of the width east and a quarter of the height south.
bool startViewAndPan(const std::string& path) {
    int argc = 1;
    char name[] = "bench_disc_scale";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    auto map = std::make_shared<TLN_KiwiMap>(path);
    if (map->LevelCount() == 0) return false;
    MapViewState state;
    MapViewEventList fired;
    state.SetClientSize(1600, 1000);
    state.SetMap(map, fired);
    MapRenderer renderer;
    QImage image(state.Width(), state.Height(), QImage::Format_RGB32);
    auto paint = [&] {
        MapRenderView view = RenderViewOf(state);
        view.mapGeneration = 1;
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &renderer.TextStore());
        return renderer.Render(canvas, QRect(0, 0, view.width, view.height), view);
    };
    double start = now();
    const MapRenderStats first = paint();
    const double opened = now() - start;
    state.Pan(state.Width() / 4, state.Height() / 4);
    start = now();
    const MapRenderStats panned = paint();
    const double pan = now() - start;
    std::printf(
        "    view: level %d, %d units per pixel, %d x %d pixels: start %d entries, %d decoded, %.1f ms; "
        "pan %d entries, %d decoded, %.1f ms\n",
        state.Level(), state.UnitsPerPixel(), state.Width(), state.Height(), first.entries, first.decoded,
        1000 * opened, panned.entries, panned.decoded, 1000 * pan);
    return true;
}

bool convertCopyOnly(const std::string& source, const std::string& output) {
    ConversionOptions options;
    options.outputPath = output;
    return bench::convertThroughJob(source, options);
}

} // namespace

int main() {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const double targetMiB = double(BenchSizeVariable("KIWI_BENCH_DISC_MIB", 48, 1, 65536));
    const fixture::AllDataPlan plan = fixture::discScalePlan(targetMiB);
    const std::string folder = fixture::scratchDir("bench-disc-scale");
    const std::string source = folder + "/disc";
    const std::string allData = source + "/ALLDATA.KWI";

    std::printf(
        "disc-scale map, KIWI_BENCH_DISC_MIB=%.0f: level 0 of %lld parcel cells (4 x 4 sharing a frame), "
        "%zu levels\n",
        targetMiB, static_cast<long long>(fixture::discScaleLevelZeroCells(plan)), plan.levels.size());
    const ChildRun made = inChild("bench_disc_scale", [&] {
        fixture::writeAllData(fixture::buildAllData(plan), source);
        return true;
    });
    report("generate (fixture builder)", made);
    if (!made.ok) return 1;
    const int64_t bytes = fileSize(allData);
    std::printf("  ALLDATA.KWI %.1f MiB\n", mib(bytes));

    report("map walk", inChild("bench_disc_scale", [&] { return walkMap(allData); }));
    report("record tree", inChild("bench_disc_scale", [&] { return openTree(source); }));
    report("map view, start and pan", inChild("bench_disc_scale", [&] { return startViewAndPan(allData); }));

    const std::string output = folder + "/out";
    ::mkdir(output.c_str(), 0755);
    // Each run beside its own cp + fsync of the source.
    std::printf("  converter, copy-only run through its job, paired with cp + fsync:\n");
    const bench::PairedRatios paired = bench::runPairs(
        "convert", "cp + fsync", kPairs,
        [&] {
            ::unlink((output + "/ALLDATA.KWI").c_str());
            ::sync();
            return inChild("bench_disc_scale",
                           [&] { return convertCopyOnly(allData, output + "/ALLDATA.KWI"); });
        },
        [&] {
            const ChildRun copy = copyRun(allData, folder + "/copy.kwi", true);
            ::unlink((folder + "/copy.kwi").c_str());
            return copy;
        });
    paired.Print("convert", "cp + fsync");
    std::printf("  output %.1f MiB of %.1f MiB read\n", mib(fileSize(output + "/ALLDATA.KWI")), mib(bytes));
    if (paired.ratios.size() != size_t(kPairs)) return 1;
    return 0;
}
