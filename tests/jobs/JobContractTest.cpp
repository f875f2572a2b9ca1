// The contract's own test: a job that goes on working after a stop fails it.
#include <gtest/gtest-spi.h>

#include "jobs/JobContract.h"

namespace {

// Ten steps of ten percent; once stopped, it works on quietly to the end and says Done.
class CarelessJob final : public BackgroundJob {
public:
    ~CarelessJob() override { StopAndWait(); }

private:
    JobStatus Run(const std::atomic<bool>& stop) override {
        for (int step = 1; step <= 10; ++step)
            if (!stop) RaisePercent(10 * step);
        return JobStatus::Done;
    }
};

struct CarelessAdapter {
    std::unique_ptr<BackgroundJob> Make() { return std::make_unique<CarelessJob>(); }
    void CheckEnd(BackgroundJob&, JobStatus) {}
};

void stopCarelessJobInItsFirstStep() {
    CarelessAdapter adapter;
    CheckStopAt(adapter, 1);
}

} // namespace

TEST(JobContractCheck, FailsAJobThatWorksOnAfterTheStop) {
    EXPECT_NONFATAL_FAILURE(stopCarelessJobInItsFirstStep(), "the work went on after the stop");
}
