// Shared by the benchmarks that time whole steps: a clock, a step run in a child process so that its peak
// memory is its own, and `cp` (with an optional fsync) as the baseline of a copy.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench {

inline double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct ChildRun {
    bool ok = false;
    double seconds = 0;
    double maxRssMiB = 0;
    // The child's processor time, user and system.
    double cpuSeconds = 0;
};

// Runs work (returning true on success) in a child process: wall time, the child's own peak resident size
// and processor time. What work throws is printed after name.
template <class Work> ChildRun inChild(const char* name, Work&& work) {
    std::fflush(nullptr);
    const double start = now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        bool ok = false;
        try {
            ok = work();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", name, e.what());
        }
        std::fflush(nullptr);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return {};
    const auto secondsOf = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0, now() - start, double(usage.ru_maxrss) / 1024,
            secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime)};
}

// `cp --reflink=never` of a file, then an fsync of the copy when asked (the converter syncs its output);
// seconds, or -1 when the copy failed.
inline double copySeconds(const std::string& from, const std::string& to, bool sync) {
    const double start = now();
    std::vector<std::string> args = {"cp", "--reflink=never", from, to};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (::posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0 ||
        ::waitpid(pid, &status, 0) != pid || status != 0)
        return -1;
    if (sync) {
        const int fd = ::open(to.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    return now() - start;
}

// Throughput ratios of a step to its baseline, one per pair of runs made side by side: the machine's load
// changes within a run, so each step is compared with its own baseline, never the best with the best.
struct PairedRatios {
    std::vector<double> ratios;

    void Add(double baselineSeconds, double stepSeconds) {
        if (baselineSeconds > 0 && stepSeconds > 0) ratios.push_back(baselineSeconds / stepSeconds);
    }
    double Median() const {
        if (ratios.empty()) return 0;
        std::vector<double> sorted = ratios;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double Low() const { return ratios.empty() ? 0 : *std::min_element(ratios.begin(), ratios.end()); }
    double High() const { return ratios.empty() ? 0 : *std::max_element(ratios.begin(), ratios.end()); }
};

// Runs step and baseline (each returning seconds, negative on failure) `pairs` times side by side, the
// step first in even pairs and the baseline first in odd ones, so that neither always meets the other's
// write-back. Each runs after a sync, with nothing left to write back.
template <class Step, class Baseline> PairedRatios runPairs(int pairs, Step&& step, Baseline&& baseline) {
    PairedRatios paired;
    for (int i = 0; i < pairs; ++i) {
        double stepSeconds = 0, baselineSeconds = 0;
        for (int turn = 0; turn < 2; ++turn) {
            ::sync();
            if ((turn == 0) == (i % 2 == 0))
                stepSeconds = step();
            else
                baselineSeconds = baseline();
        }
        paired.Add(baselineSeconds, stepSeconds);
    }
    return paired;
}

} // namespace bench
