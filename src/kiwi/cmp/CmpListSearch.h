// Finding the CMP list that names a file: the lists at the root of the mounted image, or the first list
// in the file's folder, its parent and its grandparent.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "kiwi/cmp/CompressionManager.h"

struct CmpListMatch {
    std::unique_ptr<TLN_CompressionManager> list;
    TLN_Compression_Record entry;
};

enum class CmpListSearchMode {
    // "05.CMP", "06.CMP", "13.CMP".
    AllLists,
    // The unpack workers' search: "05.CMP" at the image root; "05.CMP" and "06.CMP" in folders.
    LockedStream,
};

// The list that names the file and its entry, or nullopt when none does. In image mode fileName is a path
// inside the image and only the first list that exists at the root is consulted; otherwise in each of up
// to three folders the first list that exists is consulted, and the search moves up when it does not name
// the file.
std::optional<CmpListMatch> findCmpListFor(const std::string& fileName, CmpListSearchMode mode);

// The absolute, lexically normal form of a path on disk.
std::string absoluteFilePath(const std::string& path);
