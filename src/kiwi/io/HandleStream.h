// A stream over an open file descriptor: pread/pwrite, so threads share no file position.
#pragma once

#include <memory>
#include <string>

#include "kiwi/core/Failure.h"
#include "kiwi/io/Stream.h"

class TLN_HandleStream : public TLN_Stream {
public:
    // Takes ownership of the descriptor; fileName is what FileName() reports.
    TLN_HandleStream(int fd, std::string fileName);
    ~TLN_HandleStream() override;

    // Opens a file read-only; raises EFOpenError with the system's error text when it cannot.
    static std::unique_ptr<TLN_HandleStream> OpenForReading(const std::string& path);
    // Creates (or truncates) a file for reading and writing; raises EFCreateError when it cannot.
    static std::unique_ptr<TLN_HandleStream> Create(const std::string& path);

    int64_t Size() override;
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override;
    void WriteAt(int64_t position, const void* buffer, int64_t count) override;
    void SetSize(int64_t size) override;
    std::string FileName() const override { return fileName_; }

    int Handle() const { return fd_; }

private:
    Failure writeFailure(int error) const;
    int fd_;
    std::string fileName_;
};
