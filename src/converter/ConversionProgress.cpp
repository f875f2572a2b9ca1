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
        callback = lineCallback_;
    }
    if (callback) callback(line);
}

void ConversionProgress::SetProgressLabel(const std::string& text) {
    std::lock_guard lock(mutex_);
    state_.label = text;
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
    std::lock_guard lock(mutex_);
    state_.taskBarPercent = ProgressPercent(position, maximum);
    state_.taskBarIndeterminate = false;
}

void ConversionProgress::SetTaskBarIndeterminate() {
    std::lock_guard lock(mutex_);
    state_.taskBarIndeterminate = true;
}

ConversionProgress::Snapshot ConversionProgress::TakeSnapshot() {
    std::lock_guard lock(mutex_);
    Snapshot snapshot = state_;
    snapshot.newLines.assign(lines_.begin() + std::ptrdiff_t(taken_), lines_.end());
    taken_ = lines_.size();
    return snapshot;
}

std::vector<std::string> ConversionProgress::AllLines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void ConversionProgress::SetLineCallback(std::function<void(const std::string&)> callback) {
    std::lock_guard lock(mutex_);
    lineCallback_ = std::move(callback);
}
