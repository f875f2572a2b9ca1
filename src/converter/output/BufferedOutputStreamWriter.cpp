// The writing thread of a buffered output stream and the one way to its file.
#include "converter/output/BufferedOutputStreamWriter.h"

#include <algorithm>

namespace {

// Write-back is handed over in steps of this many written bytes, that far behind the furthest one.
constexpr int64_t kWriteBehindStep = 8 << 20;
constexpr int64_t kWriteBehindLag = 8 << 20;
// Written storage kept for reuse.
constexpr size_t kKeptStorage = 4;

} // namespace

BufferedOutputStreamWriter::BufferedOutputStreamWriter(std::unique_ptr<TLN_Stream> file, int64_t budget)
    : file_(std::move(file)), budget_(budget) {}

void BufferedOutputStreamWriter::Write(int64_t position, ExtentBytes&& bytes) {
    std::unique_lock lock(mutex_);
    // A few budgets may wait: more would only hold memory while the copy waits for the file anyway.
    changed_.wait(lock, [&] { return queuedBytes_ < 2 * budget_ || failure_; });
    if (failure_) std::rethrow_exception(failure_);
    if (!thread_.joinable()) thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
    queuedBytes_ += int64_t(bytes.size());
    queue_.push_back({position, std::move(bytes)});
    changed_.notify_all();
}

TLN_Stream& BufferedOutputStreamWriter::Settled() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return (queue_.empty() && !writing_) || failure_; });
    if (failure_) std::rethrow_exception(failure_);
    return *file_;
}

void BufferedOutputStreamWriter::Drop() {
    std::unique_lock lock(mutex_);
    queue_.clear();
    queuedBytes_ = 0;
    changed_.wait(lock, [&] { return !writing_; });
}

ExtentBytes BufferedOutputStreamWriter::Storage() {
    ExtentBytes bytes;
    {
        std::lock_guard lock(mutex_);
        if (!writtenStorage_.empty()) {
            bytes = std::move(writtenStorage_.back());
            writtenStorage_.pop_back();
        }
    }
    bytes.reserve(size_t(budget_));
    return bytes;
}

void BufferedOutputStreamWriter::run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    // A stop (the owner goes) leaves what is still queued unwritten.
    while (changed_.wait(lock, stop, [&] { return !queue_.empty(); }) && !stop.stop_requested()) {
        Pending next = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        lock.unlock();
        std::exception_ptr failed;
        try {
            writeOne(next);
        } catch (...) {
            failed = std::current_exception();
        }
        lock.lock();
        writing_ = false;
        // A drop meanwhile counted the queue out already.
        queuedBytes_ = std::max<int64_t>(0, queuedBytes_ - int64_t(next.bytes.size()));
        if (failed && !failure_) {
            // Nothing after a failed write reaches the file: the run fails with this write's reason.
            failure_ = failed;
            queue_.clear();
            queuedBytes_ = 0;
        }
        if (next.bytes.capacity() >= size_t(budget_) && writtenStorage_.size() < kKeptStorage) {
            next.bytes.clear();
            writtenStorage_.push_back(std::move(next.bytes));
        }
        changed_.notify_all();
    }
}

void BufferedOutputStreamWriter::writeOne(Pending& next) {
    file_->WriteAt(next.position, next.bytes.data(), int64_t(next.bytes.size()));
    flushedEnd_ = std::max(flushedEnd_, next.position + int64_t(next.bytes.size()));
    // The bytes well behind the furthest written one are mostly final (a few re-points may come).
    if (writeBehind_ && flushedEnd_ - kWriteBehindLag >= handedOver_ + kWriteBehindStep) {
        const int64_t to = flushedEnd_ - kWriteBehindLag;
        writeBehind_(handedOver_, to);
        handedOver_ = to;
    }
}
