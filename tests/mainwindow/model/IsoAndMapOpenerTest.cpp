// Opening ISO images (made with xorriso at test time) and the map's part of an opening: the ISO caption, a
// corrupt image that leaves the open source alone, the automatic code page by system code, the map
// converter's rule for wide systems, and the languages of the localisation data.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "kiwi/core/MapCodePage.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/Loading.h"
#include "mainwindow/model/SourceOpener.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/SourceFolderFixture.h"

namespace {

class IsoAndMapOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
    }
    void TearDown() override {
        SourceOpener::CloseAllHeadless(tree, data);
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
    }

    std::string path(const std::string& name) const { return (dir.path() + "/").toStdString() + name; }
    QString qpath(const std::string& name) const { return QString::fromStdString(path(name)); }
    QStringList captions() const {
        QStringList out;
        for (const auto& root : tree.Roots())
            out << root->caption;
        return out;
    }

    QTemporaryDir dir;
    RecordTree tree;
    OpenData data;
    MapCodePageChoice codePages;
    SourceOpener opener{tree, data, codePages};
};

TEST_F(IsoAndMapOpenerTest, ImageOpensItsRootFilesAndIsCaptionedByItsName) {
    KIWI_NEED_XORRISO();
    fixture::SourceFolderPlan plan;
    plan.cmp05 = false;
    fixture::writeSourceFolder(path("content"), plan);
    fixture::makeIsoWithXorriso(path("content"), path("disc.iso"));

    const OpenOutcome outcome = opener.OpenIsoImage(qpath("disc.iso"));
    EXPECT_TRUE(outcome.found);
    EXPECT_TRUE(outcome.isoMounted);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_TRUE(IsISOImageOpen());
    EXPECT_TRUE(data.imageMounted);
    EXPECT_EQ(captions(), (QStringList{"LOADING", "COVERAGE", "ALL DATA"}));
    // Set last: the map's own caption with the system code does not survive.
    EXPECT_EQ(outcome.caption, "Strovane - " + qpath("disc.iso"));
    // Bare names are read inside the image.
    ASSERT_NE(data.map, nullptr);
    EXPECT_TRUE(data.map->LevelsLoaded());
    EXPECT_TRUE(outcome.routePlanning);
    ASSERT_NE(tree.Roots()[0]->held.As<TLN_Loading>(), nullptr);
    EXPECT_TRUE(tree.Roots()[0]->held.As<TLN_Loading>()->IsValid());

    SourceOpener::CloseAllHeadless(tree, data);
    EXPECT_FALSE(IsISOImageOpen());
}

TEST_F(IsoAndMapOpenerTest, ImageWithoutKiwiFilesIsMountedButFindsNothing) {
    KIWI_NEED_XORRISO();
    fixture::writeFile(path("content/README.TXT"), {'h', 'i'});
    fixture::makeIsoWithXorriso(path("content"), path("other.iso"));
    const OpenOutcome outcome = opener.OpenIsoImage(qpath("other.iso"));
    EXPECT_FALSE(outcome.found);
    EXPECT_TRUE(outcome.isoMounted);
    EXPECT_TRUE(tree.Roots().empty());
    EXPECT_EQ(outcome.caption, "Strovane - " + qpath("other.iso"));
}

TEST_F(IsoAndMapOpenerTest, CorruptImageLeavesTheOpenSourceAsItIs) {
    fixture::writeSourceFolder(path("disc"));
    opener.OpenFolder(qpath("disc"));
    const QStringList before = captions();
    std::vector<uint8_t> noise(64 * 1024);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 7 + 3);
    fixture::writeFile(path("broken.iso"), noise);

    const OpenOutcome outcome = opener.OpenIsoImage(qpath("broken.iso"));
    EXPECT_FALSE(outcome.found);
    EXPECT_FALSE(outcome.closedPrevious);
    EXPECT_FALSE(outcome.isoMounted);
    EXPECT_TRUE(outcome.caption.isEmpty());
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].severity, OpenOutcome::Severity::Error);
    // The image reader's reason follows the path.
    EXPECT_EQ(outcome.messages[0].text, QStringLiteral("Не удалось прочитать ISO образ\r") +
                                            qpath("broken.iso") + "\runkown image format!");
    EXPECT_EQ(captions(), before);
    EXPECT_NE(data.map, nullptr);
    EXPECT_FALSE(IsISOImageOpen());
}

