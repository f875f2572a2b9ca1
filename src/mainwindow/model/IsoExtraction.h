// Extracting one file of the mounted image to disk on a worker thread: the bytes go to a temporary file
// beside the target, synced and renamed over it only when every byte was written, so a failure or a stop
// leaves no partial file and keeps an older target; progress and the outcome wait in a guarded mailbox
// that the window polls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include <QString>

class TISOImage;
class TFileEntry;

class IsoExtraction {
public:
    enum class State { Running, Done, Failed, Stopped };
    struct Status {
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

    // entry must belong to image's tree; the image is kept open until the worker ends.
    IsoExtraction(std::shared_ptr<TISOImage> image, const TFileEntry* entry, QString target,
                  OutputFactory output = &IsoExtraction::SavedFile);
    // Stops and joins the worker.
    ~IsoExtraction();
    IsoExtraction(const IsoExtraction&) = delete;
    IsoExtraction& operator=(const IsoExtraction&) = delete;

    void Start();
    // Asks the worker to stop after its current chunk and waits for it.
    void Stop();
    Status Poll() const;
    const QString& Target() const { return target_; }

    // The work itself, on the calling thread (the worker runs it; tests may too).
    static Status Run(const TISOImage& image, const TFileEntry& entry, const QString& target,
                      const OutputFactory& output, std::stop_token stop,
                      const std::function<void(int64_t written)>& progress);

private:
    std::shared_ptr<TISOImage> image_;
    const TFileEntry* entry_;
    QString target_;
    OutputFactory output_;
    mutable std::mutex mutex_;
    Status status_;
    std::jthread worker_;
};
