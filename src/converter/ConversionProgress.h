// What a conversion job reports while it runs: the latest label, bar positions and task-bar value behind a
// mutex, and every log line. The job writes; the window (or a driver) takes snapshots on its own clock, so
// the worker never waits for the window.
#pragma once

#include <cstdint>
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

    // The current state and the lines not yet taken.
    Snapshot TakeSnapshot();
    // Every line logged so far (for Log.txt).
    std::vector<std::string> AllLines() const;
    // Called on the worker thread with each new line (a driver's echo); must not block for long.
    void SetLineCallback(std::function<void(const std::string&)> callback);

private:
    mutable std::mutex mutex_;
    Snapshot state_;
    std::vector<std::string> lines_;
    size_t taken_ = 0;
    std::function<void(const std::string&)> lineCallback_;
};
