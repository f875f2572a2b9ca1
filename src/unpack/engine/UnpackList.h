// A "05.CMP" or "06.CMP" list opened for unpacking: its entries in list order and, for each worker, a
// manager of its own over the same list.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kiwi/cmp/CompressionManager.h"
#include "unpack/engine/UnpackSource.h"

class UnpackList {
public:
    enum class OpenResult { Opened, Missing, Invalid };

    // The list at origin. Missing when it cannot be opened; Invalid (the user is told "Invalid data !!!")
    // unless its name is "05.CMP" or "06.CMP" and its count is below the limit with every entry inside
    // the file. Entries whose block tables do not fit stay listed (and fail when unpacked).
    static std::shared_ptr<const UnpackList> Open(const UnpackOrigin& origin, OpenResult* result = nullptr);

    const UnpackOrigin& Origin() const { return origin_; }
    const std::vector<TLN_Compression_Record>& Entries() const { return entries_; }
    // A manager over the list for one worker's stream; safe to call from any thread.
    std::unique_ptr<TLN_CompressionManager> Manager() const { return list_->Share(); }

    UnpackList(UnpackOrigin origin, std::unique_ptr<TLN_CompressionManager> list);

private:
    UnpackOrigin origin_;
    std::unique_ptr<TLN_CompressionManager> list_;
    std::vector<TLN_Compression_Record> entries_;
};

// The message for a list that cannot be used.
inline constexpr const char* invalidListText = "Invalid data !!!";
