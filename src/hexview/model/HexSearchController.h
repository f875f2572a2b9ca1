// Runs the hex grid's searches: the first part of the range at once on the user-interface thread, the
// rest on a worker thread with its own stream; selects the hit in the grid model and reports progress
// and the result through signals.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QObject>
#include <QString>

#include "hexview/model/HexRangeSearch.h"

class HexGridModel;
class HexSearchWorker;

class HexSearchController : public QObject {
    Q_OBJECT
public:
    // Find's result while the worker goes on: the result then comes with searchEnded.
    static constexpr int64_t kSearchRunning = -3;
    // The result of a search a read error ended; LastError() says why.
    static constexpr int64_t kSearchFailed = ::kSearchFailed;
    // Bytes the inline stage searches at most before the worker takes over.
    static constexpr int64_t kInlineBytes = 0x5FFFFF;
    static constexpr std::chrono::milliseconds kInlineTime{50};

    explicit HexSearchController(HexGridModel& model, QObject* parent = nullptr);
    // Stops a running worker and waits for it.
    ~HexSearchController() override;

    // Searches the model's stream from startOffset to endOffset (end excluded, clamped to the stream) for
    // pattern; ignoreCase compares through the display code page's upper-case table. Returns the hit
    // (selected as the found range, the cursor on it), -1 when there is none (an empty pattern, a range
    // shorter than the pattern), -2 while another search runs (nothing else happens), kSearchFailed when
    // a read failed (nothing is selected), or kSearchRunning when the worker was started and has not
    // finished when searchProgress(1) returns: a receiver that waits there (a modal progress dialog, closed
    // on searchProgress(-1)) gets the worker's result here.
    int64_t Find(const QByteArray& pattern, bool ignoreCase, int64_t endOffset, int64_t startOffset);
    // Asks a running worker to stop; it ends with -2.
    void CancelSearch();
    bool Searching() const { return searching_; }
    // The result of the last search that ended, and the reason when a read error ended it.
    int64_t LastResult() const { return lastResult_; }
    const QString& LastError() const { return lastError_; }

    // Tuning for tests and benchmarks: bytes per chunk, the inline stage's byte and time budget.
    void SetChunkSize(int64_t bytes) { chunkSize_ = bytes; }
    void SetInlineBudget(int64_t bytes, std::chrono::milliseconds time);

signals:
    // A search began: the grid shows its "searching" balloon and takes no input until searchEnded.
    void searchStarted();
    // 1 when the worker starts, its percentages while it runs, -1 when it has ended.
    void searchProgress(int percent);
    // The worker's result (hit, -1, -2 or kSearchFailed) with the pattern length, before
    // searchProgress(-1).
    void searchSuccess(qint64 result, int count);
    // Every search that began ends here, last, with its result.
    void searchEnded(qint64 result);

private:
    void onWorkerReported();
    // The grid's stream changed under a running search: the worker is stopped and its result dropped.
    void abandon();
    void finish(int64_t result, const std::string& error = {});

    HexGridModel& model_;
    std::unique_ptr<HexSearchWorker> worker_;
    int workerId_ = 0;
    int patternLength_ = 0;
    int shownPercent_ = 0;
    bool searching_ = false;
    int64_t lastResult_ = -1;
    QString lastError_;
    int64_t chunkSize_ = kSearchChunkSize;
    int64_t inlineBytes_ = kInlineBytes;
    std::chrono::milliseconds inlineTime_ = kInlineTime;
};
