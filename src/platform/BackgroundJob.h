// The one contract of the program's background jobs: started once, stopped on request (the work ends at
// its next step and leaves nothing half-written), its progress read at any time from any thread and never
// going back, its end reported once, and waited for by its owner before it is freed.
//
// The base owns the thread: a job writes only Run(stop), its work, and keeps its result under Result().
// Members of a derived class die before the base's destructor runs, so the base cannot join a thread that
// still uses them: every concrete job is final and its destructor calls StopAndWait() first
// (scripts/check-jobs fails a job that does not).
#pragma once

#include <atomic>
#include <thread>

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
    // A thread still joinable here means a job's destructor forgot StopAndWait(): std::thread ends the
    // program at once rather than let the work run on in freed members.
    virtual ~BackgroundJob() = default;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts the work on its own thread (once; later calls do nothing).
    void Start();
    // Does the work on the calling thread instead (once): a render thread's loop runs its jobs this way.
    void RunHere();
    // Asks the work to end at its next step; harmless before the start and after the end.
    void RequestStop() { stopRequested_.store(true, std::memory_order_release); }
    // Returns once the work has ended and its thread is joined (at once when it never started).
    void Wait();

    JobProgress ProgressSnapshot() const;
    // The job's end as far as it is known (Idle or Running before it).
    JobStatus Status() const { return status_.load(std::memory_order_acquire); }
    bool Started() const { return Status() != JobStatus::Idle; }
    bool Finished() const;
    bool StopRequested() const { return stopRequested_.load(std::memory_order_acquire); }
    // Signals for windows: connect from the window's thread so that they arrive queued.
    JobNotifier& Notifier() { return notifier_; }

protected:
    // The work, on the job's thread: it tests stop between its steps and returns how it ended.
    virtual JobStatus Run(const std::atomic<bool>& stop) = 0;
    // The first line of every concrete job's destructor.
    void StopAndWait() {
        RequestStop();
        Wait();
    }
    // Raises the percentage (a lower value is ignored) and tells the notifier when it rose.
    void RaisePercent(int percent);
    // Sends progressed() for news other than the percentage (the job's own report changed).
    void NotifyProgress() { emit notifier_.progressed(); }
    // Records the end and sends ended() (only the first call counts): a job that must be seen ended before
    // it says more calls it itself; the value Run returns comes too late to count then.
    void Finish(JobStatus status);

private:
    bool markRunning();

    std::atomic<int> percent_{0};
    std::atomic<JobStatus> status_{JobStatus::Idle};
    std::atomic<bool> stopRequested_{false};
    JobNotifier notifier_;
    std::thread thread_;
};
