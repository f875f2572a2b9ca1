// Scratch files for large intermediate data: a file in the temporary folder that lives exactly as long
// as its stream, and never longer than the process, however it ends.
#pragma once

#include <string>
#include <utility>

#include "kiwi/io/HandleStream.h"

// The folder scratch files go to: $TMPDIR, else /tmp (the named folder even when it is missing, so that a
// failure names it).
std::string TemporaryFolder();

// Opens a new, empty scratch file (mode 0600) in TemporaryFolder() that no name leads to, so the system
// frees it however the process ends, and returns its descriptor (the caller's to close) and the name it
// is reported by. nameless false takes the way of a file system without nameless files: a unique name,
// unlinked the moment the file is open. Raises EFCreateError.
std::pair<int, std::string> OpenScratchFile(const char* prefix, bool nameless = true);

// A read/write stream over a new, empty file in the temporary folder ($TMPDIR, else /tmp) that no name
// leads to: the system frees it when the stream closes it or the process ends, even by a kill. FileName()
// reports "<folder>/ZRV<number>.tmp", a name unique among the process's scratch files (the name it briefly
// had where the file system cannot make nameless files). Creation failure raises EFCreateError naming the
// file and the system's error text.
class TLN_TempFileStream : public TLN_HandleStream {
public:
    TLN_TempFileStream();
    ~TLN_TempFileStream() override;

private:
    explicit TLN_TempFileStream(std::pair<int, std::string> created);
};

// The same kind of scratch file with the prefix "DA".
class TLN_TemporaryFileStream : public TLN_HandleStream {
public:
    TLN_TemporaryFileStream();
    ~TLN_TemporaryFileStream() override;

private:
    explicit TLN_TemporaryFileStream(std::pair<int, std::string> created);
};
