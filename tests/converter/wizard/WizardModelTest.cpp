// The converter wizard's window-free rules: the page table, the start page, stamps, the remembered output
// name, Restore Default per target and system number, type codes, trim edges, the areas chosen for
// trimming, and the output check's refusals.
#include <QDate>
#include <QDir>
#include <QFile>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "converter/wizard/WizardPageTable.h"
#include "converter/wizard/WizardRules.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

// Facts of the page flow a user meets, each checked over every page rather than row by row.
TEST(WizardPageTable, TheOptionPagesNeverTrapTheUser) {
    // From the first options page to the file page, Next always leads on and Back always leads back.
    for (int p = int(WizardPage::FirstStep); p < int(WizardPage::File); ++p) {
        const WizardPageRules& rules = PageRulesOf(WizardPage(p));
        SCOPED_TRACE(rules.caption);
        EXPECT_EQ(rules.next, NextRule::On);
        EXPECT_NE(rules.back, BackRule::Off);
        EXPECT_TRUE(rules.cancelEnabled);
        EXPECT_FALSE(rules.nextIsDone);
    }
    // Back from the first options page only returns to the caution it came from.
    EXPECT_EQ(PageRulesOf(WizardPage::FirstStep).back, BackRule::WhenCaution);
    // The file page lets the run start only once the output is acceptable.
    EXPECT_EQ(PageRulesOf(WizardPage::File).next, NextRule::OutputCheck);
}

TEST(WizardPageTable, OnlyTheCompletionPageEndsTheWizardAndOnlyItKeepsCancelOff) {
    int ending = 0;
    for (int p = 0; p < kWizardPageCount; ++p) {
        const WizardPageRules& rules = PageRulesOf(WizardPage(p));
        const bool completion = WizardPage(p) == WizardPage::Completion;
        ending += rules.nextIsDone;
        EXPECT_EQ(rules.nextIsDone, completion) << rules.caption;
        EXPECT_EQ(rules.cancelEnabled, !completion) << rules.caption;
    }
    EXPECT_EQ(ending, 1);
}

TEST(WizardPageTable, AWorkingRunAndItsResultCannotBeLeftBackwards) {
    // While the run works neither button moves; once it is done there is no way back into the options.
    for (WizardPage page : {WizardPage::Creation, WizardPage::Finish, WizardPage::Info, WizardPage::Region})
        EXPECT_EQ(PageRulesOf(page).back, BackRule::Off) << PageRulesOf(page).caption;
    EXPECT_EQ(PageRulesOf(WizardPage::Creation).next, NextRule::Off);
    // The way out of the information page (no map) is Cancel alone.
    EXPECT_EQ(PageRulesOf(WizardPage::Info).next, NextRule::Off);
}

TEST(WizardPageTable, TheProgressBarShowsWhereLongWorkStartsAndCaptionsTellPagesApart) {
    // The dictionary (names page), the import (loading page) and the run (creation page) report on it.
    for (int p = 0; p < kWizardPageCount; ++p) {
        const WizardPage page = WizardPage(p);
        const bool longWork =
            page == WizardPage::Translate || page == WizardPage::Loading || page == WizardPage::Creation;
        EXPECT_EQ(PageRulesOf(page).progress == ProgressRule::ShownAtZero, longWork)
            << PageRulesOf(page).caption;
        EXPECT_GT(std::strlen(PageRulesOf(page).hint), 0u);
        for (int q = p + 1; q < kWizardPageCount; ++q) {
            // Only the caution repeats the information page's caption and hint.
            const bool shared = p == int(WizardPage::Info) && q == int(WizardPage::Caution);
            EXPECT_EQ(std::strcmp(PageRulesOf(page).caption, PageRulesOf(WizardPage(q)).caption) == 0, shared)
                << p << " " << q;
        }
    }
}

TEST(WizardPageTable, StartsOnInfoCautionOrFirstStep) {
    EXPECT_EQ(StartPage(false, false), WizardPage::Info);
    EXPECT_EQ(StartPage(false, true), WizardPage::Info);
    EXPECT_EQ(StartPage(true, true), WizardPage::Caution);
    EXPECT_EQ(StartPage(true, false), WizardPage::FirstStep);
}

