// The converter wizard's runs and tools: the options snapshot, the creation and completion runs heard by
// queued signals of their jobs, the file choice, the Region Network page and the import and dictionary
// buttons.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "converter/import/MpImportJob.h"
#include "converter/output/OutputEncoding.h"
#include "converter/output/ProducedFile.h"
#include "converter/output/RegionFileBuilder.h"
#include "converter/source/SourceFiles.h"
#include "converter/wizard/ConverterWizard.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/core/RussianFailureTexts.h"
#include "platform/FileIdentity.h"
#include "platform/TaskBar.h"
#include "widgets/Guarded.h"

namespace {

int returnValueOf(ConversionStatus status) {
    switch (status) {
    case ConversionStatus::Done:
        return 1;
    case ConversionStatus::Refused:
        return -1;
    case ConversionStatus::Stopped:
    case ConversionStatus::Failed:
        return 0;
    }
    return 0;
}

} // namespace

ConversionOptions ConverterWizard::BuildOptions() const {
    return model_.BuildOptions(dictionary_ && !DictionaryBusy() && dictionary_->Loaded());
}

CompletionOptions ConverterWizard::BuildCompletionOptions() const {
    CompletionOptions options = model_.BuildCompletionOptions(OutputPath());
    // A new STDVCE.KWI copies the voice data the run found inside the source's ALLDATA.KWI.
    options.voiceOffset = created_.voiceOffset;
    options.voiceSize = created_.voiceSize;
    // A new REGION.KWI is uncompressed: its entry in the run's new 05.CMP is cleared.
    options.newCmpList = created_.newCmpList;
    return options;
}

void ConverterWizard::startCreation() {
    // Trimming by state borders with no area checked is no trimming.
    model_.TakeSelectedAreas();
    showChoices();
    if (model_.Choices().utfToAnsi && source_.setMapCodePage) {
        savedCodePage_ = source_.mapCodePage ? source_.mapCodePage() : 0;
        codePageChanged_ = true;
        source_.setMapCodePage(65001, true);
        if (source_.chooseMapFont)
            source_.chooseMapFont(model_.Choices().isoAnsiIndex == 0 ? QStringLiteral("Russian")
                                                                     : QStringLiteral("West Europe"));
    }
    runSettings_ = BuildOptions();
    // Known before the run: the extra level will find no room, and the map is made without it.
    if (runSettings_.addExtraLevel && !source_.extraLevelNoRoom.isEmpty())
        services_.messenger->Information(this, source_.extraLevelNoRoom);
    WizardRunInputs inputs;
    if (model_.BuildingData().loaded) inputs.buildings = model_.BuildingData().records;
    if (runSettings_.translate) inputs.dictionary = dictionary_->Shared();
    run_.RunStarted();
    showRunState();
    returnValue_ = 0;
    // Each run gets a job of its own; a run that ended without touching anything is simply replaced.
    creation_ = std::make_unique<ConversionJob>(creationFactory_(source_.allDataPath, runSettings_, inputs));
    // "Log.txt" is the import log followed by the run's own lines: the import's memo leads the run's log,
    // taken at once so that the run's memo shows only the run's lines.
    if (const QString importLog = run_.ImportMemo().join(QLatin1Char('\n')); !importLog.isEmpty()) {
        for (const QString& line : importLog.split(QLatin1Char('\n')))
            creation_->Progress().AddLog(line.toStdString());
        creation_->Progress().TakeSnapshot();
    }
    startTime_.start();
    taskBar_.SetProgressState(TaskBarProgressStyle::Normal);
    taskBar_.SetProgressMax(100);
    taskBar_.SetProgressValue(0);
    // The run tells its news and its end by queued signals; the timer keeps the clock and the import.
    connect(&creation_->Notifier(), &JobNotifier::progressed, this, [this, job = creation_.get()] {
        guarded(this, services_.messenger, [&] {
            if (creation_.get() == job && !job->StopRequested() && CurrentPage() == WizardPage::Creation)
                applyProgress(*job);
        });
    });
    connect(&creation_->Notifier(), &JobNotifier::ended, this, [this, job = creation_.get()] {
        guarded(this, services_.messenger, [&] {
            if (creation_.get() != job || job->StopRequested() || CurrentPage() != WizardPage::Creation)
                return;
            applyProgress(*job);
            creationEnded();
        });
    });
    creation_->Start();
    elapsedClock->start();
}

