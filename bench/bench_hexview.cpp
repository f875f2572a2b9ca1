// The hex grid's speed: a full repaint of about 50 rows for a 1 KiB file, a 1 MiB file, an 8 GiB sparse
// file and a compressed stream; the pattern search on a file in the page cache against memmem on the
// same bytes in the same run (plain and ignoring case), and on a compressed stream against reading it;
// the longest stall of the user-interface thread while a 100 MiB range is searched, and the time from
// Cancel to the worker's end. KIWI_BENCH_HEX_SEARCH_MIB sets the search file's size (512 by default).
#include <benchmark/benchmark.h>

#include "BenchRatio.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "hexview/HexGrid.h"
#include "hexview/model/HexCharTable.h"
#include "hexview/model/HexRangeSearch.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/io/HandleStream.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/SearchFixture.h"
#include "support/walkers/CommandNumber.h"

namespace {

const std::vector<uint8_t> kNeedle = fixture::bytesOf("\x01kiwi-needle\xFF");
const char* const kKindNames[] = {"1 KiB file", "1 MiB file", "8 GiB sparse file", "compressed stream"};

struct BenchFiles {
    std::string folder;
    std::string paths[4];
    std::string searchPath;
    int64_t searchSize = 0;
    std::vector<uint8_t> searchBytes; // the search file's bytes, for memmem
    std::string packedPath;
    int64_t packedSize = 0;
} bench;

struct Figures {
    double stallMs = -1;
    double packedStallMs = -1;
    double cancelMs = -1;
    double packedCancelMs = -1;
} figures;

std::shared_ptr<TLN_Stream> openKind(int kind) {
    if (kind == 3) return TLN_DecompFileStream::Create(bench.paths[3]);
    return TLN_HandleStream::OpenForReading(bench.paths[kind]);
}

bool buildFiles(int64_t searchMiB) {
    std::string templ = "/tmp/kiwi-bench-hex-XXXXXX";
    if (!::mkdtemp(templ.data())) return false;
    bench.folder = templ;
    bench.paths[0] = bench.folder + "/SMALL.BIN";
    fixture::writeFile(bench.paths[0], fixture::searchHaystack(1024, 1));
    bench.paths[1] = bench.folder + "/MEDIUM.BIN";
    fixture::writeFile(bench.paths[1], fixture::searchHaystack(1 << 20, 2));
    bench.paths[2] = bench.folder + "/SPARSE.BIN";
    fixture::writeFile(bench.paths[2], fixture::searchHaystack(4096, 3));
    if (::truncate(bench.paths[2].c_str(), off_t(8) << 30) != 0) return false;
    // A compressed file of 64 MiB of map-like content (gzip blocks of a "05.CMP" list), the needle last.
    bench.packedSize = int64_t(64) << 20;
    auto content = fixture::mapLikeContent(size_t(bench.packedSize), 5);
    std::copy(kNeedle.begin(), kNeedle.end(), content.end() - int64_t(kNeedle.size()));
    bench.paths[3] =
        fixture::writeCmpLayout(bench.folder + "/cmp", fixture::CmpLayout::Gzip05, "PACKED.KWI", content)
            .dataPath;
    bench.packedPath = bench.paths[3];
    bench.searchSize = searchMiB << 20;
    bench.searchPath = bench.folder + "/SEARCH.BIN";
    const std::vector<fixture::PlantedPattern> plants = {
        {bench.searchSize - int64_t(kNeedle.size()) - 100, kNeedle}};
    fixture::writeSearchHaystack(bench.searchPath, bench.searchSize, 7, plants);
    bench.searchBytes = fixture::searchHaystack(size_t(bench.searchSize), 7, plants);
    return true;
}

// A grid showing about 50 data rows.
struct Grid {
    Grid() {
        grid.resize(700, 51 * grid.RowHeight() + 10);
        image = QImage(grid.viewport()->size(), QImage::Format_RGB32);
    }
    void paint() { grid.viewport()->render(&image); }
    HexGrid grid;
    QImage image;
};

// The same view painted again: cells, texts and colours only.
void BM_RepaintSameRows(benchmark::State& state) {
    const int kind = int(state.range(0));
    Grid g;
    g.grid.SetStream(openKind(kind), g.grid.Size() / 2);
    g.grid.GotoOffset(g.grid.Size() / 2);
    g.paint();
    for (auto _ : state)
        g.paint();
    state.SetLabel(kKindNames[kind]);
}

// A jump to another place of the stream, then the paint: rows read (and decompressed) anew.
void BM_RepaintAfterJump(benchmark::State& state) {
    const int kind = int(state.range(0));
    Grid g;
    g.grid.SetStream(openKind(kind), 0);
    const int64_t size = g.grid.Size();
    uint64_t x = 88172645463325252ull;
    for (auto _ : state) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        g.grid.GotoOffset(int64_t(x % uint64_t(size)));
        g.paint();
    }
    state.SetLabel(kKindNames[kind]);
}

