// Scratch files for large intermediate data: a unique file in the temporary folder that lives exactly
// as long as its stream.
#pragma once

#include <string>
#include <utility>

#include "kiwi/io/HandleStream.h"

// The folder scratch files go to: $TMPDIR, else /tmp (the named folder even when it is missing, so that a
// failure names it).
std::string TemporaryFolder();

// A read/write stream over a new, empty file "ZRVXXXXXX.tmp" in the temporary folder ($TMPDIR, else
// /tmp). The file exists under FileName() while the stream lives and is removed when it is destroyed.
// Creation failure raises EFCreateError naming the file and the system's error text.
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
