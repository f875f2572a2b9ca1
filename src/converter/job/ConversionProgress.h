// What a conversion job reports while it runs: the latest label, bar positions and task-bar value behind a
// mutex, and its log lines. The job writes; the window (or a driver) takes snapshots on its own clock, so
// the worker never waits for the window. Only the last lines stay in memory: a damaged source can log
// without end, so the whole log goes through to its file as it is written.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// MulDiv (position, 100, maximum) limited to 0..100: a maximum of 0 gives 0, not -1.
int ProgressPercent(int64_t position, int64_t maximum);

class ConversionProgress {
public:
    struct Snapshot {
        std::string label;
        int percent1 = 0;
        int percent2 = 0;
        int taskBarPercent = 0;
        bool taskBarIndeterminate = false;
        // Lines logged since the previous TakeSnapshot.
        std::vector<std::string> newLines;
    };

    void AddLog(const std::string& line);
    void SetProgressLabel(const std::string& text);
    void SetProgress1(int64_t position, int64_t maximum);
    void SetProgress2(int64_t position, int64_t maximum);
    void SetTaskBarProgress(int64_t position, int64_t maximum);
    void SetTaskBarIndeterminate();

    // Lines kept in memory: the window shows no more, and a longer log lives only in its file.
    static constexpr size_t kKeptLines = 5000;

    // The current state and the lines not yet taken (at most the kept ones: older ones were dropped).
    Snapshot TakeSnapshot();
    // The kept lines: every line logged so far while there are no more than kKeptLines.
    std::vector<std::string> AllLines() const;
    // Lines logged so far, kept or not.
    uint64_t LineCount() const;
    // Called on the worker thread with each new line (a driver's echo); must not block for long.
    void SetLineCallback(std::function<void(const std::string&)> callback);
    // Called on the worker thread when something the window shows changed, once until the next
    // TakeSnapshot: a window that takes a snapshot on each call hears of every change, and no faster.
    void SetChangeCallback(std::function<void()> callback);
    // Called on the worker thread with each task-bar percentage set (the job's overall progress).
    void SetPercentCallback(std::function<void(int)> callback);
    // Called on the worker thread with each label set (tests follow the stages by it).
    void SetLabelCallback(std::function<void(const std::string&)> callback);
    // From now on every line goes to sink as it is logged, in order; the lines kept so far go first.
    // An empty sink ends the write-through.
    void SetLogSink(std::function<void(const std::string&)> sink);

private:
    // The change callback when it is armed (disarming it); called under the mutex.
    std::function<void()> takeChange();

    mutable std::mutex mutex_;
    Snapshot state_;
    std::deque<std::string> lines_;
    uint64_t total_ = 0;
    uint64_t taken_ = 0;
    std::function<void(const std::string&)> lineCallback_;
    std::function<void(const std::string&)> labelCallback_;
    std::function<void(int)> percentCallback_;
    std::function<void()> changeCallback_;
    // Changed under the mutex; read without it by SetProgress2.
    std::atomic<bool> armed_ = true;
    std::atomic<bool> listened_ = false;
    // The parcel bar's percent (state_.percent2 is not used).
    std::atomic<int> percent2_ = 0;
    std::function<void(const std::string&)> sink_;
};
