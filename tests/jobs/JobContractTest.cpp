// The contract's own test: a job that keeps it passes, and one that goes on working after a stop fails.
#include <gtest/gtest-spi.h>

#include "jobs/JobContract.h"

namespace {

// Ten steps of ten percent. A careless one, once stopped, works on quietly to the end and says Done.
class StepJob final : public BackgroundJob {
public:
    explicit StepJob(bool careless) : careless_(careless) {}
    ~StepJob() override { StopAndWait(); }

private:
    JobStatus Run(const std::atomic<bool>& stop) override {
        for (int step = 1; step <= 10; ++step) {
            if (stop && !careless_) return JobStatus::Stopped;
            if (!stop) RaisePercent(10 * step);
        }
        return JobStatus::Done;
    }
    const bool careless_;
};

template <bool careless> class StepAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() { return std::make_unique<StepJob>(careless); }
    void CheckEnd(BackgroundJob&, JobStatus) {}
    void CheckFreed() {}
};

void stopCarelessJobInItsFirstStep() {
    StepAdapter<true> adapter;
    CheckStopAt(adapter, 1);
}

} // namespace

using StepJobs = ::testing::Types<StepAdapter<false>>;
INSTANTIATE_TYPED_TEST_SUITE_P(Steps, JobContract, StepJobs);

TEST(JobContractCheck, FailsAJobThatWorksOnAfterTheStop) {
    EXPECT_NONFATAL_FAILURE(stopCarelessJobInItsFirstStep(), "the work went on after the stop");
}
