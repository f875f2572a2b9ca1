// Progress and log of a conversion job.
#include "converter/job/ConversionProgress.h"

#include <algorithm>

int ProgressPercent(int64_t position, int64_t maximum) {
    if (maximum <= 0) return 0;
    const int64_t percent = (position * 200 + maximum) / (2 * maximum);
    return int(std::clamp<int64_t>(percent, 0, 100));
}

std::function<void()> ConversionProgress::takeChange() {
    if (!changeCallback_ || !armed_) return {};
    armed_ = false;
    return changeCallback_;
}

void ConversionProgress::AddLog(const std::string& line) {
    std::function<void(const std::string&)> callback;
    std::function<void()> changed;
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        if (lines_.size() > kKeptLines) lines_.pop_front();
        ++total_;
        if (sink_) sink_(line);
        callback = lineCallback_;
        changed = takeChange();
    }
    if (callback) callback(line);
    if (changed) changed();
}

void ConversionProgress::SetProgressLabel(const std::string& text) {
    std::function<void(const std::string&)> callback;
    std::function<void()> changed;
    {
        std::lock_guard lock(mutex_);
        state_.label = text;
        callback = labelCallback_;
        changed = takeChange();
    }
    if (callback) callback(text);
    if (changed) changed();
}

void ConversionProgress::SetProgress1(int64_t position, int64_t maximum) {
    std::function<void()> changed;
    {
        std::lock_guard lock(mutex_);
        const int percent = ProgressPercent(position, maximum);
        if (percent != state_.percent1) changed = takeChange();
        state_.percent1 = percent;
    }
    if (changed) changed();
}

void ConversionProgress::SetProgress2(int64_t position, int64_t maximum) {
    // Set for each block's parcels, often one percent a parcel: without the lock unless someone listens.
    const int percent = ProgressPercent(position, maximum);
    if (percent2_.exchange(percent) == percent || !listened_.load() || !armed_.load()) return;
    std::function<void()> changed;
    {
        std::lock_guard lock(mutex_);
        changed = takeChange();
    }
    if (changed) changed();
}

void ConversionProgress::SetTaskBarProgress(int64_t position, int64_t maximum) {
    std::function<void(int)> callback;
    std::function<void()> changed;
    int percent = 0;
    {
        std::lock_guard lock(mutex_);
        percent = ProgressPercent(position, maximum);
        if (percent != state_.taskBarPercent || state_.taskBarIndeterminate) changed = takeChange();
        state_.taskBarPercent = percent;
        state_.taskBarIndeterminate = false;
        callback = percentCallback_;
    }
    if (callback) callback(percent);
    if (changed) changed();
}

void ConversionProgress::SetTaskBarIndeterminate() {
    std::function<void()> changed;
    {
        std::lock_guard lock(mutex_);
        if (!state_.taskBarIndeterminate) changed = takeChange();
        state_.taskBarIndeterminate = true;
    }
    if (changed) changed();
}

ConversionProgress::Snapshot ConversionProgress::TakeSnapshot() {
    std::lock_guard lock(mutex_);
    // Armed before the parcel bar is read: a change this snapshot misses is heard of.
    armed_ = true;
    Snapshot snapshot = state_;
    snapshot.percent2 = percent2_.load();
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

void ConversionProgress::SetChangeCallback(std::function<void()> callback) {
    std::lock_guard lock(mutex_);
    changeCallback_ = std::move(callback);
    listened_ = bool(changeCallback_);
    armed_ = true;
}

void ConversionProgress::SetPercentCallback(std::function<void(int)> callback) {
    std::lock_guard lock(mutex_);
    percentCallback_ = std::move(callback);
}

void ConversionProgress::SetLabelCallback(std::function<void(const std::string&)> callback) {
    std::lock_guard lock(mutex_);
    labelCallback_ = std::move(callback);
}
