// The names page's dictionary buttons: loading and saving run as background work under the wizard's
// progress bar with the page, Back and Next disabled, and the editor window with its save on closing.
#include <QButtonGroup>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>

#include "converter/wizard/ConverterWizard.h"
#include "widgets/Guarded.h"

namespace {

// The filter the dictionary is saved under: it is written as text.
const QString kDictionaryTextFilter = QStringLiteral("Dictionary File(*.TXT *.txt)");

} // namespace

bool ConverterWizard::DictionaryBusy() const {
    return dictionaryWork_ != nullptr;
}

void ConverterWizard::startDictionaryWork(std::function<QString(const WizardDictionary::Percent&)> work,
                                          bool saving) {
    dictionarySaving_ = saving;
    dictionaryWork_ = std::make_unique<ConversionJob>(
        [work = std::move(work)](ConversionProgress& progress, const std::atomic<bool>&) {
            ConversionResult result;
            result.message =
                work([&progress](int percent) { progress.SetProgress1(percent, 100); }).toStdString();
            result.status = ConversionStatus::Done;
            return result;
        });
    // Nothing may use the dictionary until the work ends: not the page, not a run started by Next.
    run_.DictionaryWorkStarted();
    run_.SetPercent(0);
    model_.SetWorking(true);
    showRunState();
    showButtons();
    const auto show = [this, job = dictionaryWork_.get()](bool ended) {
        guarded(this, services_.messenger, [&] {
            if (dictionaryWork_.get() != job) return;
            run_.SetPercent(job->Progress().TakeSnapshot().percent1);
            showRunState();
            if (ended) dictionaryWorkEnded();
        });
    };
    connect(&dictionaryWork_->Notifier(), &JobNotifier::progressed, this, [show] { show(false); });
    connect(&dictionaryWork_->Notifier(), &JobNotifier::ended, this, [show] { show(true); });
    dictionaryWork_->Start();
}

void ConverterWizard::dictionaryWorkEnded() {
    const ConversionResult result = dictionaryWork_->Result();
    dictionaryWork_.reset();
    // A save may end the editor's changes of the count; a load with entries offers the other buttons.
    run_.DictionaryWorkEnded(dictionary_->Count(), !dictionarySaving_);
    if (!dictionarySaving_) run_.SetPercent(100);
    model_.SetWorking(false);
    showRunState();
    showButtons();
    const QString message = QString::fromStdString(result.message);
    if (dictionarySaving_) {
        if (!message.isEmpty()) services_.messenger->Error(this, message);
        return;
    }
    if (!message.isEmpty()) services_.messenger->Information(this, message);
}

void ConverterWizard::LoadDictionaryBtnClick() {
    if (DictionaryBusy()) return;
    if (!dictionary_) {
        services_.messenger->Error(this, QStringLiteral("Словарь не загружен !!!"));
        return;
    }
    const QString path = services_.paths->OpenFile(
        this, QString(), QStringLiteral("Dictionary File(*.TXT *.txt);;Dictionary File (*.lndict *.LNDICT)"),
        QString());
    if (path.isEmpty()) return;
    // A binary dictionary replaces the loaded one only when the user says so.
    if (dictionary_->Count() > 0 && path.endsWith(QStringLiteral(".lndict"), Qt::CaseInsensitive) &&
        !services_.messenger->Question(this, QStringLiteral("Заменить загруженный словарь?")))
        return;
    lastOpenedDictionary_ = path;
    const bool words = model_.Choices().wordByWord;
    WizardDictionary* dictionary = dictionary_.get();
    startDictionaryWork(
        [dictionary, path, words](const WizardDictionary::Percent& percent) {
            return dictionary->Load(path, words, percent);
        },
        false);
}

void ConverterWizard::ShowDictionaryBtnClick() {
    if (!dictionary_ || DictionaryBusy()) return;
    // Closing with unsaved changes and answering yes saves as Save does.
    dictionary_->Show(this, [this] { return saveDictionary(false); });
    // The editor adds and deletes entries; a save it started updates the label when it ends.
    if (!DictionaryBusy()) {
        run_.SetDictionaryCount(dictionary_->Count());
        showRunState();
    }
}

void ConverterWizard::SaveDictionaryBtnClick() {
    if (!dictionary_ || DictionaryBusy()) return;
    saveDictionary(true);
}

bool ConverterWizard::saveDictionary(bool ask) {
    if (!dictionary_ || DictionaryBusy()) return false;
    // The editor's changes go back to the file last saved; the button, or a dictionary never saved, asks
    // where, starting from the file last loaded.
    const QString path =
        ask || savedDictionary_.isEmpty()
            ? services_.paths->SaveFile(this, QString(), kDictionaryTextFilter, lastOpenedDictionary_)
            : savedDictionary_;
    if (path.isEmpty() || refusedAsSourceFile(path)) return false;
    savedDictionary_ = path;
    WizardDictionary* dictionary = dictionary_.get();
    startDictionaryWork(
        [dictionary, path](const WizardDictionary::Percent&) { return dictionary->Save(path); }, true);
    return true;
}
