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

#include "converter/ProducedFile.h"
#include "platform/MemoryStatus.h"
#include "platform/RegistrySettings.h"
#include "platform/TaskBar.h"

namespace {

const QString kCaution = QStringLiteral(
    "Карта, открытая в главном окне, содержит сжатый файл ALLDATA.KWI.\n\n"
    "Поэтому, в дополнение к новому несжатому файлу ALLDATA.KWI, также будет создан новый уникальный файл "
    "05.CMP.\n\nВы должны использовать оба этих файла вместе.");

QString styleName(uint16_t code) {
    return QStringLiteral("Class %1").arg(code);
}

} // namespace

ConverterWizard::ConverterWizard(ConverterSource source, const Services& services, TaskBar& taskBar,
                                 bool nameConversionOffered, QWidget* parent)
    : QDialog(parent), source_(std::move(source)), services_(services), taskBar_(taskBar),
      nameConversionOffered_(nameConversionOffered) {
    creationFactory_ = [](const std::string& sourcePath, const ConversionOptions& options,
                          const WizardRunInputs& inputs) -> WizardWork {
        auto run = std::make_shared<ConversionRun>(sourcePath, options);
        if (inputs.buildings) run->SetBuildingData(inputs.buildings);
        if (inputs.dictionary) run->SetDictionary(inputs.dictionary);
        return [run](ConversionProgress& progress, const std::atomic<bool>& stop) {
            return run->Execute(progress, stop);
        };
    };
    completionFactory_ = [](const CompletionOptions& options) -> WizardWork {
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
    const QDate today = QDate::currentDate();
    targetRadioGroup->button(std::clamp(RegReadInteger(QStringLiteral("NewSysIdx")), 0, 2))->setChecked(true);
    versionCounter_ = RegReadInteger(QStringLiteral("Version"));
    versionStampEdit->setText(VersionStampText(versionCounter_, today));
    dateStampEdit->setText(DateStampText(today));
    fileNameEdit->setText(RememberedOutputName(RegReadString(QStringLiteral("NewMapSave"))));
    if (!nameConversionOffered_) {
        utfToAnsiCheckBox->setEnabled(false);
        translateCheckBox->setEnabled(false);
    }
    WizardPage start = StartPage(source_.mapOpen, source_.compressed);
    if (source_.mapOpen) {
        if (source_.compressed) attentionMemo->setPlainText(kCaution);
        if (attentionMemo->toPlainText().isEmpty()) start = WizardPage::FirstStep;
        northTrackBar->setRange(source_.south + kLeastNorthSouth, source_.north);
        northTrackBar->setValue(source_.north);
        southTrackBar->setRange(source_.south, source_.north - kLeastNorthSouth);
        southTrackBar->setValue(source_.south);
        westTrackBar->setRange(source_.west, source_.east - kLeastWestEast);
        westTrackBar->setValue(source_.west);
        eastTrackBar->setRange(source_.west + kLeastWestEast, source_.east);
        eastTrackBar->setValue(source_.east);
        trimTrackBarChange(TrimEdge::North);
        const bool systemCodeEu = source_.systemIdText.substr(0, 6) == "AFEU:2";
        if (source_.management21Address > 0) {
            backwardCheckBox->setChecked(false);
            backwardCheckBox->setEnabled(false);
        } else if (source_.management32Address > 0) {
            backwardCheckBox->setEnabled(true);
            backwardCheckBox->setChecked(systemCodeEu);
            savedBackward_ = systemCodeEu;
        } else {
            backwardCheckBox->setChecked(false);
            backwardCheckBox->setEnabled(false);
        }
        const QString systemId = QString::fromLatin1(source_.systemIdText.c_str());
        int found = systemIdComboBox->findText(systemId);
        if (found < 0) {
            systemIdComboBox->addItem(systemId);
            found = systemIdComboBox->count() - 1;
        }
        systemIdComboBox->setCurrentIndex(found);
        utfLabel->setVisible(source_.systemNumber >= 4);
        ansiLabel->setVisible(source_.systemNumber >= 4);
        const std::vector<uint16_t> background = ShownBackgroundCodes(source_.backgroundCodes);
        for (size_t i = 0; i < background.size(); ++i)
            buildingsDcComboBox->addItem(QString::number(i) + " - " + styleName(background[i]));
        for (size_t i = 0; i < source_.nameCodes.size(); ++i)
            numberingDcComboBox->addItem(QString::number(i) + " - " + styleName(source_.nameCodes[i]));
        DefaultBtnClick();
        TargetRadioGroupClick();
        regionCheckBox->setEnabled(source_.hasRegionData);
        splitCheckBox->setEnabled(source_.fileConPresent);
        cmp05CheckBox->setChecked(source_.compressed);
        voiceCheckBox->setEnabled(source_.voiceSize > 0);
    }
    if (!source_.areas.empty()) {
        auto* all = new QListWidgetItem(QStringLiteral("ALL"), areasCheckListBox);
        all->setFlags(Qt::ItemIsEnabled);
        all->setCheckState(Qt::Checked);
        for (size_t i = 0; i < source_.areas.size(); ++i) {
            const ConverterArea& area = source_.areas[i];
            auto* item = new QListWidgetItem(area.name, areasCheckListBox);
            item->setCheckState(Qt::Unchecked);
            auto* utf = new QListWidgetItem(area.name, utfAreasCheckListBox);
            utf->setCheckState(Qt::Checked);
            auto* translate = new QListWidgetItem(area.name, translateAreasCheckListBox);
            translate->setCheckState(Qt::Unchecked);
            if (area.tag == QStringLiteral("RUS")) {
                translationArea_ = int(i);
                translate->setCheckState(Qt::Checked);
            }
        }
    }
    auto* zero = new QListWidgetItem(QStringLiteral("-0-"), areasCheckListBox);
    zero->setCheckState(Qt::Unchecked);
    trimRadioGroupClick();
    trimLevelTrackBarChange();
    translateTrackBarChange();
    refreshMemoryGauge();
    showPage(start);
}

void ConverterWizard::refreshMemoryGauge() {
    const MemoryStatus memory = currentMemoryStatus();
    const uint64_t used = buildingData_.records ? buildingData_.records->size() : 0;
    memoryLoadProgressBar->setValue(memory.memoryLoad);
    memorySizeLabel->setText(QStringLiteral("Загружено: ") + QString::number(used >> 20) +
                             QStringLiteral(" Mb"));
    memoryAviableLabel->setText(QStringLiteral("Доступно памяти: ") +
                                QString::number(memory.availablePhysical >> 20) + QStringLiteral(" Mb"));
}

WizardPage ConverterWizard::CurrentPage() const {
    return WizardPage(pageControl->currentIndex());
}

void ConverterWizard::showPage(WizardPage page) {
    pageControl->setCurrentIndex(int(page));
    const WizardPageRules& rules = PageRulesOf(page);
    captionLabel->setText(QString::fromUtf8(rules.caption));
    hintLabel->setText(QString::fromUtf8(rules.hint));
    switch (rules.back) {
    case BackRule::Off:
        backBtn->setEnabled(false);
        break;
    case BackRule::On:
        backBtn->setEnabled(true);
        break;
    case BackRule::WhenCaution:
        backBtn->setEnabled(!attentionMemo->toPlainText().isEmpty());
        break;
    }
    nextBtn->setText(rules.nextIsDone ? DoneCaption() : NextCaption());
    switch (rules.next) {
    case NextRule::Off:
        nextBtn->setEnabled(false);
        break;
    case NextRule::On:
        nextBtn->setEnabled(true);
        break;
    case NextRule::OutputCheck:
        updateOutputCheck();
        break;
    case NextRule::WhenProcessingOff:
        nextBtn->setEnabled(!processingButton->isEnabled() && !(completion_ && !completion_->Finished()));
        break;
    }
    progressBar1->setVisible(rules.progress == ProgressRule::ShownAtZero);
    if (rules.progress != ProgressRule::Hidden) progressBar1->setValue(0);
    cancelBtn->setEnabled(rules.cancelEnabled);
    if (page == WizardPage::Finish) finishMemo->setPlainText(progressMemo->toPlainText());
}

void ConverterWizard::updateOutputCheck() {
    nextBtn->setEnabled(false);
    readOnlyLabel->hide();
    otherFileLabel->hide();
    switch (CheckOutput(fileNameEdit->text(), source_.allDataPath)) {
    case OutputVerdict::Accepted:
        nextBtn->setEnabled(true);
        break;
    case OutputVerdict::ReadOnly:
        readOnlyLabel->show();
        break;
    case OutputVerdict::SameAsSource:
        otherFileLabel->show();
        break;
    case OutputVerdict::MissingFolder:
        break;
    }
}

bool ConverterWizard::fileStepAccepted() {
    if (translateCheckBox->isChecked() && !(dictionary_ && dictionary_->Loaded())) {
        services_.messenger->Error(this, QStringLiteral("Словарь не загружен !!!"));
        return false;
    }
    // A class that is not in the top level's list cannot take buildings or house numbers.
    if (buildingsCheckBox->isChecked() && buildingsDcComboBox->currentIndex() < 0) {
        services_.messenger->Error(this, QStringLiteral("Выберите класс отображения для зданий"));
        return false;
    }
    if (addressCheckBox->isChecked() && numberingDcComboBox->currentIndex() < 0) {
        services_.messenger->Error(this, QStringLiteral("Выберите класс отображения для номеров зданий"));
        return false;
    }
    if (CheckOutput(fileNameEdit->text(), source_.allDataPath) != OutputVerdict::Accepted) {
        updateOutputCheck();
        return false;
    }
    if (QFileInfo::exists(fileNameEdit->text()) &&
        !services_.messenger->Question(this, QStringLiteral("Файл ") + fileNameEdit->text() +
                                                 QStringLiteral(" уже существует!\n Хотите его заменить?")))
        return false;
    // No "05.CMP" is removed here: the run replaces a stale one only once the new map is complete.
    return true;
}

void ConverterWizard::NextBtnClick() {
    if (!nextBtn->isEnabled()) return;
    const WizardPage page = CurrentPage();
    if (page == WizardPage::Translate)
        loadBtn->setEnabled(!utfToAnsiCheckBox->isChecked() && !translateCheckBox->isChecked());
    if (page == WizardPage::File && !fileStepAccepted()) return;
    if (nextBtn->text() == DoneCaption()) {
        if (openNewMapCheckBox->isChecked()) {
            if (utfToAnsiCheckBox->isChecked() && source_.setMapCodePage)
                source_.setMapCodePage(isoAnsiComboBox->currentIndex() == 0 ? 1251 : 28591, true);
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
    if (!backBtn->isEnabled()) return;
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
    pollTimer->stop();
    const bool creationUnfinished = creation_ && creation_->Started() && !creation_->Finished();
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
    if (QFileInfo::exists(fileNameEdit->text()))
        RegWriteString(QStringLiteral("NewMapSave"), fileNameEdit->text());
    RegWriteInteger(QStringLiteral("NewSysIdx"), targetRadioGroup->checkedId());
    taskBar_.SetProgressState(TaskBarProgressStyle::None);
    QDialog::done(result);
}

QString ConverterWizard::OutputPath() const {
    return outputPath_.isEmpty() ? fileNameEdit->text() : outputPath_;
}

void ConverterWizard::SetImporter(std::unique_ptr<WizardImporter> importer) {
    importer_ = std::move(importer);
}

void ConverterWizard::SetDictionary(std::unique_ptr<WizardDictionary> dictionary) {
    dictionary_ = std::move(dictionary);
}

bool ConverterWizard::CreationRunning() const {
    return creation_ && creation_->Started() && !creation_->Finished();
}
