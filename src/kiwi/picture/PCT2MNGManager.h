// TLN_PCT2MNGManager: the picture management list "PCT2MNG.KWI" (which picture, parameter and expansion
// picture files belong to the disc), and where a listed file is found.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/parts/Manager.h"

// File kinds as kept with each name: bits 19-16 of the entry's first u32, left in place.
inline constexpr uint32_t kPictureDataKind = 0x00000;
inline constexpr uint32_t kParameterDataKind = 0x10000;
inline constexpr uint32_t kExpansionPictureKind = 0x20000;

struct TLN_PictureManagement {
    uint32_t Kind = 0; // bits 19-16 in place
    std::string Name;  // the 12-byte name as stored (up to its first NUL)
};

class TLN_PCT2MNGManager : public TLN_Manager {
public:
    // Raises EFOpenError when the file cannot be opened. Valid when the file begins 00 03 00 0C and its
    // entry count is 1 to 19.
    explicit TLN_PCT2MNGManager(const std::string& fileName);
    TLN_PCT2MNGManager(std::shared_ptr<TLN_Stream> stream, int64_t base);

    // The stored entry count; Items() holds the entries the file really contains.
    int StoredCount() const { return storedCount_; }
    int Count() const { return int(items_.size()); }
    const std::vector<TLN_PictureManagement>& Items() const { return items_; }
    // True when the file ends before its last entry.
    bool Truncated() const { return truncated_; }

    // The path of entry i's file (see FindPictureManagementFile), "" when there is none.
    std::string ManagementFilePath(int i) const;

private:
    void readList();
    int storedCount_ = 0;
    bool truncated_ = false;
    std::vector<TLN_PictureManagement> items_;
};

// Where a file named in a management list is found: while an image is mounted, in the image under folder
// (where every file is then opened from); otherwise beside the list in folder (exact name first, then
// ignoring case). "" when name is no safe bare file name or the file is not there.
std::string FindPictureManagementFile(const std::string& folder, const std::string& name);
