// Shared by the benchmarks: a console reporter that keeps each benchmark's throughput, so that a run can
// print ours as a ratio to the baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Bytes per second by benchmark name (without its arguments).
    std::map<std::string, double> bytesPerSecond;

    void ReportRuns(const std::vector<Run>& reports) override {
        for (const auto& run : reports) {
            const auto counter = run.counters.find("bytes_per_second");
            if (counter != run.counters.end() && run.run_type == Run::RT_Iteration)
                bytesPerSecond[run.benchmark_name().substr(0, run.benchmark_name().find('/'))] =
                    counter->second.value;
        }
        ConsoleReporter::ReportRuns(reports);
    }
};
