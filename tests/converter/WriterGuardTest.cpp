// Every file the converter and the windows' save commands write, against what may stand in its way: a
// ".part" of the user's or one linked to a file elsewhere, the file the writer reads, a full or read-only
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
enum Kind { Convert, Split, FileCon, Region, Voice, ReadMe, Lmp, Words, Iso, Hex };

// Writes the file of kind into out from the map in src (onto: over the file it reads); "" when done.
std::string write(Kind kind, const std::string& src, const std::string& out, bool onto,
                  const std::string& image) {
    const std::string map = src + "/ALLDATA.KWI", folder = onto ? src : out;
    ConversionResult r;
    if (kind == Convert) r = convtest::convert(map, folder);
    if (kind > Convert && kind <= ReadMe) {
        CompletionOptions o;
        o.sourcePath = map, o.outputPath = folder + "/ALLDATA.KWI", o.split = kind == Split;
        o.fileCon = kind == FileCon, o.region = kind == Region, o.regions = {0}, o.voice = kind == Voice;
        o.voiceOffset = 0, o.voiceSize = 3;
        ConversionProgress progress;
        r = CompletionRun(o).Execute(progress, std::atomic<bool>{false});
    }
    if (kind <= ReadMe) return r.status == ConversionStatus::Done ? "" : r.message + " ";
    if (kind == Lmp) return building_data::SaveLmp(out + "/town.lmp", std::vector<uint8_t>(16)), "";
    LatRusDictionary words;
    words.SetPair("MOSKVA", "M");
    if (kind == Words) return words.SaveToTextFile(out + "/words.txt"), "";
    if (kind == Iso) {
        TISOImage iso(image);
        iso.OpenImage();
        const auto e = IsoExtraction::Extract(iso, *FindISOFile(iso, "README.TXT"),
                                              QString::fromStdString(onto ? image : out + "/README.TXT"),
                                              &IsoExtraction::SavedFile, {}, {});
        return e.state == IsoExtraction::State::Done ? "" : e.error.toStdString() + " ";
    }
    const std::shared_ptr<TLN_Stream> read = TLN_HandleStream::OpenForReading(map);
    const QString target = QString::fromStdString(onto ? map : out + "/block.bin");
    HexBlockFileCopy job(read, 0, 100, MakeSaveFileSink(target, FilesBehind(*read)));
    job.Start();
    const QString why = job.Result();
    return job.Status() == JobStatus::Done ? "" : why.toStdString() + " ";
}

} // namespace

TEST(WriterGuard, NoWriterReplacesOrWritesThroughWhatItDidNotCreate) {
    KIWI_NEED_XORRISO();
    const std::string image = fixture::scratchDir("guard-iso") + "/disc.iso";
    fixture::writeFile(FolderOf(image) + "/in/README.TXT", {'r'});
    fixture::makeIsoWithXorriso(FolderOf(image) + "/in", image);
    const std::pair<const char*, Kind> writers[] = {
        {"ALLDATA.KWI", Convert}, {"Log.txt", Convert},  {"ALLDATA1.KWI", Split}, {"FILECON.MNG", FileCon},
        {"REGION.KWI", Region},   {"STDVCE.KWI", Voice}, {"ReadMe.txt", ReadMe},  {"town.lmp", Lmp},
        {"words.txt", Words},     {"README.TXT", Iso},   {"block.bin", Hex}};
    for (const bool nameless : {true, false})
        for (const auto& [target, kind] : writers)
            for (const Case c : {UserPart, LinkedPart, OntoSource, Full, ReadOnly}) {
                ProducedFile::AllowNamelessFiles(nameless);
                SCOPED_TRACE(std::string(target) + " case " + std::to_string(c) + (nameless ? "" : " named"));
                // The wizard refuses the source map's files before either save (a test of its own).
                if (c == OntoSource && (kind == Lmp || kind == Words)) continue;
                const auto f = convtest::makeSource("guard", fixture::smallAllDataPlan());
                fixture::writeRegionData(fixture::buildRegionData(fixture::sampleRegionPlan()), f.source);
                fixture::FileConPlan plan;
                plan.entries = {{0, "ALLDATA.KWI", "ALLDATA.KWI", 3}};
                fixture::writeFile(f.source + "/FILECON.MNG", fixture::buildFileCon(plan));
                std::optional<FullDisk> disk;
                if (c >= Full) disk.emplace(f.output);
                const bool mounted = disk && disk->Mounted(), windows = kind >= Iso;
                if (c == ReadOnly && !mounted) continue;
                const std::string part = f.output + "/" + target + ".part", outside = f.output + "-outside";
                fixture::writeFile(f.output + "/ALLDATA.KWI", std::vector<uint8_t>(100, 7));
                fixture::writeFile(outside, {'k'});
                if (c == UserPart) fixture::writeFile(part, {'m'});
                EXPECT_TRUE(c != LinkedPart || ::symlink(outside.c_str(), part.c_str()) == 0);
                if (c == Full) disk->Fill();
                EXPECT_TRUE(c != ReadOnly || disk->ReadOnly());
                const auto sources = convtest::snapshot(f.source), before = convtest::snapshot(f.output);
                const auto imageBytes = convtest::readFile(image);
                std::string why;
                try {
                    why = write(kind, f.source, f.output, c == OntoSource, image);
                } catch (const std::exception& e) {
                    why = std::string(e.what()) + " ";
                }
                const auto after = convtest::snapshot(f.output);
                disk.reset();
                EXPECT_TRUE(convtest::snapshot(f.source) == sources &&
                            convtest::readFile(image) == imageBytes);
                EXPECT_EQ(convtest::readFile(outside), std::vector<uint8_t>{'k'});
                const auto file = [&](const auto& files) {
                    return files.count(target) ? files.at(target) : std::vector<uint8_t>{'?'};
                };
                // Beside a file of the user's a nameless file is written; a named one leaves the target
                // alone.
                EXPECT_TRUE(c > LinkedPart || (file(after) == file(before)) == (!nameless && !windows))
                    << why;
                EXPECT_TRUE(c > LinkedPart ||
                            convtest::readFile(part) == std::vector<uint8_t>{uint8_t(c ? 'k' : 'm')});
                EXPECT_TRUE(c < OntoSource || (!why.empty() && after == before)) << why;
                const char* reason =
                    c == Full ? (mounted ? "на диске нет места" : "файл слишком велик") : "только для чтения";
                EXPECT_TRUE(!windows || c < Full || why.find(reason) != std::string::npos) << why;
            }
    ProducedFile::AllowNamelessFiles(true);
}
