#include "ProbeStop.h"

#include <csignal>

#include "platform/BackgroundJob.h"

namespace probe {
namespace {

std::atomic<bool> signalled{false};
std::atomic<BackgroundJob*> watched{nullptr};

void onStopSignal(int) {
    signalled.store(true);
    if (BackgroundJob* job = watched.load()) job->RequestStop();
}

} // namespace

void stopJobOnSignal(BackgroundJob* job) {
    static const bool caught = [] {
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        return true;
    }();
    (void)caught;
    watched.store(job);
    if (job && signalled.load()) job->RequestStop();
}

const std::atomic<bool>& stopSignalled() {
    return signalled;
}

} // namespace probe
