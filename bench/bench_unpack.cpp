// The unpack engine against raw zlib on the same gzip blocks, its scaling from 1 to 16 workers, the
// image read lock, a skewed corpus and cancel latency, on a generated corpus of map-like data under
// TMPDIR (default /tmp), deleted afterwards. Every run is verified file by file against the content's
// checksums. Figures are printed, not gated. KIWI_BENCH_UNPACK_MIB sets the corpus size (256 MiB by
// default; a small value gives a quick run).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "kiwi/disc/FileManager.h"
#include "kiwi/io/HandleStream.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/UnpackCorpus.h"
#include "support/walkers/CommandNumber.h"
#include "unpack/engine/UnpackJob.h"

namespace {
constexpr int64_t blockSize = 65536;
constexpr int64_t mib = 1 << 20;
using Clock = std::chrono::steady_clock;

struct BenchFile {
    std::string name;
    int64_t size = 0;
    uint64_t hash = 0;
    fixture::CmpListEntryPlan plan;
};

struct BenchCorpus {
    std::string root;
    std::vector<BenchFile> files;
    int64_t bytes = 0;
};

// Writes DATA/Fk.KWI (type 2, one gzip member per 64 KiB block) of the given sizes and the list.
BenchCorpus makeCorpus(const std::string& root, const std::vector<int64_t>& sizes, uint32_t seed) {
    BenchCorpus corpus{root, {}, 0};
    std::vector<fixture::CmpListEntryPlan> plans;
    for (size_t k = 0; k < sizes.size(); ++k) {
        BenchFile file;
        file.name = "DATA/F" + std::to_string(k) + ".KWI";
        file.size = sizes[k];
        const auto content = fixture::mapLikeContent(size_t(sizes[k]), seed + uint32_t(k));
        file.hash = fixture::contentHash(content.data(), content.size());
        file.plan.name = file.name;
        file.plan.type = 2;
        fixture::writeFile(root + "/" + file.name, fixture::buildCmpDataFile(content, file.plan));
        plans.push_back(file.plan);
        corpus.bytes += file.size;
        corpus.files.push_back(std::move(file));
    }
    fixture::writeFile(root + "/05.CMP", fixture::buildCmpList(plans));
    return corpus;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// User and system CPU seconds of the whole process so far.
double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU seconds the last timed job took (all its threads), for the CPU cost per GiB.
double lastCpu = 0;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The baseline: every block read with pread and inflated by zlib into one 64 KiB buffer, one thread.
double rawZlibSeconds(const BenchCorpus& corpus) {
    std::vector<uint8_t> compressed(blockSize), out(blockSize);
    z_stream z{};
    inflateInit2(&z, 16 + MAX_WBITS);
    const auto start = Clock::now();
    for (const BenchFile& file : corpus.files) {
        auto data = TLN_HandleStream::OpenForReading(corpus.root + "/" + file.name);
        for (size_t b = 0; b < file.plan.sectors.size(); ++b) {
            const size_t length = file.plan.sizes[b];
            const off_t offset = off_t(file.plan.sectors[b]) * 2048;
            if (::pread(data->Handle(), compressed.data(), length, offset) != ssize_t(length)) std::abort();
            inflateReset(&z);
            z.next_in = compressed.data();
            z.avail_in = uInt(length);
            z.next_out = out.data();
            z.avail_out = uInt(blockSize);
            if (inflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
        }
    }
    const double elapsed = seconds(Clock::now() - start);
    inflateEnd(&z);
    return elapsed;
}

struct RunSettings {
    int workers = 1;
    bool lock = true;
    bool sync = false;
    std::vector<size_t> chosen; // every entry when empty
};

// One job from Start to the last join; the output is checked against the checksums, then deleted.
double runOnce(const std::shared_ptr<const UnpackList>& list, const BenchCorpus& corpus,
               const std::string& out, const RunSettings& settings) {
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    UnpackJobOptions options;
    options.outputFolder = out;
    options.workers = settings.workers;
    options.lockImageReads = settings.lock;
    options.syncFiles = settings.sync;
    std::vector<size_t> chosen = settings.chosen;
    if (chosen.empty())
        for (size_t i = 0; i < list->Entries().size(); ++i)
            chosen.push_back(i);
    UnpackJob job(list, chosen, options);
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    job.Start();
    job.Wait();
    const double elapsed = seconds(Clock::now() - start);
    lastCpu = cpuSeconds() - cpuBefore;
    for (size_t i = 0; i < job.Size(); ++i) {
        const UnpackJobEntry& entry = job.Entry(i);
        const BenchFile* file = nullptr;
        for (const BenchFile& candidate : corpus.files)
            if (candidate.name == entry.Name()) file = &candidate;
        if (entry.State() != UnpackState::Done || !file ||
            fixture::fileHash(out + "/" + entry.Name()) != file->hash) {
            std::fprintf(stderr, "verification failed: %s (%s)\n", entry.Name().c_str(),
                         entry.Reason().c_str());
            std::exit(1);
        }
    }
    std::filesystem::remove_all(out);
    return elapsed;
}

double timeJob(const std::shared_ptr<const UnpackList>& list, const BenchCorpus& corpus,
               const std::string& out, const RunSettings& settings, int repeats = 3) {
    runOnce(list, corpus, out, settings); // warm-up
    std::vector<double> runs;
    for (int i = 0; i < repeats; ++i)
        runs.push_back(runOnce(list, corpus, out, settings));
    return median(runs);
}

double mbps(int64_t bytes, double secs) {
    return double(bytes) / double(mib) / secs;
}

std::shared_ptr<const UnpackList> diskList(const BenchCorpus& corpus) {
    return UnpackList::Open(*UnpackOrigin::OnDisk(corpus.root + "/05.CMP"));
}

// From a stop request to the last worker joined, with 8 workers busy.
double cancelLatency(const std::shared_ptr<const UnpackList>& list, const std::string& out) {
    std::filesystem::create_directories(out);
    UnpackJobOptions options;
    options.outputFolder = out;
    options.workers = 8;
    std::vector<size_t> all(list->Entries().size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    UnpackJob job(list, all, options);
    job.Start();
    while (job.BlocksDone() < 64 && !job.Finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = Clock::now();
    job.RequestStop();
    job.Wait();
    const double elapsed = seconds(Clock::now() - start);
    std::filesystem::remove_all(out);
    return elapsed;
}
} // namespace

int main() {
    const int64_t totalMiB = BenchSizeVariable("KIWI_BENCH_UNPACK_MIB", 256, 16, 65536);
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/kiwi-bench-unpack-XXXXXX";
    if (!::mkdtemp(templ.data())) return 1;
    const std::string work = templ;
    // Other work on the machine takes cores from the workers; the load says how much.
    double load[3] = {0, 0, 0};
    ::getloadavg(load, 3);
    std::printf("unpack benchmark: %lld MiB of map-like data in %s, %u hardware threads, load average %.1f\n",
                (long long)totalMiB, work.c_str(), std::thread::hardware_concurrency(), load[0]);

    // Uniform: 32 files of 1/64 .. 3/64 of the total (sizes cycle 1, 2, 3 units).
    std::vector<int64_t> sizes;
    const int64_t unit = std::max<int64_t>(blockSize, totalMiB * mib / 64 / blockSize * blockSize);
    for (int k = 0; k < 32; ++k)
        sizes.push_back(unit * (1 + k % 3) + 1000 * k);
    const BenchCorpus uniform = makeCorpus(work + "/uniform", sizes, 100);
    const auto list = diskList(uniform);
    std::printf("corpus: %zu files, %.1f MiB decompressed\n", uniform.files.size(),
                double(uniform.bytes) / double(mib));

    const double raw = median({rawZlibSeconds(uniform), rawZlibSeconds(uniform), rawZlibSeconds(uniform)});
    std::printf("raw zlib, 1 thread:           %8.1f MB/s\n", mbps(uniform.bytes, raw));
    double one = 0;
    for (int workers : {1, 2, 4, 8, 16}) {
        const double t = timeJob(list, uniform, work + "/out", {workers, true, false, {}});
        if (workers == 1) one = t;
        // CPU per GiB staying flat while the speed-up stops growing means the cores were busy elsewhere.
        std::printf("engine, %2d worker(s):         %8.1f MB/s  %5.2fx one worker  %.2f CPU s/GiB\n", workers,
                    mbps(uniform.bytes, t), one / t, lastCpu / (double(uniform.bytes) / double(1 << 30)));
        if (workers == 1) std::printf("  1 worker / raw zlib:        %8.2f  (aim >= 0.9)\n", raw / t);
    }
    const double synced = timeJob(list, uniform, work + "/out", {8, true, true, {}}, 1);
    std::printf("engine, 8 workers, each file flushed to disk: %8.1f MB/s\n", mbps(uniform.bytes, synced));

    if (fixture::xorrisoAvailable()) {
        fixture::makeIsoWithXorriso(uniform.root, work + "/uniform.iso");
        if (OpenISOImage(work + "/uniform.iso")) {
            const auto imageList = UnpackList::Open(*UnpackOrigin::Find("05.CMP", GetISOImage()));
            const double locked = timeJob(imageList, uniform, work + "/out", {8, true, false, {}});
            const double unlocked = timeJob(imageList, uniform, work + "/out", {8, false, false, {}});
            std::printf("image, 8 workers, lock:       %8.1f MB/s\n", mbps(uniform.bytes, locked));
            std::printf("image, 8 workers, no lock:    %8.1f MB/s  locked/unlocked %.2f (aim >= 0.9)\n",
                        mbps(uniform.bytes, unlocked), unlocked / locked);
            CloseISOImage();
        }
        std::filesystem::remove(work + "/uniform.iso");
    } else {
        std::printf("image: xorriso not installed, skipped\n");
    }
    std::printf("cancel with 8 workers busy:   %8.1f ms to the last join\n",
                1000 * cancelLatency(list, work + "/out"));
    std::filesystem::remove_all(uniform.root);

    // Skewed: one file of half the total and 200 small ones making up the other half (sizes from half to
    // one and a half times their mean).
    std::vector<int64_t> skewedSizes{totalMiB * mib / 2};
    const int64_t mean = totalMiB * mib / 2 / 200;
    for (int k = 0; k < 200; ++k)
        skewedSizes.push_back(mean / 2 + mean * (k % 11) / 10 + 77 * k);
    const BenchCorpus skewed = makeCorpus(work + "/skewed", skewedSizes, 900);
    const auto skewedList = diskList(skewed);
    const double large = timeJob(skewedList, skewed, work + "/out", {8, true, false, {0}});
    const double whole = timeJob(skewedList, skewed, work + "/out", {8, true, false, {}});
    std::printf(
        "skewed, 8 workers: large file alone %.3f s, with 200 small files %.3f s: %.2fx (aim <= 1.1)\n",
        large, whole, whole / large);
    std::filesystem::remove_all(work);
    std::printf("every run verified by checksums\n");
    return 0;
}
