// Copying a marked block of the hex viewer's stream into a new file on a worker thread: chunk by chunk
// into a temporary file that replaces the target only when every byte was written, never over the file
// the stream is read from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

// A temporary file beside path, renamed onto path by Commit; path may be none of sources (the files the
// copy reads, by identity). Failures give the system's reason in Russian.
std::unique_ptr<BlockSink> MakeSaveFileSink(const QString& path, std::vector<std::string> sources = {});
// The files on disk a stream of the viewer reads: the mounted image, or the plain file (each volume of a
// set) and the compression list it is unpacked by.
std::vector<std::string> FilesBehind(const TLN_Stream& stream);

// The object lives on the user-interface thread; the copy runs on the job's thread and tells its percentage
// and its end through the job's notifier.
class HexBlockFileCopy final : public BackgroundJob {
public:
    static constexpr int64_t kChunkSize = int64_t(1) << 20;

    // Copies count bytes from start of stream (held until the job ends) into sink.
    HexBlockFileCopy(std::shared_ptr<TLN_Stream> stream, int64_t start, int64_t count,
                     std::unique_ptr<BlockSink> sink);
    ~HexBlockFileCopy() override { StopAndWait(); }

    // Waits for the end and gives why the copy failed (empty when done or stopped). A stop request ends
    // the copy after the chunk it is writing, and the target stays as it was.
    QString Result();
    void SetChunkSize(int64_t bytes) { chunkSize_ = bytes; }

private:
    JobStatus Run(const std::atomic<bool>& stop) override;
    JobStatus copy(const std::atomic<bool>& stop);

    std::shared_ptr<TLN_Stream> stream_;
    const int64_t start_;
    const int64_t count_;
    std::unique_ptr<BlockSink> sink_;
    int64_t chunkSize_ = kChunkSize;
    QString error_;
};
