// The unpack job end to end: every entry type unpacked byte-exact on 1 to 16 workers from a folder and
// from inside an xorriso image, chunked copies, largest-first order, cancelling and a failing disk.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "UnpackTestSupport.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/iso/ISOImage.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/IsoFixture.h"

using namespace unpacktest;

namespace {

void expectEveryFileUnpacked(const UnpackJob& job, const fixture::Corpus& corpus, const std::string& out,
                             const std::string& extension = "") {
    for (const fixture::CorpusFile& file : corpus.files) {
        const UnpackJobEntry* entry = entryNamed(job, file.name);
        ASSERT_NE(entry, nullptr) << file.name;
        if (file.dataPath == "-") {
            // Listed without a data file of its own.
            EXPECT_EQ(entry->State(), UnpackState::NotFound) << file.name;
            continue;
        }
        EXPECT_EQ(entry->State(), UnpackState::Done) << file.name << ": " << entry->Reason();
        EXPECT_EQ(entry->Counters().bytesWritten.load(), int64_t(file.content.size())) << file.name;
        EXPECT_EQ(entry->Percent(), 100) << file.name;
        EXPECT_EQ(fixture::readFile(out + "/" + file.name + extension), file.content) << file.name;
        EXPECT_FALSE(TempFileOutput::IsOwnPart(out + "/" + file.name + extension)) << file.name;
    }
    EXPECT_TRUE(partFiles(out).empty());
}

class EveryEntryType : public ::testing::TestWithParam<int> {};

TEST_P(EveryEntryType, IsUnpackedByteExactFromAFolder) {
    const std::string dir = fixture::scratchDir("unpack-types-" + std::to_string(GetParam()));
    const auto corpus = fixture::writeUnpackCorpus(dir + "/disc", fixture::everyEntryType());
    const auto list = openList(corpus.listPath);
    ASSERT_NE(list, nullptr);
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    options.workers = GetParam();
    std::filesystem::create_directories(options.outputFolder);
    std::atomic<int> ends{0};
    options.onEntryEnded = [&] { ends.fetch_add(1); };
    const auto job = runJob(list, options);
    EXPECT_TRUE(job->Finished());
    EXPECT_EQ(job->LiveWorkers(), 0);
    EXPECT_EQ(job->WorkerCount(), std::min<int>(GetParam(), int(corpus.files.size())));
    // Each entry's end and each worker's end are reported.
    EXPECT_EQ(ends.load(), int(corpus.files.size()) + job->WorkerCount());
    EXPECT_FALSE(job->UsesImageLock());
    EXPECT_EQ(job->BlocksDone(), job->TotalBlocks());
    expectEveryFileUnpacked(*job, corpus, options.outputFolder);
}

INSTANTIATE_TEST_SUITE_P(Workers, EveryEntryType, ::testing::Values(1, 2, 4, 16));

TEST(UnpackJob, AddsTheExtensionWhenAsked) {
    const std::string dir = fixture::scratchDir("unpack-extension");
    const auto corpus = fixture::writeUnpackCorpus(dir + "/disc", fixture::everyEntryType(11));
    UnpackJobOptions options;
    // The list's own folder: with the extension no target is a source.
    options.outputFolder = dir + "/disc";
    options.addExtension = true;
    options.workers = 3;
    const auto job = runJob(openList(corpus.listPath), options);
    expectEveryFileUnpacked(*job, corpus, options.outputFolder, ".unpack");
}

struct Mounted {
    explicit Mounted(const std::string& image) { ok = OpenISOImage(image); }
    ~Mounted() { CloseISOImage(); }
    bool ok = false;
};

TEST(UnpackJob, EveryEntryTypeFromInsideAnImageWithTheLock) {
    KIWI_NEED_XORRISO();
    const std::string dir = fixture::scratchDir("unpack-image");
    // The list sits in a folder of the image; its names are relative to that folder. A name whose folder
    // the image lacks is missing, even though a file of that name lies beside the list.
    auto files = fixture::everyEntryType(21);
    files.push_back({"NOPE/ONE.KWI", 2, {}, false, "-"});
    const auto corpus = fixture::writeUnpackCorpus(dir + "/tree/MAPS", files);
    fixture::makeIsoWithXorriso(dir + "/tree", dir + "/disc.iso");
    Mounted mounted(dir + "/disc.iso");
    ASSERT_TRUE(mounted.ok);
    const auto origin = UnpackOrigin::Find("MAPS/05.CMP", GetISOImage());
    ASSERT_TRUE(origin);
    EXPECT_TRUE(origin->InImage());
    const auto list = UnpackList::Open(*origin);
    ASSERT_NE(list, nullptr);
    for (bool locked : {true, false}) {
        UnpackJobOptions options;
        options.outputFolder = dir + (locked ? "/locked" : "/unlocked");
        std::filesystem::create_directories(options.outputFolder);
        options.workers = 8;
        options.lockImageReads = locked;
        const auto job = runJob(list, options);
        EXPECT_EQ(job->UsesImageLock(), locked);
        expectEveryFileUnpacked(*job, corpus, options.outputFolder);
    }
    // The job keeps the image it reads, even once the program unmounts it.
    UnpackJobOptions options;
    options.outputFolder = dir + "/after";
    std::filesystem::create_directories(options.outputFolder);
    auto job = std::make_unique<UnpackJob>(list, everyEntry(*list), options);
    CloseISOImage();
    job->Start();
    job->Wait();
    expectEveryFileUnpacked(*job, corpus, options.outputFolder);
}

TEST(UnpackJob, TheListIsLookedUpInTheImageItsCallerHandsAndNoOther) {
    KIWI_NEED_XORRISO();
    const std::string dir = fixture::scratchDir("unpack-handed-image");
    const auto corpus = fixture::writeUnpackCorpus(dir + "/tree/MAPS", fixture::everyEntryType(5));
    fixture::makeIsoWithXorriso(dir + "/tree", dir + "/disc.iso");
    // An image opened by the caller alone, none mounted: the list is found in it.
    auto image = std::make_shared<TISOImage>(dir + "/disc.iso");
    ASSERT_TRUE(image->OpenImage());
    ASSERT_EQ(GetISOImage(), nullptr);
    const auto handed = UnpackOrigin::Find("MAPS/05.CMP", image);
    ASSERT_TRUE(handed);
    EXPECT_TRUE(handed->InImage());
    EXPECT_EQ(handed->Image(), image);
    // An image mounted but not handed is not searched: the name is looked for on disk only.
    Mounted mounted(dir + "/disc.iso");
    ASSERT_TRUE(mounted.ok);
    EXPECT_FALSE(UnpackOrigin::Find("MAPS/05.CMP", nullptr));
}

TEST(UnpackJob, UncompressedFileIsCopiedInChunksOf61440Bytes) {
    const std::string dir = fixture::scratchDir("unpack-chunks");
    const auto corpus =
        fixture::writeUnpackCorpus(dir, {{"PLAIN.KWI", 0, fixture::mapLikeContent(100000, 3), false, {}},
                                         {"EMPTY.KWI", 0, {}, false, {}}});
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    std::filesystem::create_directories(options.outputFolder);
    std::atomic<int> progress{0};
    options.onProgress = [&] { progress.fetch_add(1); };
    const auto job = runJob(openList(corpus.listPath), options);
    EXPECT_EQ(progress.load(), 2);
    const UnpackJobEntry* plain = entryNamed(*job, "PLAIN.KWI");
    EXPECT_EQ(plain->PlannedBlocks(), 2);
    EXPECT_EQ(plain->Counters().blockCount.load(), 2);
    EXPECT_EQ(plain->Counters().blocksDone.load(), 2);
    // A source of no bytes has no blocks, is complete at once and is written empty.
    const UnpackJobEntry* empty = entryNamed(*job, "EMPTY.KWI");
    EXPECT_EQ(empty->State(), UnpackState::Done);
    EXPECT_EQ(empty->PlannedBlocks(), 0);
    EXPECT_EQ(empty->Percent(), 100);
    expectEveryFileUnpacked(*job, corpus, options.outputFolder);
}

TEST(UnpackJob, LargestBlockCountStartsFirst) {
    const std::string dir = fixture::scratchDir("unpack-order");
    std::vector<fixture::CorpusFile> files;
    for (size_t blocks : {2, 5, 1, 7, 3})
        files.push_back({"F" + std::to_string(blocks) + ".KWI",
                         2,
                         fixture::mapLikeContent(blocks * 65536, 1),
                         false,
                         {}});
    files.push_back({"PLAIN.KWI", 0, fixture::mapLikeContent(900000, 2), false, {}});
    const auto corpus = fixture::writeUnpackCorpus(dir, files);
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    std::filesystem::create_directories(options.outputFolder);
    const auto job = runJob(openList(corpus.listPath), options);
    std::vector<std::string> started(job->Size());
    for (size_t i = 0; i < job->Size(); ++i)
        started[size_t(job->Entry(i).StartOrder())] = job->Entry(i).Name();
    // Uncompressed files list no blocks, so they come last.
    EXPECT_EQ(started,
              (std::vector<std::string>{"F7.KWI", "F5.KWI", "F3.KWI", "F2.KWI", "F1.KWI", "PLAIN.KWI"}));
}

// An output that takes its time per block, so that a job is still running when it is destroyed.
class SlowOutput : public TempFileOutput {
public:
    using TempFileOutput::TempFileOutput;

protected:
    ssize_t WriteSome(int fd, const uint8_t* data, size_t size) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return TempFileOutput::WriteSome(fd, data, size);
    }
};

