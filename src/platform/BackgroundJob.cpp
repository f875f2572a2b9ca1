// The shared part of the background-job contract: the one thread, the monotone percentage, the status and
// the one end.
#include "platform/BackgroundJob.h"

#include <algorithm>

void BackgroundJob::Start() {
    if (markRunning()) thread_ = std::thread([this] { Finish(Run(stopRequested_)); });
}

void BackgroundJob::RunHere() {
    if (markRunning()) Finish(Run(stopRequested_));
}

void BackgroundJob::Wait() {
    if (thread_.joinable()) thread_.join();
}

JobProgress BackgroundJob::ProgressSnapshot() const {
    JobProgress snapshot;
    snapshot.status = Status();
    snapshot.percent = percent_.load(std::memory_order_acquire);
    snapshot.stopRequested = StopRequested();
    return snapshot;
}

bool BackgroundJob::Finished() const {
    const JobStatus status = Status();
    return status != JobStatus::Idle && status != JobStatus::Running;
}

bool BackgroundJob::markRunning() {
    JobStatus expected = JobStatus::Idle;
    return status_.compare_exchange_strong(expected, JobStatus::Running, std::memory_order_acq_rel);
}

void BackgroundJob::RaisePercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    int seen = percent_.load(std::memory_order_acquire);
    // Several workers may report at once: only a real rise is kept and told.
    while (percent > seen) {
        if (percent_.compare_exchange_weak(seen, percent, std::memory_order_acq_rel)) {
            emit notifier_.progressed();
            return;
        }
    }
}

void BackgroundJob::Finish(JobStatus status) {
    // A finished job shows its full bar before anyone can see it done.
    if (status == JobStatus::Done && !Finished()) RaisePercent(100);
    JobStatus current = status_.load(std::memory_order_acquire);
    do {
        if (current != JobStatus::Idle && current != JobStatus::Running) return;
    } while (!status_.compare_exchange_weak(current, status, std::memory_order_acq_rel));
    emit notifier_.ended();
}
