// Damaged sources cost what they hold: counts declared far past the tables, and many sub-parcel records
// naming one unreadable frame, convert (or stop with a reason) with a short log and an output no larger
// than a small multiple of the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
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
    std::string output;
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
    o.output = options.outputPath;
    return o;
}

// The parcels a map's raw tables name ("L/S/B/P" of each record other than the empty reference), read
// where the layouts place them (management data in "ALLDATA.KWI"), apart from the converter's reader; and
// whether every block record and every frame of lists types 0 to 2 lies inside its file.
struct RawParcels {
    std::set<std::string> named;
    bool inside = true;
};

RawParcels rawParcels(const std::vector<uint8_t>& all,
                      const std::map<std::string, std::vector<uint8_t>>& files) {
    const auto u = [](const std::vector<uint8_t>& f, int64_t at, int n) {
        int64_t v = at < 0 || at + n > int64_t(f.size()) ? -1 : 0;
        for (int i = 0; v >= 0 && i < n; ++i)
            v = v << 8 | f[size_t(at + i)];
        return v;
    };
    const auto kiwi = [](int64_t a) {
        return a < 0 || a == 0xFFFFFFFF ? -1 : (a >> 8) * 2048 + (a & 63) * 32;
    };
    RawParcels r;
    const int64_t base = kiwi(u(all, 2048, 4)), names = u(all, base + 4, 2) & 1;
    const int64_t levelBytes = 2 * u(all, base + 20, 2), setBytes = 2 * u(all, base + 22, 2);
    for (int64_t l = 0; l < u(all, base + 26, 2); ++l) {
        const int64_t rec = base + 30 + l * levelBytes, sets = u(all, rec + 36, 2);
        const auto count = [&](int64_t at) {
            return (u(all, rec + at, 1) + 1) * (u(all, rec + at + 1, 1) + 1);
        };
        for (int64_t s = 0; sets != 0xFFFF && s < count(24); ++s) {
            const int64_t table = u(all, base + 2 * sets + s * setBytes + 2, 4);
            for (int64_t b = 0; table != 0xFFFFFFFF && b < count(26); ++b) {
                const int64_t block = base + 2 * table + b * 2 * u(all, base + 24, 2),
                              info = kiwi(u(all, block, 4));
                const std::string file =
                    names ? std::string(all.begin() + block + 6, all.begin() + block + 18).c_str() : "";
                if (info < 0 || (!file.empty() && !files.count(file))) continue;
                const std::vector<uint8_t>& f = file.empty() ? all : files.at(file);
                r.inside = r.inside && info + 32 * u(all, block + 4, 2) <= int64_t(f.size());
                const int64_t type = u(f, info + 1, 1), first = u(f, info, 1);
                const int64_t size = type == 100                                            ? 18
                                     : type == 1 || type == 2 || type == 202 || type == 206 ? 8
                                                                                            : 6;
                const int64_t ext =
                    type == 202 || type == 204 || type == 206 ? (u(f, info + 4, 2) == 1 ? 14 : 2) : 0;
                for (int64_t p = 0; p < count(28 + 2 * (first & 3)); ++p) {
                    const int64_t at = info + 4 + ext + p * size, word = u(f, at, 4),
                                  sectors = u(f, at + 4, 2);
                    if (word == 0xFFFFFFFF) continue;
                    r.named.insert(std::to_string(l) + "/" + std::to_string(s) + "/" + std::to_string(b) +
                                   "/" + std::to_string(p));
                    if (type < 100 && sectors > 0)
                        r.inside = r.inside && kiwi(word) + 32 * sectors <= int64_t(f.size());
                }
            }
        }
    }
    return r;
}