TEST(UnpackJob, CancelStopsEveryWorkerSoonLeavingOldTargetsAndNoTemporaryFile) {
    const std::string dir = fixture::scratchDir("unpack-cancel");
    std::vector<fixture::CorpusFile> files;
    for (int k = 0; k < 8; ++k)
        files.push_back({"BIG" + std::to_string(k) + ".KWI",
                         2,
                         fixture::mapLikeContent(40 * 65536, uint32_t(k)),
                         false,
                         {}});
    const auto corpus = fixture::writeUnpackCorpus(dir + "/disc", files);
    const std::string out = dir + "/out";
    for (const auto& file : files)
        fixture::writeFile(out + "/" + file.name, {'o', 'l', 'd'});
    UnpackJobOptions options;
    options.outputFolder = out;
    options.workers = 4;
    // Each file's first block goes through, every later write waits for the stop: four files are running and
    // none can finish before it.
    const UnpackJob* running = nullptr;
    options.output = gatedOutputs([&running] { return running && running->StopRequested(); }, 1);
    UnpackJob job(openList(corpus.listPath), everyEntry(*openList(corpus.listPath)), options);
    running = &job;
    job.Start();
    while (job.BlocksDone() < 4)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto before = std::chrono::steady_clock::now();
    job.RequestStop();
    job.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_TRUE(job.Finished());
    EXPECT_EQ(job.LiveWorkers(), 0);
    int cancelled = 0, queued = 0;
    for (size_t i = 0; i < job.Size(); ++i) {
        const UnpackState state = job.Entry(i).State();
        cancelled += state == UnpackState::Cancelled;
        queued += state == UnpackState::Queued;
        EXPECT_NE(state, UnpackState::Done);
    }
    EXPECT_EQ(cancelled, 4);
    EXPECT_EQ(queued, 4);
    for (const auto& file : files)
        EXPECT_EQ(fixture::readFile(out + "/" + file.name), (std::vector<uint8_t>{'o', 'l', 'd'}))
            << file.name;
    EXPECT_TRUE(partFiles(out).empty());
}

