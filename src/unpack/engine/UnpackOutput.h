// Writing an unpacked file soundly: folders made only inside the output folder, the data written to
// "<name>.part" and renamed over the final name only once the whole file succeeded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

// Makes the folders of relativeFolder ("/" separated, checked, may be empty) below root and returns the
// real path of the innermost one. Existing folders may be symbolic links only when they lead to a
// folder inside root; nothing is ever created outside it. Raises UnpackFailure.
std::string makeFolderInside(const std::string& root, const std::string& relativeFolder);

// One target being written.
class UnpackOutput {
public:
    virtual ~UnpackOutput() = default;
    // Appends bytes; raises UnpackFailure with the system's text when they cannot all be written.
    virtual void Write(const uint8_t* data, size_t size) = 0;
    // Makes the file durable and gives it its final name; raises UnpackFailure.
    virtual void Commit() = 0;
    // Removes what was written; a file under the final name stays as it was.
    virtual void Discard() noexcept = 0;
};

// Opens the output for fileName in folder (an existing folder).
using OutputFactory =
    std::function<std::unique_ptr<UnpackOutput>(const std::string& folder, const std::string& fileName)>;

class TempFileOutput : public UnpackOutput {
public:
    // Creates "<fileName>.part" in folder afresh, marked as this program's while it is written. A stale
    // one this program left (a crash) is removed first; any other file of that name only when
    // replaceOthers says the user agreed to it, else UnpackFailure (otherPartFile) is raised and the file
    // stays. sync: flush the data to the disk before the rename. Raises UnpackFailure.
    TempFileOutput(const std::string& folder, const std::string& fileName, bool sync,
                   bool replaceOthers = false);
    ~TempFileOutput() override;

    void Write(const uint8_t* data, size_t size) override;
    void Commit() override;
    void Discard() noexcept override;

    static std::string PartName(const std::string& fileName) { return fileName + ".part"; }
    // True when path is a partial file this program was writing (it carries the mark).
    static bool IsOwnPart(const std::string& path);
    // True when a file stands at path that is not one of this program's partial files.
    static bool IsOtherFile(const std::string& path);

protected:
    // One write(2); tests replace it to fail the way a full disk does.
    virtual ssize_t WriteSome(int fd, const uint8_t* data, size_t size);

private:
    int folderFd_ = -1;
    int fd_ = -1;
    std::string fileName_;
    std::string partName_;
    bool sync_;
    bool done_ = false;
};

// The default factory: TempFileOutput with or without the flush; replaceOthers as for TempFileOutput.
OutputFactory tempFileOutputs(bool sync, bool replaceOthers = false);