// After a run that ends well, every parcel the source's tables name is in the new map or named in a
// warning (by itself or by its block), and nothing of the new map points past its end.
void expectEveryParcelAccounted(const fixture::AllDataImage& source, const Outcome& o) {
    const RawParcels before = rawParcels(source.allData, source.files);
    const RawParcels after = rawParcels(convtest::readFile(o.output), {});
    EXPECT_TRUE(after.inside);
    for (const std::string& p : before.named) {
        const std::string block = p.substr(0, p.rfind('/'));
        const bool warned = std::any_of(o.log.begin(), o.log.end(), [&](const std::string& line) {
            return line.rfind("WARNING: ", 0) == 0 &&
                   (line.find("Parcel " + p + " ") != std::string::npos ||
                    line.find("Block " + block + ":") != std::string::npos ||
                    line.find("Block " + block + " ") != std::string::npos);
        });
        EXPECT_TRUE(after.named.count(p) || warned) << "parcel " << p << " lost unsaid";
    }
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
    const auto address = [](int64_t frame) {
        return std::vector<uint8_t>{0, uint8_t(frame >> 19), uint8_t(frame >> 11),
                                    uint8_t(frame % 2048 / 32)};
    };
    const auto recordOf = [&](int64_t frame) {
        const std::vector<uint8_t> a = address(frame);
        return std::search(bytes.begin() + source.partBase, bytes.end(), a.begin(), a.end()) - bytes.begin();
    };
    const fixture::ParcelEntry& first = source.parcels[0];
    const fixture::ParcelEntry& third =
        *std::find_if(source.parcels.begin(), source.parcels.end(),
                      [](const auto& e) { return e.parcel == 2 && e.sub < 0; });
    // The third record names the first's frame, one sector longer.
    std::vector<uint8_t> longer = address(first.frame);
    longer.insert(longer.end(), {0, uint8_t(first.frameSize / 32 + 1)});
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
        // The blocks are the level's division's, whatever the table's size says.
        {"table-size-0", set + 6, {0, 0, 0, 0}, Done, ""},
        {"named-8-byte-records",
         source.partBase + 24,
         {0, 4},
         Refused,
         "gives the block records 8 bytes, fewer than the 18 bytes their fields take with their file names"},
        {"level-record-38",
         source.partBase + 20,
         {0, 19},
         Refused,
         "level records 38 bytes, fewer than the 40"},
        {"table-past-the-end",
         set + 2,
         {0, 0, 0, 172},
         Refused,
         "block set 0: its block table (72 bytes at 8536) lies past the end of the main map management data"},
        {"block-table-past-the-file",
         set + 2,
         {0x7F, 0xFF, 0, 0},
         Refused,
         "level 0 block set 0: its block table (72 bytes at 4294844416) lies past the end"},
        {"frame-in-volume-header",
         recordOf(first.frame),
         {0, 0, 0, 0x20},
         Done,
         "WARNING: Parcel 0/0/0/0 main frame lies in the data volume's header: left out"},
        {"two-sizes", recordOf(third.frame), longer, Done,
         "WARNING: Parcel 0/0/0/0 frame is named by another record with " +
             std::to_string(first.frameSize + 32)},
        {"list-past-file",
         source.levelRecords[0] + 28,
         {0xFF, 0xFF},
         Refused,
         "level 0 block set 0 block 0: its parcel management list (65536 records of 6 bytes at"},
        {"no-parcel-cause",
         source.partBase + 352,
         {},
         Failed,
         "WARNING: Block 0/0/0: its parcel management information cannot be read: its parcels are left out"},
        {"no-levels",
         source.partBase + 26,
         {0, 0},
         Refused,
         "main map: its main map management header declares 0"},
        {"adjacent-out-of-frame",
         recordOf(third.frame) + 4,
         {0, 2},
         Done,
         "WARNING: Parcel 0/0/0/2 adjacent info out of frame"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::AllDataImage image = source;
        std::copy(c.put.begin(), c.put.end(), image.allData.begin() + c.at);
        if (c.put.empty()) image.allData.resize(size_t(c.at)), image.files.clear();
        const Outcome o = convertImage(c.name, image);
        EXPECT_EQ(o.result.status, c.status) << o.result.message;
        const auto& said = c.status == Refused ? std::vector{o.result.message} : o.log;
        EXPECT_EQ(countContaining(said, c.said), c.said.empty() ? long(said.size()) : 1);
        EXPECT_EQ(o.outputSize < 0, c.status != Done);
        if (c.status == Done) expectEveryParcelAccounted(image, o);
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