TEST(UnpackJob, DestroyingARunningJobStopsAndJoinsItsWorkers) {
    const std::string dir = fixture::scratchDir("unpack-destroy");
    std::vector<fixture::CorpusFile> files;
    for (int k = 0; k < 4; ++k)
        files.push_back({"B" + std::to_string(k) + ".KWI",
                         2,
                         fixture::mapLikeContent(30 * 65536, uint32_t(k)),
                         false,
                         {}});
    const auto corpus = fixture::writeUnpackCorpus(dir + "/disc", files);
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    std::filesystem::create_directories(options.outputFolder);
    options.workers = 4;
    options.output = [](const std::string& folder, const std::string& name) -> std::unique_ptr<UnpackOutput> {
        return std::make_unique<SlowOutput>(folder, name, false);
    };
    auto job =
        std::make_unique<UnpackJob>(openList(corpus.listPath), std::vector<size_t>{0, 1, 2, 3}, options);
    job->Start();
    const auto before = std::chrono::steady_clock::now();
    job.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_TRUE(partFiles(dir + "/out").empty());
}

// Fails like a full disk once a number of bytes went through.
class FullDiskOutput : public TempFileOutput {
public:
    FullDiskOutput(const std::string& folder, const std::string& name, int64_t room)
        : TempFileOutput(folder, name, false), room_(room) {}

protected:
    ssize_t WriteSome(int fd, const uint8_t* data, size_t size) override {
        if (int64_t(size) > room_) {
            errno = ENOSPC;
            return -1;
        }
        room_ -= int64_t(size);
        return TempFileOutput::WriteSome(fd, data, size);
    }

private:
    int64_t room_;
};

