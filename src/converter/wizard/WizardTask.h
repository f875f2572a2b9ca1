// One of the wizard's runs (creation or completion) on a thread of its own: stopped cooperatively, its
// progress read by the window's timer, its result taken once it ends. Whatever the work throws becomes a
// failed result with the message, so a failing run never leaves the window waiting.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "converter/ConversionProgress.h"
#include "converter/ConversionRun.h"

using WizardWork = std::function<ConversionResult(ConversionProgress&, const std::atomic<bool>& stop)>;

class WizardTask {
public:
    explicit WizardTask(WizardWork work) : work_(std::move(work)) {}
    // Stops the work if it still runs and joins it.
    ~WizardTask();
    WizardTask(const WizardTask&) = delete;
    WizardTask& operator=(const WizardTask&) = delete;

    void Start();
    void RequestStop() { stop_.store(true); }
    bool StopRequested() const { return stop_.load(); }
    bool Started() const { return thread_.joinable() || finished_.load(); }
    bool Finished() const { return finished_.load(); }
    // Joins the thread and gives the result.
    ConversionResult Wait();
    ConversionProgress& Progress() { return progress_; }

private:
    WizardWork work_;
    ConversionProgress progress_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
    ConversionResult result_;
};
