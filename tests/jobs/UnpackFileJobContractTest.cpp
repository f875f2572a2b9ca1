// One listed file unpacked to one target (the single-file dialog's job) under the job contract.
#include <filesystem>

#include "jobs/JobContract.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/UnpackCorpus.h"
#include "unpack/engine/UnpackFileJob.h"

namespace {

class UnpackFileAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() {
        if (content_.empty()) {
            root_ = fixture::scratchDir("job-contract-unpack-file");
            content_ = fixture::mapLikeContent(8 * 65536 - 100, 3);
            fixture::writeUnpackCorpus(root_ + "/disc", {{"DATA/MAP.KWI", 2, content_, false, {}}});
        }
        std::filesystem::remove_all(root_ + "/out");
        std::filesystem::create_directories(root_ + "/out");
        UnpackTaskInput input;
        input.listedType = 2;
        const std::string source = root_ + "/disc/DATA/MAP.KWI";
        input.openStream = [source] {
            return std::shared_ptr<TLN_DecompFileStream>(TLN_DecompFileStream::Create(source));
        };
        input.openOutput = [out = root_ + "/out"] { return tempFileOutputs(false)(out, "MAP.KWI.unpack"); };
        return std::make_unique<UnpackFileJob>(std::move(input));
    }
    void CheckEnd(BackgroundJob& job, JobStatus end) {
        const UnpackOutcome outcome = static_cast<UnpackFileJob&>(job).Result();
        EXPECT_EQ(outcome.state, end == JobStatus::Done ? UnpackState::Done : UnpackState::Cancelled)
            << outcome.reason;
        const std::string target = root_ + "/out/MAP.KWI.unpack";
        EXPECT_EQ(std::filesystem::exists(target), end == JobStatus::Done);
        if (end == JobStatus::Done) {
            EXPECT_EQ(fixture::readFile(target), content_);
        }
        CheckFreed();
    }
    void CheckFreed() {
        for (const auto& entry : std::filesystem::directory_iterator(root_ + "/out"))
            EXPECT_EQ(entry.path().filename(), "MAP.KWI.unpack");
    }

private:
    std::string root_;
    std::vector<uint8_t> content_;
};

} // namespace

using UnpackFileJobs = ::testing::Types<UnpackFileAdapter>;
INSTANTIATE_TYPED_TEST_SUITE_P(UnpackFile, JobContract, UnpackFileJobs);