// A new stream, the cursor to its last byte, the paint (8 GiB sparse file).
void BM_OpenAndShowTheEnd(benchmark::State& state) {
    Grid g;
    for (auto _ : state) {
        g.grid.SetStream(openKind(2), 0);
        g.grid.GotoOffset(g.grid.Size() - 1);
        g.paint();
        g.grid.Clear();
    }
}

void BM_SearchMemmem(benchmark::State& state) {
    for (auto _ : state) {
        const void* hit =
            memmem(bench.searchBytes.data(), bench.searchBytes.size(), kNeedle.data(), kNeedle.size());
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(state.iterations() * bench.searchSize);
}

void searchFile(benchmark::State& state, bool ignoreCase) {
    auto stream = TLN_HandleStream::OpenForReading(bench.searchPath);
    const HexCharTable table(1252);
    const HexSearchPattern pattern(kNeedle.data(), kNeedle.size(), ignoreCase, table.UpperCase());
    for (auto _ : state) {
        const HexRangeResult r = SearchRange(*stream, pattern, 0, bench.searchSize);
        if (r.status != HexRangeStatus::Found) state.SkipWithError("needle not found");
    }
    state.SetBytesProcessed(state.iterations() * bench.searchSize);
}
void BM_SearchFile(benchmark::State& state) {
    searchFile(state, false);
}
void BM_SearchFileIgnoringCase(benchmark::State& state) {
    searchFile(state, true);
}

// Find on the grid, inline stage and worker, until the worker's result has come back.
void BM_SearchFileThroughTheGrid(benchmark::State& state) {
    Grid g;
    g.grid.SetStream(TLN_HandleStream::OpenForReading(bench.searchPath), 0);
    const QByteArray needle(reinterpret_cast<const char*>(kNeedle.data()), qsizetype(kNeedle.size()));
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(&g.grid.Search(), &HexSearchController::searchEnded, &loop, &QEventLoop::quit);
        if (g.grid.Find(needle, false, bench.searchSize, 0) == HexGrid::kSearchRunning) loop.exec();
        if (g.grid.Search().LastResult() < 0) state.SkipWithError("needle not found");
    }
    state.SetBytesProcessed(state.iterations() * bench.searchSize);
}

void BM_ReadCompressedIn36863ByteChunks(benchmark::State& state) {
    std::vector<uint8_t> buffer(36863);
    for (auto _ : state) {
        auto stream = TLN_DecompFileStream::Create(bench.packedPath);
        for (int64_t at = 0; at < bench.packedSize; at += int64_t(buffer.size()))
            stream->ReadAt(at, buffer.data(), int64_t(buffer.size()));
    }
    state.SetBytesProcessed(state.iterations() * bench.packedSize);
}

void BM_SearchCompressed(benchmark::State& state) {
    const HexCharTable table(1252);
    const HexSearchPattern pattern(kNeedle.data(), kNeedle.size(), false, table.UpperCase());
    for (auto _ : state) {
        auto stream = TLN_DecompFileStream::Create(bench.packedPath);
        if (SearchRange(*stream, pattern, 0, bench.packedSize).status != HexRangeStatus::Found)
            state.SkipWithError("needle not found");
    }
    state.SetBytesProcessed(state.iterations() * bench.packedSize);
}

