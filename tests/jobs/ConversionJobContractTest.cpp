// The converter's job under the job contract: a whole conversion of a generated map with several levels.
#include "converter/job/ConversionJob.h"
#include "jobs/JobContract.h"
#include "support/converter/ConversionTestSupport.h"

namespace {

class ConversionAdapter {
public:
    std::unique_ptr<BackgroundJob> Make() {
        if (source_.empty()) {
            fixture::AllDataPlan plan = fixture::smallAllDataPlan();
            folders_ = convtest::makeSource("job-contract", plan);
            source_ = folders_.allData;
        }
        for (const auto& [name, bytes] : convtest::snapshot(folders_.output))
            std::remove((folders_.output + "/" + name).c_str());
        ConversionOptions options;
        options.outputPath = folders_.output + "/ALLDATA.KWI";
        return std::make_unique<ConversionJob>(std::make_unique<ConversionRun>(source_, options));
    }
    void CheckEnd(BackgroundJob& job, JobStatus end) {
        const ConversionResult result = static_cast<ConversionJob&>(job).Result();
        EXPECT_EQ(result.status, end == JobStatus::Done ? ConversionStatus::Done : ConversionStatus::Stopped)
            << result.message;
        const auto files = convtest::snapshot(folders_.output);
        EXPECT_EQ(files.count("ALLDATA.KWI"), end == JobStatus::Done ? 1u : 0u);
        if (end == JobStatus::Done) {
            EXPECT_EQ(files.at("ALLDATA.KWI").size(), size_t(result.outputSize));
        }
        checkNoTemporary(files);
    }
    void CheckFreed() { checkNoTemporary(convtest::snapshot(folders_.output)); }

private:
    static void checkNoTemporary(const std::map<std::string, std::vector<uint8_t>>& files) {
        for (const auto& [name, bytes] : files)
            EXPECT_TRUE(name == "ALLDATA.KWI" || name == "Log.txt") << name;
    }
    convtest::Folders folders_;
    std::string source_;
};

} // namespace

using ConversionJobs = ::testing::Types<ConversionAdapter>;
INSTANTIATE_TYPED_TEST_SUITE_P(Converter, JobContract, ConversionJobs);
