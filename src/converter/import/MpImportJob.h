// The import of building data on a thread of its own: Polish-format files one after another, or one
// compiled file loaded in place of the buffer or appended to it. It stops cooperatively, takes back the
// file in progress on a stop or a failure, and reports its log and percent through a mailbox that the
// window empties when the notifier tells of progress.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "converter/import/BuildingData.h"
#include "converter/import/MpImporter.h"
#include "platform/BackgroundJob.h"

namespace mp_import {

// What the Load button does with the files chosen.
enum class ImportPath { Refused, Compiled, Polish };
ImportPath ChooseImportPath(const std::vector<std::string>& paths);
// Shown when several files are chosen and one of them is compiled.
inline constexpr const char* kSequentialLoadingMessage =
    "Предварительно скомпилированные файлы LMP\nможно добавлять только последовательно один за другим!";
// True when the extension is ".MP" (without regard to case); other files are passed over.
bool IsPolishFile(const std::string& path);

struct ImportRequest {
    enum class Source { Polish, CompiledReplace, CompiledAppend };
    Source source = Source::Polish;
    std::vector<std::string> paths;
    ImportSettings settings;
    bool loaded = false;       // building data loaded before this import
    std::vector<uint8_t> data; // the building data, moved in and handed back in the outcome
};

struct ImportOutcome {
    std::vector<uint8_t> data;
    bool loaded = false;
    building_data::Box box; // the wizard's building box; as before when no file gave records
    bool boxChanged = false;
    bool anyRecords = false; // some file of this import gave records: Save and the check boxes come on
    bool stopped = false;
    Failure error; // shown in a message box when there is one
    std::vector<ImportCounters> files;
};

class MpImportJob final : public BackgroundJob {
public:
    struct Progress {
        int percent = 0;
        std::vector<MemoEvent> events; // since the previous TakeProgress
    };

    explicit MpImportJob(ImportRequest request);
    ~MpImportJob() override { StopAndWait(); }

    // The job's own percentage (ProgressSnapshot) runs over all its files; the mailbox's is the file's.
    // Waits for the end and hands over the outcome (the buffer included); call once.
    ImportOutcome Result();
    // The file's percent and the log changes not yet taken; the next change of the mailbox is told again.
    Progress TakeProgress();

private:
    JobStatus Run(const std::atomic<bool>& stop) override;
    void runPolish(const std::atomic<bool>& stop);
    void runCompiled();
    void Post(const MemoEvent& event);
    void SetPercent(int percent);
    void Notify();

    ImportRequest request_;
    ImportOutcome outcome_;
    // Which of the Polish files is read, of how many (for the job's own percentage).
    std::atomic<size_t> fileIndex_{0};
    size_t fileCount_ = 1;
    std::atomic<bool> signalPending_{false};
    std::mutex mutex_;
    Progress mailbox_;
};

} // namespace mp_import
