// The converter wizard without its window: every option the pages collect, what enables what, the settings
// it reads when it opens and writes when it closes, and the options snapshot a run starts with. The window
// shows this model and passes the user's changes to it; tests drive it directly.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "converter/job/CompletionRun.h"
#include "converter/source/ConversionOptions.h"
#include "converter/wizard/ConverterSource.h"
#include "converter/wizard/WizardExtensions.h"
#include "converter/wizard/WizardPageTable.h"
#include "converter/wizard/WizardRules.h"

// The controls whose enabled state the model decides.
enum class WizardControl {
    Backward,
    SystemIdList,
    DateStampText,
    VersionStampText,
    InsertRegion,
    InsertVoice,
    UtfToAnsi,
    UtfGroup,
    IsoAnsi,
    TranslateSwitch,
    TranslateGroup,
    TranslateOptions,
    CityAreaLevel,
    BuildingsSwitch,
    BuildingsOptions,
    ExtraLevel,
    Arrows,
    AddressSwitch,
    AddressOptions,
    DefaultButton,
    TrimModes,
    TrimEdges,
    TrimAreas,
    TrimExtras,
    TrimLevel,
    Split,
    FileCon,
    NewRegion,
    NewVoice,
    NewCmpList,
};

// The options as the pages show them.
struct WizardChoices {
    // First step: 0 AISIN-AW, 1 DENSO, 2 OTHERS.
    int target = 0;
    bool backward = false;
    bool removeRds = false;
    bool strictRules = true;
    bool westBugs = false;
    bool systemIdChecked = false;
    // Into SystemIds().
    int systemIdIndex = 0;
    bool dateStamp = false;
    QString dateText;
    bool versionStamp = false;
    QString versionText;
    bool insertRegion = false;
    bool insertVoice = false;
    // 0 Remove, 1 Clear, 2 Update.
    int adjacentMode = 2;
    // Names: re-encoding or translation.
    bool utfToAnsi = false;
    // 0 ANSI-1251, 1 ISO-8859.
    int isoAnsiIndex = 0;
    bool translate = false;
    bool wordByWord = false;
    int translationLevel = 3;
    // Index of the area whose language the dictionary serves.
    int translationArea = 0;
    bool foldYo = false;
    bool foldUkrainian = false;
    bool excludeFreeways = false;
    bool logDictErrors = true;
    // Loading: 0 only the largest cities' areas ... 2 the smallest too.
    int cityAreaLevel = 0;
    // Buildings and house numbers.
    bool buildings = false;
    // 0 "Добавить данные", 1 "Заменить старые данные".
    int addMode = 0;
    // Positions in the top level's lists; -1 for none.
    int buildingsClass = -1;
    uint16_t buildingsTypeCode = 0x0143;
    int filter50 = 40;
    int filter100 = 100;
    bool address = false;
    int numberingClass = -1;
    uint16_t numberingTypeCode = 0x01C2;
    bool includeLetters = true;
    // Into kHouseNumberCodePages: UTF-8, ISO 8859-1, -2, -5, ANSI-1251.
    int codePageIndex = 4;
    bool extraLevel = false;
    bool arrows = false;
    // Trimming: 0 by the buildings' box, 1 by the edges, 2 by state borders.
    bool trim = false;
    int trimMode = 1;
    TrimEdges edges;
    // The area list: "ALL", the areas, "-0-" (only "-0-" without areas).
    std::vector<bool> areas;
    bool addSeas = false;
    bool addAdjacent = false;
    int trimLevel = 3;
    // The output.
    QString outputPath;
    bool logBox = false;
    // Completion: open the new map at the end, and the tasks of Start Processing.
    bool openNewMap = true;
    bool split = false;
    bool fileCon = false;
    bool newRegion = false;
    bool newVoice = false;
    // Checked, never chosen: a map read through a CMP list gets a new "05.CMP" with the run.
    bool newCmpList = false;
    // The Region Network page's list of level-1 regions, once inspected.
    std::vector<bool> regions;
};

class WizardModel {
public:
    // nameConversionOffered: the two name switches may be used (the main window offers none).
    WizardModel(ConverterSource source, bool nameConversionOffered);

    const ConverterSource& Source() const { return source_; }