// The longest gap between the ticks of a 1 ms timer while Find searches range bytes that hold no hit.
double longestStall(const std::shared_ptr<TLN_Stream>& stream, int64_t range) {
    Grid g;
    g.grid.SetStream(stream, 0);
    QEventLoop loop;
    QTimer ticker;
    ticker.setInterval(1);
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    QObject::connect(&g.grid.Search(), &HexSearchController::searchEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(20, [&] {
        last = clock.nsecsElapsed();
        if (g.grid.Find("\xFE\xFD\xFC-absent-\xFB", false, range, 0) != HexGrid::kSearchRunning) loop.quit();
    });
    clock.start();
    ticker.start();
    loop.exec();
    // The gap that ends with the search's end counts too.
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return double(longest) / 1e6;
}

// The time from CancelSearch to the search's end reaching the user-interface thread.
double cancelTime(const std::shared_ptr<TLN_Stream>& stream) {
    double worst = 0;
    for (int run = 0; run < 5; ++run) {
        Grid g;
        g.grid.SetStream(stream, 0);
        QEventLoop loop;
        QElapsedTimer clock;
        double ms = -1;
        QObject::connect(&g.grid.Search(), &HexSearchController::searchEnded, &loop, [&](qint64) {
            if (clock.isValid()) ms = double(clock.nsecsElapsed()) / 1e6;
            loop.quit();
        });
        if (g.grid.Find("\xFE\xFD\xFC-absent-\xFB", false, g.grid.Size(), 0) != HexGrid::kSearchRunning)
            continue;
        QTimer::singleShot(30, [&] {
            clock.start();
            g.grid.CancelSearch();
        });
        loop.exec();
        worst = std::max(worst, ms);
    }
    return worst;
}

} // namespace

BENCHMARK(BM_RepaintSameRows)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintAfterJump)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndShowTheEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchMemmem)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SearchFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SearchFileIgnoringCase)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SearchFileThroughTheGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ReadCompressedIn36863ByteChunks)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchCompressed)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const int64_t searchMiB = BenchSizeVariable("KIWI_BENCH_HEX_SEARCH_MIB", 512, 101, 4096);
    std::printf("building the files (search file %lld MiB)...\n", (long long)searchMiB);
    int status = 1;
    if (buildFiles(searchMiB)) {
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        auto& r = reporter.bytesPerSecond;
        figures.stallMs =
            longestStall(TLN_HandleStream::OpenForReading(bench.searchPath), int64_t(100) << 20);
        figures.packedStallMs =
            longestStall(TLN_DecompFileStream::Create(bench.packedPath), bench.packedSize);
        figures.cancelMs = cancelTime(TLN_HandleStream::OpenForReading(bench.searchPath));
        figures.packedCancelMs = cancelTime(TLN_DecompFileStream::Create(bench.packedPath));
        const double memmemRate = r["BM_SearchMemmem"];
        std::printf("search %lld MiB in the page cache: %.2f GB/s, %.3f of memmem (%.2f GB/s) "
                    "(aim >= 1 GB/s and >= 0.35)\n",
                    (long long)searchMiB, r["BM_SearchFile"] / 1e9,
                    memmemRate > 0 ? r["BM_SearchFile"] / memmemRate : 0.0, memmemRate / 1e9);
        std::printf("search through the grid (inline stage and worker): %.2f GB/s, %.3f of memmem\n",
                    r["BM_SearchFileThroughTheGrid"] / 1e9,
                    memmemRate > 0 ? r["BM_SearchFileThroughTheGrid"] / memmemRate : 0.0);
        std::printf("search ignoring case: %.0f MB/s (aim >= 400)\n", r["BM_SearchFileIgnoringCase"] / 1e6);
        const double readRate = r["BM_ReadCompressedIn36863ByteChunks"];
        std::printf("search of a compressed stream: %.0f MB/s, %.3f of reading it in 36863-byte chunks "
                    "(aim >= 0.8)\n",
                    r["BM_SearchCompressed"] / 1e6, readRate > 0 ? r["BM_SearchCompressed"] / readRate : 0.0);
        std::printf("longest user-interface stall during a search of 100 MiB: %.1f ms (aim <= 100); "
                    "of a %lld MiB compressed stream: %.1f ms (aim <= 150)\n",
                    figures.stallMs, (long long)(bench.packedSize >> 20), figures.packedStallMs);
        std::printf("cancel to the worker's end: %.1f ms plain, %.1f ms compressed (aim <= 100)\n",
                    figures.cancelMs, figures.packedCancelMs);
        status = 0;
    } else {
        std::printf("could not build the files\n");
    }
    std::error_code ignored;
    std::filesystem::remove_all(bench.folder, ignored);
    return status;
}
