// Shared by the benchmarks that time whole steps: a clock, a step run in a child process so that its peak
// memory is its own, `cp` (with an optional fsync) as the baseline of a copy, and steps paired with their
// baseline, every pair printed with each side's processor time.
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

inline double secondsOf(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
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
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0, now() - start, double(usage.ru_maxrss) / 1024,
            secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime)};
}

// `cp --reflink=never` of a file, then an fsync of the copy when asked (the converter syncs its output):
// wall time to the end of the fsync, cp's processor time and peak size; ok false when the copy failed.
inline ChildRun copyRun(const std::string& from, const std::string& to, bool sync) {
    const double start = now();
    std::vector<std::string> args = {"cp", "--reflink=never", from, to};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    if (::posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0 ||
        ::wait4(pid, &status, 0, &usage) != pid || status != 0)
        return {};
    if (sync) {
        const int fd = ::open(to.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    return {true, now() - start, double(usage.ru_maxrss) / 1024,
            secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime)};
}

// Seconds of copyRun, or -1 when the copy failed.
inline double copySeconds(const std::string& from, const std::string& to, bool sync) {
    const ChildRun run = copyRun(from, to, sync);
    return run.ok ? run.seconds : -1;
}

inline double medianOf(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Throughput ratios of a step to its baseline, one per pair of runs made side by side: the machine's load
// changes within a run, so each step is compared with its own baseline, never the best with the best.
struct PairedRatios {
    std::vector<double> ratios;
    // Each side's wall and processor seconds, pair by pair, and the step's largest peak size.
    std::vector<double> stepSeconds, stepCpu, baselineSeconds, baselineCpu;
    double stepPeakMiB = 0;

    void Add(const ChildRun& baseline, const ChildRun& step) {
        if (!baseline.ok || !step.ok || baseline.seconds <= 0 || step.seconds <= 0) return;
        ratios.push_back(baseline.seconds / step.seconds);
        stepSeconds.push_back(step.seconds), stepCpu.push_back(step.cpuSeconds);
        baselineSeconds.push_back(baseline.seconds), baselineCpu.push_back(baseline.cpuSeconds);
        stepPeakMiB = std::max(stepPeakMiB, step.maxRssMiB);
    }
    double Median() const { return medianOf(ratios); }
    double Low() const { return ratios.empty() ? 0 : *std::min_element(ratios.begin(), ratios.end()); }
    double High() const { return ratios.empty() ? 0 : *std::max_element(ratios.begin(), ratios.end()); }
    // One line: the median ratio and its range, and each side's median wall and processor time.
    void Print(const char* step, const char* baseline) const {
        std::printf("  %s vs %s, %zu pairs: throughput ratio median %.2f, range %.2f-%.2f; %s median %.2f s "
                    "(processor %.2f s, peak %.1f MiB), %s median %.2f s (processor %.2f s)\n",
                    step, baseline, ratios.size(), Median(), Low(), High(), step, medianOf(stepSeconds),
                    medianOf(stepCpu), stepPeakMiB, baseline, medianOf(baselineSeconds),
                    medianOf(baselineCpu));
    }
};

// Runs step and baseline (each returning its ChildRun) `pairs` times side by side, the step first in even
// pairs and the baseline first in odd ones, so that neither always meets the other's write-back. Each
// runs after a sync, with nothing left to write back. Every pair is printed as it ends.
template <class Step, class Baseline>
PairedRatios runPairs(const char* step, const char* baseline, int pairs, Step&& runStep,
                      Baseline&& runBaseline) {
    PairedRatios paired;
    for (int i = 0; i < pairs; ++i) {
        ChildRun stepRun, baselineRun;
        for (int turn = 0; turn < 2; ++turn) {
            ::sync();
            if ((turn == 0) == (i % 2 == 0))
                stepRun = runStep();
            else
                baselineRun = runBaseline();
        }
        std::printf("    pair %d (%s first): %s%s %.2f s, processor %.2f s; %s%s %.2f s, processor %.2f s; "
                    "ratio %.2f\n",
                    i + 1, i % 2 == 0 ? step : baseline, step, stepRun.ok ? "" : " FAILED", stepRun.seconds,
                    stepRun.cpuSeconds, baseline, baselineRun.ok ? "" : " FAILED", baselineRun.seconds,
                    baselineRun.cpuSeconds,
                    stepRun.ok && baselineRun.ok ? baselineRun.seconds / stepRun.seconds : 0.0);
        std::fflush(stdout);
        paired.Add(baselineRun, stepRun);
    }
    return paired;
}

} // namespace bench
