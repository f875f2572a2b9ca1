// The worker thread's loop: own stream, chunked search, a percentage on each change, the result last.
#include "hexview/model/HexSearchWorker.h"

#include <algorithm>

#include "hexview/model/SearchStreamOpener.h"

HexSearchWorker::HexSearchWorker(int id, std::shared_ptr<TLN_Stream> shown, HexSearchPattern pattern,
                                 int64_t position, int64_t end, int64_t rangeStart, QObject* parent)
    : QThread(parent), id_(id), shown_(std::move(shown)), pattern_(std::move(pattern)), position_(position),
      end_(end), rangeStart_(rangeStart) {}

HexSearchWorker::~HexSearchWorker() {
    Cancel();
    wait();
}

void HexSearchWorker::Cancel() {
    cancel_.store(true);
    requestInterruption();
}

void HexSearchWorker::run() {
    const std::shared_ptr<TLN_Stream> stream = OpenSearchStream(shown_);
    const int64_t total = end_ - rangeStart_;
    // The grid reported 1 when the worker started.
    int lastPercent = std::max(1, SearchPercent(position_ - rangeStart_, total));
    HexRangeLimits limits;
    limits.chunkSize = chunkSize_;
    const auto check = [&](int64_t next) {
        if (cancel_.load()) return false;
        const int percent = SearchPercent(next - rangeStart_, total);
        if (percent > lastPercent) {
            lastPercent = percent;
            emit progressed(id_, percent);
        }
        return true;
    };
    const HexRangeResult found = cancel_.load()
                                     ? HexRangeResult{HexRangeStatus::Stopped, -1, position_}
                                     : SearchRange(*stream, pattern_, position_, end_, limits, check);
    int64_t result = -1;
    if (found.status == HexRangeStatus::Found)
        result = found.hit;
    else if (found.status == HexRangeStatus::Stopped || cancel_.load())
        result = -2;
    result_.store(result);
    emit searchDone(id_, result);
}