void ConverterWizard::applyProgress(ConversionJob& task) {
    ConversionProgress::Snapshot snapshot = task.Progress().TakeSnapshot();
    run_.TakeProgress(snapshot);
    showRunState();
    if (snapshot.taskBarIndeterminate) {
        taskBar_.SetProgressState(TaskBarProgressStyle::Indeterminate);
    } else {
        if (taskBar_.ProgressState() != TaskBarProgressStyle::Normal)
            taskBar_.SetProgressState(TaskBarProgressStyle::Normal);
        taskBar_.SetProgressMax(100);
        taskBar_.SetProgressValue(snapshot.taskBarPercent);
    }
}

void ConverterWizard::Tick() {
    if (creation_ && creation_->Started() && !creation_->StopRequested() &&
        CurrentPage() == WizardPage::Creation) {
        run_.SetElapsed(startTime_.elapsed());
        showRunState();
    }
}

void ConverterWizard::importNews() {
    if (importer_) {
        if (std::optional<QStringList> memo = importer_->TakeMemo()) {
            run_.SetImportMemo(*memo);
            showImportMemo();
        }
        if (importing_) {
            run_.SetPercent(importer_->Percent());
            showRunState();
        }
        if (importing_ && !importer_->Busy()) importEnded();
    }
}

void ConverterWizard::creationEnded() {
    const ConversionResult result = creation_->Result();
    returnValue_ = returnValueOf(result.status);
    elapsedClock->stop();
    taskBar_.SetProgressState(TaskBarProgressStyle::None);
    if (returnValue_ == 1) {
        created_ = result;
        // The counter the version stamp showed is used; the next map gets the next one.
        model_.RunDone();
        outputPath_ = model_.Choices().outputPath;
        // The label ends on the time the log gives, not on the clock's last tick.
        run_.SetElapsed(result.elapsedSeconds * 1000);
        run_.RunDone(targetRadioGroup->checkedButton()->text(), result.outputSize);
        showPage(WizardPage::Finish);
        if (!result.notes.empty())
            hintLabel->setText(
                QStringLiteral("Новая карта создана, но не всё, что было выбрано, выполнено."));
        tellPassedOver(result.notes);
        return;
    }
    if (result.failure) services_.messenger->Error(this, RussianText(result.failure));
    if (returnValue_ == -1) showPage(WizardPage::File);
    // A stopped or failed run leaves the wizard where it is, with Back and Next off.
}

void ConverterWizard::ProcessingButtonClick() {
    if (!model_.ProcessingEnabled()) return;
    run_.CompletionStarted();
    model_.CompletionStarted();
    showRunState();
    showButtons();
    completion_ = std::make_unique<ConversionJob>(completionFactory_(BuildCompletionOptions()));
    taskBar_.SetProgressState(TaskBarProgressStyle::Normal);
    connect(&completion_->Notifier(), &JobNotifier::progressed, this, [this, job = completion_.get()] {
        guarded(this, services_.messenger, [&] {
            if (completion_.get() == job && CurrentPage() == WizardPage::Completion) applyProgress(*job);
        });
    });
    connect(&completion_->Notifier(), &JobNotifier::ended, this, [this, job = completion_.get()] {
        guarded(this, services_.messenger, [&] {
            if (completion_.get() != job || CurrentPage() != WizardPage::Completion) return;
            applyProgress(*job);
            if (!completionTaken_) completionEnded();
        });
    });
    completion_->Start();
}

void ConverterWizard::completionEnded() {
    completionTaken_ = true;
    const ConversionResult result = completion_->Result();
    taskBar_.SetProgressState(TaskBarProgressStyle::None);
    run_.CompletionEnded();
    showRunState();
    if (result.status == ConversionStatus::Done) {
        // A task the completion passed over is told with why, once all is done; and where the new map
        // belongs, since it reads the source disc's other files beside it.
        tellPassedOver(
            result.notes,
            {QStringLiteral("Новый ALLDATA.KWI читает остальные файлы исходного диска рядом с собой: "
                            "положите его к ним или скопируйте их (INDEXDAT.KWI, LOADING.KWI и "
                            "другие) в папку новой карты.")});
        if (model_.Choices().split) {
            const QString first = QFileInfo(OutputPath()).dir().filePath(QStringLiteral("ALLDATA1.KWI"));
            if (QFileInfo::exists(first)) {
                outputPath_ = first;
                model_.SetOutputPath(first);
                showChoices();
            }
        }
    } else if (result.failure) {
        // A failed task is shown and logged; the user may still finish the wizard.
        run_.CompletionFailed(result.message);
        showRunState();
        services_.messenger->Error(this, RussianText(result.failure));
    }
    model_.CompletionEnded();
    showButtons();
}

