// A file the converter produces: written through a write-back buffer into a new file of its own beside the
// final name (a file without a name where the file system can make one, else "<name>.part" created afresh,
// never through a link), then flushed, synced and put in place under the final name, so that a stop, a
// failure, a full disk or a kill leaves no partial file and an earlier output untouched. The guard refuses
// any name that is, or lies in the same folder as, a file the source readers opened.
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
    // Protects the file and its folder.
    void ProtectFile(const std::string& path);
    // Protects the file alone (its folder may hold what the user saves).
    void ProtectFileOnly(const std::string& path);
    void ProtectFolder(const std::string& path);
    // The reason a file may not be produced at path, or none when it may.
    Failure RefusalFor(const std::string& path) const;

private:
    std::vector<FileIdentity> files_;
    std::vector<FileIdentity> folders_;
};

// Opens the temporary file of a produced file under the path it is given; tests inject streams that fail.
using OutputOpener = std::function<std::unique_ptr<TLN_Stream>(const std::string& path)>;

class ProducedFile {
public:
    // Creates the temporary file: without opener a nameless file in the final name's folder, or where the
    // file system has none "<finalPath>.part", created only when no file (nor link) of that name is there
    // but a partial file this program left; with opener the stream it opens on "<finalPath>.part". Raises
    // EFCreateError with the system's reason.
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
    const std::string& FinalPath() const { return finalPath_; }
    // Flushes and syncs the data, closes it, renames it over the final name and syncs the folder. Raises
    // EWriteError with the system's text; the temporary file is removed then.
    void Commit();
    void Discard();

    // Whether new files may be made without a name (on by default); tests turn it off to take the named way.
    static void AllowNamelessFiles(bool allow);

private:
    void createInFolder();
    // Gives the nameless file a name in the folder: a fresh one, which then replaces the final name.
    void linkIn(int fd);

    std::string finalPath_;
    std::string temporaryPath_;
    // The final name's folder, held open so that every name is made in the folder checked (-1 with opener).
    int folderFd_ = -1;
    // The temporary file has no name (the data goes under the final name through linkIn).
    bool nameless_ = false;
    std::unique_ptr<BufferedOutputStream> stream_;
    bool done_ = false;
};

// Writes bytes as a produced file in one go (logs, small files).
void WriteProducedFile(const std::string& path, const std::string& bytes, const OutputOpener& opener = {});
