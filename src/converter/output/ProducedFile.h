// A file the converter produces: written to "<name>.part" through a write-back buffer, then flushed,
// synced and renamed over the final name, so that a stop, a failure or a full disk leaves no partial file
// and an earlier output untouched. The guard refuses any name that is, or lies in the same folder as, a
// file the source readers opened.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "converter/output/BufferedOutputStream.h"
#include "kiwi/core/Failure.h"
#include "kiwi/io/Stream.h"
#include "platform/FileIdentity.h"

// The folder of a path ("." for a bare name).
std::string FolderOf(const std::string& path);
// The path of the file in folder whose name matches name without regard to case, or "".
std::string FindInFolder(const std::string& folder, const std::string& name);

// Folders and files the converter must never write into, over, or remove.
class SourceGuard {
public:
    void ProtectFile(const std::string& path);
    void ProtectFolder(const std::string& path);
    // The reason a file may not be produced at path, or none when it may.
    Failure RefusalFor(const std::string& path) const;

private:
    std::vector<FileIdentity> files_;
    std::vector<FileIdentity> folders_;
};

// Opens the temporary file of a produced file; tests inject streams that fail.
using OutputOpener = std::function<std::unique_ptr<TLN_Stream>(const std::string& path)>;
// Opens a TLN_HandleStream (read-write, created or truncated).
std::unique_ptr<TLN_Stream> OpenHandleOutput(const std::string& path);

class ProducedFile {
public:
    // Creates "<finalPath>.part" through opener (the default opens a file). Raises EFCreateError.
    ProducedFile(std::string finalPath, const OutputOpener& opener = {});
    // Removes the temporary file unless Commit succeeded.
    ~ProducedFile();
    ProducedFile(const ProducedFile&) = delete;
    ProducedFile& operator=(const ProducedFile&) = delete;

    // The buffered stream: reads see every byte written so far.
    TLN_Stream& Stream() { return *stream_; }
    // Writes the buffered bytes to the temporary file. Raises EWriteError (a full disk shows here at the
    // latest), so a set of files can be checked complete before any of them is committed.
    void Flush();
    const std::string& TemporaryPath() const { return temporaryPath_; }
    const std::string& FinalPath() const { return finalPath_; }
    // Flushes and syncs the data, closes it, renames it over the final name and syncs the folder. Raises
    // EWriteError with the system's text; the temporary file is removed then.
    void Commit();
    void Discard();

private:
    std::string finalPath_;
    std::string temporaryPath_;
    std::unique_ptr<BufferedOutputStream> stream_;
    bool done_ = false;
};

// Writes bytes as a produced file in one go (logs, small files).
void WriteProducedFile(const std::string& path, const std::string& bytes, const OutputOpener& opener = {});