void ConverterWizard::tellPassedOver(const PassedOverNotes& notes, const QStringList& closing) {
    QStringList undone;
    for (const PassedOverNote& note : notes) {
        const QString text = RussianText(note.why);
        undone.append(text);
        if (note.failed)
            services_.messenger->Error(this, text);
        else
            services_.messenger->Information(this, text);
    }
    run_.SetReport(undone, closing);
    showReport();
}

void ConverterWizard::CompletionCheckBoxClick(QCheckBox* clicked) {
    const bool on = clicked->isChecked();
    if (clicked == splitCheckBox) model_.SetSplit(on);
    if (clicked == fileConCheckBox) model_.SetFileCon(on);
    if (clicked == regionCheckBox) model_.SetNewRegion(on);
    if (clicked == voiceCheckBox) model_.SetNewVoice(on);
    showChoices();
    showButtons();
}

void ConverterWizard::FileBitBtnClick() {
    model_.HideSameFileWarning();
    showButtons();
    const QString& current = model_.Choices().outputPath;
    const QString start = current.isEmpty()
                              ? QStringLiteral("ALLDATA.KWI")
                              : QFileInfo(current).dir().filePath(QStringLiteral("ALLDATA.KWI"));
    // An existing file is asked about once, by Next on this page, not by the dialog as well.
    const QString chosen = services_.paths->SaveFileUnconfirmed(
        this, QString(), QStringLiteral("KIWI format files (*.KWI *.kwi)"), start);
    if (!chosen.isEmpty()) SetOutputFile(chosen);
    updateOutputCheck();
}

void ConverterWizard::SetOutputFile(const QString& path) {
    model_.SetOutputPath(path);
    model_.HideReadOnlyWarning();
    showChoices();
    showButtons();
    if (CurrentPage() == WizardPage::File) updateOutputCheck();
}

void ConverterWizard::PresentationImageClick() {
    if (!services_.texts) return;
    const std::optional<QString> entry =
        services_.texts->Password(this, QStringLiteral("Password"), QStringLiteral("Введите пароль:"));
    if (!entry) return;
    run_.PasswordGiven();
    showRunState();
    if (*entry == QStringLiteral("qvorpelin")) showPage(WizardPage::Region);
}

void ConverterWizard::InspectRegionBtnClick() {
    // A map without region data lists nothing; the user hears why rather than seeing an empty list.
    if (source_.regionCount <= 0)
        services_.messenger->Information(this, QStringLiteral("У этой карты нет данных о регионах "
                                                              "(REGION.KWI): проверять нечего."));
    model_.InspectRegions();
    const QSignalBlocker block(regionCheckListBox);
    regionCheckListBox->clear();
    for (const QString& region : model_.RegionItems())
        (new QListWidgetItem(region, regionCheckListBox))->setCheckState(Qt::Unchecked);
    run_.RegionsInspected();
    showRunState();
}

void ConverterWizard::SaveRegionBtnClick() {
    const QString start = WizardModel::RegionFileStart();
    const QString chosen = services_.paths->SaveFile(this, QString(), QStringLiteral("*.*"), start);
    if (chosen.isEmpty()) return;
    run_.SetRegionSaveOn(false);
    showRunState();
    // Never over, or beside, a file the source map is read from.
    const std::string sourceRegion = FindBesideSource(source_.allDataPath, "REGION.KWI");
    SourceGuard guard;
    guard.ProtectFile(source_.allDataPath);
    if (!sourceRegion.empty()) guard.ProtectFile(sourceRegion);
    if (const Failure why = guard.RefusalFor(chosen.toStdString())) {
        services_.messenger->Error(this, RussianText(why));
        run_.SetRegionSaveOn(true);
        showRunState();
        return;
    }
    std::vector<int> chosenRegions;
    for (size_t i = 0; i < model_.Choices().regions.size(); ++i)
        if (model_.Choices().regions[i]) chosenRegions.push_back(int(i));
    try {
        const TLN_RegionManager regions(sourceRegion);
        if (!regions.IsValid()) throw EConvertError(Failure(FailureCode::RegionInvalid));
        ProducedFile file(chosen.toStdString());
        const std::atomic<bool> never{false};
        PassedOverNotes unreadable;
        const int64_t size = BuildRegionFile(
            regions, chosenRegions, file.Stream(), {}, never, [&](const ERegionDataShort& why) {
                unreadable.push_back(Failure(FailureCode::RegionKeptWithoutFrame, why.Reason()));
            });
        file.Stream().SetSize(AlignUp32(size));
        file.Commit();
        tellPassedOver(unreadable);
    } catch (const std::exception& e) {
        services_.messenger->Error(this, RussianText(FailureOf(e, chosen.toStdString())));
        run_.SetRegionSaveOn(true);
        showRunState();
    }
}

