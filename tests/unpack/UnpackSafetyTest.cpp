// Names and targets the unpack job refuses: names that leave the output folder, folders linked out of it,
// duplicate targets (also by case), and targets that are a source, the list or the image.
#include <gtest/gtest.h>

#include "UnpackTestSupport.h"
#include "support/fixtures/CmpFixture.h"
#include "unpack/engine/UnpackTexts.h"

using namespace unpacktest;

namespace {

TEST(UnpackSafety, NamesThatLeaveTheOutputFolderFailAndNothingIsCreatedOutside) {
    const std::string dir = fixture::scratchDir("unpack-unsafe");
    const auto content = fixture::mapLikeContent(3000, 1);
    // The data files sit where the hostile names would lead from the list's folder, so nothing but the
    // name check can stop them.
    std::vector<fixture::CorpusFile> files;
    for (const char* name :
         {"../x.kwi", "/abs.kwi", "C:\\x.kwi", "a/../../y.kwi", "a\\..\\..\\z.kwi", "c:x.kwi"})
        files.push_back({name, 0, content, false, "-"});
    files.push_back({"GOOD.KWI", 0, content, false, {}});
    fixture::writeFile(dir + "/x.kwi", content);
    const auto corpus = fixture::writeUnpackCorpus(dir + "/disc", files);
    UnpackJobOptions options;
    options.outputFolder = dir + "/out/inner";
    std::filesystem::create_directories(options.outputFolder);
    const auto job = runJob(openList(corpus.listPath), options);
    for (const auto& file : files) {
        const UnpackJobEntry* entry = entryNamed(*job, file.name);
        ASSERT_NE(entry, nullptr) << file.name;
        if (file.name == "GOOD.KWI") {
            EXPECT_EQ(entry->State(), UnpackState::Done);
            continue;
        }
        EXPECT_EQ(entry->State(), UnpackState::Failed) << file.name;
        EXPECT_EQ(entry->Reason(), unpacktext::unsafeName) << file.name;
        EXPECT_EQ(entry->Target(), "") << file.name;
    }
    EXPECT_EQ(fixture::readFile(dir + "/x.kwi"), content);
    for (const char* outside : {"/out/x.kwi", "/out/y.kwi", "/y.kwi", "/z.kwi", "/out/z.kwi"})
        EXPECT_FALSE(exists(dir + outside)) << outside;
    EXPECT_EQ(job->TotalBlocks(), 1);
}

TEST(UnpackSafety, AFolderLinkedOutOfTheOutputIsRefusedAndNothingIsCreatedThere) {
    const std::string dir = fixture::scratchDir("unpack-linked-folder");
    const auto corpus = fixture::writeUnpackCorpus(
        dir + "/disc", {{"LINK/NEW/A.KWI", 2, fixture::mapLikeContent(70000, 2), false, {}},
                        {"INSIDE/B.KWI", 0, fixture::mapLikeContent(500, 3), false, {}}});
    const std::string out = dir + "/out";
    std::filesystem::create_directories(out + "/real");
    std::filesystem::create_directories(dir + "/outside");
    std::filesystem::create_directory_symlink(dir + "/outside", out + "/LINK");
    // A link to a folder inside the output folder is fine.
    std::filesystem::create_directory_symlink(out + "/real", out + "/INSIDE");
    UnpackJobOptions options;
    options.outputFolder = out;
    const auto job = runJob(openList(corpus.listPath), options);
    const UnpackJobEntry* linked = entryNamed(*job, "LINK/NEW/A.KWI");
    EXPECT_EQ(linked->State(), UnpackState::Failed);
    EXPECT_EQ(linked->Reason(), unpacktext::outsideFolder);
    EXPECT_TRUE(std::filesystem::is_empty(dir + "/outside"));
    EXPECT_EQ(entryNamed(*job, "INSIDE/B.KWI")->State(), UnpackState::Done);
    EXPECT_TRUE(exists(out + "/real/B.KWI"));
}

TEST(UnpackSafety, DuplicateTargetsFailAfterTheFirstAlsoWhenOnlyTheCaseDiffers) {
    const std::string dir = fixture::scratchDir("unpack-duplicates");
    const auto first = fixture::mapLikeContent(70000, 2);
    const auto corpus = fixture::writeUnpackCorpus(
        dir + "/disc", {{"DATA/A.KWI", 2, first, false, {}},
                        {"data/a.kwi", 0, {}, false, "-"},
                        {"DATA/A.KWI.part", 0, fixture::mapLikeContent(10, 4), false, {}},
                        {"DATA//A.KWI", 0, {}, false, "-"}});
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    std::filesystem::create_directories(options.outputFolder);
    const auto list = openList(corpus.listPath);
    const auto job = runJob(list, options);
    EXPECT_EQ(entryNamed(*job, "DATA/A.KWI")->State(), UnpackState::Done);
    // The sources of the later entries resolve to the first one's data file, so only the target decides.
    for (const char* name : {"data/a.kwi", "DATA/A.KWI.part", "DATA//A.KWI"}) {
        EXPECT_EQ(entryNamed(*job, name)->State(), UnpackState::Failed) << name;
        EXPECT_EQ(entryNamed(*job, name)->Reason(), unpacktext::duplicate) << name;
    }
    EXPECT_EQ(fixture::readFile(options.outputFolder + "/DATA/A.KWI"), first);
}

TEST(UnpackSafety, ATargetThatIsItsSourceTheListOrAnotherSourceIsRefused) {
    const std::string dir = fixture::scratchDir("unpack-target-is-source");
    const auto mapContent = fixture::mapLikeContent(70000, 2);
    const auto corpus =
        fixture::writeUnpackCorpus(dir, {{"MAP.KWI", 2, mapContent, false, {}},
                                         {"05.CMP", 0, {}, false, "-"},
                                         {"PLAIN.KWI", 0, fixture::mapLikeContent(300, 3), false, {}},
                                         {"MAP.KWI.unpack", 0, fixture::mapLikeContent(30, 4), false, {}}});
    const auto listBytes = fixture::readFile(corpus.listPath);
    const auto mapBytes = fixture::readFile(dir + "/MAP.KWI");
    const auto list = openList(corpus.listPath);
    // Into the list's own folder without the extension every target is its source.
    UnpackJobOptions options;
    options.outputFolder = dir;
    auto job = runJob(list, options);
    for (const char* name : {"MAP.KWI", "05.CMP", "PLAIN.KWI", "MAP.KWI.unpack"}) {
        EXPECT_EQ(entryNamed(*job, name)->State(), UnpackState::Failed) << name;
        EXPECT_EQ(entryNamed(*job, name)->Reason(), unpacktext::targetIsSource) << name;
    }
    EXPECT_EQ(fixture::readFile(corpus.listPath), listBytes);
    EXPECT_EQ(fixture::readFile(dir + "/MAP.KWI"), mapBytes);
    // With the extension, MAP.KWI's target would replace the source of the entry "MAP.KWI.unpack".
    options.addExtension = true;
    job = runJob(list, options, {0});
    EXPECT_EQ(entryNamed(*job, "MAP.KWI")->State(), UnpackState::Done);
    job = runJob(list, options, {0, 3});
    EXPECT_EQ(entryNamed(*job, "MAP.KWI")->State(), UnpackState::Failed);
    EXPECT_EQ(entryNamed(*job, "MAP.KWI.unpack")->State(), UnpackState::Done);
}

TEST(UnpackSafety, SourcesAreFoundIgnoringCaseButOnlyUnderTheirOwnFolders) {
    const std::string dir = fixture::scratchDir("unpack-case");
    const auto content = fixture::mapLikeContent(70000, 2);
    const auto corpus = fixture::writeUnpackCorpus(
        dir + "/disc", {{"DATA/ALLDATA.KWI", 2, content, false, "data/alldata.kwi"},
                        {"FOO/BAR.KWI", 0, content, false, "BAR.KWI"},
                        {"ALLDATA1.KWI", 0, content, false, {}}});
    // A volume-set name is read as the one file it is, not as a set with its next part.
    fixture::writeFile(dir + "/disc/ALLDATA2.KWI", fixture::mapLikeContent(5000, 9));
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    std::filesystem::create_directories(options.outputFolder);
    const auto job = runJob(openList(corpus.listPath), options);
    EXPECT_EQ(entryNamed(*job, "DATA/ALLDATA.KWI")->State(), UnpackState::Done);
    EXPECT_EQ(fixture::readFile(options.outputFolder + "/DATA/ALLDATA.KWI"), content);
    EXPECT_EQ(entryNamed(*job, "FOO/BAR.KWI")->State(), UnpackState::NotFound);
    EXPECT_EQ(entryNamed(*job, "ALLDATA1.KWI")->Counters().bytesWritten.load(), int64_t(content.size()));
}

} // namespace
