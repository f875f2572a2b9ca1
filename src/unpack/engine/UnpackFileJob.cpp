// The single-file unpack on its own thread.
#include "unpack/engine/UnpackFileJob.h"

UnpackFileJob::UnpackFileJob(UnpackTaskInput input) : input_(std::move(input)) {
    std::function<void()> step = std::move(input_.onProgress);
    input_.onProgress = [this, step = std::move(step)] {
        const int64_t count = counters_.blockCount.load();
        RaisePercent(count > 0 ? int(counters_.blocksDone.load() * 100 / count) : 100);
        if (step) step();
    };
}

JobStatus UnpackFileJob::Run(const std::atomic<bool>& stop) {
    outcome_ = runUnpackTask(input_, counters_, stop);
    return outcome_.state == UnpackState::Done        ? JobStatus::Done
           : outcome_.state == UnpackState::Cancelled ? JobStatus::Stopped
                                                      : JobStatus::Failed;
}

UnpackOutcome UnpackFileJob::Result() {
    Wait();
    return outcome_;
}