void ConverterWizard::LoadMpBtnClick() {
    const QString start = WizardModel::ImportStart();
    if (!importer_) {
        run_.ImportUnavailable();
        showImportMemo();
        return;
    }
    const QStringList files = services_.paths->OpenFiles(
        this, QString(),
        QStringLiteral("Map files (*.mp *.MP *.lmp *.LMP);;Polish format files (*.mp *.MP);;"
                       "Compiled map files (*.lmp *.LMP)"),
        start);
    if (files.isEmpty()) return;
    run_.SetPercent(0);
    showRunState();
    taskBar_.SetProgressValue(0);
    // Every later import keeps the first one's city-area choice.
    model_.FreezeCityAreaLevel();
    showChoices();
    std::vector<std::string> paths;
    for (const QString& file : files)
        paths.push_back(file.toStdString());
    const mp_import::ImportPath route = mp_import::ChooseImportPath(paths);
    if (route == mp_import::ImportPath::Refused) {
        services_.messenger->Information(this, QString::fromUtf8(mp_import::kSequentialLoadingMessage));
        return;
    }
    // A compiled file is added to data already loaded only when the user says so; Cancel does nothing.
    bool append = false;
    if (route == mp_import::ImportPath::Compiled && model_.BuildingData().loaded) {
        const std::optional<bool> answer =
            services_.messenger->QuestionOrCancel(this, QStringLiteral("Добавить данные ?"),
                                                  QStringLiteral("Чтобы добавить данные, нажмите ДА\n"
                                                                 "Чтобы заменить данные, нажмите НЕТ"));
        if (!answer) return;
        append = *answer;
    }
    lastChosen_ = files.first();
    // The folder of the next choice is remembered once the import has gone through; appending a compiled
    // file leaves it as it was.
    rememberChoice_ = !append;
    importPolish_ = route == mp_import::ImportPath::Polish;
    run_.ImportStarted();
    showRunState();
    model_.SetWorking(true);
    showButtons();
    if (importPolish_) taskBar_.SetProgressState(TaskBarProgressStyle::Indeterminate);
    importing_ = true;
    importer_->Start(files, model_.Choices().cityAreaLevel, append);
}

void ConverterWizard::importEnded() {
    importing_ = false;
    model_.SetWorking(false);
    showButtons();
    const WizardBuildingData imported = importer_->Data();
    // A failed import leaves the earlier data, which may still be saved.
    run_.ImportEnded(imported.loaded);
    showRunState();
    // Imported buildings enable their switches and end the name conversion's.
    model_.SetBuildingData(imported);
    showChoices();
    refreshMemoryGauge();
    const QString error = importer_->TakeError();
    if (error.isEmpty() && rememberChoice_) WizardModel::RememberImport(lastChosen_);
    if (importPolish_) {
        taskBar_.SetProgressState(TaskBarProgressStyle::None);
        if (!isActiveWindow()) taskBar_.FlashTaskbarButton();
    }
    if (!error.isEmpty()) services_.messenger->Error(this, error);
}

void ConverterWizard::SaveLmpBtnClick() {
    if (!importer_) return;
    // The first file of the last choice, under its own name with the compiled extension.
    QString proposed;
    if (!lastChosen_.isEmpty()) {
        const QFileInfo chosen(lastChosen_);
        proposed = chosen.dir().filePath(chosen.completeBaseName() + QStringLiteral(".lmp"));
    }
    const QString path = services_.paths->SaveFile(
        this, QString(), QStringLiteral("Compiled Map files (*.lmp *.LMP)"), proposed);
    if (path.isEmpty() || refusedAsSourceFile(path)) return;
    const QString error = importer_->SaveCompiled(path);
    if (!error.isEmpty()) services_.messenger->Error(this, error);
}

bool ConverterWizard::refusedAsSourceFile(const QString& path) {
    const Failure why = SourceFilesGuard(source_.allDataPath).RefusalFor(path.toStdString());
    // Only the source's own files are refused here; a missing folder fails the save with its reason.
    if (!why || FileIdentityOf(path.toStdString()) == std::nullopt) return false;
    services_.messenger->Error(this, RussianText(why));
    return true;
}
