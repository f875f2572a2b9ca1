// Ctrl+C and a kill (SIGINT, SIGTERM) become the running job's own stop request, so that the job removes
// its temporary files and the command exits 2 instead of dying half-way through a file.
#pragma once

#include <atomic>

class BackgroundJob;

namespace probe {

// From the first call on, a stop signal sets stopSignalled() and asks job to stop; null watches no job.
// A signal that came before the job was given stops it at once. The handler only touches lock-free
// atomics.
void stopJobOnSignal(BackgroundJob* job);
const std::atomic<bool>& stopSignalled();

} // namespace probe
