// Scratch files for large intermediate data: a file in the temporary folder that lives exactly as long
// as its stream, and never longer than the process, however it ends.
#pragma once

#include <string>
#include <utility>

#include "kiwi/io/HandleStream.h"

// The folder scratch files go to: $TMPDIR, else /tmp (the named folder even when it is missing, so that a
// failure names it).
std::string TemporaryFolder();

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
