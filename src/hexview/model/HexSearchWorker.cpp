// The worker's search: own stream, chunked search, the percentage raised as the chunks go by.
#include "hexview/model/HexSearchWorker.h"

#include <algorithm>

#include "hexview/model/SearchStreamOpener.h"

HexSearchWorker::HexSearchWorker(std::shared_ptr<TLN_Stream> shown, HexSearchPattern pattern,
                                 int64_t position, int64_t end, int64_t rangeStart)
    : shown_(std::move(shown)), pattern_(std::move(pattern)), position_(position), end_(end),
      rangeStart_(rangeStart) {}

HexSearchWorker::Outcome HexSearchWorker::Result() {
    Wait();
    return outcome_;
}

JobStatus HexSearchWorker::Run(const std::atomic<bool>& stop) {
    const std::shared_ptr<TLN_Stream> stream = OpenSearchStream(shown_);
    const int64_t total = end_ - rangeStart_;
    // The grid reported 1 when the worker started: the job tells only what goes beyond.
    const int told = std::max(1, SearchPercent(position_ - rangeStart_, total));
    HexRangeLimits limits;
    limits.chunkSize = chunkSize_;
    const auto check = [&](int64_t next) {
        if (stop) return false;
        const int percent = SearchPercent(next - rangeStart_, total);
        if (percent > told) RaisePercent(percent);
        return true;
    };
    const HexRangeResult found = stop ? HexRangeResult{HexRangeStatus::Stopped, -1, position_, {}}
                                      : SearchRange(*stream, pattern_, position_, end_, limits, check);
    outcome_.error = found.error;
    if (found.status == HexRangeStatus::Found) {
        outcome_.result = found.hit;
        return JobStatus::Done;
    }
    if (found.status == HexRangeStatus::Stopped || stop) {
        outcome_.result = -2;
        return JobStatus::Stopped;
    }
    if (found.status != HexRangeStatus::Failed) return JobStatus::Done;
    outcome_.result = kSearchFailed;
    return JobStatus::Failed;
}
