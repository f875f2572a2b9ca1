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

UnpackFileJob::~UnpackFileJob() {
    RequestStop();
    Wait();
}

void UnpackFileJob::Start() {
    if (Started()) return;
    MarkRunning();
    thread_ = std::thread([this, stop = stop_.get_token()] {
        outcome_ = runUnpackTask(input_, counters_, stop);
        switch (outcome_.state) {
        case UnpackState::Done:
            Finish(JobStatus::Done);
            break;
        case UnpackState::Cancelled:
            Finish(JobStatus::Stopped);
            break;
        default:
            Finish(JobStatus::Failed);
            break;
        }
    });
}

void UnpackFileJob::RequestStop() {
    BackgroundJob::RequestStop();
    stop_.request_stop();
}

void UnpackFileJob::Wait() {
    if (thread_.joinable()) thread_.join();
}

UnpackOutcome UnpackFileJob::Result() {
    Wait();
    return outcome_;
}
