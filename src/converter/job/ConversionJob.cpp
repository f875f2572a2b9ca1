// A conversion run on its own thread.
#include "converter/job/ConversionJob.h"

#include <exception>

#include "kiwi/core/KiwiErrors.h"

ConversionJob::ConversionJob(std::unique_ptr<ConversionRun> run)
    : ConversionJob([shared = std::shared_ptr<ConversionRun>(std::move(run))](ConversionProgress& progress,
                                                                              const std::atomic<bool>& stop) {
          return shared->Execute(progress, stop);
      }) {}

ConversionJob::ConversionJob(ConversionWork work) : work_(std::move(work)) {
    // The overall bar of the run is the task bar's: it goes level by level and never back.
    progress_.SetPercentCallback([this](int percent) { RaisePercent(percent); });
    // A window hears of every change of what it shows, once until it takes the next snapshot.
    progress_.SetChangeCallback([this] { NotifyProgress(); });
}

ConversionResult ConversionJob::Result() {
    Wait();
    return result_;
}

JobStatus ConversionJob::Run(const std::atomic<bool>& stop) {
    try {
        result_ = work_(progress_, stop);
    } catch (const std::exception& e) {
        result_.SetFailure(ConversionStatus::Failed, FailureOf(e));
        progress_.AddLog("ERROR: " + result_.message);
    } catch (...) {
        result_.SetFailure(ConversionStatus::Failed, FailureCode::UnknownFailure);
        progress_.AddLog("ERROR: " + result_.message);
    }
    switch (result_.status) {
    case ConversionStatus::Done:
        return JobStatus::Done;
    case ConversionStatus::Stopped:
        return JobStatus::Stopped;
    default:
        return JobStatus::Failed;
    }
}
