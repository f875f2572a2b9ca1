// The contract every background job keeps, as one typed suite: each job runs it through a small adapter
// that makes the job with its inputs and checks what the job left behind once it ended.
//
// An adapter gives:
//   std::unique_ptr<BackgroundJob> Make();            a fresh job over fresh inputs, not started, whose
//                                                      work takes several steps and reports progress;
//   void CheckEnd(BackgroundJob& job, JobStatus end);  the job's own result agrees with its end, a Done job
//                                                      left its output whole, any other end left nothing
//                                                      under the output's name and no temporary file.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/BackgroundJob.h"

// Counts what a job tells its notifier, on the job's own thread (direct connections), and can stop the job
// from inside its n-th progress report: the hardest moment, in the middle of a step.
class JobWatch {
public:
    JobWatch(BackgroundJob& job, int stopAtReport = -1) : job_(job), stopAt_(stopAtReport) {
        QObject::connect(
            &job.Notifier(), &JobNotifier::progressed, &job.Notifier(), [this] { onProgress(); },
            Qt::DirectConnection);
        QObject::connect(
            &job.Notifier(), &JobNotifier::ended, &job.Notifier(), [this] { ++ends; }, Qt::DirectConnection);
    }
    std::atomic<int> ends{0};
    std::atomic<int> reports{0};
    // Reports that came after the stop request (-1 while no stop was requested here).
    std::atomic<int> reportsAtStop{-1};
    std::mutex mutex;
    std::vector<int> percents;

private:
    void onProgress() {
        const int n = ++reports;
        {
            std::lock_guard lock(mutex);
            percents.push_back(job_.ProgressSnapshot().percent);
        }
        if (n == stopAt_) {
            job_.RequestStop();
            reportsAtStop = n;
        }
    }
    BackgroundJob& job_;
    const int stopAt_;
};

template <class Adapter> class JobContract : public ::testing::Test {
protected:
    Adapter adapter;
};

TYPED_TEST_SUITE_P(JobContract);

TYPED_TEST_P(JobContract, RunsToItsEndReportingOnceWithProgressThatNeverGoesBack) {
    std::unique_ptr<BackgroundJob> job = this->adapter.Make();
    JobWatch watch(*job);
    EXPECT_EQ(job->Status(), JobStatus::Idle);
    job->Start();
    std::vector<int> polled;
    while (!job->Finished())
        polled.push_back(job->ProgressSnapshot().percent);
    job->Wait();
    polled.push_back(job->ProgressSnapshot().percent);
    EXPECT_EQ(job->Status(), JobStatus::Done);
    EXPECT_EQ(job->ProgressSnapshot().percent, 100);
    EXPECT_EQ(watch.ends.load(), 1);
    EXPECT_TRUE(std::is_sorted(polled.begin(), polled.end()));
    EXPECT_TRUE(std::is_sorted(watch.percents.begin(), watch.percents.end()));
    this->adapter.CheckEnd(*job, JobStatus::Done);
    // A stop or a second wait after the end changes nothing and reports nothing more.
    job->RequestStop();
    job->Wait();
    EXPECT_EQ(job->Status(), JobStatus::Done);
    EXPECT_EQ(watch.ends.load(), 1);
}

// A stop at one moment (0: before the start; n: inside the n-th progress report) ends the work and leaves
// nothing half-written.
template <class Adapter> void CheckStopAt(Adapter& adapter, int stopAt) {
    SCOPED_TRACE(stopAt);
    std::unique_ptr<BackgroundJob> job = adapter.Make();
    JobWatch watch(*job, stopAt);
    if (stopAt == 0) job->RequestStop();
    job->Start();
    job->Wait();
    const JobStatus end = job->Status();
    EXPECT_TRUE(end == JobStatus::Stopped || end == JobStatus::Done) << int(end);
    if (stopAt == 0) {
        EXPECT_EQ(end, JobStatus::Stopped);
    }
    if (const int atStop = watch.reportsAtStop.load(); atStop >= 0) {
        // At most the step under way when the stop came is finished: no work after the stop.
        EXPECT_LE(watch.reports.load() - atStop, 1);
        // Done only when that step was the last: what was left is no more than the largest step before.
        int step = watch.percents[0];
        for (int i = 1; i < atStop; ++i)
            step = std::max(step, watch.percents[size_t(i)] - watch.percents[size_t(i - 1)]);
        if (end == JobStatus::Done) {
            EXPECT_LE(100 - watch.percents[size_t(atStop - 1)], step) << "the work went on after the stop";
        }
    }
    EXPECT_EQ(watch.ends.load(), 1);
    EXPECT_TRUE(std::is_sorted(watch.percents.begin(), watch.percents.end()));
    adapter.CheckEnd(*job, end);
    const int reports = watch.reports.load();
    job->Wait();
    EXPECT_EQ(watch.reports.load(), reports);
}

TYPED_TEST_P(JobContract, AStopAtAnyMomentEndsTheWorkAndLeavesNothingHalfWritten) {
    for (int stopAt : {0, 1, 2, 3, 5, 8})
        CheckStopAt(this->adapter, stopAt);
}

TYPED_TEST_P(JobContract, AJobFreedWhileRunningStopsAndLeavesNoTemporaryFile) {
    std::unique_ptr<BackgroundJob> job = this->adapter.Make();
    job->Start();
    job.reset();
    this->adapter.CheckFreed();
}

TYPED_TEST_P(JobContract, AJobNeverStartedReportsNothing) {
    std::unique_ptr<BackgroundJob> job = this->adapter.Make();
    JobWatch watch(*job);
    job->RequestStop();
    job->Wait();
    EXPECT_EQ(job->Status(), JobStatus::Idle);
    EXPECT_EQ(watch.ends.load(), 0);
    EXPECT_EQ(watch.reports.load(), 0);
}

TYPED_TEST_P(JobContract, AWindowHearsTheEndQueuedOnItsOwnThread) {
    std::unique_ptr<BackgroundJob> job = this->adapter.Make();
    QObject window;
    std::vector<std::thread::id> heard; // touched on this thread only
    QObject::connect(&job->Notifier(), &JobNotifier::ended, &window,
                     [&heard] { heard.push_back(std::this_thread::get_id()); });
    job->Start();
    job->Wait();
    EXPECT_TRUE(heard.empty()) << "the end reached the window before its events were processed";
    QCoreApplication::processEvents();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard.front(), std::this_thread::get_id());
    this->adapter.CheckEnd(*job, job->Status());
}

REGISTER_TYPED_TEST_SUITE_P(JobContract, RunsToItsEndReportingOnceWithProgressThatNeverGoesBack,
                            AWindowHearsTheEndQueuedOnItsOwnThread,
                            AStopAtAnyMomentEndsTheWorkAndLeavesNothingHalfWritten,
                            AJobFreedWhileRunningStopsAndLeavesNoTemporaryFile,
                            AJobNeverStartedReportsNothing);
