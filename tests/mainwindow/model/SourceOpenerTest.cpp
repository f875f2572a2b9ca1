// Opening folders and single files: which roots appear in which order with which kinds, captions, who holds
// each reader, case-insensitive names, and what a missing path, an empty folder, an unknown file, an
// invalid map or a reader that raises leave behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/Loading.h"
#include "kiwi/region/RegionManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/SourceOpener.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IndexFixture.h"
#include "support/fixtures/PictureFixture.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "support/model/TreeDump.h"

namespace {

class SourceOpenerTest : public ::testing::Test {
protected:
    void TearDown() override { SourceOpener::CloseAllHeadless(tree, data); }

    std::string folder(const std::string& name = "disc") const {
        return (dir.path() + "/").toStdString() + name;
    }
    QString qfolder(const std::string& name = "disc") const { return QString::fromStdString(folder(name)); }

    QStringList captions() const {
        QStringList out;
        for (const auto& root : tree.Roots())
            out << root->caption;
        return out;
    }
    std::vector<int> kinds() const {
        std::vector<int> out;
        for (const auto& root : tree.Roots())
            out.push_back(root->kind);
        return out;
    }
    RecordNode* root(const QString& caption) const {
        for (const auto& node : tree.Roots())
            if (node->caption == caption) return node.get();
        return nullptr;
    }

