// The worker thread's loop: own stream, chunked search, a report on each new percentage and at the end.
#include "hexview/model/HexSearchWorker.h"

#include <algorithm>

#include "hexview/model/SearchStreamOpener.h"

HexSearchWorker::HexSearchWorker(std::shared_ptr<TLN_Stream> shown, HexSearchPattern pattern,
                                 int64_t position, int64_t end, int64_t rangeStart, QObject* parent)
    : QObject(parent), shown_(std::move(shown)), pattern_(std::move(pattern)), position_(position), end_(end),
      rangeStart_(rangeStart) {}

HexSearchWorker::~HexSearchWorker() {
    RequestStop();
    Wait();
}

void HexSearchWorker::Start() {
    if (Started()) return;
    MarkRunning();
    thread_ = std::thread(&HexSearchWorker::run, this);
}

void HexSearchWorker::Wait() {
    if (thread_.joinable()) thread_.join();
}

HexSearchWorker::Report HexSearchWorker::Take() {
    std::lock_guard lock(mutex_);
    Report taken = mailbox_;
    mailbox_.percent = -1;
    return taken;
}

void HexSearchWorker::report(int percent, bool done, int64_t result, const std::string& error) {
    std::lock_guard lock(mutex_);
    if (percent >= 0) mailbox_.percent = percent;
    mailbox_.done = done;
    mailbox_.result = result;
    mailbox_.error = error;
    emit reported();
}

void HexSearchWorker::run() {
    const std::shared_ptr<TLN_Stream> stream = OpenSearchStream(shown_);
    const int64_t total = end_ - rangeStart_;
    // The grid reported 1 when the worker started.
    int lastPercent = std::max(1, SearchPercent(position_ - rangeStart_, total));
    HexRangeLimits limits;
    limits.chunkSize = chunkSize_;
    const auto check = [&](int64_t next) {
        if (StopRequested()) return false;
        const int percent = SearchPercent(next - rangeStart_, total);
        if (percent > lastPercent) {
            lastPercent = percent;
            RaisePercent(percent);
            report(percent, false, -1);
        }
        return true;
    };
    const HexRangeResult found = StopRequested()
                                     ? HexRangeResult{HexRangeStatus::Stopped, -1, position_, {}}
                                     : SearchRange(*stream, pattern_, position_, end_, limits, check);
    int64_t result = -1;
    if (found.status == HexRangeStatus::Found)
        result = found.hit;
    else if (found.status == HexRangeStatus::Stopped || StopRequested())
        result = -2;
    else if (found.status == HexRangeStatus::Failed)
        result = kSearchFailed;
    // The end is recorded before the window hears of it, so that it finds the job finished.
    Finish(result == -2 ? JobStatus::Stopped : result == kSearchFailed ? JobStatus::Failed : JobStatus::Done);
    report(-1, true, result, found.error);
}
