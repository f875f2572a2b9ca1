// The unpack wizard without its window: the list and its ticks, the page flow and which buttons it
// enables, the target folder, the check of existing targets, the worker choice, and the run's
// bookkeeping that turns the job's counters into rows of the progress grid at each poll.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "unpack/engine/UnpackJob.h"

class UnpackList;

// One row of the progress grid, as shown (UTF-8).
struct UnpackGridRow {
    std::string name;
    std::string written;
    std::string size;
    std::string status;
    // The drawn bar's percentage.
    int bar = 0;
    // Why the entry failed; empty otherwise.
    std::string reason;
};

// What one poll changed.
struct UnpackPollResult {
    // False when the poll had nothing to report: no run, the run already ended, or the wizard stopped it.
    bool reported = false;
    // Rows from this index on are new.
    size_t firstNewRow = 0;
    // Rows (below firstNewRow) whose texts changed.
    std::vector<size_t> changedRows;
    // The whole run's percentage, when the run has blocks to count.
    bool hasPercent = false;
    int percent = 0;
    // The run has just ended.
    bool finished = false;
};

class UnpackWizardModel {
public:
    enum Page { FirstStepPage, SelectFolderPage, CheckFilesPage, ProgressPage, ResultPage };
    // The poll's period while workers run.
    static constexpr int pollIntervalMs = 300;

    UnpackWizardModel() = default;
    ~UnpackWizardModel();
    UnpackWizardModel(const UnpackWizardModel&) = delete;
    UnpackWizardModel& operator=(const UnpackWizardModel&) = delete;

    // ----- the list -----
    // A newly loaded list (nullptr: none) with nothing ticked. The folder and the worker choice are
    // offered again by the caller: the folder stays unchosen until then.
    void SetList(std::shared_ptr<const UnpackList> list);
    const std::shared_ptr<const UnpackList>& List() const { return list_; }
    size_t EntryCount() const { return ticked_.size(); }
    // The entry's name as the tree and the grid show it: "\" separated, UTF-8.
    std::string DisplayName(size_t entry) const;
    void SetTicked(size_t entry, bool ticked);
    void SetAllTicked(bool ticked);
    bool Ticked(size_t entry) const { return entry < ticked_.size() && ticked_[entry]; }
    int Selected() const;
    std::vector<size_t> TickedEntries() const;
    std::string CountText() const;

    // ----- the target folder -----
    // The folder stored by an earlier run: chosen only when it names an existing folder. On a fresh
    // install (nothing stored) or when the folder is gone, no folder is chosen and Next stays disabled
    // until the user picks one.
    bool OfferStoredFolder(const std::string& folder);
    // The user's choice (empty: none).
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }
    bool FolderExists() const;

    // ----- workers -----
    // Lists in an image or on an optical drive read best one request at a time: the choice is then
    // disabled and one worker runs.
    void SetOneWorker(bool one);
    bool WorkerChoiceEnabled() const { return !oneWorker_; }
    // 1, 2, 4, 8 or 16; any other value chooses 1.
    void ChooseWorkers(int workers);
    int ChosenWorkers() const { return workers_; }
    // The limit a run uses.
    int WorkerLimit() const { return oneWorker_ ? 1 : workers_; }
    void SetAddExtension(bool on) { addExtension_ = on; }
    bool AddExtension() const { return addExtension_; }

    // ----- pages -----
    Page CurrentPage() const { return page_; }
    // Enters a page; on the progress page the first time, the caller starts the run (NeedsStart()).
    void EnterPage(Page page);
    bool NeedsStart() const { return page_ == ProgressPage && !started_ && !done_; }
    bool NextEnabled() const;
    bool BackVisible() const { return page_ != FirstStepPage; }
    bool BackEnabled() const { return page_ != ProgressPage; }
    bool NewFolderEnabled() const { return page_ == SelectFolderPage && FolderExists(); }
    std::string NextText() const;
    std::string CaptionText() const;

    // ----- existing targets -----
    // Which ticked entries' targets exist already (with ".unpack" when it is added) and would be replaced;
    // those the run reads (its sources, the list, the image) are kept apart: the run refuses them.
    void CheckTargets();
    // Checks again just before the run; false when the list differs from the one shown, which then holds
    // the new list to be shown instead of starting.
    bool TargetsAsShown();
    const std::vector<std::string>& ExistingTargets() const { return existingTargets_; }
    // Empty, or names the first and the last existing target.
    std::string WarningText() const;
    std::string NextStepText() const;

    // ----- the run -----
    // Plans the job for the ticked entries into the chosen folder with the chosen limit and starts it.
    // options supplies what the caller injects (outputs, sync); wakePoll is called on a worker thread
    // when an entry ends, at most once until the next Poll(), and never after Stop() returned.
    void Start(UnpackJobOptions options, std::function<void()> wakePoll);
    // Brings the rows up to date with the job: rows for entries that started since, new states, counts.
    UnpackPollResult Poll();
    // Stops and joins every worker; after it, polls report nothing. True when workers had to be stopped.
    bool Stop();
    bool Started() const { return started_; }
    bool Done() const { return done_; }
    bool Stopped() const { return stopped_; }
    int Succeeded() const { return succeeded_; }
    int Failed() const { return failed_; }
    const UnpackJob* Job() const { return job_.get(); }
    const std::vector<UnpackGridRow>& Rows() const { return rows_; }
    // The largest size a row of this run can show (its written and size columns are made wide enough).
    int64_t LargestSize() const;
    // "Распаковано блоков: …" while running, the counts once done.
    std::string ResultText() const;
    // Time since the start, H:mm:ss.
    std::string ElapsedText() const;

    // Digits in groups of three separated by spaces, as every count of the program is shown.
    static std::string Grouped(int64_t value);

private:
    void updateRow(size_t row, size_t entry);

    std::shared_ptr<const UnpackList> list_;
    std::vector<bool> ticked_;
    std::string folder_;
    bool oneWorker_ = false;
    int workers_ = 1;
    bool addExtension_ = false;
    Page page_ = FirstStepPage;
    std::vector<std::string> existingTargets_;
    // Of those, the files the run reads (its sources, the list, the image): it refuses them.
    std::vector<std::string> sourceTargets_;
    int checkedCount_ = 0;

    std::unique_ptr<UnpackJob> job_;
    // Set by a worker that asked for a poll and cleared by the poll, so a burst of ends wakes it once;
    // shared with the workers' callback.
    std::shared_ptr<std::atomic<bool>> pollPending_;
    std::map<size_t, size_t> rowOf_;
    // Entries whose rows still change.
    std::vector<size_t> liveEntries_;
    std::vector<UnpackGridRow> rows_;
    size_t rowsReported_ = 0;
    int64_t blocksShown_ = 0;
    int percentShown_ = 0;
    int succeeded_ = 0;
    int failed_ = 0;
    bool started_ = false;
    bool done_ = false;
    bool stopped_ = false;
    std::chrono::steady_clock::time_point startTime_;
};
