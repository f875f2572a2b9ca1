// The wizard's model driven without a window: the snapshot a run gets, what enables what as options
// change, the name switches against imported buildings, trimming, and the settings read and written.
#include <QDate>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

#include "WizardSources.h"
#include "converter/wizard/WizardModel.h"
#include "platform/RegistrySettings.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ScopedEnvironment.h"

namespace {

using C = WizardControl;

ConverterSource plainSource(int systemNumber = 4) {
    ConverterSource s = wizardtest::plainConverterSource("/maps/src/ALLDATA.KWI", systemNumber);
    s.areas = {{40, "DEU", "Germany"}, {43, "RUS", "Russia"}};
    return s;
}

WizardBuildingData someBuildings() {
    WizardBuildingData data;
    data.loaded = true;
    data.records = std::make_shared<const std::vector<uint8_t>>(32, uint8_t(0));
    // 1/128 arc-second: sixteen times the map's units.
    data.north = 180000 * 16;
    data.south = 120000 * 16;
    data.west = 60000 * 16 + 15;
    data.east = 90000 * 16;
    return data;
}

TEST(WizardModelDriven, AFreshModelGivesTheRunTheMapsDefaults) {
    WizardModel model(plainSource(), false);
    const ConversionOptions o = model.BuildOptions(false);
    EXPECT_EQ(o.target, ConversionTarget(0));
    // System number 4: house numbers in UTF-8, old buildings replaced, buildings in class 18 (position 5).
    EXPECT_EQ(o.codePage, 65001);
    EXPECT_TRUE(o.replaceOldData);
    EXPECT_EQ(o.buildingsClass, 5);
    EXPECT_EQ(o.numberingClass, 2);
    EXPECT_FALSE(o.strictRules);
    EXPECT_EQ(o.adjacentMode, AdjacentMode::Update);
    // The map's own system text is one of the sixteen; "AFEU:2" with Management 32 asks for Management 21.
    EXPECT_EQ(model.SystemIds().size(), 16);
    EXPECT_EQ(o.systemIdText, "AFEU:2.45,AGEU:2.45");
    EXPECT_EQ(o.systemIdIndex, 1);
    EXPECT_TRUE(o.createManagement21);
    EXPECT_EQ(o.trimNorth, 200000);
    EXPECT_EQ(o.trimWest, 50000);
    EXPECT_FALSE(o.buildings || o.address || o.addExtraLevel || o.addOneWayArrows || o.trim || o.translate);
}

TEST(WizardModelDriven, BuildingOptionsOpenOneAfterTheOther) {
    WizardModel model(plainSource(), true);
    // Nothing to add before an import.
    model.SetBuildings(true);
    EXPECT_FALSE(model.Choices().buildings);
    EXPECT_FALSE(model.Enabled(C::BuildingsSwitch));
    model.SetTranslate(true);
    EXPECT_TRUE(model.Choices().translate);
    model.SetBuildingData(someBuildings());
    // Imported buildings end the name conversion.
    EXPECT_FALSE(model.Choices().translate);
    EXPECT_FALSE(model.Enabled(C::TranslateSwitch));
    EXPECT_FALSE(model.Enabled(C::UtfToAnsi));
    struct Step {
        const char* what;
        std::function<void()> act;
        bool options, extra, arrows, extraOn, arrowsOn;
    };
    const Step steps[] = {
        {"buildings on", [&] { model.SetBuildings(true); }, true, true, false, false, false},
        {"extra level on", [&] { model.SetExtraLevel(true); }, true, true, true, true, true},
        {"arrows off", [&] { model.SetArrows(false); }, true, true, true, true, false},
        {"restore default", [&] { model.RestoreDefault(); }, true, true, false, false, false},
        {"extra level again", [&] { model.SetExtraLevel(true); }, true, true, true, true, true},
        {"buildings off", [&] { model.SetBuildings(false); }, false, false, false, false, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(model.Enabled(C::BuildingsOptions), s.options);
        EXPECT_EQ(model.Enabled(C::ExtraLevel), s.extra);
        EXPECT_EQ(model.Enabled(C::Arrows), s.arrows);
        EXPECT_EQ(model.BuildOptions(false).addExtraLevel, s.extraOn);
        EXPECT_EQ(model.BuildOptions(false).addOneWayArrows, s.arrowsOn);
    }
    // A top level that is not level 0 takes no extra level.
    ConverterSource upper = plainSource();
    upper.topLevelCode = 1;
    WizardModel other(upper, false);
    other.SetBuildingData(someBuildings());
    other.SetBuildings(true);
    other.SetExtraLevel(true);
    EXPECT_FALSE(other.BuildOptions(false).addExtraLevel);
}

TEST(WizardModelDriven, NameSwitchesExcludeEachOtherAndNeedTheOffer) {
    WizardModel closed(plainSource(), false);
    closed.SetTranslate(true);
    closed.SetUtfToAnsi(true);
    EXPECT_FALSE(closed.Choices().translate || closed.Choices().utfToAnsi);
    WizardModel model(plainSource(), true);
    model.SetUtfToAnsi(true);
    EXPECT_FALSE(model.Enabled(C::TranslateSwitch));
    model.SetTranslate(true);
    EXPECT_FALSE(model.Choices().translate);
    model.SetUtfToAnsi(false);
    model.SetTranslate(true);
    EXPECT_TRUE(model.Enabled(C::TranslateOptions));
    EXPECT_FALSE(model.Enabled(C::UtfToAnsi));
    // The translation reaches the run only with a dictionary; the area is the one coded RUS until another
    // is checked.
    model.SetTranslationLevel(0);
    EXPECT_EQ(model.BuildOptions(true).translationLevel, 1);
    EXPECT_EQ(model.BuildOptions(true).dictionaryAreaCode, 43);
    model.CheckTranslationArea(0, true);
    EXPECT_EQ(model.BuildOptions(true).dictionaryAreaCode, 40);
    EXPECT_TRUE(model.TranslationAreaChecked(0));
    EXPECT_FALSE(model.TranslationAreaChecked(1));
    EXPECT_FALSE(model.BuildOptions(false).translate);
}

TEST(WizardModelDriven, TrimmingByTheBuildingsBoxEdgesAndBorders) {
    WizardModel model(plainSource(), false);
    model.SetTrim(true);
    model.SetTrimMode(0);
    EXPECT_EQ(model.Choices().trimMode, 1) << "no buildings, no box to trim by";
    model.SetBuildingData(someBuildings());
    model.SetTrimMode(0);
    EXPECT_EQ(model.Choices().trimMode, 0);
    EXPECT_EQ(model.Choices().edges.north, 180000);
    EXPECT_EQ(model.Choices().edges.west, 60000);
    EXPECT_FALSE(model.Enabled(C::TrimEdges));
    // Edges stay within the map and keep their least extent.
    model.SetTrimMode(1);
    model.MoveEdge(TrimEdge::North, 10);
    EXPECT_EQ(model.Choices().edges.north, 100000 + 4800);
    EXPECT_EQ(model.Choices().edges.south, 100000);
    // State borders: "ALL" while nothing is checked, and nothing checked is no trimming.
    model.SetTrimMode(2);
    EXPECT_TRUE(model.Choices().areas[0]);
    EXPECT_TRUE(model.TakeSelectedAreas().empty());
    EXPECT_FALSE(model.Choices().trim);
    model.SetTrim(true);
    model.CheckArea(2, true);
    model.CheckArea(3, true);
    EXPECT_FALSE(model.Choices().areas[0]);
    EXPECT_EQ(model.TakeSelectedAreas(), (std::vector<int>{43, 255}));
    EXPECT_EQ(model.BuildOptions(false).selectedAreas, (std::vector<int>{43, 255}));
    // A map across 180 degrees, 90 E to 142 W (28800 units a degree): the edges run eastward from its
    // west edge and move there, and the run gets the longitudes as the map stores them.
    ConverterSource across = plainSource();
    across.west = 90 * 28800, across.east = -142 * 28800;
    WizardModel wide(across, false);
    EXPECT_EQ(wide.EdgeRange(TrimEdge::East), std::make_pair(90 * 28800 + 7200, 218 * 28800));
    EXPECT_EQ(wide.EdgeText(TrimEdge::East), QStringLiteral("W 142°00'00\""));
    wide.MoveEdge(TrimEdge::East, 200 * 28800);
    EXPECT_EQ(wide.EdgeText(TrimEdge::East), QStringLiteral("W 160°00'00\""));
    EXPECT_EQ(wide.BuildOptions(false).trimEast, -160 * 28800);
}

TEST(WizardModelDriven, CompletionTasksAndTheirRegions) {
    ConverterSource s = plainSource();
    s.compressed = true;
    s.regionCount = 3;
    s.hasRegionData = true;
    WizardModel model(s, false);
    // A new 05.CMP comes with a compressed map but is no task for Start Processing.
    EXPECT_TRUE(model.Choices().newCmpList);
    EXPECT_FALSE(model.CompletionWanted());
    model.SetSplit(true);
    EXPECT_FALSE(model.Choices().split) << "no FILECON.MNG beside the map";
    model.SetNewVoice(true);
    EXPECT_FALSE(model.CompletionWanted()) << "no voice data";
    model.SetNewRegion(true);
    EXPECT_TRUE(model.CompletionWanted());
    EXPECT_EQ(model.BuildCompletionOptions(QStringLiteral("/out/ALLDATA.KWI")).regions,
              (std::vector<int>{0, 1, 2}));
    model.InspectRegions();
    model.CheckRegion(1, true);
    EXPECT_TRUE(model.AnyRegionChecked());
    const CompletionOptions o = model.BuildCompletionOptions(QStringLiteral("/out/ALLDATA.KWI"));
    EXPECT_EQ(o.regions, std::vector<int>{1});
    EXPECT_TRUE(o.region);
    EXPECT_EQ(o.outputPath, "/out/ALLDATA.KWI");
    ConverterSource withFileCon = s;
    withFileCon.fileConPresent = true;
    WizardModel splitting(withFileCon, false);
    splitting.SetSplit(true);
    EXPECT_TRUE(splitting.Choices().fileCon);
    EXPECT_TRUE(splitting.Enabled(C::FileCon));
    splitting.SetSplit(false);
    EXPECT_FALSE(splitting.Choices().fileCon);
    splitting.SetFileCon(true);
    EXPECT_TRUE(splitting.Enabled(C::FileCon) && splitting.Choices().fileCon);
}

TEST(WizardModelDriven, ReadsAndWritesItsSettings) {
    const QString scratch = QString::fromStdString(fixture::scratchDir("wizard-model-settings"));
    fixture::ScopedEnvironment config{"XDG_CONFIG_HOME", QFile::encodeName(scratch + "/config")};
    RegWriteInteger(QStringLiteral("NewSysIdx"), 7);
    RegWriteInteger(QStringLiteral("Version"), 123);
    RegWriteString(QStringLiteral("NewMapSave"), scratch + "/alldata1.kwi");
    WizardModel model(plainSource(), false);
    model.ReadSettings(QDate(2026, 12, 6));
    EXPECT_EQ(model.Choices().target, 2);
    EXPECT_EQ(model.Choices().versionText, QStringLiteral("V 26.01.23"));
    EXPECT_EQ(model.Choices().dateText, QStringLiteral("26/12/06/00"));
    EXPECT_EQ(model.Choices().outputPath, scratch + "/ALLDATA.KWI");
    model.SetTarget(1);
    model.WriteSettings();
    EXPECT_EQ(RegReadInteger(QStringLiteral("NewSysIdx")), 1);
    // A file that is not there is not remembered.
    EXPECT_EQ(RegReadString(QStringLiteral("NewMapSave")), scratch + "/alldata1.kwi");
    fixture::writeFile((scratch + "/ALLDATA.KWI").toStdString(), {1});
    model.WriteSettings();
    EXPECT_EQ(RegReadString(QStringLiteral("NewMapSave")), scratch + "/ALLDATA.KWI");
    model.ResetVersion(QDate(2026, 12, 6));
    EXPECT_EQ(RegReadInteger(QStringLiteral("Version")), 0);
    EXPECT_EQ(model.Choices().versionText, QStringLiteral("V 26.00.00"));
}

TEST(WizardModelDriven, ThePageFlowsButtonsFollowTheWorkOnThePage) {
    ConverterSource compressed = plainSource();
    compressed.compressed = true;
    WizardModel cautioned(compressed, false);
    EXPECT_EQ(cautioned.Page(), WizardPage::Caution);
    cautioned.GoTo(WizardPage::FirstStep);
    EXPECT_TRUE(cautioned.BackOn()) << "back to the caution";
    WizardModel model(plainSource(), false);
    EXPECT_EQ(model.Page(), WizardPage::FirstStep);
    EXPECT_FALSE(model.BackOn());
    EXPECT_TRUE(model.NextOn());
    EXPECT_EQ(WizardModel(ConverterSource{}, false).Page(), WizardPage::Info);
    // Work on a page holds both buttons until it ends.
    model.GoTo(WizardPage::Loading);
    model.SetWorking(true);
    EXPECT_FALSE(model.BackOn() || model.NextOn());
    model.SetWorking(false);
    EXPECT_TRUE(model.BackOn() && model.NextOn());
    // Completion: Next (done) while nothing is to process; while it runs only Cancel; then Next again.
    ConverterSource regions = plainSource();
    regions.hasRegionData = true;
    WizardModel done(regions, false);
    done.GoTo(WizardPage::Completion);
    EXPECT_TRUE(done.NextOn() && done.NextIsDone());
    EXPECT_FALSE(done.CancelOn());
    done.SetNewRegion(true);
    EXPECT_TRUE(done.ProcessingEnabled());
    EXPECT_FALSE(done.NextOn());
    done.CompletionStarted();
    EXPECT_FALSE(done.NextOn() || done.BackOn() || done.ProcessingEnabled());
    EXPECT_TRUE(done.CancelOn());
    done.CompletionEnded();
    EXPECT_TRUE(done.NextOn());
    EXPECT_FALSE(done.CancelOn());
    EXPECT_FALSE(done.ProcessingEnabled()) << "processing runs once";
}

TEST(WizardModelDriven, ThePagesTextsComeFromTheModel) {
    ConverterSource south = plainSource();
    // 55.75 degrees south and 3.5 degrees west, in 1/8 arc-seconds.
    south.south = -1605600;
    south.west = -100800;
    WizardModel model(south, false);
    EXPECT_EQ(model.EdgeText(TrimEdge::North), QStringLiteral("N 6°56'40\""));
    EXPECT_EQ(model.EdgeText(TrimEdge::South), QStringLiteral("S 55°45'00\""));
    EXPECT_EQ(model.EdgeText(TrimEdge::West), QStringLiteral("W 3°30'00\""));
    EXPECT_EQ(model.EdgeText(TrimEdge::East), QStringLiteral("E 5°12'30\""));
    // The default classes: buildings in class 18, house numbers in class 9.
    const QStringList buildings = model.ClassItems(true), numbers = model.ClassItems(false);
    ASSERT_EQ(buildings.size(), 9);
    EXPECT_EQ(buildings[model.Choices().buildingsClass], QStringLiteral("5 - Class 18"));
    ASSERT_EQ(numbers.size(), 7);
    EXPECT_EQ(numbers[model.Choices().numberingClass], QStringLiteral("2 - Class 9"));
    EXPECT_TRUE(WizardModel(ConverterSource{}, false).ClassItems(true).isEmpty());
    model.SetSizeFilter(true, 30);
    EXPECT_EQ(model.SizeFilterText(true), QStringLiteral("50m -> 30"));
    EXPECT_EQ(model.SizeFilterText(false),
              QStringLiteral("100m -> ") + QString::number(model.Choices().filter100));
    EXPECT_EQ(model.EncodingText(), QStringLiteral("ANSI"));
    model.SetIsoAnsiIndex(1);
    EXPECT_EQ(model.EncodingText(), QStringLiteral("ISO"));
    EXPECT_TRUE(model.EncodingLabelsShown());
    EXPECT_FALSE(WizardModel(plainSource(3), false).EncodingLabelsShown());
}

TEST(WizardModelDriven, TheFilePagesWarningsTheVersionEditAndTheRegionsList) {
    ConverterSource regions = plainSource();
    regions.regionCount = 3;
    WizardModel model(regions, false);
    // The file page lets the run start only for an accepted output.
    model.GoTo(WizardPage::File);
    struct Case {
        OutputVerdict verdict;
        bool readOnly, sameFile;
    };
    for (const Case& c :
         {Case{OutputVerdict::ReadOnly, true, false}, Case{OutputVerdict::SameAsSource, false, true},
          Case{OutputVerdict::MissingFolder, false, false}, Case{OutputVerdict::Accepted, false, false}}) {
        model.SetOutputVerdict(c.verdict);
        EXPECT_EQ(model.ReadOnlyWarning(), c.readOnly) << int(c.verdict);
        EXPECT_EQ(model.SameFileWarning(), c.sameFile) << int(c.verdict);
        EXPECT_EQ(model.NextOn(), c.verdict == OutputVerdict::Accepted) << int(c.verdict);
    }
    // A new choice hides a warning, and not the verdict.
    model.SetOutputVerdict(OutputVerdict::ReadOnly);
    model.HideReadOnlyWarning();
    EXPECT_FALSE(model.ReadOnlyWarning());
    model.SetOutputVerdict(OutputVerdict::SameAsSource);
    model.HideSameFileWarning();
    EXPECT_FALSE(model.SameFileWarning());
    EXPECT_EQ(model.Verdict(), OutputVerdict::SameAsSource);
    EXPECT_FALSE(model.VersionEditable());
    model.AllowVersionEdit();
    EXPECT_TRUE(model.VersionEditable());
    EXPECT_TRUE(model.RegionItems().isEmpty()) << "listed once inspected";
    model.InspectRegions();
    EXPECT_EQ(model.RegionItems(), QStringList({"Region 0", "Region 1", "Region 2"}));
}

TEST(WizardModelDriven, TheFileStepRefusesATranslationWithoutADictionaryAndBuildingsWithoutAClass) {
    ConverterSource classless = plainSource();
    // No class 18 or 9 in the top level's lists: neither buildings nor house numbers have a default class.
    classless.backgroundCodes = {1, 2};
    classless.nameCodes = {0, 1};
    struct Case {
        const char* name;
        ConverterSource source;
        std::function<void(WizardModel&)> choose;
        bool dictionaryLoaded;
        const char* refusal;
    };
    const Case cases[] = {
        {"nothing chosen", plainSource(), [](WizardModel&) {}, false, ""},
        {"translation, no dictionary", plainSource(), [](WizardModel& m) { m.SetTranslate(true); }, false,
         "Словарь не загружен !!!"},
        {"translation, dictionary", plainSource(), [](WizardModel& m) { m.SetTranslate(true); }, true, ""},
        {"buildings, no class", classless,
         [](WizardModel& m) { m.SetBuildingData(someBuildings()), m.SetBuildings(true); }, false,
         "Выберите класс отображения для зданий"},
        {"house numbers, no class", classless,
         [](WizardModel& m) { m.SetBuildingData(someBuildings()), m.SetAddress(true); }, false,
         "Выберите класс отображения для номеров зданий"},
        {"buildings, class", plainSource(),
         [](WizardModel& m) { m.SetBuildingData(someBuildings()), m.SetBuildings(true); }, false, ""},
    };
    for (const Case& c : cases) {
        WizardModel model(c.source, true);
        c.choose(model);
        EXPECT_EQ(model.FileStepRefusal(c.dictionaryLoaded), QString::fromUtf8(c.refusal)) << c.name;
    }
    ConverterSource compressed = plainSource();
    compressed.compressed = true;
    EXPECT_TRUE(WizardModel(compressed, false).CautionText().contains(QStringLiteral("05.CMP")));
    EXPECT_TRUE(WizardModel(plainSource(), false).CautionText().isEmpty());
}

} // namespace
