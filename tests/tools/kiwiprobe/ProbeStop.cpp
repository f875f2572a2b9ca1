#include "ProbeStop.h"

#include <csignal>
#include <unistd.h>

#include "platform/BackgroundJob.h"

namespace probe {
namespace {

std::atomic<bool> signalled{false};
std::atomic<BackgroundJob*> watched{nullptr};

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
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigset_t stops;
    sigemptyset(&stops);
    for (const int stop : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        // A hangup ignored by whoever started the probe (nohup) stays ignored. (A shell starts background
        // commands with SIGINT ignored; that one is still a stop, as before.)
        if (stop == SIGHUP && sigaction(stop, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(stop, &action, nullptr);
        sigaddset(&stops, stop);
    }
    // One that arrived while blocked is taken now: the command then stops before it writes anything.
    sigprocmask(SIG_UNBLOCK, &stops, nullptr);
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
