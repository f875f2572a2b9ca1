// A conversion run on a thread of its own: started once, stopped cooperatively, its progress read from
// any thread while it runs, its result taken when it ends.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "converter/ConversionRun.h"

class ConversionJob {
public:
    explicit ConversionJob(std::unique_ptr<ConversionRun> run);
    // Stops a run still going and waits for it.
    ~ConversionJob();
    ConversionJob(const ConversionJob&) = delete;
    ConversionJob& operator=(const ConversionJob&) = delete;

    void Start();
    // The run notices the request before its next parcel, copy chunk or adjacency entry.
    void RequestStop() { stop_.store(true); }
    bool Finished() const { return finished_.load(); }
    // Waits for the run's end and gives its result.
    ConversionResult Wait();
    ConversionProgress& Progress() { return progress_; }

private:
    std::unique_ptr<ConversionRun> run_;
    ConversionProgress progress_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
    ConversionResult result_;
};
