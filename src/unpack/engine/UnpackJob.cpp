// Planning an unpack job (targets, sources, refusals, order) and its pool of worker threads.
#include "unpack/engine/UnpackJob.h"

#include <algorithm>
#include <set>
#include <thread>

#include "kiwi/cmp/CmpListCache.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/FileNames.h"
#include "unpack/engine/UnpackTexts.h"

namespace {
constexpr int maxWorkers = 16;
const std::string extension = ".unpack";

bool supportedType(uint16_t type) {
    return type == CompressionType::None || type == CompressionType::BytePair ||
           type == CompressionType::Gzip || CompressionType::isSegmented(type);
}

} // namespace

UnpackJobEntry::UnpackJobEntry(TLN_Compression_Record record, std::string target)
    : record_(std::move(record)), target_(std::move(target)) {}

int UnpackJobEntry::Percent() const {
    const int64_t started = counters_.blockCount.load(std::memory_order_acquire);
    const int64_t blocks = started > 0 ? started : plannedBlocks_;
    if (blocks <= 0) return 100;
    const int64_t done = counters_.blocksDone.load(std::memory_order_acquire);
    return int(std::clamp<int64_t>(done * 100 / blocks, 0, 100));
}

void UnpackJobEntry::finish(UnpackState state, std::string reason) {
    reason_ = std::move(reason);
    state_.store(state, std::memory_order_release);
}

UnpackJob::UnpackJob(std::shared_ptr<const UnpackList> list, const std::vector<size_t>& chosen,
                     UnpackJobOptions options)
    : list_(std::move(list)), options_(std::move(options)) {
    if (!options_.output)
        options_.output = tempFileOutputs(options_.syncFiles, options_.replaceOtherPartFiles);
    useLock_ = list_->Origin().InImage() && options_.lockImageReads;
    plan(chosen);
    const auto runnable = size_t(std::count_if(
        entries_.begin(), entries_.end(), [](const auto& e) { return e->State() == UnpackState::Queued; }));
    workerCount_ = int(std::min<size_t>(size_t(std::clamp(options_.workers, 1, maxWorkers)), runnable));
}

void UnpackJob::plan(const std::vector<size_t>& chosen) {
    std::vector<size_t> indexes = chosen;
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    const UnpackOrigin& origin = list_->Origin();
    // Targets compare without regard to case: FAT and exFAT sticks fold it. A target's temporary name
    // is reserved too, so that no entry writes over another's ".part".
    std::set<std::string> taken;
    for (size_t index : indexes) {
        if (index >= list_->Entries().size()) continue;
        const TLN_Compression_Record& record = list_->Entries()[index];
        const auto relative = record.relativePath;
        const std::string relativeTarget =
            relative ? *relative + (options_.addExtension ? extension : "") : "";
        auto entry = std::make_unique<UnpackJobEntry>(
            record, relative ? joinPath(options_.outputFolder, relativeTarget) : std::string());
        entry->relativeTarget_ = relativeTarget;
        UnpackJobEntry& e = *entry;
        entries_.push_back(std::move(entry));
        if (!relative) {
            e.finish(UnpackState::Failed, unpacktext::unsafeName);
            continue;
        }
        const uint16_t type = record.compressionType;
        if (!supportedType(type)) {
            e.finish(UnpackState::Failed, unpacktext::unsupportedType);
            continue;
        }
        if (type != CompressionType::None &&
            (!record.tableValid || int64_t(record.blockCount) < blocksForSize(record.fileSize))) {
            e.finish(UnpackState::Failed, unpacktext::invalidEntry);
            continue;
        }
        e.source_ = origin.Locate(*relative);
        if (!e.source_) e.finish(UnpackState::NotFound, unpacktext::notFound);
    }
    // No target may replace a file the job reads: any entry's source, the list or the image.
    std::vector<FileIdentity> readFiles = origin.ProtectedFiles();
    for (const auto& entry : entries_)
        if (entry->source_)
            readFiles.insert(readFiles.end(), entry->source_->identities.begin(),
                             entry->source_->identities.end());
    for (const auto& entry : entries_) {
        UnpackJobEntry& e = *entry;
        if (e.State() != UnpackState::Queued) continue;
        if (NamesOneOf(e.target_, readFiles)) {
            e.finish(UnpackState::Failed, unpacktext::targetIsSource);
            continue;
        }
        const std::string key = upperAscii(e.relativeTarget_);
        const std::string partKey = upperAscii(TempFileOutput::PartName(e.relativeTarget_));
        if (taken.count(key) || taken.count(partKey)) {
            e.finish(UnpackState::Failed, unpacktext::duplicate);
            continue;
        }
        taken.insert(key);
        taken.insert(partKey);
        if (e.Record().compressionType == CompressionType::None) {
            e.plannedSize_ = e.source_->size;
            e.plannedBlocks_ = chunksForSize(e.plannedSize_);
        } else {
            e.plannedSize_ = e.Record().fileSize;
            e.plannedBlocks_ = blocksForSize(e.Record().fileSize);
        }
        totalBlocks_ += e.plannedBlocks_;
        totalSize_ += e.plannedSize_;
    }
    // Largest first by listed block count, so the longest file never starts last; uncompressed entries
    // list no blocks and come last.
    std::stable_sort(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
        return a->Record().blockCount > b->Record().blockCount;
    });
}

