// The converter wizard's frame: creation, the page flow of Next and Back, the output check, and closing.
#include "converter/wizard/ConverterWizard.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>

#include "converter/output/ProducedFile.h"
#include "platform/MemoryStatus.h"
#include "platform/RegistrySettings.h"
#include "platform/TaskBar.h"
#include "widgets/Guarded.h"

ConverterWizard::ConverterWizard(ConverterSource source, const Services& services, TaskBar& taskBar,
                                 bool nameConversionOffered, QWidget* parent)
    : QDialog(parent), source_(std::move(source)), model_(source_, nameConversionOffered),
      services_(services), taskBar_(taskBar) {
    creationFactory_ = [](const std::string& sourcePath, const ConversionOptions& options,
                          const WizardRunInputs& inputs) -> ConversionWork {
        auto run = std::make_shared<ConversionRun>(sourcePath, options);
        if (inputs.buildings) run->SetBuildingData(inputs.buildings);
        if (inputs.dictionary) run->SetDictionary(inputs.dictionary);
        return [run](ConversionProgress& progress, const std::atomic<bool>& stop) {
            return run->Execute(progress, stop);
        };
    };
    completionFactory_ = [](const CompletionOptions& options) -> ConversionWork {
        auto run = std::make_shared<CompletionRun>(options);
        return [run](ConversionProgress& progress, const std::atomic<bool>& stop) {
            return run->Execute(progress, stop);
        };
    };
    buildPages();
    connectHandlers();
    initialise();
}

ConverterWizard::~ConverterWizard() {
    // A wizard destroyed without done() still stops and joins its runs before their inputs go.
    if (creation_) creation_->RequestStop();
    if (completion_) completion_->RequestStop();
    creation_.reset();
    completion_.reset();
    dictionaryWork_.reset();
    importer_.reset();
    dictionary_.reset();
}

void ConverterWizard::initialise() {
    model_.ReadSettings(QDate::currentDate());
    {
        const QSignalBlocker block(systemIdComboBox);
        systemIdComboBox->clear();
        systemIdComboBox->addItems(model_.SystemIds());
    }
    if (source_.mapOpen) {
        attentionMemo->setPlainText(model_.CautionText());
        for (auto [slider, edge] :
             {std::pair{northTrackBar, TrimEdge::North}, std::pair{southTrackBar, TrimEdge::South},
              std::pair{westTrackBar, TrimEdge::West}, std::pair{eastTrackBar, TrimEdge::East}}) {
            const QSignalBlocker block(slider);
            slider->setRange(model_.EdgeRange(edge).first, model_.EdgeRange(edge).second);
        }
        utfLabel->setVisible(model_.EncodingLabelsShown());
        ansiLabel->setVisible(model_.EncodingLabelsShown());
        const QSignalBlocker buildingsBlock(buildingsDcComboBox), numberingBlock(numberingDcComboBox);
        buildingsDcComboBox->addItems(model_.ClassItems(true));
        numberingDcComboBox->addItems(model_.ClassItems(false));
    }
    {
        const QSignalBlocker areas(areasCheckListBox), utf(utfAreasCheckListBox),
            translate(translateAreasCheckListBox);
        const QStringList items = model_.AreaItems();
        for (int i = 0; i < items.size(); ++i) {
            auto* item = new QListWidgetItem(items[i], areasCheckListBox);
            item->setCheckState(Qt::Unchecked);
            // "ALL" stands for no area chosen; the user checks areas, not it.
            if (i == 0 && !source_.areas.empty()) item->setFlags(Qt::ItemIsEnabled);
        }
        for (const ConverterArea& area : source_.areas) {
            (new QListWidgetItem(area.name, utfAreasCheckListBox))->setCheckState(Qt::Checked);
            (new QListWidgetItem(area.name, translateAreasCheckListBox))->setCheckState(Qt::Unchecked);
        }
    }
    showChoices();
    refreshMemoryGauge();
    // The model starts on the information page without a map, on the caution for a compressed one.
    showPage(model_.Page());
}

void ConverterWizard::refreshMemoryGauge() {
    const MemoryStatus memory = currentMemoryStatus();
    const WizardBuildingData& imported = model_.BuildingData();
    const uint64_t used = imported.records ? imported.records->size() : 0;
    memoryLoadProgressBar->setValue(memory.memoryLoad);
    memorySizeLabel->setText(WizardRunState::LoadedText(used));
    memoryAviableLabel->setText(WizardRunState::AvailableText(memory.availablePhysical));
}

