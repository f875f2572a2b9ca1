// The background stage of a hex search: a thread that opens its own stream on the grid's file and
// searches the rest of the range, reporting progress and its result through queued signals.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include <QThread>

#include "hexview/model/HexRangeSearch.h"
#include "kiwi/io/Stream.h"

class HexSearchWorker : public QThread {
    Q_OBJECT
public:
    // Searches position .. end of the file behind shown (the grid's stream; the worker reads a stream of
    // its own when one can be opened). Progress is counted over the whole range rangeStart .. end.
    HexSearchWorker(int id, std::shared_ptr<TLN_Stream> shown, HexSearchPattern pattern, int64_t position,
                    int64_t end, int64_t rangeStart, QObject* parent = nullptr);
    // Asks the thread to stop and waits for it: a running thread is never freed.
    ~HexSearchWorker() override;

    // Asks the search to stop after the chunk it is reading (result -2).
    void Cancel();
    // The hit, -1 (not found) or -2 (stopped); valid once searchDone was sent.
    int64_t Result() const { return result_.load(); }
    // Bytes per chunk (tests use small chunks to place hits on chunk borders).
    void SetChunkSize(int64_t bytes) { chunkSize_ = bytes; }

signals:
    // Sent from the worker thread; receivers on the user-interface thread get them queued, in order:
    // percentages (only when they change), then searchDone.
    void progressed(int id, int percent);
    void searchDone(int id, qint64 result);

protected:
    void run() override;

private:
    const int id_;
    std::shared_ptr<TLN_Stream> shown_;
    const HexSearchPattern pattern_;
    const int64_t position_;
    const int64_t end_;
    const int64_t rangeStart_;
    int64_t chunkSize_ = kSearchChunkSize;
    std::atomic<bool> cancel_{false};
    std::atomic<int64_t> result_{-1};
};