    QTemporaryDir dir;
    RecordTree tree;
    OpenData data;
    MapCodePageChoice codePages;
    SourceOpener opener{tree, data, codePages};
};

TEST_F(SourceOpenerTest, FolderOpensItsFilesInOrderWithTheirKindsAndHolders) {
    fixture::writeSourceFolder(folder());
    const OpenOutcome outcome = opener.OpenFolder(qfolder());

    EXPECT_TRUE(outcome.found);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(captions(), (QStringList{"LOADING", "COMPRESSION", "COVERAGE", "ALL DATA"}));
    EXPECT_EQ(kinds(), (std::vector<int>{1, 4, 1500, 7}));
    for (const auto& node : tree.Roots())
        EXPECT_TRUE(node->hasChildren) << node->caption.toStdString();

    // LOADING and COVERAGE are held by their nodes; the CMP list and the map by the opened data.
    EXPECT_NE(root("LOADING")->held.As<TLN_Loading>(), nullptr);
    EXPECT_EQ(root("LOADING")->stream, root("LOADING")->held.As<TLN_Loading>()->SharedStream());
    EXPECT_NE(root("COVERAGE")->held.As<TLN_Coverage>(), nullptr);
    EXPECT_EQ(root("COVERAGE")->stream, nullptr);
    EXPECT_EQ(root("COVERAGE")->fileName, folder() + "/COVERAGE.BIN");
    ASSERT_NE(data.compression, nullptr);
    EXPECT_FALSE(root("COMPRESSION")->held);
    EXPECT_EQ(root("COMPRESSION")->stream, data.compression->ListStream());
    ASSERT_NE(data.map, nullptr);
    EXPECT_EQ(root("ALL DATA")->stream, data.map->GetAllDataStream());
    EXPECT_FALSE(root("ALL DATA")->held);

    EXPECT_EQ(outcome.caption, "Strovane - " + qfolder() + "  [EU 2007]");
    EXPECT_TRUE(outcome.mapLoaded);
    EXPECT_TRUE(outcome.mapTab);
    EXPECT_TRUE(outcome.wizardAllowed);
    // Management header 1 names REGION.KWI, which lies beside the map.
    EXPECT_TRUE(outcome.routePlanning);
    ASSERT_NE(data.routePlanning, nullptr);
    EXPECT_EQ(outcome.expandRoot, root("ALL DATA"));
    EXPECT_EQ(data.folder, folder());
}

TEST_F(SourceOpenerTest, LowerCaseNamesAreFoundAsWell) {
    fixture::SourceFolderPlan plan;
    plan.lowerCase = true;
    fixture::writeSourceFolder(folder(), plan);
    const OpenOutcome outcome = opener.OpenFolder(qfolder());

    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(captions(), (QStringList{"LOADING", "COMPRESSION", "COVERAGE", "ALL DATA"}));
    EXPECT_EQ(root("COVERAGE")->fileName, folder() + "/coverage.bin");
    EXPECT_TRUE(outcome.routePlanning);
}

TEST_F(SourceOpenerTest, VolumeSetOfTheMapOpensThroughItsFirstPart) {
    for (const bool lower : {false, true}) {
        fixture::SourceFolderPlan plan;
        plan.loading = plan.cmp05 = plan.coverage = false;
        plan.allDataVolumes = true;
        plan.lowerCase = lower;
        const std::string where = folder(lower ? "lower" : "upper");
        fixture::writeSourceFolder(where, plan);
        const OpenOutcome outcome = opener.OpenFolder(QString::fromStdString(where));
        ASSERT_EQ(captions(), QStringList{"ALL DATA"}) << lower;
        // Both parts are read: the map's levels lie past the first.
        EXPECT_TRUE(data.map->LevelsLoaded()) << lower;
        EXPECT_EQ(outcome.caption, QString::fromStdString("Strovane - " + where + "  [EU 2007]"));
    }
}

TEST_F(SourceOpenerTest, CaptionOfALastFileWithoutMapNamesThatFile) {
    fixture::SourceFolderPlan plan;
    plan.allData = false;
    fixture::writeSourceFolder(folder(), plan);
    const OpenOutcome outcome = opener.OpenFolder(qfolder());
    EXPECT_EQ(outcome.caption, "Strovane - [" + qfolder() + "/COVERAGE.BIN]");
    EXPECT_FALSE(outcome.mapLoaded);
    EXPECT_FALSE(outcome.mapTab);
}

TEST_F(SourceOpenerTest, MissingPathChangesNothingAndSaysSo) {
    fixture::writeSourceFolder(folder());
    opener.OpenFolder(qfolder());
    const size_t roots = tree.Roots().size();

    const QString missing = qfolder("gone");
    for (const OpenOutcome& outcome : {opener.OpenFolder(missing), opener.OpenFile(missing + "/ALLDATA.KWI"),
                                       opener.OpenIsoImage(missing + "/disc.iso")}) {
        EXPECT_FALSE(outcome.found);
        EXPECT_FALSE(outcome.closedPrevious);
        ASSERT_EQ(outcome.messages.size(), 1u);
        EXPECT_EQ(outcome.messages[0].severity, OpenOutcome::Severity::Error);
        EXPECT_TRUE(outcome.messages[0].text.startsWith("Wrong file path !!!\r" + missing));
        EXPECT_TRUE(outcome.caption.isEmpty());
    }
    EXPECT_EQ(tree.Roots().size(), roots);
    EXPECT_NE(data.map, nullptr);
}

TEST_F(SourceOpenerTest, FolderWithoutKiwiFilesIsClosedAndSaysSo) {
    fixture::writeSourceFolder(folder());
    opener.OpenFolder(qfolder());
    QDir().mkpath(qfolder("empty"));

    const OpenOutcome outcome = opener.OpenFolder(qfolder("empty"));
    EXPECT_FALSE(outcome.found);
    EXPECT_TRUE(outcome.closedPrevious);
    EXPECT_TRUE(tree.Roots().empty());
    EXPECT_EQ(data.map, nullptr);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].severity, OpenOutcome::Severity::Information);
    EXPECT_EQ(outcome.messages[0].text, QStringLiteral("KIWI-файлы не найдены\r") + qfolder("empty"));
}

TEST_F(SourceOpenerTest, InvalidMapIsDroppedAndSaysWhy) {
    fixture::SourceFolderPlan plan;
    plan.loading = plan.cmp05 = plan.coverage = false;
    plan.logicalSectorSize = 16;
    fixture::writeSourceFolder(folder(), plan);
    const OpenOutcome outcome = opener.OpenFolder(qfolder());

    EXPECT_TRUE(outcome.found); // the file was there
    EXPECT_TRUE(tree.Roots().empty());
    EXPECT_EQ(data.map, nullptr);
    EXPECT_FALSE(outcome.mapLoaded);
    // The previous source is closed: the caption names none.
    EXPECT_EQ(outcome.caption, QStringLiteral("Strovane"));
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].severity, OpenOutcome::Severity::Error);
    EXPECT_EQ(outcome.messages[0].text,
              QStringLiteral("Карта не открыта: размер логического сектора 16 (должен быть 32)\r") +
                  qfolder() + QStringLiteral("/ALLDATA.KWI"));
}

