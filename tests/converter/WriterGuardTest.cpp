// Every file the converter and the windows' save commands write, against what may stand in its way: a
// ".part" of the user's, a ".part" linked to a file elsewhere, the file the writer reads, a full or read-only
// disk. Nothing of the user's is replaced or written through, a failure leaves nothing, and the windows say
// the system's reason in Russian.
#include <gtest/gtest.h>
#include <unistd.h>

#include "converter/import/LmpFile.h"
#include "converter/job/CompletionRun.h"
#include "converter/names/LatRusDictionary.h"
#include "hexview/model/HexBlockFileCopy.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/iso/ISOImage.h"
#include "mainwindow/model/IsoExtraction.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FileConFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/RegionFixture.h"
#include "support/walkers/FullDisk.h"

namespace {

enum Case { UserPart, LinkedPart, OntoSource, Full, ReadOnly };
// Writes its file into folder out from the map in folder src (onto: over the file it reads); "" when done,
// else why not.
using Writer = std::string (*)(const std::string& src, const std::string& out, bool onto);

std::string ended(bool done, const std::string& why) {
    return done ? "" : why + " ";
}

std::string completes(const std::string& src, const std::string& out, bool onto,
                      void (*set)(CompletionOptions&)) {
    CompletionOptions o;
    set(o);
    o.sourcePath = src + "/ALLDATA.KWI", o.outputPath = (onto ? src : out) + "/ALLDATA.KWI",
    o.voiceOffset = 0;
    ConversionProgress progress;
    const ConversionResult r = CompletionRun(o).Execute(progress, std::atomic<bool>{false});
    return ended(r.status == ConversionStatus::Done, r.message);
}

std::string converts(const std::string& src, const std::string& out, bool onto) {
    const ConversionResult r = convtest::convert(src + "/ALLDATA.KWI", onto ? src : out);
    return ended(r.status == ConversionStatus::Done, r.message);
}

std::string image;

struct Row {
    const char* target;
    // A save of the windows (its reasons in Russian); one that refuses its source's folder or file.
    bool windows, guardsSource;
    Writer write;
};
const Row kWriters[] = {
    {"ALLDATA.KWI", false, true, converts},
    {"Log.txt", false, true, converts},
    {"ALLDATA1.KWI", false, true,
     [](auto& s, auto& o, bool n) { return completes(s, o, n, [](auto& c) { c.split = true; }); }},
    {"FILECON.MNG", false, true,
     [](auto& s, auto& o, bool n) { return completes(s, o, n, [](auto& c) { c.fileCon = true; }); }},
    {"REGION.KWI", false, true,
     [](auto& s, auto& o, bool n) {
         return completes(s, o, n, [](auto& c) { c.region = true, c.regions = {0}; });
     }},
    {"STDVCE.KWI", false, true,
     [](auto& s, auto& o, bool n) {
         return completes(s, o, n, [](auto& c) { c.voice = true, c.voiceSize = 3; });
     }},
    {"ReadMe.txt", false, true, [](auto& s, auto& o, bool n) { return completes(s, o, n, [](auto&) {}); }},
    // The wizard refuses the source map's files before either save (its own test).
    {"town.lmp", false, false,
     [](auto&, auto& o, bool) {
         return building_data::SaveLmp(o + "/town.lmp", std::vector<uint8_t>(16)), std::string();
     }},
    {"words.txt", false, false,
     [](auto&, auto& o, bool) {
         LatRusDictionary words;
         words.SetPair("MOSKVA", "M");
         return words.SaveToTextFile(o + "/words.txt"), std::string();
     }},
    {"README.TXT", true, true,
     [](auto&, auto& o, bool onto) {
         TISOImage iso(image);
         iso.OpenImage();
         const auto r = IsoExtraction::Extract(iso, *FindISOFile(iso, "README.TXT"),
                                               QString::fromStdString(onto ? image : o + "/README.TXT"),
                                               &IsoExtraction::SavedFile, {}, {});
         return ended(r.state == IsoExtraction::State::Done, r.error.toStdString());
     }},
    {"block.bin", true, true,
     [](auto& s, auto& o, bool onto) {
         const std::shared_ptr<TLN_Stream> read = TLN_HandleStream::OpenForReading(s + "/ALLDATA.KWI");
         const QString target = QString::fromStdString(onto ? s + "/ALLDATA.KWI" : o + "/block.bin");
         HexBlockFileCopy job(read, 0, 100, MakeSaveFileSink(target, FilesBehind(*read)));
         job.Start();
         const QString why = job.Result();
         return ended(job.Status() == JobStatus::Done, why.toStdString());
     }},
};

} // namespace

