// What the converter wizard shows of work under way and done, without its window: the run's log, progress
// and elapsed time, the finish page's figures, the import memo, the dictionary's count and which tool
// buttons may be pressed. The window shows it; tests drive it directly.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "converter/job/ConversionProgress.h"

class WizardRunState {
public:
    // The creation page: a run starts with an empty log at "0:00:00".
    void RunStarted();
    // The lines logged since the last snapshot join the log (its tail of kKeptLines, as the memo keeps),
    // and the label and bars take the snapshot's values.
    void TakeProgress(const ConversionProgress::Snapshot& snapshot);
    // "h:mm:ss" of the run's time so far.
    void SetElapsed(int64_t milliseconds);
    // The report under the page's hint: what the last run or completion left undone that the user asked
    // for (Russian, one line each), then closing lines said in any case; "" with neither.
    void SetReport(const QStringList& undone, const QStringList& closing = {});
    const QString& ReportText() const { return report_; }
    // The completion's failure is logged under the run's lines.
    void CompletionFailed(const std::string& message);
    const QStringList& RunLog() const { return runLog_; }
    // Runs started so far, and the lines of this run's log dropped from its head to keep its tail: the
    // window's memo starts afresh with each run and appends only the lines it has not shown.
    int Runs() const { return runs_; }
    int64_t DroppedLines() const { return dropped_; }
    const QString& ProgressLabel() const { return label_; }
    const QString& ElapsedText() const { return elapsed_; }
    // The bar beside the buttons (the run's, the import's or the dictionary work's) and the run's own.
    int Percent() const { return percent1_; }
    void SetPercent(int percent) { percent1_ = percent; }
    int RunPercent() const { return percent2_; }
    // The bar beside the buttons shows where the page table says, and while the completion runs.
    void SetProgressShown(bool shown) { progressShown_ = shown; }
    bool ProgressShown() const { return progressShown_; }

    // The finish page: the target's caption, "Output File Size: N kb" and "Elapsed time: h:mm:ss".
    void RunDone(const QString& targetCaption, int64_t outputSize);
    const QString& TargetText() const { return target_; }
    const QString& SizeText() const { return size_; }
    const QString& TimeText() const { return time_; }

    // The loading page: the import's memo, one line per logged line, which leads the run's "Log.txt".
    void SetImportMemo(const QStringList& lines) { importMemo_ = lines; }
    void ImportUnavailable() { importMemo_.append(QStringLiteral("Импорт зданий недоступен")); }
    const QStringList& ImportMemo() const { return importMemo_; }
    // Loading is offered only to a map whose names are neither re-encoded nor translated.
    void LeaveNamesPage(bool namesConverted) { loadOn_ = !namesConverted; }
    // While an import runs neither Load nor "Сохранить как..." may be pressed; data kept may be saved.
    void ImportStarted() { loadOn_ = saveLmpOn_ = false; }
    void ImportEnded(bool dataLoaded) {
        loadOn_ = true;
        saveLmpOn_ = dataLoaded;
    }
    bool LoadOn() const { return loadOn_; }
    bool SaveLmpOn() const { return saveLmpOn_; }
    // "Загружено: N Mb" and "Доступно памяти: N Mb".
    static QString LoadedText(uint64_t bytes);
    static QString AvailableText(uint64_t bytes);

    // The names page: dictionary work disables the page; a dictionary with entries turns Load into
    // "Добавить в словарь" and offers Show, Save and the count from then on.
    void DictionaryWorkStarted() { dictionaryWorking_ = true; }
    void DictionaryWorkEnded(int count, bool loaded);
    void SetDictionaryCount(int count) { count_ = count; }
    bool DictionaryWorking() const { return dictionaryWorking_; }
    bool DictionaryFilled() const { return dictionaryFilled_; }
    // "N записей в словаре".
    QString CountText() const;
    QString LoadDictionaryCaption() const;

    // The completion page: its group is off once Start Processing is pressed, the bar shown while it runs.
    void CompletionStarted() {
        completionGroupOn_ = false;
        progressShown_ = true;
    }
    void CompletionEnded() { progressShown_ = false; }
    bool CompletionGroupOn() const { return completionGroupOn_; }

    // The Region Network page: Inspect once the password is given, whatever region data the map has, once;
    // Save while a region is checked and no save is under way.
    void PasswordGiven() { inspectOn_ = true; }
    void RegionsInspected() { inspectOn_ = false; }
    void SetRegionSaveOn(bool on) { saveRegionOn_ = on; }
    bool InspectOn() const { return inspectOn_; }
    bool SaveRegionOn() const { return saveRegionOn_; }

private:
    QStringList runLog_;
    int runs_ = 0;
    int64_t dropped_ = 0;
    QString label_;
    QString report_;
    QString elapsed_ = QStringLiteral("0:00:00");
    int percent1_ = 0;
    int percent2_ = 0;
    bool progressShown_ = false;
    QString target_;
    QString size_;
    QString time_;
    QStringList importMemo_;
    bool loadOn_ = true;
    bool saveLmpOn_ = false;
    bool dictionaryWorking_ = false;
    bool dictionaryFilled_ = false;
    int count_ = 0;
    bool completionGroupOn_ = true;
    bool inspectOn_ = false;
    bool saveRegionOn_ = false;
};
