// Copying a marked block of the hex viewer's stream into a new file on a worker thread: chunk by chunk
// into a temporary file that replaces the target only when every byte was written.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include <QObject>
#include <QString>

#include "kiwi/io/Stream.h"
#include "platform/BackgroundJob.h"

// Where the copied bytes go. Every call runs on the copy's thread.
class BlockSink {
public:
    virtual ~BlockSink() = default;
    // False (with a message) when the target cannot be created.
    virtual bool Open(QString& error) = 0;
    virtual bool Write(const char* data, int64_t size, QString& error) = 0;
    // Makes the written bytes the target file.
    virtual bool Commit(QString& error) = 0;
    // Drops what was written; the target stays as it was.
    virtual void Discard() = 0;
};

// A temporary file beside path, renamed onto path by Commit.
std::unique_ptr<BlockSink> MakeSaveFileSink(const QString& path);

// A plain thread joined by its owner. The object lives on the user-interface thread; the thread leaves
// its reports in a mailbox under a mutex and sends reported() (queued, without data).
class HexBlockFileCopy : public QObject, public BackgroundJob {
    Q_OBJECT
public:
    static constexpr int64_t kChunkSize = int64_t(1) << 20;

    struct Report {
        // The latest percentage not taken yet, or -1.
        int percent = -1;
        bool done = false;
        // Once done: every byte written and the target in place; otherwise the error (empty when cancelled).
        bool ok = false;
        bool cancelled = false;
        QString error;
    };

    // Copies count bytes from start of stream (held until the thread ends) into sink.
    HexBlockFileCopy(std::shared_ptr<TLN_Stream> stream, int64_t start, int64_t count,
                     std::unique_ptr<BlockSink> sink, QObject* parent = nullptr);
    // Asks the thread to stop and joins it: a running thread is never freed.
    ~HexBlockFileCopy() override;

    // A stop request ends the copy after the chunk it is writing, and the target stays as it was.
    void Start() override;
    void Wait() override;
    Report Take();
    void SetChunkSize(int64_t bytes) { chunkSize_ = bytes; }

signals:
    void reported();

private:
    void run();
    void copy(Report& end);
    void report(int percent);

    std::shared_ptr<TLN_Stream> stream_;
    const int64_t start_;
    const int64_t count_;
    std::unique_ptr<BlockSink> sink_;
    int64_t chunkSize_ = kChunkSize;
    std::mutex mutex_;
    Report mailbox_;
    std::thread thread_;
};
