// A growable in-memory stream, readable and writable; used by tests, the converter and small files.
#pragma once

#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "kiwi/io/Stream.h"

class TLN_MemoryStream : public TLN_Stream {
public:
    TLN_MemoryStream() = default;
    explicit TLN_MemoryStream(std::vector<uint8_t> bytes, std::string fileName = {});

    int64_t Size() override;
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override;
    void WriteAt(int64_t position, const void* buffer, int64_t count) override;
    void SetSize(int64_t size) override;
    std::string FileName() const override { return fileName_; }

    // A copy of the whole content.
    std::vector<uint8_t> Bytes() const;

private:
    mutable std::shared_mutex mutex_;
    std::vector<uint8_t> bytes_;
    std::string fileName_;
};
