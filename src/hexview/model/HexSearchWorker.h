// The background stage of a hex search: a thread that opens its own stream on the grid's file and
// searches the rest of the range, announcing progress and its end with a queued signal.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <QObject>

#include "hexview/model/HexRangeSearch.h"
#include "kiwi/io/Stream.h"
#include "platform/BackgroundJob.h"

// A plain thread joined by its owner. The object itself lives on the user-interface thread: the thread
// leaves what it has to say in a mailbox under a mutex and sends reported() (queued, without data), so
// every hand-over is one a thread checker sees.
class HexSearchWorker : public QObject, public BackgroundJob {
    Q_OBJECT
public:
    struct Report {
        // The latest percentage not taken yet, or -1.
        int percent = -1;
        bool done = false;
        // The hit, -1 (not found), -2 (stopped) or kSearchFailed, once done.
        int64_t result = -1;
        // Why a read failed (kSearchFailed).
        std::string error;
    };

    // Searches position .. end of the file behind shown (the grid's stream; the worker reads a stream of
    // its own when one can be opened). Progress is counted over the whole range rangeStart .. end.
    HexSearchWorker(std::shared_ptr<TLN_Stream> shown, HexSearchPattern pattern, int64_t position,
                    int64_t end, int64_t rangeStart, QObject* parent = nullptr);
    // Asks the thread to stop and joins it: a running thread is never freed.
    ~HexSearchWorker() override;

    // Starts the thread (once). A stop request ends the search after the chunk it is reading (result -2).
    void Start() override;
    void Wait() override;
    // What the thread has reported since the last call.
    Report Take();
    // Bytes per chunk (tests use small chunks to place hits on chunk borders).
    void SetChunkSize(int64_t bytes) { chunkSize_ = bytes; }

signals:
    // Sent from the thread when the percentage rose and when the search has ended.
    void reported();

private:
    void run();
    void report(int percent, bool done, int64_t result, const std::string& error = {});

    std::shared_ptr<TLN_Stream> shown_;
    const HexSearchPattern pattern_;
    const int64_t position_;
    const int64_t end_;
    const int64_t rangeStart_;
    int64_t chunkSize_ = kSearchChunkSize;
    std::mutex mutex_;
    Report mailbox_;
    std::thread thread_;
};
