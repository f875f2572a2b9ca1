// One file of a mounted image extracted to disk (the ISO tab's job) under the job contract.
#include <filesystem>

#include <QString>

#include "jobs/JobContract.h"
#include "kiwi/iso/ISOImage.h"
#include "mainwindow/model/IsoExtraction.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoWriter.h"

namespace {

using fixture::IsoWriter;

class IsoExtractionAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() {
        if (!image_) {
            root_ = fixture::scratchDir("job-contract-iso-extraction");
            // Ten chunks of the job, the last one short: ten reports to stop in.
            content_ = fixture::patternBytes(10 * (1 << 20) - 1000, 5);
            const uint32_t dataSectors =
                uint32_t((content_.size() + IsoWriter::SectorSize - 1) / IsoWriter::SectorSize);
            const std::vector<IsoWriter::Record> records{{"MAP.KWI;1", 20, uint32_t(content_.size())}};
            IsoWriter iso(20 + dataSectors);
            const uint32_t length = IsoWriter::directoryLength(records);
            iso.primary(16, 18, length);
            iso.terminator(17);
            iso.directory(18, 18, length, records);
            iso.data(20, content_);
            fixture::writeFile(root_ + "/disc.iso", iso.bytes());
            image_ = std::make_shared<TISOImage>(root_ + "/disc.iso");
            EXPECT_TRUE(image_->OpenImage());
        }
        std::filesystem::remove_all(root_ + "/out");
        std::filesystem::create_directories(root_ + "/out");
        return std::make_unique<IsoExtraction>(image_, image_->Tree()->Root()->GetFile(0),
                                               QString::fromStdString(target()));
    }
    void CheckEnd(BackgroundJob& job, JobStatus end) {
        auto& extraction = static_cast<IsoExtraction&>(job);
        const IsoExtraction::Outcome outcome = extraction.Result();
        EXPECT_EQ(outcome.state,
                  end == JobStatus::Done ? IsoExtraction::State::Done : IsoExtraction::State::Stopped)
            << outcome.error.toStdString();
        EXPECT_EQ(outcome.written, extraction.Written());
        EXPECT_EQ(std::filesystem::exists(target()), end == JobStatus::Done);
        if (end == JobStatus::Done) {
            EXPECT_EQ(fixture::readFile(target()), content_);
        }
        CheckFreed();
    }
    void CheckFreed() {
        for (const auto& entry : std::filesystem::directory_iterator(root_ + "/out"))
            EXPECT_EQ(entry.path().filename(), "MAP.KWI");
    }

private:
    std::string target() const { return root_ + "/out/MAP.KWI"; }
    std::string root_;
    std::vector<uint8_t> content_;
    std::shared_ptr<TISOImage> image_;
};

} // namespace

using IsoExtractionJobs = ::testing::Types<IsoExtractionAdapter>;
INSTANTIATE_TYPED_TEST_SUITE_P(IsoExtraction, JobContract, IsoExtractionJobs);
