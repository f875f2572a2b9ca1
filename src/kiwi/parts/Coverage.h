// TLN_Coverage: the reader of COVERAGE.BIN, the coverage areas of a disc and the pictures that show them.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/ErrorText.h"

// One coverage area: its code and the file name of its picture.
struct TLN_CoverageBMP {
    uint16_t Code = 0;
    std::string Name;
};

class TLN_Coverage {
public:
    // Reads the list and closes the file; raises EFOpenError when it cannot be opened.
    explicit TLN_Coverage(const std::string& fileName);

    bool IsValid() const { return valid_; }
    std::string GetFileName() const { return fileName_; }
    // The folder of COVERAGE.BIN, where the pictures are looked for.
    std::string Folder() const { return folder_; }
    int Count() const { return int(items_.size()); }
    // The count as the file stores it.
    int StoredCount() const { return storedCount_; }
    // The stored count when it exceeded what the file holds (records were cut to what is there).
    bool IsTruncated() const { return truncated_; }
    // Why the list is not read whole, or not at all ("" when it is).
    std::string Damage() const { return damage_.English(); }
    const Failure& DamageReason() const { return damage_; }
    // A copy of record i; an empty record for an index out of range.
    TLN_CoverageBMP GetItem(int i) const;

    // Loads the picture of that name from the folder of COVERAGE.BIN (a bare name; case-insensitive
    // match on disk, or through the file layer). False, with picture unchanged, when the name is not a
    // safe bare name, the file is missing or it is not a readable image within the size limits.
    bool LoadPicture(const std::string& name, QImage& picture) const;
    // Why the last picture could not be read ("" when no read failed).
    std::string ErrorString() const { return error_.Get(); }

private:
    ErrorText error_;
    std::string fileName_;
    std::string folder_;
    bool valid_ = false;
    bool truncated_ = false;
    int storedCount_ = 0;
    Failure damage_;
    std::vector<TLN_CoverageBMP> items_;
};
