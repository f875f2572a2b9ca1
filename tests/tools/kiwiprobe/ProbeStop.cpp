#include "ProbeStop.h"

#include <csignal>
#include <unistd.h>

#include "platform/BackgroundJob.h"
#include "platform/StopSignals.h"

namespace probe {
namespace {

std::atomic<bool> signalled{false};
std::atomic<BackgroundJob*> watched{nullptr};
// The command watches for stops itself (stopJobOnSignal was called).
std::atomic<bool> handled{false};

void onStopSignal(int) {
    // Until the command takes stops in hand it has nothing to clean up: a file it is writing has no name
    // yet (the guarded writer's temporary file), so ending here leaves nothing behind.
    if (!handled.load()) ::_exit(2);
    signalled.store(true);
    if (BackgroundJob* job = watched.load()) job->RequestStop();
}

} // namespace

void catchStopSignals() {
    CatchStopSignals(onStopSignal);
}

void stopJobOnSignal(BackgroundJob* job) {
    watched.store(job);
    handled.store(true);
    if (job && signalled.load()) job->RequestStop();
}

const std::atomic<bool>& stopSignalled() {
    return signalled;
}

} // namespace probe
