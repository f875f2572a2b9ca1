// Every kind of source the fixtures make, opened through the program's opener and crawled to depth 12
// (at most 20 000 nodes), every node selected: the roots, the nodes, the records the views show and where
// the hex viewer goes, compared with golden dumps. The same folder in lower case, a volume set and an ISO
// image give the same tree; damaged sources open what they can and never crash (this also runs under the
// sanitizers). UPDATE_GOLDEN=1 rewrites the golden files (check the difference by hand).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <filesystem>
#include <functional>
#include <sstream>

#include "kiwi/disc/FileManager.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/SourceOpener.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IndexFixture.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "support/model/TreeDump.h"

namespace {

using Open = std::function<OpenOutcome(SourceOpener&)>;

constexpr int kDepth = 12;
constexpr int kMaxNodes = 20000;

std::string goldenPath(const std::string& name) {
    return std::string(KIWI_SOURCE_DIR) + "/tests/mainwindow/model/golden/" + name;
}

// Compares text with the golden file, or rewrites the file under UPDATE_GOLDEN=1. A difference is
// reported at its first line.
void compareGolden(const std::string& name, const std::string& text) {
    const std::string path = goldenPath(name);
    if (qEnvironmentVariableIntValue("UPDATE_GOLDEN") == 1) {
        fixture::writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
        return;
    }
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no golden file " << path;
    const std::string golden = file.readAll().toStdString();
    if (golden == text) return;
    std::istringstream want(golden), got(text);
    std::string a, b;
    for (int line = 1;; ++line) {
        const bool moreWant = bool(std::getline(want, a));
        const bool moreGot = bool(std::getline(got, b));
        if (!moreWant && !moreGot) break;
        if (a != b || moreWant != moreGot) {
            ADD_FAILURE() << name << " differs at line " << line << "\n  golden: " << a
                          << "\n  now:    " << b;
            return;
        }
    }
}

// Upper-cased ASCII: the same disc copied with lower-case names shows the same tree but for the case.
std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

// The lines of root's subtree in a crawl dump: from the root's line up to the next root or the summary.
std::string subtree(const std::string& dump, const std::string& root) {
    const std::string start = "\"" + root + "\" kind ";
    size_t from = dump.rfind("\n" + start);
    from = from == std::string::npos ? (dump.rfind(start, 0) == 0 ? 0 : std::string::npos) : from + 1;
    if (from == std::string::npos) return {};
    size_t to = from;
    while ((to = dump.find('\n', to)) != std::string::npos) {
        ++to;
        if (to >= dump.size() || dump[to] != ' ') break;
    }
    return dump.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// The dump with its "ALL DATA" subtree written as one line when it is the reference map's (read from
// file instead of ALLDATA.KWI: the views and the hex viewer name file), so that each golden dump holds one
// copy of the fixture map.
std::string abbreviateMap(const std::string& dump, const std::string& reference, const std::string& file) {
    const std::string map = subtree(dump, "ALL DATA");
    if (map.empty() || replaced(map, file, "ALLDATA.KWI") != reference) return dump;
    return replaced(dump, map, "\"ALL DATA\" as in the disc folder, read from " + file + "\n");
}

class SourceCrawlTest : public ::testing::Test {
protected:
    void TearDown() override { CloseISOImage(); }

    // "== name ==", the opening's messages (the scratch folder written as <dir>), the roots' count, then
    // every node shown.
    std::string crawl(const std::string& name, const Open& open) {
        RecordTree tree;
        OpenData data;
        MapCodePageChoice codePages;
        SourceOpener opener(tree, data, codePages);
        const OpenOutcome outcome = open(opener);
        std::ostringstream out;
        out << "== " << name << " ==\n";
        out << DumpOpenMessages(outcome, QString::fromStdString(dir_));
        out << "found " << outcome.found << " roots " << tree.Roots().size() << "\n";
        CrawlOptions options;
        options.maxDepth = kDepth;
        options.maxNodes = kMaxNodes;
        const std::string shown = DumpSource(tree, data, options, true);
        EXPECT_EQ(shown.find(" capped"), std::string::npos) << name;
        // Views name the folders they read from: the scratch folder is written as <dir> there too.
        out << replaced(shown, dir_, "<dir>");
        // As the window closes: the tree, the readers, then the image.
        SourceOpener::CloseAllHeadless(tree, data);
        EXPECT_FALSE(IsISOImageOpen());
        return out.str();
    }

    std::string folder(const std::string& name) const { return dir_ + "/" + name; }
    static Open openFolder(const std::string& path) {
        return [path](SourceOpener& opener) { return opener.OpenFolder(ToQtPath(path)); };
    }
    static Open openFile(const std::string& path) {
        return [path](SourceOpener& opener) { return opener.OpenFile(ToQtPath(path)); };
    }
    static Open openImage(const std::string& path) {
        return [path](SourceOpener& opener) { return opener.OpenIsoImage(ToQtPath(path)); };
    }

    std::string dir_ = fixture::scratchDir("source-crawl");
};

TEST_F(SourceCrawlTest, FoldersAndSingleFilesShowTheirGoldenTrees) {
    std::string dump;
    fixture::writeSourceFolder(folder("disc"));
    const std::string disc = crawl("disc folder", openFolder(folder("disc")));
    dump += disc;

    // Every data part of a disc: files named by their management headers and parts inside ALLDATA.KWI.
    fixture::SourceFolderPlan parts;
    parts.loading = parts.cmp05 = parts.coverage = false;
    parts.dataParts = true;
    fixture::writeSourceFolder(folder("parts"), parts);
    dump += crawl("disc folder with every data part", openFolder(folder("parts")));

    // The same disc copied with lower-case names: the same tree and records, names in their own case.
    fixture::SourceFolderPlan lower;
    lower.lowerCase = true;
    fixture::writeSourceFolder(folder("lower"), lower);
    EXPECT_EQ(upper(replaced(crawl("disc folder", openFolder(folder("lower"))), "<dir>/lower", "<dir>/disc")),
              upper(disc));

    // The map as the volume set ALLDATA1.KWI + ALLDATA2.KWI: the same tree.
    const std::string discMap = subtree(disc, "ALL DATA");
    ASSERT_FALSE(discMap.empty());
    fixture::SourceFolderPlan volumes;
    volumes.allDataVolumes = true;
    volumes.loading = volumes.cmp05 = volumes.coverage = false;
    fixture::writeSourceFolder(folder("volumes"), volumes);
    dump += abbreviateMap(crawl("volume set folder", openFolder(folder("volumes"))), discMap, "ALLDATA1.KWI");

    // A map that is not valid gets no root; the other files of the folder still do.
    fixture::SourceFolderPlan invalid;
    invalid.logicalSectorSize = 16;
    fixture::writeSourceFolder(folder("invalid"), invalid);
    dump += crawl("invalid ALLDATA folder", openFolder(folder("invalid")));
    dump += crawl("invalid ALLDATA file", openFile(folder("invalid") + "/ALLDATA.KWI"));

    // Single files, each alone in its folder (05.CMP beside a file opens too).
    fixture::SourceFolderPlan mapOnly;
    mapOnly.loading = mapOnly.cmp05 = mapOnly.coverage = false;
    fixture::writeSourceFolder(folder("map"), mapOnly);
    dump +=
        abbreviateMap(crawl("ALLDATA.KWI", openFile(folder("map") + "/ALLDATA.KWI")), discMap, "ALLDATA.KWI");
    dump += crawl("LOADING.KWI", openFile(fixture::writeLoading(folder("loading"))));
    dump += crawl("COVERAGE.BIN", openFile(fixture::writeCoverage(folder("coverage"))));
    dump += crawl("05.CMP", openFile(fixture::writeCmp05(folder("cmp"))));
    dump += crawl("VOICEDAT.KWI", openFile(fixture::writeVoiceDat(folder("voice"))));
    dump += crawl("STDVCE.KWI", openFile(fixture::writeVoiceDat(folder("stdvce"), "STDVCE.KWI")));
    dump += crawl("VOICE001.ME", openFile(fixture::writeVoiceMe(folder("voiceme"))));
    dump += crawl("DICVCE56.KWI", openFile(fixture::writeDicVce(folder("dicvce"))));
    dump += crawl("PCT2MNG.KWI", openFile(fixture::writePct2Mng(folder("pct2mng"))));
    dump += crawl("INDEXDAT.KWI",
                  openFile(fixture::writeIndexFixture(folder("index"), fixture::buildIndexFixture())));
    // A route planning volume set beside a CMP list: "COMPRESSION" first, then "REGION1".
    fixture::writeCmp05(folder("region1"));
    dump +=
        crawl("REGION1.KWI beside 05.CMP", openFile(fixture::writeRegion(folder("region1"), "REGION1.KWI")));

    // Nothing known: closed and said so.
    std::filesystem::create_directories(folder("empty"));
    fixture::writeFile(folder("empty") + "/README.TXT", {'h', 'i'});
    dump += crawl("folder without KIWI files", openFolder(folder("empty")));
    dump += crawl("unknown file", openFile(folder("empty") + "/README.TXT"));
    compareGolden("source-crawl.txt", dump);
}

TEST_F(SourceCrawlTest, ImagesShowTheirGoldenTreesAndDamagedOnesDoNoHarm) {
    KIWI_NEED_XORRISO();
    std::string dump;
    fixture::writeSourceFolder(folder("content"));
    const std::string discMap = subtree(crawl("disc folder", openFolder(folder("content"))), "ALL DATA");
    fixture::makeIsoWithXorriso(folder("content"), folder("disc.iso"));
    // The current folder holds nothing of the image: names resolve inside it. The map is the folder's.
    const std::string image = crawl("ISO image", openImage(folder("disc.iso")));
    EXPECT_EQ(subtree(image, "ALL DATA"), discMap);
    dump += abbreviateMap(image, discMap, "ALLDATA.KWI");

    // Not an image at all: said so, nothing opened.
    fixture::writeFile(folder("garbage.iso"), std::vector<uint8_t>(40000, 0x5A));
    dump += crawl("not an image", openImage(folder("garbage.iso")));
    compareGolden("source-crawl-iso.txt", dump);

    // An image cut short after its directory: whatever opens is crawled without a crash; what cannot be
    // read is an error on its node. Where the cut falls depends on the authoring tool, so only the
    // crawl's completion is checked.
    const auto size = std::filesystem::file_size(folder("disc.iso"));
    for (const double kept : {0.25, 0.5, 0.75}) {
        const std::string cut = folder("cut.iso");
        std::filesystem::copy_file(folder("disc.iso"), cut,
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::resize_file(cut, uintmax_t(double(size) * kept));
        const std::string text = crawl("cut image", openImage(cut));
        EXPECT_NE(text.find("\nnodes "), std::string::npos) << kept;
    }
}

} // namespace
