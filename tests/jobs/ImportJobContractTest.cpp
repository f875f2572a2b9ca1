// The building import under the job contract: four generated Polish-format files read in small pieces.
// Its output is the buffer it hands back: a stop keeps the files before the one under way, whole.
#include <filesystem>

#include "converter/import/MpImportJob.h"
#include "jobs/JobContract.h"
#include "support/converter/MpGenerator.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

class ImportAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() {
        if (paths_.empty()) {
            const std::string root = fixture::scratchDir("job-contract-import");
            for (uint32_t seed = 1; seed <= 4; ++seed) {
                mpgen::Plan plan;
                plan.seed = seed;
                plan.objects = 60;
                plan.originY += seed * 64;
                paths_.push_back(root + "/part" + std::to_string(seed) + ".mp");
                mpgen::GenerateFile(plan, paths_.back());
            }
            // The buffer after each whole number of files, from imports that were not stopped.
            for (size_t count = 0; count <= paths_.size(); ++count) {
                mp_import::MpImportJob job(request({paths_.begin(), paths_.begin() + long(count)}));
                job.Start();
                afterFiles_.push_back(job.Result().data);
            }
        }
        return std::make_unique<mp_import::MpImportJob>(request(paths_));
    }
    void CheckEnd(BackgroundJob& job, JobStatus end) {
        const mp_import::ImportOutcome outcome = static_cast<mp_import::MpImportJob&>(job).Result();
        EXPECT_EQ(outcome.stopped, end == JobStatus::Stopped);
        EXPECT_FALSE(outcome.error) << outcome.error;
        ASSERT_LE(outcome.files.size(), paths_.size());
        if (end == JobStatus::Done) {
            EXPECT_EQ(outcome.files.size(), paths_.size());
        }
        EXPECT_EQ(outcome.data, afterFiles_[outcome.files.size()]);
    }
    void CheckFreed() {}

private:
    static mp_import::ImportRequest request(std::vector<std::string> paths) {
        mp_import::ImportRequest r;
        r.paths = std::move(paths);
        r.settings.readBufferSize = 2048;
        return r;
    }
    std::vector<std::string> paths_;
    std::vector<std::vector<uint8_t>> afterFiles_;
};

} // namespace

using ImportJobs = ::testing::Types<ImportAdapter>;
INSTANTIATE_TYPED_TEST_SUITE_P(Import, JobContract, ImportJobs);