TEST(WizardStamps, VersionAndDate) {
    const QDate day(2026, 12, 6);
    EXPECT_EQ(VersionStampText(5, day), QStringLiteral("V 26.00.05"));
    EXPECT_EQ(VersionStampText(123, day), QStringLiteral("V 26.01.23"));
    EXPECT_EQ(VersionStampText(9999, day), QStringLiteral("V 26.00.00"));
    EXPECT_EQ(VersionStampText(-1, day), QStringLiteral("V 26.00.00"));
    EXPECT_EQ(DateStampText(day), QStringLiteral("26/12/06/00"));
}

TEST(WizardStamps, RememberedAllData1ReadsAsAllData) {
    EXPECT_EQ(RememberedOutputName(QStringLiteral("/maps/new/alldata1.kwi")),
              QStringLiteral("/maps/new/ALLDATA.KWI"));
    EXPECT_EQ(RememberedOutputName(QStringLiteral("/maps/new/ALLDATA.KWI")),
              QStringLiteral("/maps/new/ALLDATA.KWI"));
    EXPECT_EQ(RememberedOutputName(QString()), QString());
}

ConverterSource sourceWith(int systemNumber) {
    ConverterSource s;
    s.mapOpen = true;
    s.systemNumber = systemNumber;
    // Positions: 26 at 3, 18 at 5, 14 at 7; names 9 at 2, 7 at 4, 8 at 6.
    s.backgroundCodes = {1, 2, 3, 26, 4, 18, 5, 14, 6};
    s.nameCodes = {0, 1, 9, 3, 7, 5, 8};
    return s;
}

TEST(WizardDefaults, PerTargetAndSystemNumber) {
    struct Row {
        int target, systemNumber;
        uint16_t typeCode;
        int buildingsClass, numberingClass, codePageIndex, addMode;
        bool strict;
    };
    const Row rows[] = {
        {0, 2, 0x0143, 3, 2, 4, 0, false}, {2, 2, 0x0143, 3, 2, 4, 0, true}, {1, 2, 0x7018, 5, 4, 4, 0, true},
        {0, 4, 0x0143, 5, 2, 0, 1, false}, {1, 4, 0x7018, 5, 4, 0, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.target) + "/" + std::to_string(row.systemNumber));
        const OptionDefaults d = RestoreDefaults(row.target, sourceWith(row.systemNumber));
        EXPECT_EQ(d.buildingsTypeCode, row.typeCode);
        EXPECT_EQ(d.numberingTypeCode, 0x01C2);
        EXPECT_EQ(d.buildingsClass, row.buildingsClass);
        EXPECT_EQ(d.numberingClass, row.numberingClass);
        EXPECT_EQ(d.codePageIndex, row.codePageIndex);
        EXPECT_EQ(d.addMode, row.addMode);
        EXPECT_EQ(d.strictRules, row.strict);
        EXPECT_EQ(d.extraNameClass, 6);
        // Background 14 sits after the buildings class: it is the second class.
        EXPECT_EQ(d.secondBackgroundClass, 7);
    }
}

TEST(WizardDefaults, MissingClassesGiveNoSelectionNot255) {
    ConverterSource s = sourceWith(2);
    s.backgroundCodes = {1, 14, 2};
    s.nameCodes = {0, 1};
    const OptionDefaults d = RestoreDefaults(0, s);
    EXPECT_FALSE(d.buildingsClass.has_value());
    EXPECT_FALSE(d.numberingClass.has_value());
    EXPECT_EQ(d.secondBackgroundClass, 255);
    EXPECT_EQ(d.extraNameClass, 255);
}

TEST(WizardDefaults, BackgroundListEndsAtFifteenAfterThirteen) {
    std::vector<uint16_t> codes(20, 1);
    codes[10] = 15;
    codes[16] = 15;
    EXPECT_EQ(ShownBackgroundCodes(codes).size(), 16u);
}

