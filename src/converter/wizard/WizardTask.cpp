// The wizard's runs on their own threads.
#include "converter/wizard/WizardTask.h"

#include <exception>

WizardTask::~WizardTask() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void WizardTask::Start() {
    if (thread_.joinable() || finished_.load()) return;
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
        finished_.store(true);
    });
}

ConversionResult WizardTask::Wait() {
    if (thread_.joinable()) thread_.join();
    return result_;
}
