// One listed file unpacked to one target as a background job (the single-file unpack dialog's work): the
// unpack task on a thread of the job's own, its counters read while it runs, its outcome taken at the end.
#pragma once

#include <memory>
#include <stop_token>
#include <thread>

#include "platform/BackgroundJob.h"
#include "unpack/engine/UnpackTask.h"

class UnpackFileJob : public BackgroundJob {
public:
    // input.onProgress, when set, is still called (on the job's thread) after each block or chunk written.
    explicit UnpackFileJob(UnpackTaskInput input);
    // Stops a task still going and waits for it.
    ~UnpackFileJob() override;

    void Start() override;
    // The task stops before its next block and leaves no file under the target's name.
    void RequestStop() override;
    void Wait() override;
    const UnpackCounters& Counters() const { return counters_; }
    // Waits for the end and gives the outcome.
    UnpackOutcome Result();

private:
    UnpackTaskInput input_;
    UnpackCounters counters_;
    UnpackOutcome outcome_;
    std::stop_source stop_;
    std::thread thread_;
};
