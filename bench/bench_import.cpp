// Import throughput of a generated Polish-format map against reading the same bytes alone, with the
// peak memory the import added. The map is written under TMPDIR (default /tmp) and deleted afterwards.
// The size in MiB is the first argument or KIWI_BENCH_IMPORT_MIB (256 by default); figures are printed,
// not gated (aim: at least 50 MB/s).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "converter/import/MpImporter.h"
#include "support/converter/MpGenerator.h"
#include "support/walkers/CommandNumber.h"

namespace {

using Clock = std::chrono::steady_clock;

long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads the file through the same 4 MiB buffer size, touching every byte.
double readOnly(const std::string& path, size_t& checksum) {
    const auto start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    std::vector<char> buffer(size_t(4) << 20);
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        for (size_t i = 0; i < got; i += 64)
            checksum += size_t(uint8_t(buffer[i]));
    std::fclose(file);
    return secondsSince(start);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) setenv("KIWI_BENCH_IMPORT_MIB", argv[1], 1);
    const long mib = long(BenchSizeVariable("KIWI_BENCH_IMPORT_MIB", 256, 1, 65536));
    const char* tmp = std::getenv("TMPDIR");
    const std::string path =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_import_" + std::to_string(getpid()) + ".mp";

    mpgen::Plan plan;
    plan.seed = 42;
    plan.targetBytes = size_t(mib) << 20;
    plan.buildExpected = false;
    const mpgen::Expected expected = mpgen::GenerateFile(plan, path);
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::fseek(probe, 0, SEEK_END);
    const double bytes = double(std::ftell(probe));
    std::fclose(probe);

    size_t checksum = 0;
    readOnly(path, checksum); // warms the page cache
    const double read = readOnly(path, checksum);

    const long rssBefore = peakRssKiB();
    std::vector<uint8_t> data;
    mp_import::MpImporter importer(data, {});
    const auto start = Clock::now();
    const mp_import::MpImporter::FileResult result = importer.ImportFile(path, true);
    const double seconds = secondsSince(start);
    const long rssAfter = peakRssKiB();
    std::remove(path.c_str());

    const bool same = result.counters.records == expected.records;
    std::printf("generated map:       %8.1f MB, %d records (%s)\n", bytes / 1e6, result.counters.records,
                same ? "as expected" : "NOT as expected");
    std::printf("read only:           %8.1f MB/s\n", bytes / 1e6 / read);
    std::printf("import:              %8.1f MB/s  (aim >= 50), %.2f s, %.2fx the read time\n",
                bytes / 1e6 / seconds, seconds, seconds / read);
    std::printf("building data:       %8.1f MB\n", double(data.size()) / 1e6);
    std::printf("peak memory:         %8.1f MB process, %.1f MB added by the import\n",
                double(rssAfter) / 1024, double(rssAfter - rssBefore) / 1024);
    return same && result.outcome == mp_import::MpImporter::Outcome::Done ? 0 : 1;
}
