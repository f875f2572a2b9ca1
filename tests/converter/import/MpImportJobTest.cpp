// The import job on its thread: files in order with the loaded flag and box handed back, a stop taking
// back only the file in progress, compiled loads refused without touching the buffer, and the mailbox
// signalled once until it is emptied.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <atomic>
#include <fstream>

#include "converter/import/LmpFile.h"
#include "converter/import/MpImportJob.h"
#include "support/converter/MpGenerator.h"

using namespace mp_import;

namespace {

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

const char* kBuilding =
    "[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\n[END]\n";

std::vector<MemoEvent> drain(MpImportJob& job) {
    std::vector<MemoEvent> events;
    while (true) {
        MpImportJob::Progress p = job.TakeProgress();
        events.insert(events.end(), p.events.begin(), p.events.end());
        if (job.Finished() && p.events.empty()) break;
    }
    return events;
}

} // namespace

TEST(MpImportJob, PathsAreChosenByExtension) {
    EXPECT_EQ(ChooseImportPath({"a.mp", "b.LMP"}), ImportPath::Refused);
    EXPECT_EQ(ChooseImportPath({"/x/b.Lmp"}), ImportPath::Compiled);
    EXPECT_EQ(ChooseImportPath({"a.mp", "b.txt"}), ImportPath::Polish);
    EXPECT_TRUE(IsPolishFile("/maps/A.MP"));
    EXPECT_FALSE(IsPolishFile("/maps.mp/readme"));
}

TEST(MpImportJob, FilesAreImportedInOrderAndOthersPassedOver) {
    QTemporaryDir dir;
    const std::string a = dir.filePath("a.mp").toStdString();
    const std::string none = dir.filePath("none.mp").toStdString();
    writeText(a, kBuilding);
    writeText(none, "[POLYLINE]\nType=0x1\n[END]\n");
    writeText(dir.filePath("c.txt").toStdString(), kBuilding);
    ImportRequest request;
    request.paths = {a, dir.filePath("c.txt").toStdString(), none};
    MpImportJob job(std::move(request));
    std::atomic<int> signalled{0}; // counted on the worker thread (no receiver context)
    QObject::connect(&job.Notifier(), &JobNotifier::progressed, [&] { ++signalled; });
    job.Start();
    ImportOutcome outcome = job.Result();
    EXPECT_GE(signalled.load(), 1);
    EXPECT_TRUE(outcome.loaded);
    EXPECT_TRUE(outcome.anyRecords);
    EXPECT_FALSE(outcome.stopped);
    ASSERT_EQ(outcome.files.size(), 2u);
    EXPECT_EQ(outcome.files[0].records, 1);
    EXPECT_EQ(outcome.files[1].records, 0);
    EXPECT_EQ(outcome.data.size(), 16u + 28u);
    EXPECT_EQ(outcome.box, building_data::ReadBox(outcome.data));
    const std::vector<MemoEvent> events = drain(job);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().text, "Вы можете одновременно добавить ещё несколько файлов с картами.");
}

TEST(MpImportJob, AStopTakesBackTheFileInProgressOnly) {
    QTemporaryDir dir;
    const std::string first = dir.filePath("first.mp").toStdString();
    const std::string big = dir.filePath("big.mp").toStdString();
    writeText(first, kBuilding);
    mpgen::Plan plan;
    plan.targetBytes = 60u << 20;
    plan.buildExpected = false;
    mpgen::GenerateFile(plan, big);

    ImportRequest request;
    request.paths = {first, big};
    MpImportJob job(std::move(request));
    job.Start();
    // Stop once the big file is under way (its percent moves), or at once if it is already done.
    while (!job.Finished()) {
        const MpImportJob::Progress p = job.TakeProgress();
        bool bigStarted = false;
        for (const MemoEvent& e : p.events)
            bigStarted |= e.text == "Импорт данных из файла big.mp";
        if (bigStarted) break;
    }
    job.RequestStop();
    ImportOutcome outcome = job.Result();
    ASSERT_TRUE(outcome.stopped || outcome.files.size() == 2u);
    if (outcome.stopped) {
        EXPECT_EQ(outcome.files.size(), 1u);
        EXPECT_EQ(outcome.data.size(), 16u + 28u) << "the first file's record stays, the big file's go";
        EXPECT_TRUE(outcome.loaded);
    }
}

TEST(MpImportJob, ARefusedCompiledFileLeavesTheBufferAndAGoodOneIsAppendedWithTheUnionBox) {
    QTemporaryDir dir;
    std::vector<uint8_t> data;
    MpImporter importer(data, {});
    importer.ImportText(kBuilding, "a.mp", true);
    const std::string bad = dir.filePath("bad.lmp").toStdString();
    writeText(bad, "not compiled data at all");

    ImportRequest request;
    request.source = ImportRequest::Source::CompiledAppend;
    request.paths = {bad};
    request.loaded = true;
    request.data = data;
    MpImportJob refused(std::move(request));
    refused.Start();
    ImportOutcome outcome = refused.Result();
    EXPECT_TRUE(outcome.error);
    EXPECT_EQ(outcome.data, data);

    std::vector<uint8_t> far;
    MpImporter other(far, {});
    other.ImportText("[POLYGON]\nType=0x13\nData0=(56,38),(56,38.1),(56.1,38.1)\n[END]\n", "b.mp", true);
    const std::string good = dir.filePath("far.lmp").toStdString();
    building_data::SaveLmp(good, far);
    ImportRequest append;
    append.source = ImportRequest::Source::CompiledAppend;
    append.paths = {good};
    append.loaded = false;
    append.data = data;
    MpImportJob appending(std::move(append));
    appending.Start();
    outcome = appending.Result();
    EXPECT_FALSE(outcome.error);
    EXPECT_TRUE(outcome.loaded) << "appending records makes the data loaded";
    EXPECT_TRUE(outcome.anyRecords);
    building_data::Box both = building_data::ReadBox(data);
    both.Widen(building_data::ReadBox(far));
    EXPECT_EQ(outcome.box, both);
    EXPECT_EQ(outcome.data.size(), data.size() + far.size() - 16);
}
