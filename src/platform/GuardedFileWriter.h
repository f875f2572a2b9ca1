// The one guarded way to produce a file: checks first (never over a source, never over a file the user
// did not choose, never into something that is not a regular file), then an exclusive temporary file
// beside the target, written, synced and renamed over the target only when everything was written.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class GuardedFileWriter {
public:
    struct Rules {
        // The files the work reads: the target must be none of them (compared by device and inode, so
        // no other name or link of a source gets through).
        std::vector<std::string> sources;
        // An existing regular file at the target may be replaced: the user named it, or agreed to it.
        // False refuses any existing target.
        bool replaceExisting = true;
    };

    // Opens the temporary file beside target after the checks; IsOpen() false and Error() say why not.
    // A symbolic link at the target is written through: its target is replaced, the link kept.
    GuardedFileWriter(const std::string& target, Rules rules);
    // Removes the temporary file unless Commit() succeeded.
    ~GuardedFileWriter();
    GuardedFileWriter(const GuardedFileWriter&) = delete;
    GuardedFileWriter& operator=(const GuardedFileWriter&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    // Appends size bytes; false (and nothing more is written) on the first failure.
    bool Write(const void* data, size_t size);
    // Syncs the data, renames the temporary file over the target and syncs the folder. False, the target
    // untouched and the temporary file gone, when any step failed.
    bool Commit();
    // Drops what was written; the target stays as it was.
    void Cancel();

    // Why the file could not be written: the target and the system's reason (or the refusal). Empty
    // while nothing failed.
    const std::string& Error() const { return error_; }
    // The system error number of the failure; 0 for a refusal of the layer's own or no failure.
    int ErrorCode() const { return errorCode_; }
    // The file that is written: the target, or the file its symbolic link names.
    const std::string& Target() const { return target_; }

    // Writes bytes to target in one go; on failure the reason goes to error (when given).
    static bool WriteWhole(const std::string& target, const void* data, size_t size, const Rules& rules,
                           std::string* error = nullptr);

private:
    void Fail(int code, const std::string& reason);
    bool OpenTemporary(const std::string& folder);
    void RemoveTemporary();

    std::string target_;
    std::string temporary_; // empty while the temporary file has no name (O_TMPFILE)
    int descriptor_ = -1;
    bool replaceExisting_ = true;
    std::string error_;
    int errorCode_ = 0;
};

// Why path cannot be read as a source: missing, a folder, a FIFO, a socket or a character device (which
// would block or never end); nullopt for a regular file or a block device.
std::optional<std::string> SourceRefusal(const std::string& path);