TEST(WizardTypeCode, HexOfOneToFourDigits) {
    EXPECT_EQ(ParseTypeCode(QStringLiteral("01c2")), uint16_t(0x01C2));
    EXPECT_EQ(ParseTypeCode(QStringLiteral("7")), uint16_t(7));
    EXPECT_FALSE(ParseTypeCode(QStringLiteral("10000")));
    EXPECT_FALSE(ParseTypeCode(QStringLiteral("")));
    EXPECT_FALSE(ParseTypeCode(QStringLiteral("xyz")));
    EXPECT_EQ(TypeCodeText(0x143), QStringLiteral("0143"));
}

TEST(WizardTrim, EdgesKeepTheirLeastDistance) {
    TrimEdges e{100000, 90000, 0, 50000};
    e.north = 92000;
    EXPECT_EQ(CoupleEdges(e, TrimEdge::North).south, 92000 - 4800);
    e = {100000, 90000, 0, 50000};
    e.west = 45000;
    EXPECT_EQ(CoupleEdges(e, TrimEdge::West).east, 45000 + 7200);
    e = {100000, 90000, 0, 50000};
    EXPECT_EQ(CoupleEdges(e, TrimEdge::South).north, 100000);
    EXPECT_EQ(ClampTrimLevel(0), 3);
    EXPECT_EQ(ClampTrimLevel(7), 5);
    EXPECT_EQ(ClampTrimLevel(4), 4);
}

TEST(WizardTrim, CheckedAreasGiveTheirCodes) {
    const std::vector<ConverterArea> areas = {{40, "DEU", "Germany"}, {43, "RUS", "Russia"}};
    EXPECT_EQ(SelectedAreaCodes({true, false, true, false}, areas), std::vector<int>{43});
    EXPECT_EQ(SelectedAreaCodes({false, false, false, true}, areas), std::vector<int>{255});
    EXPECT_TRUE(SelectedAreaCodes({true, false, false, false}, areas).empty());
}

class OutputCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fixture::scratchDir("wizard-output-check");
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root + "/src");
        std::filesystem::create_directories(root + "/out");
        source = root + "/src/ALLDATA.KWI";
        std::ofstream(source) << "map";
    }
    void TearDown() override {
        std::filesystem::permissions(root + "/out", std::filesystem::perms::owner_all);
    }
    OutputVerdict check(const std::string& path) const {
        return CheckOutput(QString::fromStdString(path), source);
    }
    std::string root, source;
};

TEST_F(OutputCheckTest, RefusesWhatWouldOverwriteTheSourceOrCannotBeWritten) {
    EXPECT_EQ(check(root + "/out/ALLDATA.KWI"), OutputVerdict::Accepted);
    EXPECT_EQ(check(root + "/missing/ALLDATA.KWI"), OutputVerdict::MissingFolder);
    EXPECT_EQ(check(source), OutputVerdict::SameAsSource);
    EXPECT_EQ(check(root + "/src/./NEW.KWI"), OutputVerdict::SameAsSource);
    std::filesystem::create_directory_symlink(root + "/src", root + "/srclink");
    EXPECT_EQ(check(root + "/srclink/ALLDATA.KWI"), OutputVerdict::SameAsSource);
    std::filesystem::create_symlink(source, root + "/out/link.KWI");
    EXPECT_EQ(check(root + "/out/link.KWI"), OutputVerdict::SameAsSource);
    std::filesystem::create_hard_link(source, root + "/out/hard.KWI");
    EXPECT_EQ(check(root + "/out/hard.KWI"), OutputVerdict::SameAsSource);
    std::ofstream(root + "/out/ro.KWI") << "x";
    ::chmod((root + "/out/ro.KWI").c_str(), 0444);
    EXPECT_EQ(check(root + "/out/ro.KWI"), OutputVerdict::ReadOnly);
    // Root may write into any folder, so the folder's refusal shows for other users only.
    if (::geteuid() != 0) {
        ::chmod((root + "/out").c_str(), 0555);
        EXPECT_EQ(check(root + "/out/NEW.KWI"), OutputVerdict::ReadOnly);
    }
}

} // namespace