void ConverterWizard::showRunState() {
    progressBar1->setVisible(run_.ProgressShown());
    progressLabel->setText(run_.ProgressLabel());
    if (progressBar1->value() != run_.Percent()) progressBar1->setValue(run_.Percent());
    if (progressBar2->value() != run_.RunPercent()) progressBar2->setValue(run_.RunPercent());
    timeStaticText->setText(run_.ElapsedText());
    if (shownRun_ != run_.Runs()) {
        progressMemo->clear();
        shownRun_ = run_.Runs();
        shownLines_ = 0;
    }
    const int64_t dropped = run_.DroppedLines();
    const int64_t total = dropped + run_.RunLog().size();
    for (int64_t i = std::max(shownLines_, dropped); i < total; ++i)
        progressMemo->appendPlainText(run_.RunLog()[qsizetype(i - dropped)]);
    shownLines_ = total;
    targetLabel->setText(run_.TargetText());
    fileSizeLabel->setText(run_.SizeText());
    timeLabel->setText(run_.TimeText());
    loadBtn->setEnabled(run_.LoadOn());
    saveLmpBtn->setEnabled(run_.SaveLmpOn());
    pageControl->widget(int(WizardPage::Translate))->setEnabled(!run_.DictionaryWorking());
    dictionaryCountLabel->setText(run_.CountText());
    loadDictionaryBtn->setText(run_.LoadDictionaryCaption());
    if (run_.DictionaryFilled())
        for (QWidget* w :
             std::initializer_list<QWidget*>{saveDictionaryBtn, dictionaryCountLabel, showDictionaryBtn})
            w->setEnabled(true);
    completeGroupBox->setEnabled(run_.CompletionGroupOn());
    inspectRegionBtn->setEnabled(run_.InspectOn());
    saveRegionBtn->setEnabled(run_.SaveRegionOn());
}

void ConverterWizard::showReport() {
    reportLabel->setText(run_.ReportText());
    reportLabel->setVisible(!run_.ReportText().isEmpty());
}

void ConverterWizard::showImportMemo() {
    addMemo->setPlainText(run_.ImportMemo().join(QLatin1Char('\n')));
    addMemo->moveCursor(QTextCursor::End);
}

WizardPage ConverterWizard::CurrentPage() const {
    return model_.Page();
}

void ConverterWizard::showPage(WizardPage page) {
    model_.GoTo(page);
    pageControl->setCurrentIndex(int(page));
    const WizardPageRules& rules = PageRulesOf(page);
    captionLabel->setText(QString::fromUtf8(rules.caption));
    hintLabel->setText(QString::fromUtf8(rules.hint));
    run_.SetReport({});
    showReport();
    run_.SetProgressShown(rules.progress == ProgressRule::ShownAtZero);
    if (rules.progress != ProgressRule::Hidden) run_.SetPercent(0);
    if (page == WizardPage::File) updateOutputCheck();
    if (page == WizardPage::Finish) finishMemo->setPlainText(run_.RunLog().join(QLatin1Char('\n')));
    showRunState();
    showButtons();
}

void ConverterWizard::showButtons() {
    backBtn->setEnabled(model_.BackOn());
    nextBtn->setEnabled(model_.NextOn());
    nextBtn->setText(model_.NextIsDone() ? DoneCaption() : NextCaption());
    cancelBtn->setEnabled(model_.CancelOn());
    processingButton->setEnabled(model_.ProcessingEnabled());
    readOnlyLabel->setVisible(model_.ReadOnlyWarning());
    otherFileLabel->setVisible(model_.SameFileWarning());
}

void ConverterWizard::updateOutputCheck() {
    const OutputVerdict verdict = CheckOutput(model_.Choices().outputPath, source_.allDataPath);
    model_.SetOutputVerdict(verdict);
    showButtons();
}

