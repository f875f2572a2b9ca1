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

QString countText(int count) {
    return QString::number(count) + QStringLiteral(" записей в словаре");
}

} // namespace

bool ConverterWizard::DictionaryBusy() const {
    return dictionaryWork_ != nullptr;
}

void ConverterWizard::startDictionaryWork(std::function<QString(const WizardDictionary::Percent&)> work,
                                          bool saving) {
    dictionarySaving_ = saving;
    dictionaryWork_ = std::make_unique<WizardTask>(
        [work = std::move(work)](ConversionProgress& progress, const std::atomic<bool>&) {
            ConversionResult result;
            result.message =
                work([&progress](int percent) { progress.SetProgress1(percent, 100); }).toStdString();
            result.status = ConversionStatus::Done;
            return result;
        });
    // Nothing may use the dictionary until the work ends: not the page, not a run started by Next.
    pageControl->widget(int(WizardPage::Translate))->setEnabled(false);
    model_.SetWorking(true);
    showButtons();
    progressBar1->setValue(0);
    const auto show = [this, job = dictionaryWork_.get()](bool ended) {
        guarded(this, services_.messenger, [&] {
            if (dictionaryWork_.get() != job) return;
            progressBar1->setValue(job->Progress().TakeSnapshot().percent1);
            if (ended) dictionaryWorkEnded();
        });
    };
    connect(&dictionaryWork_->Notifier(), &JobNotifier::progressed, this, [show] { show(false); });
    connect(&dictionaryWork_->Notifier(), &JobNotifier::ended, this, [show] { show(true); });
    dictionaryWork_->Start();
    pollTimer->start();
}

void ConverterWizard::dictionaryWorkEnded() {
    const ConversionResult result = dictionaryWork_->Result();
    dictionaryWork_.reset();
    pageControl->widget(int(WizardPage::Translate))->setEnabled(true);
    model_.SetWorking(false);
    showButtons();
    if (!CreationRunning() && !importing_) pollTimer->stop();
    const QString message = QString::fromStdString(result.message);
    // A save may end the editor's changes of the count.
    dictionaryCountLabel->setText(countText(dictionary_->Count()));
    if (dictionarySaving_) {
        if (!message.isEmpty()) services_.messenger->Error(this, message);
        return;
    }
    progressBar1->setValue(100);
    if (dictionary_->Count() > 0) {
        loadDictionaryBtn->setText(QStringLiteral("Добавить в словарь"));
        for (QWidget* w :
             std::initializer_list<QWidget*>{saveDictionaryBtn, dictionaryCountLabel, showDictionaryBtn})
            w->setEnabled(true);
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
    const bool words = dictionaryTypeRadioGroup->checkedId() == 0;
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
    if (!DictionaryBusy()) dictionaryCountLabel->setText(countText(dictionary_->Count()));
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
    if (path.isEmpty()) return false;
    savedDictionary_ = path;
    WizardDictionary* dictionary = dictionary_.get();
    startDictionaryWork(
        [dictionary, path](const WizardDictionary::Percent&) { return dictionary->Save(path); }, true);
    return true;
}