JobStatus UnpackJob::Run(const std::atomic<bool>& stop) {
    live_.store(workerCount_, std::memory_order_release);
    {
        std::vector<std::jthread> others;
        for (int i = 1; i < workerCount_; ++i)
            others.emplace_back([this, &stop] { work(stop); });
        if (workerCount_ > 0) work(stop);
    }
    return end();
}

JobStatus UnpackJob::end() const {
    const bool cut = std::any_of(entries_.begin(), entries_.end(), [](const auto& e) {
        return e->State() == UnpackState::Cancelled || e->State() == UnpackState::Queued;
    });
    return cut ? JobStatus::Stopped : JobStatus::Done;
}

int64_t UnpackJob::BlocksDone() const {
    int64_t sum = 0;
    for (const auto& entry : entries_)
        sum += entry->Counters().blocksDone.load(std::memory_order_acquire);
    return sum;
}

void UnpackJob::work(const std::atomic<bool>& stop) {
    while (!stop) {
        UnpackJobEntry* entry = takeNext();
        if (!entry) break;
        runEntry(*entry, stop);
    }
    // The last worker out ends the job, before it tells its owner that it ended.
    if (live_.fetch_sub(1, std::memory_order_acq_rel) == 1) Finish(end());
    if (options_.onEntryEnded) options_.onEntryEnded();
}

UnpackJobEntry* UnpackJob::takeNext() {
    // Taking an entry and numbering its start happen together, so that the start order is the list's order
    // and an entry seen started means every entry before it is seen started too.
    const std::lock_guard guard(takeLock_);
    while (next_ < entries_.size()) {
        UnpackJobEntry& entry = *entries_[next_++];
        if (entry.State() != UnpackState::Queued) continue;
        entry.startOrder_.store(started_++, std::memory_order_release);
        return &entry;
    }
    return nullptr;
}

void UnpackJob::runEntry(UnpackJobEntry& entry, const std::atomic<bool>& stop) {
    entry.state_.store(UnpackState::Running, std::memory_order_release);
    std::mutex* lock = useLock_ ? &imageLock_ : nullptr;
    UnpackTaskInput input;
    input.listedType = entry.Record().compressionType;
    input.imageLock = lock;
    if (entry.Record().compressionType == CompressionType::None)
        input.plannedSourceSize = entry.PlannedSize();
    // The job's percentage counts every entry's blocks; the entry's own count is what it adds.
    input.onProgress = [this, &entry, seen = int64_t(0)]() mutable {
        const int64_t now = entry.counters_.blocksDone.load(std::memory_order_acquire);
        const int64_t total = blocksDone_.fetch_add(now - seen, std::memory_order_acq_rel) + now - seen;
        seen = now;
        if (totalBlocks_ > 0) RaisePercent(int(std::min<int64_t>(100, total * 100 / totalBlocks_)));
        if (options_.onProgress) options_.onProgress();
    };
    input.openStream = [&] {
        return TLN_DecompFileStream::ForEntry(list_->Manager(), entry.Record(),
                                              list_->Origin().Open(*entry.Source()), lock);
    };
    input.openOutput = [&] {
        const std::string folder = makeFolderInside(options_.outputFolder, folderPart(entry.relativeTarget_));
        return options_.output(folder, fileNamePart(entry.relativeTarget_));
    };
    UnpackOutcome outcome = runUnpackTask(input, entry.counters_, stop);
    entry.finish(outcome.state, std::move(outcome.reason));
    if (options_.onEntryEnded) options_.onEntryEnded();
}
