// The one contract of the program's background jobs: started once, stopped on request (the work ends at
// its next step and leaves nothing half-written), its progress read at any time from any thread and never
// going back, its end reported once, and waited for by its owner before it is freed.
#pragma once

#include <atomic>

#include "platform/JobNotifier.h"

enum class JobStatus {
    Idle,    // not started
    Running, // started, not ended
    Done,    // finished its work
    Stopped, // ended early on a stop request
    Failed,  // ended on an error; the job's own result says why
};

struct JobProgress {
    // 0..100; never lower than in an earlier snapshot of the same job.
    int percent = 0;
    JobStatus status = JobStatus::Idle;
    bool stopRequested = false;
};

class BackgroundJob {
public:
    BackgroundJob() = default;
    virtual ~BackgroundJob() = default;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts the work on its own thread (once; later calls do nothing).
    virtual void Start() = 0;
    // Asks the work to end at its next step; harmless before the start and after the end.
    virtual void RequestStop();
    // Returns once the work has ended and its thread is joined (at once when it never started).
    virtual void Wait() = 0;

    JobProgress ProgressSnapshot() const;
    // The job's end as far as it is known (Idle or Running before it).
    JobStatus Status() const { return status_.load(std::memory_order_acquire); }
    bool Started() const { return Status() != JobStatus::Idle; }
    bool Finished() const;
    bool StopRequested() const { return stopRequested_.load(std::memory_order_acquire); }
    // Signals for windows: connect from the window's thread so that they arrive queued.
    JobNotifier& Notifier() { return notifier_; }

protected:
    // Called by the job on its start, on its thread(s) as the work goes on, and once at its end.
    void MarkRunning();
    // Raises the percentage (a lower value is ignored) and tells the notifier when it rose.
    void RaisePercent(int percent);
    // Sends progressed() for news other than the percentage (the job's own report changed).
    void NotifyProgress() { emit notifier_.progressed(); }
    // The stop request as a flag for code that polls one (a render between parcels).
    const std::atomic<bool>& StopFlag() const { return stopRequested_; }
    // Records the end and sends ended() (only the first call counts).
    void Finish(JobStatus status);

private:
    std::atomic<int> percent_{0};
    std::atomic<JobStatus> status_{JobStatus::Idle};
    std::atomic<bool> stopRequested_{false};
    JobNotifier notifier_;
};
