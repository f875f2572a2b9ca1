// A conversion run on its own thread.
#include "converter/ConversionJob.h"

ConversionJob::ConversionJob(std::unique_ptr<ConversionRun> run) : run_(std::move(run)) {}

ConversionJob::~ConversionJob() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void ConversionJob::Start() {
    if (thread_.joinable()) return;
    thread_ = std::thread([this] {
        try {
            result_ = run_->Execute(progress_, stop_);
        } catch (const std::exception& e) {
            result_.status = ConversionStatus::Failed;
            result_.message = e.what();
        }
        finished_.store(true);
    });
}

ConversionResult ConversionJob::Wait() {
    if (thread_.joinable()) thread_.join();
    return result_;
}