TEST_F(SourceOpenerTest, Region1BesideACmpListGivesCompressionThenRegion1) {
    QDir().mkpath(qfolder());
    fixture::writeCmp05(folder());
    const std::string region = fixture::writeRegion(folder(), "REGION1.KWI");
    const OpenOutcome outcome = opener.OpenFile(QString::fromStdString(region));

    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(captions(), (QStringList{"COMPRESSION", "REGION1"}));
    EXPECT_EQ(kinds(), (std::vector<int>{4, 1400}));
    EXPECT_NE(root("REGION1")->held.As<TLN_RegionManager>(), nullptr);
    EXPECT_EQ(outcome.caption, "Strovane - [" + QString::fromStdString(region) + "]");
}

std::string writeIndex(const std::string& folder, const std::string&) {
    return fixture::writeIndexFixture(folder, fixture::buildIndexFixture());
}

// Bytes that are no index data (cut to the size the table gives).
std::string writeNoise(const std::string& folder, const std::string& name) {
    std::mt19937 random(49);
    std::vector<uint8_t> bytes(4096);
    for (uint8_t& byte : bytes)
        byte = uint8_t(random());
    fixture::writeFile(folder + "/" + name, bytes);
    return folder + "/" + name;
}

// The standard picture list whose first picture file is cut inside its image records.
std::string writeCutPictures(const std::string& folder, const std::string& name) {
    fixture::writeStandardPictureSet(folder);
    std::filesystem::resize_file(folder + "/PICT0001.KWI", 300);
    return folder + "/" + name;
}

// The index whose data file is cut before its search frames.
std::string writeCutSearchFrames(const std::string& folder, const std::string&) {
    const std::string path = fixture::writeIndexFixture(folder, fixture::buildIndexFixture());
    std::filesystem::resize_file(folder + "/SRCH0001.KWI", 40);
    return path;
}

// The standard picture list whose extended picture file is cut inside its header.
std::string writeCutExtension(const std::string& folder, const std::string& name) {
    fixture::writeStandardPictureSet(folder);
    std::filesystem::resize_file(folder + "/EXPCT001.KWI", 15);
    return folder + "/" + name;
}

