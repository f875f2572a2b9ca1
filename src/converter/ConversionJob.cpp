// A conversion run on its own thread.
#include "converter/ConversionJob.h"

#include <exception>

ConversionJob::ConversionJob(std::unique_ptr<ConversionRun> run) {
    std::shared_ptr<ConversionRun> shared(std::move(run));
    work_ = [shared](ConversionProgress& progress, const std::atomic<bool>& stop) {
        return shared->Execute(progress, stop);
    };
}

ConversionJob::ConversionJob(ConversionWork work) : work_(std::move(work)) {}

ConversionJob::~ConversionJob() {
    RequestStop();
    Wait();
}

void ConversionJob::RequestStop() {
    BackgroundJob::RequestStop();
    stop_.store(true);
}

void ConversionJob::Start() {
    if (Started()) return;
    MarkRunning();
    // The overall bar of the run is the task bar's: it goes level by level and never back.
    progress_.SetPercentCallback([this](int percent) { RaisePercent(percent); });
    // A window hears of every change of what it shows, once until it takes the next snapshot.
    progress_.SetChangeCallback([this] { NotifyProgress(); });
    thread_ = std::thread([this] {
        try {
            result_ = work_(progress_, stop_);
        } catch (const std::exception& e) {
            progress_.AddLog(std::string("ERROR: ") + e.what());
            result_.status = ConversionStatus::Failed;
            result_.message = e.what();
        } catch (...) {
            progress_.AddLog("ERROR: unknown failure");
            result_.status = ConversionStatus::Failed;
            result_.message = "unknown failure";
        }
        switch (result_.status) {
        case ConversionStatus::Done:
            Finish(JobStatus::Done);
            break;
        case ConversionStatus::Stopped:
            Finish(JobStatus::Stopped);
            break;
        case ConversionStatus::Failed:
        case ConversionStatus::Refused:
            Finish(JobStatus::Failed);
            break;
        }
    });
}

void ConversionJob::Wait() {
    if (thread_.joinable()) thread_.join();
}

ConversionResult ConversionJob::Result() {
    Wait();
    return result_;
}