bool ConverterWizard::fileStepAccepted() {
    const QString& output = model_.Choices().outputPath;
    if (const QString refusal = model_.FileStepRefusal(dictionary_ && dictionary_->Loaded());
        !refusal.isEmpty()) {
        services_.messenger->Error(this, refusal);
        return false;
    }
    if (CheckOutput(output, source_.allDataPath) != OutputVerdict::Accepted) {
        updateOutputCheck();
        return false;
    }
    // The warning box with OK and Cancel; the file dialog asked nothing.
    if (QFileInfo::exists(output) &&
        !services_.messenger->Warning(this, QStringLiteral("Файл ") + output +
                                                QStringLiteral(" уже существует!\n Хотите его заменить?")))
        return false;
    // No "05.CMP" is removed here: the run replaces a stale one only once the new map is complete.
    return true;
}

void ConverterWizard::NextBtnClick() {
    if (!model_.NextOn()) return;
    const WizardPage page = CurrentPage();
    if (page == WizardPage::Translate) {
        run_.LeaveNamesPage(model_.Choices().utfToAnsi || model_.Choices().translate);
        showRunState();
    }
    if (page == WizardPage::Settings) {
        if (const QString refusal = model_.SettingsStepRefusal(); !refusal.isEmpty()) {
            services_.messenger->Error(this, refusal);
            return;
        }
    }
    if (page == WizardPage::File && !fileStepAccepted()) return;
    if (model_.NextIsDone()) {
        if (model_.Choices().openNewMap) {
            if (model_.Choices().utfToAnsi && source_.setMapCodePage)
                source_.setMapCodePage(model_.Choices().isoAnsiIndex == 0 ? 1251 : 28591, true);
            codePageChanged_ = false;
            done(1);
        } else {
            done(6);
        }
        return;
    }
    showPage(WizardPage(int(page) + 1));
    if (CurrentPage() == WizardPage::Creation) startCreation();
}

void ConverterWizard::BackBtnClick() {
    if (!model_.BackOn()) return;
    const int page = int(CurrentPage());
    if (page > 0) showPage(WizardPage(page - 1));
}

void ConverterWizard::restoreCodePage() {
    if (!codePageChanged_) return;
    codePageChanged_ = false;
    if (source_.setMapCodePage) source_.setMapCodePage(savedCodePage_, true);
}

void ConverterWizard::done(int result) {
    if (closing_) return;
    closing_ = true;
    elapsedClock->stop();
    // A run that failed after it began writing (a full disk) did not finish either; one refused before
    // it wrote anything is parked and said nothing of.
    const bool creationUnfinished =
        creation_ && creation_->Started() &&
        (!creation_->Finished() || (creation_->Result().status != ConversionStatus::Done &&
                                    creation_->Result().status != ConversionStatus::Refused));
    const bool completionUnfinished = completion_ && completion_->Started() && !completion_->Finished();
    // Both runs are stopped and joined before the dictionary, the building data or the window go.
    if (creation_) creation_->RequestStop();
    if (completion_) completion_->RequestStop();
    if (creationUnfinished || completionUnfinished)
        services_.messenger->Information(this, QStringLiteral("Процесс создания не был завершен !"));
    if (creation_) creation_->Wait();
    if (completion_) completion_->Wait();
    // A dictionary load or save cannot be stopped halfway; it ends before the dictionary goes.
    dictionaryWork_.reset();
    if (importer_) importer_->Stop();
    importer_.reset();
    dictionary_.reset();
    if (result != 1) restoreCodePage();
    model_.WriteSettings();
    taskBar_.SetProgressState(TaskBarProgressStyle::None);
    QDialog::done(result);
}

QString ConverterWizard::OutputPath() const {
    return outputPath_.isEmpty() ? model_.Choices().outputPath : outputPath_;
}

void ConverterWizard::SetImporter(std::unique_ptr<WizardImporter> importer) {
    importer_ = std::move(importer);
    if (!importer_) return;
    // The import's news comes queued to this window's thread; the import is stopped and joined before
    // the window goes, and Qt drops what is still queued for a window that is gone.
    importer_->SetNewsHandler([this] {
        QMetaObject::invokeMethod(
            this, [this] { guarded(this, services_.messenger, [&] { importNews(); }); },
            Qt::QueuedConnection);
    });
}

void ConverterWizard::SetDictionary(std::unique_ptr<WizardDictionary> dictionary) {
    dictionary_ = std::move(dictionary);
}

bool ConverterWizard::CreationRunning() const {
    return creation_ && creation_->Started() && !creation_->Finished();
}
