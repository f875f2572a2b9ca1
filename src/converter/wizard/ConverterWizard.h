// The map converter window: a paged dialog that shows the wizard's model (pages, options, what enables what)
// and its run state, collects the choices for a new "ALLDATA.KWI" from the open map, runs the creation and
// then the completion on threads of their own, and ends with 1 (open the new map), 6 (done, open nothing) or
// 2 (cancelled). Closing it at any point stops and joins both runs before anything they use is freed.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "converter/job/CompletionRun.h"
#include "converter/job/ConversionJob.h"
#include "converter/source/ConversionOptions.h"
#include "converter/wizard/ConverterSource.h"
#include "converter/wizard/WizardExtensions.h"
#include "converter/wizard/WizardModel.h"
#include "converter/wizard/WizardPageTable.h"
#include "converter/wizard/WizardRules.h"
#include "converter/wizard/WizardRunState.h"
#include "widgets/Services.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QStackedWidget;
class TaskBar;

class ConverterWizard : public QDialog {
    Q_OBJECT
public:
    // The runs are made by these (tests put in runs of their own); the defaults run the converter.
    using CreationFactory = std::function<ConversionWork(const std::string& source, const ConversionOptions&,
                                                         const WizardRunInputs&)>;
    using CompletionFactory = std::function<ConversionWork(const CompletionOptions&)>;

    // source: the map open in the main window (ReadConverterSource); services and taskBar are borrowed and
    // must outlive the wizard. The main window offers no name conversion: then the two switches of the
    // names page stay disabled.
    ConverterWizard(ConverterSource source, const Services& services, TaskBar& taskBar,
                    bool nameConversionOffered = false, QWidget* parent = nullptr);
    ~ConverterWizard() override;

    // The new map's path, to open on result 1 (after a split, its first volume).
    QString OutputPath() const;
    void SetImporter(std::unique_ptr<WizardImporter> importer);
    void SetDictionary(std::unique_ptr<WizardDictionary> dictionary);
    void SetCreationFactory(CreationFactory factory) { creationFactory_ = std::move(factory); }
    void SetCompletionFactory(CompletionFactory factory) { completionFactory_ = std::move(factory); }

    WizardPage CurrentPage() const;
    // The settings a run would get now.
    ConversionOptions BuildOptions() const;
    CompletionOptions BuildCompletionOptions() const;
    // The settings the last run started with.
    const ConversionOptions& RunSettings() const { return runSettings_; }
    // The options, their rules and the settings, which the pages show.
    const WizardModel& Model() const { return model_; }
    // The run's log and progress, the import memo, the dictionary's count and the tool buttons' states.
    const WizardRunState& RunState() const { return run_; }
    bool CreationRunning() const;
    // A dictionary load or save is running.
    bool DictionaryBusy() const;
    int LastReturnValue() const { return returnValue_; }

    // Handlers.
    void NextBtnClick();
    void BackBtnClick();
    void DefaultBtnClick();
    void TargetRadioGroupClick();
    void FileBitBtnClick();
    void SetOutputFile(const QString& path);
    void ProcessingButtonClick();
    void ResetVersion();
    void EditVersion();
    void PresentationImageClick();
    void InspectRegionBtnClick();
    void SaveRegionBtnClick();
    void LoadDictionaryBtnClick();
    void ShowDictionaryBtnClick();
    void SaveDictionaryBtnClick();
    void LoadMpBtnClick();
    void SaveLmpBtnClick();
    // The elapsed time of a running creation, once a second.
    void Tick();

protected:
    // Every way out comes here: both runs are stopped and joined, then the settings are saved.
    void done(int result) override;

private:
    void buildPages();
    QWidget* buildInfo();
    QWidget* buildCaution();
    QWidget* buildFirstStep();
    QWidget* buildTranslate();
    QWidget* buildLoading();
    QWidget* buildSettings();
    QWidget* buildCutMap();
    QWidget* buildFile();
    QWidget* buildCreation();
    QWidget* buildFinish();
    QWidget* buildCompletion();
    QWidget* buildRegion();
    void connectHandlers();
    void initialise();
    void showPage(WizardPage page);
    void updateOutputCheck();
    // A completion task's box was clicked: the model takes its new state.
    void CompletionCheckBoxClick(QCheckBox* clicked);
    // Back, Next, Cancel, Start Processing and the file page's warnings as the model has them.
    void showButtons();
    // The run state's texts, bars and tool buttons; the run's memo appends only lines not shown yet.
    void showRunState();
    void showReport();
    void showImportMemo();
    bool fileStepAccepted();
    void startCreation();
    void creationEnded();
    void completionEnded();
    // What a run or the completion left undone, told the one way: a box per task and the page's report.
    void tellPassedOver(const PassedOverNotes& notes, const QStringList& closing = {});
    void applyProgress(ConversionJob& task);
    void importNews();
    void importEnded();
    // The system's memory figures and the size of the building data, as the loading page shows them.
    void refreshMemoryGauge();
    // The pages show the model's options and what it enables.
    void showChoices();
    // Every caption beside a control (its buddy) takes the control's enabled state.
    void greyCaptions();
    // Group boxes whose controls the model enables one by one: each title greys with them (on while any
    // control inside is on).
    std::vector<QGroupBox*> groupsFollowingControls_;
    void restoreCodePage();
    // Runs work (a load or a save of the dictionary) off the window's thread with the page disabled.
    void startDictionaryWork(std::function<QString(const WizardDictionary::Percent&)> work, bool saving);
    void dictionaryWorkEnded();
    // Saves the dictionary as text in the background: to the file last saved, or where the user says when
    // ask is set or it was never saved. False when nothing is saved.
    bool saveDictionary(bool ask);
    // True (and the user told) when path names a file the source map is read from: no save goes there.
    bool refusedAsSourceFile(const QString& path);