TEST(UnpackJob, AFullDiskFailsTheEntryWithTheSystemsTextAndKeepsTheOldTarget) {
    const std::string dir = fixture::scratchDir("unpack-full-disk");
    const auto corpus = fixture::writeUnpackCorpus(
        dir + "/disc", {{"MAP.KWI", 2, fixture::mapLikeContent(6 * 65536, 4), false, {}},
                        {"PLAIN.KWI", 0, fixture::mapLikeContent(200000, 5), false, {}}});
    const std::string out = dir + "/out";
    fixture::writeFile(out + "/MAP.KWI", {'o', 'l', 'd'});
    UnpackJobOptions options;
    options.outputFolder = out;
    options.output = [](const std::string& folder, const std::string& name) -> std::unique_ptr<UnpackOutput> {
        return std::make_unique<FullDiskOutput>(folder, name, 3 * 65536);
    };
    const auto job = runJob(openList(corpus.listPath), options);
    const std::string full = "на диске нет места";
    for (const char* name : {"MAP.KWI", "PLAIN.KWI"}) {
        const UnpackJobEntry* entry = entryNamed(*job, name);
        EXPECT_EQ(entry->State(), UnpackState::Failed) << name;
        EXPECT_EQ(entry->Reason(), full) << name;
    }
    EXPECT_EQ(fixture::readFile(out + "/MAP.KWI"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_FALSE(exists(out + "/PLAIN.KWI"));
    EXPECT_TRUE(partFiles(out).empty());
}

TEST(UnpackJob, ACompletedFileReplacesTheOldTargetAndALinkThere) {
    const std::string dir = fixture::scratchDir("unpack-replace");
    const auto corpus = fixture::writeUnpackCorpus(
        dir + "/disc", {{"A.KWI", 2, fixture::mapLikeContent(70000, 4), false, {}},
                        {"B.KWI", 0, fixture::mapLikeContent(5000, 5), false, {}}});
    const std::string out = dir + "/out";
    fixture::writeFile(out + "/A.KWI", {'o', 'l', 'd'});
    fixture::writeFile(dir + "/elsewhere.txt", {'k', 'e', 'e', 'p'});
    std::filesystem::create_symlink(dir + "/elsewhere.txt", out + "/B.KWI");
    // A stale temporary file from an earlier crash (it carries the program's mark) is simply replaced.
    fixture::writeFile(out + "/A.KWI.part", {'s', 't', 'a', 'l', 'e'});
    ASSERT_EQ(::setxattr((out + "/A.KWI.part").c_str(), "user.strovane.part", "1", 1, 0), 0);
    UnpackJobOptions options;
    options.outputFolder = out;
    const auto job = runJob(openList(corpus.listPath), options);
    expectEveryFileUnpacked(*job, corpus, out);
    EXPECT_FALSE(std::filesystem::is_symlink(out + "/B.KWI"));
    EXPECT_EQ(fixture::readFile(dir + "/elsewhere.txt"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

} // namespace
