// An unpack job: the chosen entries of one list written to an output folder by a pool of 1 to 16
// worker threads, largest files first, each entry with its own state and counters that other threads
// read while it runs. The job stops cooperatively and joins every worker before it is destroyed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "kiwi/cmp/CompressionRecord.h"
#include "platform/BackgroundJob.h"
#include "unpack/engine/UnpackList.h"
#include "unpack/engine/UnpackOutput.h"
#include "unpack/engine/UnpackTask.h"

struct UnpackJobOptions {
    std::string outputFolder;
    // Adds ".unpack" to every target's name.
    bool addExtension = false;
    // Worker threads (clamped to 1..16).
    int workers = 1;
    // Serialises reads of an image origin; an image on slow media reads best one request at a time.
    bool lockImageReads = true;
    // Flushes each file to the disk before it gets its final name.
    bool syncFiles = true;
    // Replaces a file named like a target's partial file ("<target>.part") that this program did not
    // write, as when the user was shown it among the files to be replaced; otherwise that entry fails.
    bool replaceOtherPartFiles = false;
    // Opens targets; TempFileOutput when empty (tests inject failures here).
    OutputFactory output;
    // Called on a worker thread after an entry reached its final state.
    std::function<void()> onEntryEnded;
    // Called on a worker thread after each block written (for a live display; keep it cheap).
    std::function<void()> onProgress;
};

class UnpackJobEntry {
public:
    UnpackJobEntry(TLN_Compression_Record record, std::string target);

    const TLN_Compression_Record& Record() const { return record_; }
    // The name as listed.
    const std::string& Name() const { return record_.name; }
    // The target's full path ("" for an unsafe name).
    const std::string& Target() const { return target_; }
    const std::optional<SourceFile>& Source() const { return source_; }
    // Blocks and bytes the entry is expected to produce, known before it starts (type 0: chunks of
    // 61440 bytes of the source).
    int64_t PlannedBlocks() const { return plannedBlocks_; }
    int64_t PlannedSize() const { return plannedSize_; }

    UnpackState State() const { return state_.load(std::memory_order_acquire); }
    // Published before the final state, so it is complete once State() is final.
    const std::string& Reason() const { return reason_; }
    // The order in which entries started (0, 1, ...), -1 before a worker took it.
    int StartOrder() const { return startOrder_.load(std::memory_order_acquire); }
    const UnpackCounters& Counters() const { return counters_; }
    // Percentage of its blocks done: 100 for an entry without blocks.
    int Percent() const;

private:
    friend class UnpackJob;
    void finish(UnpackState state, std::string reason);

    TLN_Compression_Record record_;
    std::string target_;
    std::string relativeTarget_;
    std::optional<SourceFile> source_;
    int64_t plannedBlocks_ = 0;
    int64_t plannedSize_ = 0;
    std::atomic<UnpackState> state_{UnpackState::Queued};
    std::string reason_;
    std::atomic<int> startOrder_{-1};
    UnpackCounters counters_;
};

class UnpackJob final : public BackgroundJob {
public:
    // Plans the job on the calling thread: each chosen entry (indexes into list->Entries()) gets its
    // target, its source, and is refused at once (Failed or NotFound, with the reason) for an unsafe name,
    // a duplicate target, a target that is its source, the list or the image, an unsupported type or a
    // damaged table, or a missing source. Nothing is written until Start().
    UnpackJob(std::shared_ptr<const UnpackList> list, const std::vector<size_t>& chosen,
              UnpackJobOptions options);
    // After a stop request no entry starts; running ones stop before their next block and leave no file.
    ~UnpackJob() override { StopAndWait(); }

    int LiveWorkers() const { return live_.load(std::memory_order_acquire); }
    int WorkerCount() const { return workerCount_; }

    // The entries in the order they are started: largest block count first, list order among equals.
    size_t Size() const { return entries_.size(); }
    const UnpackJobEntry& Entry(size_t index) const { return *entries_[index]; }
    // Sum over the entries not refused.
    int64_t TotalBlocks() const { return totalBlocks_; }
    int64_t TotalSize() const { return totalSize_; }
    // Blocks done by all entries so far.
    int64_t BlocksDone() const;
    bool UsesImageLock() const { return useLock_; }

private:
    // Runs the workers, this thread one of them. The job is done once every worker has ended (whatever
    // each entry's end), stopped when a stop request left an entry cancelled or not started.
    JobStatus Run(const std::atomic<bool>& stop) override;
    void plan(const std::vector<size_t>& chosen);
    void work(const std::atomic<bool>& stop);
    void runEntry(UnpackJobEntry& entry, const std::atomic<bool>& stop);
    JobStatus end() const;
    // The next queued entry, numbered as started; null when none is left.
    UnpackJobEntry* takeNext();

    std::shared_ptr<const UnpackList> list_;
    UnpackJobOptions options_;
    std::vector<std::unique_ptr<UnpackJobEntry>> entries_;
    int64_t totalBlocks_ = 0;
    int64_t totalSize_ = 0;
    int workerCount_ = 1;
    bool useLock_ = false;
    std::mutex imageLock_;
    // The next entry to take and the number of entries started, under takeLock_.
    std::mutex takeLock_;
    size_t next_ = 0;
    int started_ = 0;
    std::atomic<int> live_{0};
    std::atomic<int64_t> blocksDone_{0};
};
