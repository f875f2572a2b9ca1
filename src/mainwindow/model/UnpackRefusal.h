// Why one file cannot be unpacked, in the words the main window shows: no compression list, a file the
// list does not compress, or a compression type the unpacker does not know.
#pragma once

#include <string>

#include <QString>

class TLN_DecompFileStream;

struct CmpListLookout {
    // True when any list exists where the decompressing stream looks for one.
    bool found = false;
    // The last list looked for: "13.CMP" at the image root, or in the last folder searched on disk.
    std::string lastCandidate;
};
// Walks the places the decompressing stream searches for fileName's list (the image root when an image
// is mounted, else the file's folder and up to two parents).
CmpListLookout LookForCmpLists(const std::string& fileName);

// Empty when stream (opened on path) can be unpacked, else the message refusing it.
QString UnpackRefusal(const TLN_DecompFileStream& stream, const std::string& path);