    // The page flow. Pages follow the page table: Next is the next page, Back the previous one; where
    // Back, Next and Cancel stand follows the table, the output check, the completion and work under way.
    WizardPage Page() const { return page_; }
    void GoTo(WizardPage page) { page_ = page; }
    // An import or a dictionary load or save the user waits for on the page: Back and Next are off.
    void SetWorking(bool working) { working_ = working; }
    bool Working() const { return working_; }
    // The output check's verdict on the chosen file, which decides Next on the file page.
    void SetOutputVerdict(OutputVerdict verdict) {
        verdict_ = verdict;
        readOnlyWarning_ = verdict == OutputVerdict::ReadOnly;
        sameFileWarning_ = verdict == OutputVerdict::SameAsSource;
    }
    // The file page's warnings, shown after a check: the file cannot be written, it is the open map. A
    // new choice hides them until it is checked.
    bool ReadOnlyWarning() const { return readOnlyWarning_; }
    bool SameFileWarning() const { return sameFileWarning_; }
    void HideReadOnlyWarning() { readOnlyWarning_ = false; }
    void HideSameFileWarning() { sameFileWarning_ = false; }
    OutputVerdict Verdict() const { return verdict_; }
    // Start Processing was pressed; its run ended.
    void CompletionStarted() { completionStarted_ = completionRunning_ = true; }
    void CompletionEnded() { completionRunning_ = false; }
    // Start Processing may be pressed: not yet pressed, and a task chosen.
    bool ProcessingEnabled() const { return !completionStarted_ && CompletionWanted(); }
    bool BackOn() const;
    bool NextOn() const;
    bool CancelOn() const;
    // Next reads "Готово" and ends the wizard.
    bool NextIsDone() const { return PageRulesOf(page_).nextIsDone; }
    const WizardChoices& Choices() const { return c_; }
    bool Enabled(WizardControl control) const;
    // The 16 system IDs and, when the map's own text is none of them, that text.
    const QStringList& SystemIds() const { return systemIds_; }
    // The area list's items: "ALL" and the areas when there are any, then "-0-".
    QStringList AreaItems() const;
    // The least and greatest position of a trim edge (the map's box less the least extent).
    std::pair<int32_t, int32_t> EdgeRange(TrimEdge edge) const;
    const OptionDefaults& Defaults() const { return defaults_; }
    const WizardBuildingData& BuildingData() const { return buildings_; }

    // "NewSysIdx", "Version" and "NewMapSave", read when the wizard opens.
    void ReadSettings(const QDate& today);
    // "NewSysIdx", and "NewMapSave" when its file exists, written when the wizard closes.
    void WriteSettings() const;
    int VersionCounter() const { return versionCounter_; }
    // The version stamp's text is typed only after "Редактировать версию".
    void AllowVersionEdit() { versionEditable_ = true; }
    bool VersionEditable() const { return versionEditable_; }
    // "Region i" for each region listed on the Region Network page.
    QStringList RegionItems() const;
    // The counter back to 0, in the settings too.
    void ResetVersion(const QDate& today);

    // The first step.
    void SetTarget(int target);
    void SetBackward(bool on) { c_.backward = on; }
    void SetRemoveRds(bool on) { c_.removeRds = on; }
    void SetStrictRules(bool on) { c_.strictRules = on; }
    void SetWestBugs(bool on) { c_.westBugs = on; }
    void SetSystemIdChecked(bool on);
    void SetSystemIdIndex(int index);
    void SetDateStamp(bool on) { c_.dateStamp = on; }
    void SetDateText(const QString& text) { c_.dateText = text; }
    void SetVersionStamp(bool on) { c_.versionStamp = on; }
    void SetVersionText(const QString& text) { c_.versionText = text; }
    void SetInsertRegion(bool on);
    void SetInsertVoice(bool on);
    void SetAdjacentMode(int mode) { c_.adjacentMode = std::clamp(mode, 0, 2); }
    // The names page.
    void SetUtfToAnsi(bool on);
    void SetIsoAnsiIndex(int index) { c_.isoAnsiIndex = std::clamp(index, 0, 1); }
    void SetTranslate(bool on);
    void SetWordByWord(bool on) { c_.wordByWord = on; }
    void SetTranslationLevel(int level) { c_.translationLevel = std::clamp(level, 1, 5); }
    // A checked area becomes the translation area; one area stays checked.
    void CheckTranslationArea(int index, bool checked);
    // Whether the translation area list shows area i checked (the area coded "RUS" from the start).
    bool TranslationAreaChecked(int i) const { return translationAreaShown_ && i == c_.translationArea; }
    void SetFoldYo(bool on) { c_.foldYo = on; }
    void SetFoldUkrainian(bool on) { c_.foldUkrainian = on; }
    void SetExcludeFreeways(bool on) { c_.excludeFreeways = on; }
    void SetLogDictErrors(bool on) { c_.logDictErrors = on; }
    // "Уровни " + (level + 1) + " - " + (the map's level count - 1).
    QString LevelsRangeText() const;
    // The loading page.
    void SetCityAreaLevel(int level);
    // The first import fixes the city-area choice for the later ones.
    void FreezeCityAreaLevel() { cityAreaFrozen_ = true; }
    // An import ended with this data: buildings and house numbers may be added, names no longer converted.
    void SetBuildingData(const WizardBuildingData& data);
    // The settings page.
    void RestoreDefault();
    void SetBuildings(bool on);
    void SetAddMode(int mode);
    void SetBuildingsClass(int index);
    void SetNumberingClass(int index);
    // A type code as typed once the field is left: the code, or the last valid one for an empty field;
    // false (and the default code) for anything else.
    bool SetTypeCode(bool buildings, const QString& text);
    void SetSizeFilter(bool fifty, int value);
    void SetAddress(bool on);
    void SetIncludeLetters(bool on);
    void SetCodePageIndex(int index);
    void SetExtraLevel(bool on);
    void SetArrows(bool on);
    // The trimming page.
    void SetTrim(bool on);
    void SetTrimMode(int mode);
    // Moves one edge (kept in its range), pushing the opposite one to keep the least extent.
    void MoveEdge(TrimEdge edge, int32_t value);
    void CheckArea(int item, bool checked);
    void SetAddSeas(bool on) { c_.addSeas = on; }
    void SetAddAdjacent(bool on) { c_.addAdjacent = on; }
    void SetTrimLevel(int level) { c_.trimLevel = ClampTrimLevel(level); }
    // "Детальная карта включая уровень " + level.
    QString CutLevelText() const;
    // An edge as "N 55°45'00\"": hemisphere, degrees, minutes and seconds.
    QString EdgeText(TrimEdge edge) const;
    // "50m -> " or "100m -> " and the filter's value.
    QString SizeFilterText(bool fifty) const;
    // The names page's target encoding: "ANSI" or "ISO"; its "UTF" and encoding labels show for maps of
    // system number 4 and later.
    QString EncodingText() const;
    bool EncodingLabelsShown() const;
    // The display classes buildings (the top level's shown background classes) or house numbers (its name
    // classes) may take: "i - Class code".
    QStringList ClassItems(bool buildings) const;
    // The file page.
    void SetOutputPath(const QString& path) { c_.outputPath = path; }
    void SetLogBox(bool on) { c_.logBox = on; }