TEST_F(SourceOpenerTest, SingleFilesGiveTheirRootsByName) {
    struct Case {
        std::string (*write)(const std::string&, const std::string&);
        std::string name;
        QString caption;
        int kind;
        uintmax_t cut = 0; // the file cut to this many bytes: an "(Error)" root or node
        // With a cut: the reason an "(Error)" node below a sound root shows in its "Ошибка" row.
        const char* reason = nullptr;
    };
    const Case cases[] = {
        {fixture::writeVoiceMe, "VOICE001.ME", "VOICE001", 1100},
        {fixture::writeVoiceDat, "VOICEDAT.KWI", "VOICEDAT", 1060},
        {fixture::writeVoiceDat, "stdvce.kwi", "VOICEDAT", 1060},
        {fixture::writeDicVce, "DICVCE56.KWI", "DICVCE", 1250},
        {fixture::writePct2Mng, "PCT2MNG.KWI", "PCT2MNG", 1300},
        {fixture::writeRegion, "region.kwi", "region", 1400},
        {fixture::writeCoverage, "COVERAGE.BIN", "COVERAGE", 1500},
        {fixture::writeLoading, "Loading.kwi", "LOADING", 1},
        {fixture::writeVoiceDat, "VOICEDAT.KWI", "VOICEDAT  (Error)", 1060, 10},
        {fixture::writeRegion, "REGION.KWI", "REGION  (Error)", 1400, 6},
        {fixture::writeRegion, "REGION.KWI", "REGION", 1400, 100,
         "REGION.KWI, байт 96: Total Number of Region Management Records 2 — в файле 4 из 72 байт"},
        {fixture::writeRegion, "REGION.KWI", "REGION", 1400, 322,
         "REGION.KWI, byte 576: the route planning distribution header, the file holds 0 of its 68 bytes"},
        {fixture::writeRegion, "REGION1.KWI", "REGION1", 1400, 400,
         "REGION1.KWI, byte 324: the route planning data"},
        {writeIndex, "INDEXDAT.KWI", "INDEXDAT  (Error)", 1020, 101,
         "INDEXDAT.KWI, байт 256: Number of Volume Management Records 2 — в файле 0 из 108 байт этих "
         "записей"},
        {writeNoise, "INDEXDAT.KWI", "INDEXDAT  (Error)", 1020, 300,
         "INDEXDAT.KWI, байт 1975782204: Number of Volume Management Records 1210385667"},
        {fixture::writeVoiceDat, "VOICEDAT.KWI", "VOICEDAT", 1060, 300,
         "VOICEDAT.KWI, byte 142: the voice data of phrase 0, the file holds 158 of its 300 bytes"},
        {fixture::writeVoiceDat, "VOICEDAT.KWI", "VOICEDAT", 1060, 88,
         "VOICEDAT.KWI, byte 88: the voice offset table of voice 0 of Number of Voices 2, the file holds 0 "
         "of"},
        {fixture::writeVoiceMe, "VOICE001.ME", "VOICE001  (Error)", 1100, 52,
         "VOICE001.ME, байт 0: the voice distribution header — в файле 52 из 130 байт"},
        {fixture::writeCmp05, "05.CMP", "COMPRESSION  (Error)", 4, 6,
         "05.CMP, byte 4: entry 0 of Number of Compressed Files 1, the file holds 2 of its 8 bytes"},
        {writeCutPictures, "PCT2MNG.KWI", "PCT2MNG", 1300, 0,
         "PICT0001.KWI, byte 352: image data record 0, the file holds 0 of its 22 bytes"},
        {writeCutSearchFrames, "INDEXDAT.KWI", "INDEXDAT", 1020, 0, "SRCH0001.KWI, byte "},
        {writeCutExtension, "PCT2MNG.KWI", "PCT2MNG", 1300, 0,
         "EXPCT001.KWI, байт 0: the extended picture data frame distribution header — в файле 15 из 24 "
         "байт"},
        {fixture::writeVoiceMe, "VOICE001.ME", "VOICE001  (Error)", 1100, 1,
         "VOICE001.ME, байт 0: Voice Distribution Header Size — в файле 1 из 2 байт"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string where = folder("single" + std::to_string(n++));
        QDir().mkpath(QString::fromStdString(where));
        const std::string path = c.write(where, c.name);
        if (c.cut) std::filesystem::resize_file(path, c.cut);
        const OpenOutcome outcome = opener.OpenFile(QString::fromStdString(path));
        EXPECT_TRUE(outcome.found) << c.name;
        ASSERT_EQ(tree.Roots().size(), 1u) << c.name;
        EXPECT_EQ(tree.Roots()[0]->caption, c.caption) << c.name;
        EXPECT_EQ(tree.Roots()[0]->kind, c.kind) << c.name;
        EXPECT_EQ(tree.Roots()[0]->error.isEmpty(), !c.caption.endsWith(QStringLiteral("  (Error)")))
            << c.name;
        if (c.reason) {
            CrawlOptions options;
            const std::string shown = DumpSource(tree, data, options, true);
            EXPECT_NE(shown.find("  (Error)\""), std::string::npos) << shown;
            EXPECT_NE(shown.find(std::string("|Ошибка||") + c.reason), std::string::npos) << shown;
            // Never a sound the file does not hold: no WAVE image of a header alone.
            EXPECT_EQ(shown.find("@play 46\n"), std::string::npos) << shown;
        }
        EXPECT_EQ(outcome.caption, "Strovane - [" + QString::fromStdString(path) + "]") << c.name;
    }
}

TEST_F(SourceOpenerTest, Voice001AloneShowsItsOwnFile) {
    QDir().mkpath(qfolder());
    const std::string path = fixture::writeVoiceMe(folder());
    opener.OpenFile(QString::fromStdString(path));
    ASSERT_NE(data.voice001, nullptr);
    ASSERT_EQ(tree.Roots().size(), 1u);
    const RecordNode& voice = *tree.Roots()[0];
    EXPECT_EQ(voice.stream, data.voice001->SharedStream());
    EXPECT_EQ(voice.stream->FileName(), path);
    EXPECT_FALSE(voice.held); // the opened data holds it
}

TEST_F(SourceOpenerTest, LoadingBesideACmpListOpensOnlyLoading) {
    QDir().mkpath(qfolder());
    fixture::writeCmp05(folder());
    const std::string path = fixture::writeLoading(folder());
    opener.OpenFile(QString::fromStdString(path));
    EXPECT_EQ(captions(), QStringList{"LOADING"});
    EXPECT_EQ(data.compression, nullptr);
}

TEST_F(SourceOpenerTest, UnknownFileFindsOnlyTheCmpListBesideIt) {
    QDir().mkpath(qfolder("alone"));
    QFile alone(qfolder("alone") + "/readme.txt");
    ASSERT_TRUE(alone.open(QIODevice::WriteOnly));
    alone.close();
    const OpenOutcome nothing = opener.OpenFile(alone.fileName());
    EXPECT_FALSE(nothing.found);
    EXPECT_TRUE(tree.Roots().empty());
    ASSERT_EQ(nothing.messages.size(), 1u);
    EXPECT_EQ(nothing.messages[0].text, QStringLiteral("KIWI-файлы не найдены\r") + alone.fileName());

    fixture::writeCmp05(folder("alone"), "05.cmp");
    const OpenOutcome list = opener.OpenFile(alone.fileName());
    EXPECT_TRUE(list.found);
    EXPECT_EQ(captions(), QStringList{"COMPRESSION"});
    EXPECT_TRUE(list.messages.empty());
}

TEST_F(SourceOpenerTest, ReaderThatRaisesBecomesAMessage) {
    RecordNode* node = opener.OpenRegionFile(folder("nowhere") + "/REGION.KWI");
    EXPECT_EQ(node, nullptr);
    EXPECT_TRUE(tree.Roots().empty());
    ASSERT_EQ(opener.Outcome().messages.size(), 1u);
    EXPECT_EQ(opener.Outcome().messages[0].severity, OpenOutcome::Severity::Error);
    EXPECT_FALSE(opener.Outcome().messages[0].text.isEmpty());
    EXPECT_TRUE(opener.Outcome().caption.isEmpty());
}

TEST_F(SourceOpenerTest, RootReadersLiveExactlyAsLongAsTheirNodes) {
    QDir().mkpath(qfolder());
    const std::string path = fixture::writeDicVce(folder());
    opener.OpenFile(QString::fromStdString(path));
    ASSERT_EQ(tree.Roots().size(), 1u);
    std::weak_ptr<TLN_DicVceManager> reader = tree.Roots()[0]->held.Shared<TLN_DicVceManager>();
    ASSERT_FALSE(reader.expired());
    EXPECT_EQ(tree.Roots()[0]->held.UseCount(), 1);
    tree.Clear();
    EXPECT_TRUE(reader.expired());
}

TEST_F(SourceOpenerTest, CloseAllReleasesTheOpenedData) {
    fixture::writeSourceFolder(folder());
    opener.OpenFolder(qfolder());
    std::weak_ptr<TLN_KiwiMap> map = data.map;
    std::weak_ptr<TLN_CompressionManager> list = data.compression;
    SourceOpener::CloseAllHeadless(tree, data);
    EXPECT_TRUE(map.expired());
    EXPECT_TRUE(list.expired());
    EXPECT_TRUE(tree.Roots().empty());
}

} // namespace
