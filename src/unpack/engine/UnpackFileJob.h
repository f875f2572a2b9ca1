// One listed file unpacked to one target as a background job (the single-file unpack dialog's work): the
// unpack task on a thread of the job's own, its counters read while it runs, its outcome taken at the end.
#pragma once

#include "platform/BackgroundJob.h"
#include "unpack/engine/UnpackTask.h"

class UnpackFileJob final : public BackgroundJob {
public:
    // input.onProgress, when set, is still called (on the job's thread) after each block or chunk written.
    explicit UnpackFileJob(UnpackTaskInput input);
    // A stop request ends the task before its next block and leaves no file under the target's name.
    ~UnpackFileJob() override { StopAndWait(); }

    const UnpackCounters& Counters() const { return counters_; }
    // Waits for the end and gives the outcome.
    UnpackOutcome Result();

private:
    JobStatus Run(const std::atomic<bool>& stop) override;

    UnpackTaskInput input_;
    UnpackCounters counters_;
    UnpackOutcome outcome_;
};