    // The completion page.
    void SetOpenNewMap(bool on) { c_.openNewMap = on; }
    // A split asks for a new "FILECON.MNG" with it.
    void SetSplit(bool on);
    void SetFileCon(bool on) { c_.fileCon = on && Enabled(WizardControl::FileCon); }
    void SetNewRegion(bool on) { c_.newRegion = on && Enabled(WizardControl::NewRegion); }
    void SetNewVoice(bool on) { c_.newVoice = on && Enabled(WizardControl::NewVoice); }
    // Start Processing has something to do: a new "05.CMP" alone is no task.
    bool CompletionWanted() const { return c_.split || c_.fileCon || c_.newRegion || c_.newVoice; }
    // The Region Network page: the regions listed, and which are checked.
    void InspectRegions() { c_.regions.assign(size_t(std::max(0, source_.regionCount)), false); }
    void CheckRegion(int i, bool on);
    bool AnyRegionChecked() const;
    // The tasks Start Processing hands the completion run, for the new map at outputPath.
    CompletionOptions BuildCompletionOptions(const QString& outputPath) const;
    // "BuildingsOpen": where the import's file choice starts, and the first file of an import that went
    // through.
    static QString ImportStart();
    static void RememberImport(const QString& path);
    // Where "Save REGION.KWI" starts: "REGION.KWI" in the folder of the stored "NewMapSave".
    static QString RegionFileStart();
    // A run wrote the new map: the next one gets the next version counter when this one used it.
    void RunDone() const;

    // Trimming by state borders with nothing checked is no trimming: the areas chosen, and the trim
    // switch cleared when there are none. Done when a run starts.
    std::vector<int> TakeSelectedAreas();
    const std::vector<int>& SelectedAreas() const { return selectedAreas_; }
    // Why Next on the file page may not start the run with these options, or nothing: no dictionary
    // loaded for a translation, no display class for buildings or house numbers.
    QString FileStepRefusal(bool dictionaryLoaded) const;
    // Why Next leaves the settings page only once a box is chosen: a display class the switched-on
    // buildings or house numbers lack (told where the box is), or "".
    QString SettingsStepRefusal() const;
    // The caution page's text for a compressed map, or nothing.
    QString CautionText() const;
    // The options a run starts with now; the translation settings only with a dictionary loaded.
    ConversionOptions BuildOptions(bool dictionaryLoaded) const;

private:
    void refreshInsertion();

    ConverterSource source_;
    bool nameConversionOffered_;
    WizardChoices c_;
    QStringList systemIds_;
    OptionDefaults defaults_;
    WizardBuildingData buildings_;
    std::vector<int> selectedAreas_;
    int versionCounter_ = 0;
    bool savedBackward_ = false;
    bool backwardEnabled_ = false;
    bool defaultEnabled_ = false;
    bool cityAreaFrozen_ = false;
    bool translationAreaShown_ = false;
    WizardPage page_ = WizardPage::Info;
    bool working_ = false;
    OutputVerdict verdict_ = OutputVerdict::MissingFolder;
    bool readOnlyWarning_ = false;
    bool sameFileWarning_ = false;
    bool versionEditable_ = false;
    bool completionStarted_ = false;
    bool completionRunning_ = false;
};
