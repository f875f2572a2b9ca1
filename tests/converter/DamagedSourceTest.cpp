// Damaged sources cost what they hold: counts declared far past the tables, and many sub-parcel records
// naming one unreadable frame, convert (or stop with a reason) with a short log and an output no larger
// than a small multiple of the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

#include "converter/job/ConversionJob.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/DamagedConversionMaps.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/CountingStream.h"

namespace {

struct Outcome {
    ConversionResult result;
    std::vector<std::string> log;
    int64_t sourceSize = 0;
    int64_t outputSize = -1;
};

// Building data that holds nothing: its box is empty (west and north at the largest value, east and
// south at the smallest), so no block meets it.
const std::vector<uint8_t> kNoBuildings = {0xFF, 0xFF, 0xFF, 0x7F, 0,    0,    0,    0x80,
                                           0,    0,    0,    0x80, 0xFF, 0xFF, 0xFF, 0x7F};

Outcome convertImage(const std::string& name, const fixture::AllDataImage& image, bool arrows = false,
                     SourceFileOpener opener = {}) {
    const std::string root = fixture::scratchDir("damaged-" + name);
    const std::string allData = fixture::writeAllData(image, root + "/src");
    fixture::writeFile(root + "/out/.keep", {});
    std::remove((root + "/out/.keep").c_str());
    Outcome o;
    o.sourceSize = int64_t(image.allData.size());
    ConversionOptions options;
    options.outputPath = root + "/out/ALLDATA.KWI";
    options.addOneWayArrows = arrows;
    auto run = std::make_unique<ConversionRun>(allData, options);
    if (arrows) run->SetBuildingData(std::make_shared<const std::vector<uint8_t>>(kNoBuildings));
    if (opener) run->SetSourceOpener(std::move(opener));
    ConversionJob job(std::move(run));
    job.Start();
    o.result = job.Result();
    o.log = job.Progress().AllLines();
    struct stat info {};
    if (::stat(options.outputPath.c_str(), &info) == 0) o.outputSize = info.st_size;
    return o;
}

long countContaining(const std::vector<std::string>& lines, const std::string& text) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

} // namespace

TEST(DamagedSource, EachEndsWithAShortLogAndASmallOutput) {
    const struct {
        const char* name;
        fixture::AllDataImage image;
        bool arrows;
    } cases[] = {{"declared", fixture::buildDeclaredBeyondFileMap(), false},
                 {"declared-arrows", fixture::buildDeclaredBeyondFileMap(), true},
                 {"shared", fixture::buildSharedUnreadableFrameMap(), false},
                 {"repeated-table", fixture::buildRepeatedBlockTableMap(), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = convertImage(c.name, c.image, c.arrows);
        if (o.result.status != ConversionStatus::Done) {
            EXPECT_FALSE(o.result.message.empty());
            EXPECT_EQ(o.outputSize, -1);
        } else {
            EXPECT_LE(o.outputSize, 8 * o.sourceSize);
        }
        EXPECT_LT(o.log.size(), 200u);
    }
}

TEST(DamagedSource, FrameManySubParcelsNameIsReportedOnceByItsSubParcel) {
    const Outcome o = convertImage("shared-once", fixture::buildSharedUnreadableFrameMap());
    ASSERT_EQ(o.result.status, ConversionStatus::Done) << o.result.message;
    EXPECT_EQ(countContaining(o.log, " unreadable"), 1);
    EXPECT_EQ(countContaining(o.log, "WARNING: Parcel 0/0/0/0 sub-parcel 0 unreadable"), 1);
}

// Tables the run would write into at the wrong place are refused before anything is written, a run that
// converts no parcel fails, and a bad route guidance frame or a main frame too short for its reference
// costs its warning. Per the layouts: block set record +2 the block table's offset, header +0 its size (both
// in words), a parcel record's sectors +4 after its frame's KIWI address.
TEST(DamagedSource, DamagedTablesAreRefusedAndBadFramesNamed) {
    using enum ConversionStatus;
    const fixture::AllDataImage source = fixture::buildAllData(fixture::smallAllDataPlan());
    const std::vector<uint8_t>& bytes = source.allData;
    const int64_t set = source.blockSetTables[0];
    const auto recordOf = [&](int64_t frame) {
        const uint8_t a[4] = {0, uint8_t(frame >> 19), uint8_t(frame >> 11), uint8_t(frame % 2048 / 32)};
        return std::search(bytes.begin() + source.partBase, bytes.end(), a, a + 4) - bytes.begin();
    };
    const struct {
        const char* name;
        int64_t at;
        std::vector<uint8_t> put; // none: the file ends at `at`, without its data files
        ConversionStatus status;
        std::string said;
    } cases[] = {
        {"table-at-0",
         set + 2,
         {0, 0, 0, 0},
         Refused,
         "level 0 block set 0: its block table (72 bytes at 8192) lies over the main"},
        {"tables-overlap",
         set + 15,
         {uint8_t(bytes[size_t(set) + 5] + 6)},
         Refused,
         "block set 1: its block table (72 bytes at 8368) overlaps level 0 block set 0"},
        {"header-size",
         source.partBase,
         {0x57, 0x0F},
         Refused,
         "header declares 44574 bytes, more than the 352"},
        {"cut-short", source.partBase + 208, {}, Refused, "the file ends 208 bytes into the 352 bytes"},
        {"no-parcel", source.partBase + 352, {}, Failed, "No parcel of the source could be converted"},
        {"guidance-0xFFFF",
         recordOf(source.parcels[0].routeGuidanceFrame) + 4,
         {0xFF, 0xFF},
         Done,
         "WARNING: Parcel 0/0/0/0 route guidance frame unreadable"},
        {"short-linked-frame",
         recordOf(source.parcels[0].frame) + 4,
         {0, 1},
         Done,
         "WARNING: Parcel 0/0/0/0 main frame too short for its route guidance reference"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::AllDataImage image = source;
        std::copy(c.put.begin(), c.put.end(), image.allData.begin() + c.at);
        if (c.put.empty()) image.allData.resize(size_t(c.at)), image.files.clear();
        const Outcome o = convertImage(c.name, image);
        EXPECT_EQ(o.result.status, c.status) << o.result.message;
        EXPECT_EQ(countContaining(c.status == Done ? o.log : std::vector{o.result.message}, c.said), 1);
        EXPECT_EQ(o.outputSize < 0, c.status != Done);
    }
}

TEST(DamagedSource, InformationManyBlockRecordsNameIsReadOnce) {
    // 3000 block records name one information whose divided records name sub-lists past the file's end;
    // the management data reaches over its frames, which are therefore no frames: each parcel is named.
    ReadCounter counter;
    const Outcome o = convertImage("repeated-information", fixture::buildRepeatedInformationMap(3000), false,
                                   counter.Opener());
    EXPECT_EQ(o.result.status, ConversionStatus::Failed) << o.result.message;
    EXPECT_EQ(countContaining(o.log, " lies in the main map management data: left out"), 2);
    EXPECT_LT(counter.Reads(), 3000u);
}
