// Ctrl+C, a kill and a closed terminal (SIGINT, SIGTERM, SIGHUP) end a command with exit 2 and nothing
// half-written left: at once while it writes only through the guarded writer, whose temporary file has no
// name to leave; as the running job's own stop request once the command watches one.
#pragma once

#include <atomic>

class BackgroundJob;

namespace probe {

// From here on a stop signal ends the process (exit 2) until stopJobOnSignal() is first called. The handler
// only touches lock-free atomics.
void catchStopSignals();
// From the first call on, a stop signal sets stopSignalled() and asks job to stop; null watches no job.
// A signal that came before the job was given stops it at once.
void stopJobOnSignal(BackgroundJob* job);
const std::atomic<bool>& stopSignalled();

} // namespace probe