TEST(WriterGuard, NoWriterReplacesOrWritesThroughWhatItDidNotCreate) {
    KIWI_NEED_XORRISO();
    image = fixture::scratchDir("guard-iso") + "/disc.iso";
    fixture::writeFile(FolderOf(image) + "/in/README.TXT", {'r'});
    fixture::makeIsoWithXorriso(FolderOf(image) + "/in", image);
    for (const bool nameless : {true, false}) {
        ProducedFile::AllowNamelessFiles(nameless);
        for (const Row& w : kWriters)
            for (const Case c : {UserPart, LinkedPart, OntoSource, Full, ReadOnly}) {
                SCOPED_TRACE(std::string(w.target) + " case " + std::to_string(c) +
                             (nameless ? "" : " named"));
                if (c == OntoSource && !w.guardsSource) continue;
                const auto f = convtest::makeSource("guard", fixture::smallAllDataPlan());
                fixture::writeRegionData(fixture::buildRegionData(fixture::sampleRegionPlan()), f.source);
                fixture::FileConPlan plan;
                plan.entries = {{0, "ALLDATA.KWI", "ALLDATA.KWI", 3}};
                fixture::writeFile(f.source + "/FILECON.MNG", fixture::buildFileCon(plan));
                std::optional<FullDisk> disk;
                if (c >= Full) disk.emplace(f.output);
                const bool mounted = disk && disk->Mounted();
                if (c == ReadOnly && !mounted) continue;
                const std::string part = f.output + "/" + w.target + ".part", outside = f.output + "-outside";
                fixture::writeFile(f.output + "/ALLDATA.KWI", std::vector<uint8_t>(100, 7));
                fixture::writeFile(outside, {'k'});
                if (c == UserPart) fixture::writeFile(part, {'m'});
                EXPECT_TRUE(c != LinkedPart || ::symlink(outside.c_str(), part.c_str()) == 0);
                if (c == Full) disk->Fill();
                EXPECT_TRUE(c != ReadOnly || disk->ReadOnly());
                const auto sourceBefore = convtest::snapshot(f.source), before = convtest::snapshot(f.output);
                const auto imageBefore = convtest::readFile(image);
                std::string why;
                try {
                    why = w.write(f.source, f.output, c == OntoSource);
                } catch (const std::exception& e) {
                    why = std::string(e.what()) + " ";
                }
                const auto after = convtest::snapshot(f.output);
                disk.reset();
                EXPECT_EQ(convtest::snapshot(f.source), sourceBefore);
                EXPECT_EQ(convtest::readFile(image), imageBefore);
                EXPECT_EQ(convtest::readFile(outside), std::vector<uint8_t>{'k'});
                const auto file = [&](const auto& files) {
                    const auto i = files.find(w.target);
                    return i == files.end() ? std::vector<uint8_t>{'?'} : i->second;
                };
                // Beside a file of the user's a nameless file is written; a named one leaves the target as it
                // was.
                EXPECT_TRUE(c > LinkedPart || (file(after) == file(before)) == (!nameless && !w.windows))
                    << why;
                EXPECT_TRUE(c > LinkedPart ||
                            convtest::readFile(part) == std::vector<uint8_t>{uint8_t(c ? 'k' : 'm')});
                EXPECT_TRUE(c < OntoSource || (!why.empty() && after == before)) << why;
                const char* reason =
                    c == Full ? (mounted ? "на диске нет места" : "файл слишком велик") : "только для чтения";
                EXPECT_TRUE(!w.windows || c < Full || why.find(reason) != std::string::npos) << why;
            }
    }
    ProducedFile::AllowNamelessFiles(true);
}
