// Progress and log of a conversion job.
#include "converter/ConversionProgress.h"

#include <algorithm>

int ProgressPercent(int64_t position, int64_t maximum) {
    if (maximum <= 0) return 0;
    const int64_t percent = (position * 200 + maximum) / (2 * maximum);
    return int(std::clamp<int64_t>(percent, 0, 100));
}

void ConversionProgress::AddLog(const std::string& line) {
    std::function<void(const std::string&)> callback;
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        if (lines_.size() > kKeptLines) lines_.pop_front();
        ++total_;
        if (sink_) sink_(line);
        callback = lineCallback_;
    }
    if (callback) callback(line);
}

void ConversionProgress::SetProgressLabel(const std::string& text) {
    std::function<void(const std::string&)> callback;
    {
        std::lock_guard lock(mutex_);
        state_.label = text;
        callback = labelCallback_;
    }
    if (callback) callback(text);
}

void ConversionProgress::SetProgress1(int64_t position, int64_t maximum) {
    std::lock_guard lock(mutex_);
    state_.percent1 = ProgressPercent(position, maximum);
}

void ConversionProgress::SetProgress2(int64_t position, int64_t maximum) {
    std::lock_guard lock(mutex_);
    state_.percent2 = ProgressPercent(position, maximum);
}

void ConversionProgress::SetTaskBarProgress(int64_t position, int64_t maximum) {
    std::function<void(int)> callback;
    int percent = 0;
    {
        std::lock_guard lock(mutex_);
        percent = state_.taskBarPercent = ProgressPercent(position, maximum);
        state_.taskBarIndeterminate = false;
        callback = percentCallback_;
    }
    if (callback) callback(percent);
}

void ConversionProgress::SetTaskBarIndeterminate() {
    std::lock_guard lock(mutex_);
    state_.taskBarIndeterminate = true;
}

ConversionProgress::Snapshot ConversionProgress::TakeSnapshot() {
    std::lock_guard lock(mutex_);
    Snapshot snapshot = state_;
    const uint64_t first = total_ - lines_.size();
    const uint64_t from = std::max(taken_, first);
    snapshot.newLines.assign(lines_.begin() + std::ptrdiff_t(from - first), lines_.end());
    taken_ = total_;
    return snapshot;
}

std::vector<std::string> ConversionProgress::AllLines() const {
    std::lock_guard lock(mutex_);
    return {lines_.begin(), lines_.end()};
}

uint64_t ConversionProgress::LineCount() const {
    std::lock_guard lock(mutex_);
    return total_;
}

void ConversionProgress::SetLogSink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
    if (!sink_) return;
    for (const std::string& line : lines_)
        sink_(line);
}

void ConversionProgress::SetLineCallback(std::function<void(const std::string&)> callback) {
    std::lock_guard lock(mutex_);
    lineCallback_ = std::move(callback);
}

void ConversionProgress::SetPercentCallback(std::function<void(int)> callback) {
    std::lock_guard lock(mutex_);
    percentCallback_ = std::move(callback);
}

void ConversionProgress::SetLabelCallback(std::function<void(const std::string&)> callback) {
    std::lock_guard lock(mutex_);
    labelCallback_ = std::move(callback);
}
