// The unpack engine's job under the job contract: every entry type unpacked by two workers.
#include "jobs/JobContract.h"
#include "unpack/UnpackTestSupport.h"

namespace {

class UnpackAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() {
        if (!list_) {
            const std::string root = fixture::scratchDir("job-contract-unpack");
            corpus_ = fixture::writeUnpackCorpus(root + "/disc", fixture::everyEntryType());
            list_ = unpacktest::openList(corpus_.listPath);
            output_ = root + "/out";
        }
        std::filesystem::remove_all(output_);
        std::filesystem::create_directories(output_);
        UnpackJobOptions options;
        options.outputFolder = output_;
        options.workers = 2;
        return std::make_unique<UnpackJob>(list_, unpacktest::everyEntry(*list_), std::move(options));
    }
    void CheckEnd(BackgroundJob& job, JobStatus end) {
        const auto& unpack = static_cast<const UnpackJob&>(job);
        bool cut = false;
        for (size_t i = 0; i < unpack.Size(); ++i) {
            const UnpackJobEntry& entry = unpack.Entry(i);
            SCOPED_TRACE(entry.Name());
            const bool exists = std::filesystem::exists(entry.Target());
            EXPECT_EQ(exists, entry.State() == UnpackState::Done);
            if (exists) {
                EXPECT_EQ(fixture::fileHash(entry.Target()), expectedHash(entry.Name()));
            }
            cut |= entry.State() == UnpackState::Cancelled || entry.State() == UnpackState::Queued;
        }
        EXPECT_EQ(cut, end == JobStatus::Stopped);
        CheckFreed();
    }
    void CheckFreed() { EXPECT_TRUE(unpacktest::partFiles(output_).empty()); }

private:
    uint64_t expectedHash(const std::string& name) const {
        for (const fixture::CorpusFile& file : corpus_.files)
            if (file.name == name) return fixture::contentHash(file.content.data(), file.content.size());
        ADD_FAILURE() << "no such entry";
        return 0;
    }
    fixture::Corpus corpus_;
    std::shared_ptr<const UnpackList> list_;
    std::string output_;
};

} // namespace

using UnpackJobs = ::testing::Types<UnpackAdapter>;
INSTANTIATE_TYPED_TEST_SUITE_P(Unpack, JobContract, UnpackJobs);
