// Helpers of the conversion tests.
#include "support/converter/ConversionTestSupport.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "converter/import/BuildingData.h"
#include "converter/job/ConversionJob.h"
#include "converter/output/BufferedOutputStream.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/map/KiwiMap.h"
#include "support/fixtures/FixtureWriter.h"

namespace convtest {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::vector<uint8_t>> snapshot(const std::string& folder) {
    std::map<std::string, std::vector<uint8_t>> files;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return files;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        files[name] = readFile(folder + "/" + name);
    }
    ::closedir(dir);
    return files;
}

// A city area over the map's coverage (1/8 arc-second, 16 imported units each) and one one-way arrow at its
// middle, as the run holds an arrow it collected.
std::vector<uint8_t> extraLevelData(const std::string& allData) {
    using building_data::Point;
    const TLN_Rect c = TLN_KiwiMap(allData).Coverage();
    std::vector<uint8_t> data;
    const Point corners[5] = {{16 * c.Left, 16 * c.Top},
                              {16 * c.Right, 16 * c.Top},
                              {16 * c.Right, 16 * c.Bottom},
                              {16 * c.Left, 16 * c.Bottom},
                              {16 * c.Left, 16 * c.Top}};
    const Point middle[1] = {{8 * (c.Left + c.Right), 8 * (c.Top + c.Bottom)}};
    const uint8_t bearing[2] = {90, 0};
    building_data::Box box;
    for (const Point& p : corners)
        box.Widen(p);
    building_data::WriteBox(data, box);
    building_data::AppendRecord(data, building_data::kCityArea, corners);
    building_data::AppendRecord(data, building_data::kOneWayArrow, middle, bearing);
    return data;
}

fixture::AllDataPlan crowdedManagementPlan() {
    constexpr int across = 121, down = 60;
    fixture::AllDataPlan plan = detailedLast(fixture::smallAllDataPlan());
    fixture::LevelPlan& low = plan.levels.front();
    low.blocks = {across, down};
    low.sets.resize(2);
    low.sets[0].blocks.resize(size_t(across * down));
    for (size_t b = 4; b < low.sets[0].blocks.size(); ++b)
        low.sets[0].blocks[b].absent = true;
    low.sets[1].absent = true;
    return plan;
}

Folders makeSource(const std::string& name, const fixture::AllDataPlan& plan) {
    const std::string root = fixture::scratchDir("convert-" + name);
    Folders f{root + "/src", root + "/out", {}};
    fixture::writeFile(f.output + "/.keep", {});
    std::remove((f.output + "/.keep").c_str());
    f.allData = fixture::writeAllData(fixture::buildAllData(plan), f.source);
    return f;
}

ConversionResult convert(const std::string& allData, const std::string& outputFolder,
                         ConversionOptions options, OutputOpener opener,
                         const std::string& stopAtLinePrefix) {
    options.outputPath = outputFolder + "/ALLDATA.KWI";
    // A buffer of a few KiB: the hand-over to the writing thread, read-backs and partly filled claims
    // then happen on the small generated maps as they do on a disc's.
    struct SmallBuffer {
        SmallBuffer() { BufferedOutputStream::SetDefaultBudget(4096); }
        ~SmallBuffer() { BufferedOutputStream::SetDefaultBudget(BufferedOutputStream::kDefaultBudget); }
    } smallBuffer;
    auto run = std::make_unique<ConversionRun>(allData, options);
    if (opener) run->SetOutputOpener(opener);
    if (options.addExtraLevel)
        run->SetBuildingData(std::make_shared<const std::vector<uint8_t>>(extraLevelData(allData)));
    ConversionJob job(std::move(run));
    if (!stopAtLinePrefix.empty())
        job.Progress().SetLineCallback([&](const std::string& line) {
            if (line.rfind(stopAtLinePrefix, 0) == 0) job.RequestStop();
        });
    job.Start();
    return job.Result();
}

fixture::AllDataPlan detailedLast(fixture::AllDataPlan plan) {
    plan.levels.back().codeByte = 0;
    return plan;
}

namespace {

class BudgetStream : public TLN_Stream {
public:
    BudgetStream(std::unique_ptr<TLN_Stream> inner, int64_t budget)
        : inner_(std::move(inner)), budget_(budget) {}
    int64_t Size() override { return inner_->Size(); }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        return inner_->ReadAt(position, buffer, count);
    }
    void WriteAt(int64_t position, const void* buffer, int64_t count) override {
        if (written_ + count > budget_)
            throw EWriteError(std::string("Stream write error: ") + std::strerror(ENOSPC));
        written_ += count;
        inner_->WriteAt(position, buffer, count);
    }
    void SetSize(int64_t size) override { inner_->SetSize(size); }
    std::string FileName() const override { return inner_->FileName(); }

private:
    std::unique_ptr<TLN_Stream> inner_;
    int64_t budget_;
    int64_t written_ = 0;
};

} // namespace

std::unique_ptr<TLN_Stream> openWithBudget(const std::string& path, int64_t budget) {
    return std::make_unique<BudgetStream>(TLN_HandleStream::Create(path), budget);
}

} // namespace convtest
