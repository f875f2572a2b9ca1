// Hostile lists and data files: damaged gzip blocks, data files cut short, blocks that decode short,
// tables that do not cover the file or lie outside the list, unknown types and missing sources all fail
// the entry with a reason and leave no file under the final name (and no temporary file).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "UnpackTestSupport.h"
#include "kiwi/cmp/CompressionRecord.h"
#include "support/fixtures/CmpFixture.h"
#include "unpack/engine/UnpackTexts.h"

using namespace unpacktest;

namespace {

struct Damaged {
    std::string dir;
    fixture::Corpus corpus;
    std::unique_ptr<UnpackJob> job;

    const UnpackJobEntry& entry(const std::string& name) const { return *entryNamed(*job, name); }
    void expectFailedWithoutFile(const std::string& name, const std::string& reasonPart) const {
        const UnpackJobEntry& e = entry(name);
        EXPECT_EQ(e.State(), UnpackState::Failed) << name;
        EXPECT_NE(e.Reason().find(reasonPart), std::string::npos) << name << ": " << e.Reason();
        // In the window's language only: no Latin letters from a decoder's or the system's own text.
        EXPECT_EQ(std::count_if(e.Reason().begin(), e.Reason().end(),
                                [](unsigned char c) { return c < 0x80 && std::isalpha(c); }),
                  0)
            << name << ": " << e.Reason();
        EXPECT_FALSE(exists(dir + "/out/" + name)) << name;
    }
};

std::vector<uint8_t> bytesOf(const std::string& path) {
    return fixture::readFile(path);
}

// Byte offset of block k's compressed data in a type 2 data file written by the fixture builder.
int64_t blockOffset(const std::string& listPath, size_t entry, size_t block) {
    const auto list = openList(listPath);
    TLN_Compression_Record record = list->Entries()[entry];
    auto manager = list->Manager();
    TLN_Block_Info info;
    manager->GetBlockInfo(record, int64_t(block), info);
    return info.offset;
}

TEST(UnpackHostile, DamagedDataFilesFailWithTheBlockAndItsOffset) {
    Damaged d{fixture::scratchDir("unpack-hostile-data"), {}, {}};
    d.corpus = fixture::writeUnpackCorpus(
        d.dir + "/disc", {{"FLIPPED.KWI", 2, fixture::mapLikeContent(4 * 65536, 1), false, {}},
                          {"CUT.KWI", 2, fixture::mapLikeContent(4 * 65536, 2), false, {}},
                          {"CUTPLAIN.KWI", 0, fixture::mapLikeContent(4 * 65536, 3), false, {}},
                          {"GOOD.KWI", 2, fixture::mapLikeContent(65536, 4), false, {}}});
    // A flipped byte in the middle of block 2's deflate data fails its check.
    const std::string flipped = d.dir + "/disc/FLIPPED.KWI";
    auto bytes = bytesOf(flipped);
    const int64_t at = blockOffset(d.corpus.listPath, 0, 2) + 200;
    bytes[size_t(at)] ^= 0x55;
    fixture::writeFile(flipped, bytes);
    // A data file cut in block 3, and an uncompressed source shorter than it was.
    const std::string cut = d.dir + "/disc/CUT.KWI";
    bytes = bytesOf(cut);
    bytes.resize(size_t(blockOffset(d.corpus.listPath, 1, 3) + 10));
    fixture::writeFile(cut, bytes);
    UnpackJobOptions options;
    options.outputFolder = d.dir + "/out";
    options.workers = 2;
    std::filesystem::create_directories(options.outputFolder);
    const auto list = openList(d.corpus.listPath);
    // The uncompressed source shrinks after planning, while the job runs.
    auto job = std::make_unique<UnpackJob>(list, everyEntry(*list), options);
    std::filesystem::resize_file(d.dir + "/disc/CUTPLAIN.KWI", 70000);
    job->Start();
    job->Wait();
    d.job = std::move(job);
    d.expectFailedWithoutFile("FLIPPED.KWI", "блок 2 (смещение 131072)");
    d.expectFailedWithoutFile("CUT.KWI", "блок 3 (смещение 196608)");
    d.expectFailedWithoutFile("CUTPLAIN.KWI", unpacktext::truncatedSource);
    EXPECT_EQ(d.entry("GOOD.KWI").State(), UnpackState::Done);
    EXPECT_TRUE(partFiles(options.outputFolder).empty());
}

// A list written by hand around one entry plan, for tables the fixture builder would never write.
fixture::CmpListEntryPlan planFor(const std::string& dir, const std::string& name,
                                  const std::vector<uint8_t>& content, uint16_t type = 2) {
    fixture::CmpListEntryPlan plan;
    plan.name = name;
    plan.type = type;
    fixture::writeFile(dir + "/" + name, fixture::buildCmpDataFile(content, plan));
    return plan;
}

TEST(UnpackHostile, TablesThatDoNotDescribeTheFileFailBeforeOrWhileUnpacking) {
    const std::string dir = fixture::scratchDir("unpack-hostile-tables");
    const auto content = fixture::mapLikeContent(3 * 65536 + 100, 5);
    // Claims more bytes than its blocks hold: the last block decodes short.
    auto longer = planFor(dir + "/disc", "LONGER.KWI", content);
    longer.fileSize += 5000;
    // Claims a size its blocks cannot cover.
    auto fewer = planFor(dir + "/disc", "FEWER.KWI", content);
    fewer.fileSize = 5 * 65536;
    // A type no stream decodes.
    auto unknown = planFor(dir + "/disc", "UNKNOWN.KWI", content);
    unknown.type = 7;
    auto good = planFor(dir + "/disc", "GOOD.KWI", content);
    // Its table is cut off by the end of the list.
    auto last = planFor(dir + "/disc", "LAST.KWI", content);
    auto listBytes = fixture::buildCmpList({longer, fewer, unknown, good, last});
    listBytes.resize(listBytes.size() - 4);
    fixture::writeFile(dir + "/disc/05.CMP", listBytes);
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    std::filesystem::create_directories(options.outputFolder);
    const auto list = openList(dir + "/disc/05.CMP");
    ASSERT_NE(list, nullptr);
    auto job = std::make_unique<UnpackJob>(list, everyEntry(*list), options);
    // Refused while planning: never started, nothing counted.
    EXPECT_EQ(entryNamed(*job, "FEWER.KWI")->Reason(), unpacktext::invalidEntry);
    EXPECT_EQ(entryNamed(*job, "UNKNOWN.KWI")->Reason(), unpacktext::unsupportedType);
    EXPECT_EQ(entryNamed(*job, "LAST.KWI")->Reason(), unpacktext::invalidEntry);
    EXPECT_EQ(job->TotalBlocks(), 4 + 4);
    job->Start();
    job->Wait();
    Damaged d{dir, {}, std::move(job)};
    d.expectFailedWithoutFile("LONGER.KWI", "блок 3 (смещение 196608): распаковано 100 байт из 5100");
    for (const char* name : {"FEWER.KWI", "UNKNOWN.KWI", "LAST.KWI"}) {
        d.expectFailedWithoutFile(name, "");
        EXPECT_EQ(d.entry(name).StartOrder(), -1) << name;
    }
    EXPECT_EQ(d.entry("GOOD.KWI").State(), UnpackState::Done);
    EXPECT_TRUE(partFiles(options.outputFolder).empty());
}

TEST(UnpackHostile, AMissingSourceIsNotFoundAndCountsNoBlocks) {
    const std::string dir = fixture::scratchDir("unpack-missing");
    const auto corpus = fixture::writeUnpackCorpus(
        dir + "/disc", {{"GONE.KWI", 2, fixture::mapLikeContent(65536, 1), false, "-"},
                        {"HERE.KWI", 2, fixture::mapLikeContent(65536, 2), false, {}}});
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    std::filesystem::create_directories(options.outputFolder);
    const auto job = runJob(openList(corpus.listPath), options);
    EXPECT_EQ(entryNamed(*job, "GONE.KWI")->State(), UnpackState::NotFound);
    EXPECT_EQ(entryNamed(*job, "HERE.KWI")->State(), UnpackState::Done);
    EXPECT_EQ(job->TotalBlocks(), 1);
    EXPECT_EQ(job->WorkerCount(), 1);
}

fixture::CmpListEntryPlan uncompressed(const std::string& name) {
    fixture::CmpListEntryPlan plan;
    plan.name = name;
    plan.type = 0;
    return plan;
}

TEST(UnpackHostile, ListsThatCannotBeUsedAreInvalidAndMissingOnesMissing) {
    const std::string dir = fixture::scratchDir("unpack-lists");
    fixture::writeFile(dir + "/13/13.CMP", fixture::buildCmp13List({{1, "A.KWI"}}));
    fixture::writeFile(dir + "/huge/05.CMP", fixture::buildCmpList({}, 10000));
    auto cut = fixture::buildCmpList({uncompressed("NAME.KWI"), uncompressed("OTHER.KWI")});
    cut.resize(cut.size() - 3);
    fixture::writeFile(dir + "/cut/05.CMP", cut);
    fixture::writeFile(dir + "/named/LIST.CMP", fixture::buildCmpList({uncompressed("NAME.KWI")}));
    // A "13.CMP" handed over in error reads its magic as a count of about 1.3 billion.
    fixture::writeFile(dir + "/magic/05.CMP", fixture::buildCmp13List({{1, "A.KWI"}}));
    for (const char* path :
         {"/13/13.CMP", "/huge/05.CMP", "/cut/05.CMP", "/named/LIST.CMP", "/magic/05.CMP"}) {
        const auto origin = UnpackOrigin::OnDisk(dir + path);
        ASSERT_TRUE(origin) << path;
        UnpackList::OpenResult result = UnpackList::OpenResult::Opened;
        EXPECT_EQ(UnpackList::Open(*origin, &result), nullptr) << path;
        EXPECT_EQ(result, UnpackList::OpenResult::Invalid) << path;
    }
    EXPECT_FALSE(UnpackOrigin::OnDisk(dir + "/none/05.CMP"));
    fixture::writeFile(dir + "/ok/06.CMP", fixture::buildCmpList({uncompressed("NAME.KWI")}, 1));
    EXPECT_NE(openList(dir + "/ok/06.CMP"), nullptr);
}

} // namespace