    ConverterSource source_;
    WizardModel model_;
    WizardRunState run_;
    // The run (RunState().Runs()) and the count of its lines the run's memo shows.
    int shownRun_ = 0;
    int64_t shownLines_ = 0;
    Services services_;
    TaskBar& taskBar_;
    CreationFactory creationFactory_;
    CompletionFactory completionFactory_;
    std::unique_ptr<WizardImporter> importer_;
    std::unique_ptr<WizardDictionary> dictionary_;
    std::unique_ptr<ConversionJob> creation_;
    std::unique_ptr<ConversionJob> completion_;
    std::unique_ptr<ConversionJob> dictionaryWork_;
    bool dictionarySaving_ = false;
    QString lastOpenedDictionary_;
    QString savedDictionary_;
    ConversionOptions runSettings_;
    // What the last run that wrote the whole map reported: where it found the source's voice data.
    ConversionResult created_;
    int savedCodePage_ = 0;
    bool codePageChanged_ = false;
    int returnValue_ = 0;
    QString outputPath_;
    QElapsedTimer startTime_;
    bool closing_ = false;
    bool importing_ = false;
    // The completion run's end has been taken in.
    bool completionTaken_ = false;
    // The first file of the last import: "BuildingsOpen" once that import succeeds (unless it appended a
    // compiled file), and what "Save as..." proposes under the compiled extension.
    QString lastChosen_;
    bool rememberChoice_ = false;
    bool importPolish_ = false;

