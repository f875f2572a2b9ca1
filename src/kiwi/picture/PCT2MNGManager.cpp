// Picture management list reader.
#include "kiwi/picture/PCT2MNGManager.h"

#include <algorithm>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

namespace {
// The signature, read as a little-endian u32 (bytes 00 03 00 0C).
constexpr uint32_t kSignature = 0x0C000300;
constexpr int kMaxEntries = 19;
constexpr int kFirstEntry = 10;
constexpr int kEntryBytes = 24;
constexpr int kNameOffset = 8;
constexpr int kNameBytes = 12;
} // namespace

TLN_PCT2MNGManager::TLN_PCT2MNGManager(const std::string& fileName) : TLN_Manager(fileName) {
    readList();
}

TLN_PCT2MNGManager::TLN_PCT2MNGManager(std::shared_ptr<TLN_Stream> stream, int64_t base)
    : TLN_Manager(std::move(stream), base) {
    readList();
}

void TLN_PCT2MNGManager::readList() {
    if (!valid_) return;
    try {
        // The list is at most 10 + 19 × 24 bytes: read it in one piece.
        uint8_t bytes[kFirstEntry + kMaxEntries * kEntryBytes] = {};
        const int64_t delivered =
            std::max<int64_t>(bounded::readInto(*stream_, base_, bytes, sizeof bytes), 0);
        if (delivered < 6)
            throw EShortRead(
                whole::Shortfall(*stream_, "the picture management list header", base_, 6, delivered));
        const BeCursor c(bytes, size_t(delivered));
        const uint32_t signature =
            uint32_t(c.u8(0)) | uint32_t(c.u8(1)) << 8 | uint32_t(c.u8(2)) << 16 | uint32_t(c.u8(3)) << 24;
        storedCount_ = c.u16(4);
        if (signature != kSignature || storedCount_ < 1 || storedCount_ > kMaxEntries) {
            valid_ = false;
            return;
        }
        // The entries whose kind and name the file holds are listed; the count stays as stored.
        const whole::Counted entries = whole::CountRecords(
            *stream_, "Number of Included Managements", uint64_t(storedCount_), base_ + kFirstEntry,
            kNameOffset + kNameBytes, base_ + delivered, kEntryBytes);
        truncated_ = !entries.Whole();
        noteDamage(entries.reason);
        for (int i = 0; i < entries.readable; ++i) {
            const int64_t entry = kFirstEntry + int64_t(i) * kEntryBytes;
            items_.push_back({c.u32(entry) & 0x000F0000u, c.fixedString(entry + kNameOffset, kNameBytes)});
        }
    } catch (const KiwiError& error) {
        fail(error);
        items_.clear();
    }
}

std::string TLN_PCT2MNGManager::ManagementFilePath(int i) const {
    if (i < 0 || i >= Count()) return {};
    return FindPictureManagementFile(folderPart(GetFileName()), items_[size_t(i)].Name);
}

std::string FindPictureManagementFile(const std::string& folder, const std::string& name) {
    const auto bare = safeBareName(name);
    if (!bare) return {};
    // While an image is mounted every file is opened from it, so that is where the file must be.
    if (IsISOImageOpen()) {
        const std::string path = joinPath(folder, *bare);
        return ISOFileExists(path) ? path : std::string();
    }
    if (auto found = resolveInFolder(folder, *bare)) return *found;
    return {};
}
