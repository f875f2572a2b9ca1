// Module state of the mounted image, guarded by a mutex so that any thread may mount, unmount or look up.
#include "kiwi/disc/FileManager.h"

#include <mutex>

#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/iso/ISOImage.h"

namespace {
// The image is held through a shared pointer: a stream opened on it keeps it alive after the user mounts
// another one or unmounts it.
std::mutex stateMutex;
std::shared_ptr<TISOImage> currentImage;

// Serialises whole mount operations, so two concurrent OpenISOImage calls cannot interleave their
// unmount and mount steps; lookups only take stateMutex and are not held up by a slow open.
std::mutex mountMutex;

void setCurrentImage(std::shared_ptr<TISOImage> image) {
    std::shared_ptr<TISOImage> previous;
    {
        std::lock_guard lock(stateMutex);
        previous = std::move(currentImage);
        currentImage = std::move(image);
    }
    // previous is released outside the lock: destroying an image closes its file.
}
} // namespace

bool OpenISOImage(const std::string& imageFileName, std::string* error) {
    std::lock_guard mountLock(mountMutex);
    setCurrentImage(nullptr);
    try {
        auto image = std::make_shared<TISOImage>(imageFileName);
        if (!image->OpenImage()) return false;
        setCurrentImage(std::move(image));
        return true;
    } catch (const std::exception& raised) {
        // Every failure of a user-chosen image means "not mounted"; the caller reports it.
        if (error) *error = raised.what();
    } catch (...) {
        // Anything else raised carries no text to keep.
    }
    return false;
}

void CloseISOImage() {
    std::lock_guard mountLock(mountMutex);
    setCurrentImage(nullptr);
}

bool ISOFileExists(const std::string& path) {
    const auto image = GetISOImage();
    return image && FindISOFile(*image, path) != nullptr;
}

bool IsISOImageOpen() {
    std::lock_guard lock(stateMutex);
    return currentImage != nullptr;
}

std::string GetISOImageFileName() {
    const auto image = GetISOImage();
    return image ? image->FileName() : std::string();
}

std::shared_ptr<TISOImage> GetISOImage() {
    std::lock_guard lock(stateMutex);
    return currentImage;
}

const TFileEntry* FindISOFile(const TISOImage& image, const std::string& path) {
    const TDataTree* tree = image.Tree();
    if (!tree || !tree->Root()) return nullptr;
    const TDirectoryEntry* directory = tree->Root();
    std::string rest = SlashToBackslash(path);
    for (size_t separator = rest.find('\\'); separator != std::string::npos; separator = rest.find('\\')) {
        const std::string component = rest.substr(0, separator);
        rest.erase(0, separator + 1);
        for (int i = 0; i < directory->DirectoryCount(); ++i) {
            const TDirectoryEntry* sub = directory->GetDirectory(i);
            if (equalsIgnoreCase(sub->Name(), component)) {
                directory = sub;
                break;
            }
        }
    }
    if (rest.empty()) return nullptr;
    for (int i = 0; i < directory->FileCount(); ++i) {
        const TFileEntry* file = directory->GetFile(i);
        if (equalsIgnoreCase(file->Name(), rest)) return file;
    }
    return nullptr;
}
