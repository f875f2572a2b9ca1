// Shared by the converter benchmarks: the conversion run as the program runs it, a ConversionJob on its own
// worker thread (the wizard's and `kiwiprobe convert`'s way), never on the calling thread: a second
// thread changes what the run costs (atomic reference counts, the worker's own allocator arena).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "converter/job/ConversionJob.h"

namespace bench {

// Converts source into options.outputPath through the job; true when the run is done.
inline bool convertThroughJob(const std::string& source, const ConversionOptions& options,
                              std::shared_ptr<const std::vector<uint8_t>> buildings = {}) {
    auto run = std::make_unique<ConversionRun>(source, options);
    if (buildings) run->SetBuildingData(std::move(buildings));
    ConversionJob job(std::move(run));
    job.Start();
    const ConversionResult result = job.Result();
    if (result.status != ConversionStatus::Done) std::fprintf(stderr, "%s\n", result.message.c_str());
    return result.status == ConversionStatus::Done;
}

} // namespace bench
