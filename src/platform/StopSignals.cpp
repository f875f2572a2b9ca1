// The headless tools' stop signals.
#include "platform/StopSignals.h"

#include <csignal>
#include <initializer_list>

void CatchStopSignals(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigset_t stops;
    sigemptyset(&stops);
    for (const int stop : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        if (stop == SIGHUP && sigaction(stop, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(stop, &action, nullptr);
        sigaddset(&stops, stop);
    }
    sigprocmask(SIG_UNBLOCK, &stops, nullptr);
}