TEST_F(IsoAndMapOpenerTest, SystemCodeChoosesTheCodePageWhileTheChoiceIsAutomatic) {
    struct Case {
        std::string systemText;
        int codePage;
    };
    const Case cases[] = {
        {"AFEU:2.05", 28591}, {"AFUS:2.01", 28591}, {"AFUS:4.01", 28591}, {"AFEU:4.02", 65001},
        {"AFJ:4.00", 50220},  {"ARU:2.01", 28595},  {"BFEU:1.00", 1251},
    };
    int n = 0;
    for (const Case& c : cases) {
        codePages.SetMapCodePage(1251); // a value no rule gives, so every change shows
        fixture::SourceFolderPlan plan;
        plan.loading = plan.cmp05 = plan.coverage = plan.region = false;
        plan.systemText = c.systemText;
        const std::string where = path("map" + std::to_string(n++));
        fixture::writeSourceFolder(where, plan);
        opener.OpenFolder(QString::fromStdString(where));
        EXPECT_EQ(MapTextCodePage.load(), c.codePage) << c.systemText;
    }
    codePages.SetAutoSelect(false);
    codePages.SetMapCodePage(1200);
    opener.SelectAutoCharset();
    EXPECT_EQ(MapTextCodePage.load(), 1200);
}

TEST_F(IsoAndMapOpenerTest, WideSystemsStopBeforeTheSubReaders) {
    fixture::SourceFolderPlan plan;
    plan.loading = plan.cmp05 = plan.coverage = false;
    plan.systemText = "AFEU:8.05"; // variant 2
    fixture::writeSourceFolder(path("wide"), plan);
    const OpenOutcome outcome = opener.OpenFolder(qpath("wide"));
    ASSERT_EQ(captions(), QStringList{"ALL DATA"});
    EXPECT_TRUE(outcome.mapLoaded);
    EXPECT_FALSE(outcome.wizardAllowed);
    EXPECT_FALSE(outcome.mapTab);
    EXPECT_FALSE(outcome.routePlanning);
    EXPECT_EQ(outcome.expandRoot, nullptr);
    EXPECT_EQ(data.routePlanning, nullptr);
}

TEST_F(IsoAndMapOpenerTest, LocalisationLanguagesAreOffered) {
    fixture::SourceFolderPlan plan;
    plan.loading = plan.cmp05 = plan.coverage = false;
    plan.localisation = true;
    fixture::writeSourceFolder(path("languages"), plan);
    const OpenOutcome outcome = opener.OpenFolder(qpath("languages"));
    ASSERT_NE(data.localisation, nullptr);
    EXPECT_EQ(outcome.languages, (QStringList{"ENG", "RUS", "DEU"}));
    EXPECT_EQ(data.map->NameLanguage(), 0u);

    fixture::SourceFolderPlan without = plan;
    without.localisation = false;
    fixture::writeSourceFolder(path("plain"), without);
    EXPECT_TRUE(opener.OpenFolder(qpath("plain")).languages.isEmpty());
    EXPECT_EQ(data.localisation, nullptr);
}

TEST_F(IsoAndMapOpenerTest, RouteDataIsNotLookedForWhenItsFileIsMissing) {
    fixture::SourceFolderPlan plan;
    plan.loading = plan.cmp05 = plan.coverage = plan.region = false;
    fixture::writeSourceFolder(path("noroute"), plan);
    const OpenOutcome outcome = opener.OpenFolder(qpath("noroute"));
    EXPECT_TRUE(outcome.mapLoaded);
    EXPECT_FALSE(outcome.routePlanning);
    EXPECT_EQ(data.routePlanning, nullptr);
    EXPECT_TRUE(outcome.messages.empty());
}

} // namespace
