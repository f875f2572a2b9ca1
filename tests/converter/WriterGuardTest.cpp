// Every file the converter produces, against what may stand in its way: a ".part" file of the user's, a
// ".part" that is a link to a file elsewhere, the source's own folder, a full disk. Nothing of the user's is
// replaced or written through, and a failure leaves no partial file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "converter/import/LmpFile.h"
#include "converter/job/CompletionRun.h"
#include "converter/names/LatRusDictionary.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FileConFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/RegionFixture.h"
#include "support/walkers/FullDisk.h"

namespace {

enum class Case { UserPart, LinkedPart, SourceFolder, FullDisk };

struct Writer {
    const char* target;
    // Whether it writes into the folder of the new map (and so refuses the source's own folder).
    bool intoMapFolder;
    // Runs the writer with its output in folder; true when it produced the target.
    bool (*run)(const std::string& source, const std::string& folder);
};

bool converts(const std::string& source, const std::string& folder) {
    return convtest::convert(source, folder).status == ConversionStatus::Done;
}

// The finishing tasks with the one set asks for.
bool completes(const std::string& source, const std::string& folder, void (*set)(CompletionOptions&)) {
    CompletionOptions options;
    set(options);
    options.sourcePath = source;
    options.outputPath = folder + "/ALLDATA.KWI";
    options.voiceOffset = 0;
    ConversionProgress progress;
    std::atomic<bool> never{false};
    return CompletionRun(options).Execute(progress, never).status == ConversionStatus::Done;
}

const Writer kWriters[] = {
    {"ALLDATA.KWI", true, converts},
    {"Log.txt", true, converts},
    {"ALLDATA1.KWI", true,
     [](const std::string& s, const std::string& f) {
         return completes(s, f, [](CompletionOptions& o) { o.split = true; });
     }},
    {"FILECON.MNG", true,
     [](const std::string& s, const std::string& f) {
         return completes(s, f, [](CompletionOptions& o) { o.fileCon = true; });
     }},
    {"REGION.KWI", true,
     [](const std::string& s, const std::string& f) {
         return completes(s, f, [](CompletionOptions& o) {
             o.region = true;
             o.regions = {0};
         });
     }},
    {"STDVCE.KWI", true,
     [](const std::string& s, const std::string& f) {
         return completes(s, f, [](CompletionOptions& o) {
             o.voice = true;
             o.voiceSize = 3;
         });
     }},
    {"ReadMe.txt", true,
     [](const std::string& s, const std::string& f) { return completes(s, f, [](CompletionOptions&) {}); }},
    {"town.lmp", false,
     [](const std::string&, const std::string& f) {
         std::vector<uint8_t> empty(16);
         building_data::SaveLmp(f + "/town.lmp", empty);
         return true;
     }},
    {"words.txt", false,
     [](const std::string&, const std::string& f) {
         LatRusDictionary words;
         words.SetPair("MOSKVA", "МОСКВА");
         words.SaveToTextFile(f + "/words.txt");
         return true;
     }},
};

bool runs(const Writer& writer, const std::string& source, const std::string& folder) {
    try {
        return writer.run(source, folder);
    } catch (const std::exception&) {
        return false;
    }
}

std::string text(const std::string& path) {
    const auto bytes = convtest::readFile(path);
    return {bytes.begin(), bytes.end()};
}

} // namespace

TEST(WriterGuard, NoWriterReplacesOrWritesThroughWhatItDidNotCreate) {
    for (const bool nameless : {true, false}) {
        ProducedFile::AllowNamelessFiles(nameless);
        for (const Writer& writer : kWriters) {
            for (const Case c : {Case::UserPart, Case::LinkedPart, Case::SourceFolder, Case::FullDisk}) {
                if (c == Case::SourceFolder && !writer.intoMapFolder) continue;
                SCOPED_TRACE(std::string(writer.target) + " case " + std::to_string(int(c)) +
                             (nameless ? " nameless" : " named"));
                const auto f = convtest::makeSource(std::string("guard-") + writer.target +
                                                        std::to_string(int(c)) + (nameless ? "n" : "p"),
                                                    fixture::smallAllDataPlan());
                fixture::writeRegionData(fixture::buildRegionData(fixture::sampleRegionPlan()), f.source);
                fixture::FileConPlan plan;
                plan.entries = {{0, "ALLDATA.KWI", "ALLDATA.KWI", 3}};
                fixture::writeFile(f.source + "/FILECON.MNG", fixture::buildFileCon(plan));
                std::optional<FullDisk> disk;
                if (c == Case::FullDisk) disk.emplace(f.output);
                fixture::writeFile(f.output + "/ALLDATA.KWI", std::vector<uint8_t>(100, 7));
                const std::string part = f.output + "/" + writer.target + ".part";
                const std::string outside = f.output + "-outside.txt";
                fixture::writeFile(outside, {'k', 'e', 'e', 'p'});
                if (c == Case::UserPart) fixture::writeFile(part, {'m', 'i', 'n', 'e'});
                if (c == Case::LinkedPart) {
                    ASSERT_EQ(::symlink(outside.c_str(), part.c_str()), 0);
                }
                const auto sourceBefore = convtest::snapshot(f.source);
                if (c == Case::FullDisk) disk->Fill();
                const auto before = convtest::snapshot(f.output);

                const bool done = runs(writer, f.allData, c == Case::SourceFolder ? f.source : f.output);
                const auto after = convtest::snapshot(f.output);
                disk.reset();

                EXPECT_EQ(convtest::snapshot(f.source), sourceBefore);
                EXPECT_EQ(text(outside), "keep");
                const auto unchanged = [&](const std::string& name) {
                    return before.count(name) == after.count(name) &&
                           (!before.count(name) || before.at(name) == after.at(name));
                };
                const bool foreignPart = c == Case::UserPart || c == Case::LinkedPart;
                if (foreignPart) {
                    EXPECT_EQ(text(part), c == Case::UserPart ? "mine" : "keep");
                    EXPECT_EQ(std::filesystem::is_symlink(part), c == Case::LinkedPart);
                    // Beside it a nameless file is written; a named one is not, and the target stays as it
                    // was.
                    EXPECT_TRUE(nameless ? done && after.count(writer.target) : unchanged(writer.target));
                }
                EXPECT_TRUE(!done || c == Case::UserPart || c == Case::LinkedPart);
                if (c == Case::FullDisk) {
                    for (const auto& [name, bytes] : after)
                        EXPECT_TRUE(unchanged(name)) << name << " is new or changed";
                }
            }
        }
    }
    ProducedFile::AllowNamelessFiles(true);
}
