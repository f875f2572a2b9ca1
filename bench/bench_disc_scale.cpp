// A map of a real disc's shape and scale (seven levels, level 0 of about 3.7 million parcel cells sharing
// frames in 4 x 4 groups, about 1.5 GB at KIWI_BENCH_DISC_MIB=1459; 48 MiB by default) and what the
// program does with it: the map walk (reads per parcel), opening the record tree and paging the largest
// block lists, one full repaint of level 0 in the map view, and the converter's copy-only run beside cp and
// cp + fsync. Each runs in a child process of its own so that its peak memory is its own. Printed, never a
// test.
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

#include "BenchParcelWalk.h"
#include "BenchProcess.h"
#include "BenchQuietHost.h"
#include "converter/ConversionRun.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/SourceOpener.h"
#include "mapview/core/MapRenderer.h"
#include "mapview/core/QPainterCanvas.h"
#include "support/fixtures/DiscShapes.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CountingStream.h"

extern char** environ;

namespace {

using bench::ChildRun;
using bench::copySeconds;
using bench::inChild;
using bench::now;

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

// One paint of the whole of level 0 (the last level record) into an image of about 2048 pixels across.
bool repaintLevelZero(const std::string& path) {
    int argc = 1;
    char name[] = "bench_disc_scale";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    auto map = std::make_shared<TLN_KiwiMap>(path);
    if (map->LevelCount() == 0) return false;
    MapRenderView view;
    view.map = map;
    view.mapGeneration = 1;
    view.level = int(map->LevelCount()) - 1;
    const TLN_Level_Management_Record& level = *map->Level(uint8_t(view.level));
    const int64_t across = int64_t(level.ParcelsAcrossX) * 4096, up = int64_t(level.ParcelsAcrossY) * 4096;
    view.unitsPerPixel = int(std::max<int64_t>(1, (across + 2047) / 2048));
    view.width = int((across + view.unitsPerPixel - 1) / view.unitsPerPixel);
    view.height = int((up + view.unitsPerPixel - 1) / view.unitsPerPixel);
    view.layers = 7;
    view.filter = 31;
    for (size_t i = 0; i < 16; ++i)
        view.colours[i] = 0x0000FF;
    QImage image(view.width, view.height, QImage::Format_RGB32);
    MapRenderer renderer;
    const QRect whole(0, 0, view.width, view.height);
    double start = now();
    MapRenderStats stats;
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &renderer.TextStore());
        stats = renderer.RenderUncached(canvas, whole, view);
    }
    const double first = now() - start;
    start = now();
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &renderer.TextStore());
        renderer.RenderUncached(canvas, whole, view);
    }
    const double second = now() - start;
    std::printf("    repaint: level 0 of %d x %d parcels in %d x %d pixels (%d units per pixel): %d entries, "
                "%d decoded; first paint %.2f s, again %.2f s\n",
                level.ParcelsAcrossX, level.ParcelsAcrossY, view.width, view.height, view.unitsPerPixel,
                stats.entries, stats.decoded, first, second);
    return stats.entries > 0;
}

bool convertCopyOnly(const std::string& source, const std::string& output) {
    ConversionOptions options;
    options.outputPath = output;
    ConversionProgress progress;
    std::atomic<bool> stop{false};
    const ConversionResult result = ConversionRun(source, options).Execute(progress, stop);
    if (result.status != ConversionStatus::Done) std::fprintf(stderr, "%s\n", result.message.c_str());
    return result.status == ConversionStatus::Done;
}

} // namespace

int main() {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char* sized = std::getenv("KIWI_BENCH_DISC_MIB");
    const double targetMiB = sized ? std::max(1.0, std::atof(sized)) : 48.0;
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
    report("map view, full repaint of level 0",
           inChild("bench_disc_scale", [&] { return repaintLevelZero(allData); }));

    const std::string output = folder + "/out";
    ::mkdir(output.c_str(), 0755);
    const ChildRun run =
        inChild("bench_disc_scale", [&] { return convertCopyOnly(allData, output + "/ALLDATA.KWI"); });
    report("converter, copy-only run", run);
    const int64_t converted = fileSize(output + "/ALLDATA.KWI");
    // The better of two copies each: the first may meet the source's pages or the run's dirty ones.
    double cp = 1e30, cpSync = 1e30;
    for (int i = 0; i < 2; ++i) {
        cp = std::min(cp, copySeconds(allData, folder + "/copy.kwi", false));
        ::unlink((folder + "/copy.kwi").c_str());
        cpSync = std::min(cpSync, copySeconds(allData, folder + "/copy.kwi", true));
        ::unlink((folder + "/copy.kwi").c_str());
    }
    std::printf("  cp %.2f s, cp + fsync %.2f s; run / cp + fsync = %.2f; output %.1f MiB of %.1f MiB read "
                "(%.0f MiB/s)\n",
                cp, cpSync, cpSync > 0 ? run.seconds / cpSync : 0.0, mib(converted), mib(bytes),
                mib(bytes) / std::max(run.seconds, 1e-9));
    return 0;
}
