// A conversion run, or one of the wizard's runs (creation, completion, dictionary work), on a thread of its
// own: started once, stopped cooperatively, its progress read from any thread while it runs, its result
// taken when it ends. Whatever the work throws becomes a failed result with the message, so a failing run
// never leaves its owner waiting.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "converter/job/ConversionProgress.h"
#include "converter/job/ConversionRun.h"
#include "platform/BackgroundJob.h"

using ConversionWork = std::function<ConversionResult(ConversionProgress&, const std::atomic<bool>& stop)>;

class ConversionJob final : public BackgroundJob {
public:
    // The run notices a stop request before its next parcel, copy chunk or adjacency entry.
    explicit ConversionJob(std::unique_ptr<ConversionRun> run);
    explicit ConversionJob(ConversionWork work);
    ~ConversionJob() override { StopAndWait(); }

    // Waits for the run's end and gives its result.
    ConversionResult Result();
    ConversionProgress& Progress() { return progress_; }

private:
    JobStatus Run(const std::atomic<bool>& stop) override;

    ConversionWork work_;
    ConversionProgress progress_;
    ConversionResult result_;
};
