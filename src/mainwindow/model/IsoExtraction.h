// Extracting one file of the mounted image to disk as a background job: the bytes go to a temporary file
// beside the target, synced and renamed over it only when every byte was written, so a failure or a stop
// leaves no partial file and keeps an older target; the image itself is never the target. Failures carry
// the system's reason in Russian. The window hears progress and the end from the job's notifier.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include <QString>

#include "platform/BackgroundJob.h"

class TISOImage;
class TFileEntry;

class IsoExtraction final : public BackgroundJob {
public:
    enum class State { Running, Done, Failed, Stopped };
    struct Outcome {
        State state = State::Running;
        int64_t written = 0;
        int64_t total = 0;
        // Failed: why, as the user reads it.
        QString error;
    };
    // The writer of the target: opens it, takes chunks, commits; tests make it fail. Each returns false on
    // failure and sets error.
    struct Output {
        virtual ~Output() = default;
        virtual bool Open(QString& error) = 0;
        virtual bool Write(const char* data, int64_t size, QString& error) = 0;
        virtual bool Commit(QString& error) = 0;
    };
    using OutputFactory = std::function<std::unique_ptr<Output>(const QString& target)>;
    // A temporary file beside target, synced and renamed on commit, removed otherwise.
    static std::unique_ptr<Output> SavedFile(const QString& target);

    // entry must belong to image's tree; the image is kept open until the work ends.
    IsoExtraction(std::shared_ptr<TISOImage> image, const TFileEntry* entry, QString target,
                  OutputFactory output = &IsoExtraction::SavedFile);
    // A stop request ends the work before its next chunk and leaves no file under the target's name.
    ~IsoExtraction() override { StopAndWait(); }

    // Bytes written so far, read at any time (the bar counts them).
    int64_t Written() const { return written_.load(std::memory_order_acquire); }
    int64_t Total() const { return total_; }
    // Waits for the end and gives the outcome.
    Outcome Result();
    const QString& Target() const { return target_; }

    // The work itself, on the calling thread (the job runs it; tests may too).
    static Outcome Extract(const TISOImage& image, const TFileEntry& entry, const QString& target,
                           const OutputFactory& output, const std::atomic<bool>& stop,
                           const std::function<void(int64_t written)>& progress);

private:
    JobStatus Run(const std::atomic<bool>& stop) override;

    std::shared_ptr<TISOImage> image_;
    const TFileEntry* entry_;
    QString target_;
    OutputFactory output_;
    int64_t total_ = 0;
    std::atomic<int64_t> written_{0};
    // Written by the worker before its end is told, read after the join.
    Outcome outcome_;
};