    // The controls, each named after its member where it is made (tests find them by that name).
    // Header and buttons.
    QLabel* captionLabel = nullptr;
    QLabel* hintLabel = nullptr;
    QLabel* reportLabel = nullptr;
    QStackedWidget* pageControl = nullptr;
    QProgressBar* progressBar1 = nullptr;
    QPushButton* backBtn = nullptr;
    QPushButton* nextBtn = nullptr;
    QPushButton* cancelBtn = nullptr;
    QTimer* elapsedClock = nullptr;
    // Info, Caution.
    QPlainTextEdit* infoMemo = nullptr;
    QPlainTextEdit* attentionMemo = nullptr;
    // FirstStep.
    QButtonGroup* targetRadioGroup = nullptr;
    QCheckBox* backwardCheckBox = nullptr;
    QCheckBox* rdsCheckBox = nullptr;
    QCheckBox* strictRulesCheckBox = nullptr;
    QCheckBox* westBugsCheckBox = nullptr;
    QCheckBox* systemIdCheckBox = nullptr;
    QComboBox* systemIdComboBox = nullptr;
    QCheckBox* dateStampCheckBox = nullptr;
    QLineEdit* dateStampEdit = nullptr;
    QCheckBox* versionStampCheckBox = nullptr;
    QLineEdit* versionStampEdit = nullptr;
    QCheckBox* insertRegionDataCheckBox = nullptr;
    QCheckBox* insertVoiceDataCheckBox = nullptr;
    QButtonGroup* adjacentRadioGroup = nullptr;
    QPushButton* presentationImage = nullptr;
    // Translate.
    QCheckBox* utfToAnsiCheckBox = nullptr;
    QGroupBox* utfGroupBox = nullptr;
    QListWidget* utfAreasCheckListBox = nullptr;
    QComboBox* isoAnsiComboBox = nullptr;
    QLabel* utfLabel = nullptr;
    QLabel* ansiLabel = nullptr;
    QGroupBox* translateGroupBox = nullptr;
    QCheckBox* translateCheckBox = nullptr;
    QButtonGroup* dictionaryTypeRadioGroup = nullptr;
    QLabel* translateLevelLabel = nullptr;
    QSlider* translateTrackBar = nullptr;
    QLabel* levelsRangeLabel = nullptr;
    QListWidget* translateAreasCheckListBox = nullptr;
    QLabel* dictionaryCountLabel = nullptr;
    QPushButton* loadDictionaryBtn = nullptr;
    QPushButton* showDictionaryBtn = nullptr;
    QPushButton* saveDictionaryBtn = nullptr;
    QCheckBox* excludeYoCheckBox = nullptr;
    QCheckBox* ukrICheckBox = nullptr;
    QCheckBox* excludeFwyCheckBox = nullptr;
    QCheckBox* logDictErrorsCheckBox = nullptr;
    // Loading.
    QPushButton* loadBtn = nullptr;
    QPushButton* saveLmpBtn = nullptr;
    QPlainTextEdit* addMemo = nullptr;
    QComboBox* cityAreaComboBox = nullptr;
    // The two map download pages, opened through the desktop's link service.
    QLabel* urlLabel1 = nullptr;
    QLabel* urlLabel2 = nullptr;
    QProgressBar* memoryLoadProgressBar = nullptr;
    QLabel* memorySizeLabel = nullptr;
    QLabel* memoryAviableLabel = nullptr;
    // Settings.
    QCheckBox* buildingsCheckBox = nullptr;
    QButtonGroup* addRadioGroup = nullptr;
    QComboBox* buildingsDcComboBox = nullptr;
    QLineEdit* buildingsTypeCodeEdit = nullptr;
    QSlider* sizeFilter50TrackBar = nullptr;
    QSlider* sizeFilter100TrackBar = nullptr;
    QLabel* sizeFilter50Label = nullptr;
    QLabel* sizeFilter100Label = nullptr;
    QCheckBox* addressCheckBox = nullptr;
    QComboBox* numberingDcComboBox = nullptr;
    QLineEdit* numberingTypeCodeEdit = nullptr;
    QCheckBox* includeLettersCheckBox = nullptr;
    QComboBox* codePageComboBox = nullptr;
    QCheckBox* addExtraLevelCheckBox = nullptr;
    QCheckBox* arrowsCheckBox = nullptr;
    QPushButton* defaultBtn = nullptr;
    // CutMap.
    QCheckBox* trimCheckBox = nullptr;
    QButtonGroup* trimRadioGroup = nullptr;
    QSlider* northTrackBar = nullptr;
    QSlider* southTrackBar = nullptr;
    QSlider* westTrackBar = nullptr;
    QSlider* eastTrackBar = nullptr;
    QLabel* northLabel = nullptr;
    QLabel* southLabel = nullptr;
    QLabel* westLabel = nullptr;
    QLabel* eastLabel = nullptr;
    QLineEdit* northEdit = nullptr;
    QLineEdit* southEdit = nullptr;
    QLineEdit* westEdit = nullptr;
    QLineEdit* eastEdit = nullptr;
    QListWidget* areasCheckListBox = nullptr;
    QCheckBox* addSeasCheckBox = nullptr;
    QCheckBox* addAdjacentCheckBox = nullptr;
    QSlider* trimLevelTrackBar = nullptr;
    QLabel* cutLevelLabel = nullptr;
    // File.
    QLineEdit* fileNameEdit = nullptr;
    QPushButton* fileBitBtn = nullptr;
    QLabel* readOnlyLabel = nullptr;
    QLabel* otherFileLabel = nullptr;
    QCheckBox* logBox = nullptr;
    // Creation, Finish.
    QLabel* progressLabel = nullptr;
    QProgressBar* progressBar2 = nullptr;
    QPlainTextEdit* progressMemo = nullptr;
    QLabel* timeStaticText = nullptr;
    QPlainTextEdit* finishMemo = nullptr;
    QLabel* targetLabel = nullptr;
    QLabel* fileSizeLabel = nullptr;
    QLabel* timeLabel = nullptr;
    // Completion.
    QCheckBox* openNewMapCheckBox = nullptr;
    QGroupBox* completeGroupBox = nullptr;
    QCheckBox* splitCheckBox = nullptr;
    QCheckBox* fileConCheckBox = nullptr;
    QCheckBox* regionCheckBox = nullptr;
    QCheckBox* voiceCheckBox = nullptr;
    QCheckBox* cmp05CheckBox = nullptr;
    QPushButton* processingButton = nullptr;
    // Region.
    QListWidget* regionCheckListBox = nullptr;
    QPushButton* inspectRegionBtn = nullptr;
    QPushButton* saveRegionBtn = nullptr;
};
