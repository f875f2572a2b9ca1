// The added level's frames wait in a scratch file in the temporary folder: the new map keeps the bytes of
// earlier runs, the file exists while the run needs it, and it is gone after a run that completes, is
// stopped or fails; a temporary folder that cannot take it fails the run.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <optional>

#include "converter/job/ConversionJob.h"
#include "converter/levels/ExtraLevelImports.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/OneWayTown.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

// Points $TMPDIR at a folder for the life of the object.
class TemporaryFolderOverride {
public:
    explicit TemporaryFolderOverride(const std::string& folder) {
        if (const char* old = std::getenv("TMPDIR")) old_ = old;
        ::setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TemporaryFolderOverride() {
        if (old_)
            ::setenv("TMPDIR", old_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> old_;
};

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const QString& name :
         QDir(QString::fromStdString(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        names.push_back(name.toStdString());
    return names;
}

// A writer whose every main frame fails, as a full disk or an unreadable frame would.
class FailingWriter : public ParcelWriter {
public:
    uint32_t WriteMainFrame(const SourceFrame&, TLN_Stream&, int64_t) override {
        throw std::runtime_error("frame write failed");
    }
    uint32_t WriteGuidanceFrame(const SourceFrame&, TLN_Stream&, int64_t) override { return 0; }
};

struct TownRun {
    ConversionResult result;
    std::string output;
    // The temporary folder's entries when the added level's parcels were counted (before the old levels).
    std::vector<std::string> scratchWhileRunning;
};

enum class Ending { Complete, Stop, FailingWriter };

// Converts the one-way town with the added level while $TMPDIR names temporaryFolder.
TownRun convertTown(const std::string& name, const std::string& temporaryFolder, Ending ending) {
    TownRun r;
    const std::string source = convtest::writeOneWayTown(name);
    ConversionOptions options = convtest::oneWayTownOptions();
    options.outputPath = r.output = fixture::scratchDir(name + "-out") + "/ALLDATA.KWI";
    const TemporaryFolderOverride scratch(temporaryFolder);
    auto run = std::make_unique<ConversionRun>(source, options);
    run->SetBuildingData(convtest::oneWayTownData());
    if (ending == Ending::FailingWriter) run->SetParcelWriter(std::make_unique<FailingWriter>());
    ConversionJob job(std::move(run));
    job.Progress().SetLineCallback([&](const std::string& line) {
        if (line.rfind("New Parcels Count : ", 0) != 0) return;
        r.scratchWhileRunning = entriesOf(temporaryFolder);
        if (ending == Ending::Stop) job.RequestStop();
    });
    job.Start();
    r.result = job.Result();
    return r;
}

std::string sha256Of(const std::vector<uint8_t>& bytes) {
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// The new map of the one-way town as the run wrote it while its added level's frames were kept in memory
// (since then with level codes in its level list, and header 5 absent).
constexpr const char* kTownMapSha256 = "74dfa402f4cb20f1b11c284a30e15cbbb357671657afdc5930d6d793bdef6123";

TEST(ExtraLevelScratch, TheScratchFileLivesOnlyWhileTheRunNeedsIt) {
    const struct Case {
        const char* name;
        Ending ending;
        ConversionStatus status;
    } cases[] = {
        {"complete", Ending::Complete, ConversionStatus::Done},
        {"stopped", Ending::Stop, ConversionStatus::Stopped},
        {"failed", Ending::FailingWriter, ConversionStatus::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = fixture::scratchDir(std::string("extra-scratch-tmp-") + c.name);
        const TownRun r = convertTown(std::string("extra-scratch-") + c.name, folder, c.ending);
        ASSERT_EQ(r.result.status, c.status) << r.result.message;
        // The frames wait in a scratch file that no name leads to, so even a killed run leaves nothing.
        for (const std::string& entry : r.scratchWhileRunning)
            ADD_FAILURE() << "named while running: " << entry;
        for (const std::string& left : entriesOf(folder))
            ADD_FAILURE() << "left in the temporary folder: " << left;
        if (c.status == ConversionStatus::Done)
            EXPECT_EQ(sha256Of(convtest::readFile(r.output)), kTownMapSha256);
        else
            EXPECT_FALSE(QFile::exists(QString::fromStdString(r.output)));
    }
}

TEST(ExtraLevelScratch, ATemporaryFolderThatCannotTakeTheFramesFailsTheRun) {
    const std::string missing = fixture::scratchDir("extra-scratch-missing") + "/absent";
    const TownRun r = convertTown("extra-scratch-absent", missing, Ending::Complete);
    EXPECT_EQ(r.result.status, ConversionStatus::Failed);
    EXPECT_NE(r.result.message.find(missing), std::string::npos) << r.result.message;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(r.output)));
}

// The temporary folder is often another disk: too little room there is warned of before the run starts,
// and the run goes on.
TEST(ExtraLevelScratch, TooLittleRoomInTheTemporaryFolderIsWarnedOf) {
    const std::string folder = fixture::scratchDir("extra-scratch-room");
    const TemporaryFolderOverride scratch(folder);
    const std::string source = convtest::writeOneWayTown("extra-scratch-room");
    ConversionOptions options = convtest::oneWayTownOptions();
    options.outputPath = fixture::scratchDir("extra-scratch-room-out") + "/ALLDATA.KWI";
    ConversionRun run(source, options);
    run.SetBuildingData(convtest::oneWayTownData());
    std::vector<std::string> asked;
    run.SetFreeSpaceQuery([&](const std::string& queried) {
        asked.push_back(queried);
        return queried == folder ? int64_t(1024) : int64_t(1) << 40;
    });
    ConversionProgress progress;
    std::atomic<bool> stop{false};
    const ConversionResult result = run.Execute(progress, stop);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_EQ(asked.size(), 2u);
    const auto lines = progress.AllLines();
    const std::string expected = "WARNING: the temporary folder " + folder + " has 1 kb free";
    const auto warning = std::find_if(lines.begin(), lines.end(),
                                      [&](const std::string& line) { return line.rfind(expected, 0) == 0; });
    ASSERT_NE(warning, lines.end());
    EXPECT_NE(warning->find("less than the added level's expected"), std::string::npos) << *warning;
    EXPECT_GE(result.warnings, 1);
}

// The frames reach the output in chunks, each one a single read and write, every byte in its place.
TEST(ExtraLevelScratch, FramesAreCopiedInChunks) {
    std::vector<uint8_t> source(1000);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = uint8_t(i * 7 + 3);
    const struct Case {
        int64_t position, count, target, chunk;
        int chunks;
    } cases[] = {
        {3, 997, 0, 7, 143}, // a short last chunk
        {0, 1000, 64, 250, 4},
        {10, 90, 5, 4096, 1},
        {0, 0, 0, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        TLN_MemoryStream from{std::vector<uint8_t>(source)}, to;
        int chunks = 0;
        rewrite::CopyInChunks(from, c.position, c.count, to, c.target, c.chunk, [&] { ++chunks; });
        EXPECT_EQ(chunks, c.chunks);
        const std::vector<uint8_t> out = to.Bytes();
        ASSERT_EQ(int64_t(out.size()), c.count > 0 ? c.target + c.count : 0);
        for (int64_t i = 0; i < c.count; ++i)
            ASSERT_EQ(out[size_t(c.target + i)], source[size_t(c.position + i)]) << i;
    }
    // A scratch file shorter than the level's frames is an error, not a map with zeros in it.
    TLN_MemoryStream from{std::vector<uint8_t>(source)}, to;
    EXPECT_THROW(rewrite::CopyInChunks(from, 900, 200, to, 0, 64), EReadError);
}

} // namespace
