// In-memory stream: reads share a lock, writes take it exclusively.
#include "kiwi/io/MemoryStream.h"

#include <cstring>

#include "kiwi/core/KiwiErrors.h"

namespace {
// One allocation limit for memory streams; the converter's scratch data stays far below it.
constexpr int64_t kMaxMemoryStreamSize = int64_t(4) << 30;
} // namespace

TLN_MemoryStream::TLN_MemoryStream(std::vector<uint8_t> bytes, std::string fileName)
    : bytes_(std::move(bytes)), fileName_(std::move(fileName)) {}

int64_t TLN_MemoryStream::Size() {
    std::shared_lock lock(mutex_);
    return int64_t(bytes_.size());
}

int64_t TLN_MemoryStream::ReadAt(int64_t position, void* buffer, int64_t count) {
    std::shared_lock lock(mutex_);
    const int64_t size = int64_t(bytes_.size());
    if (position < 0 || count <= 0 || position >= size) return 0;
    const int64_t n = std::min(count, size - position);
    std::memcpy(buffer, bytes_.data() + position, size_t(n));
    return n;
}

void TLN_MemoryStream::WriteAt(int64_t position, const void* buffer, int64_t count) {
    if (count <= 0) return;
    if (position < 0 || position > kMaxMemoryStreamSize - count)
        throw EWriteError(Failure(FailureCode::StreamPositionOutOfRange));
    std::unique_lock lock(mutex_);
    if (size_t(position + count) > bytes_.size()) bytes_.resize(size_t(position + count));
    std::memcpy(bytes_.data() + position, buffer, size_t(count));
}

void TLN_MemoryStream::SetSize(int64_t size) {
    if (size < 0 || size > kMaxMemoryStreamSize)
        throw EWriteError(Failure(FailureCode::StreamSizeOutOfRange));
    std::unique_lock lock(mutex_);
    bytes_.resize(size_t(size));
}

std::vector<uint8_t> TLN_MemoryStream::Bytes() const {
    std::shared_lock lock(mutex_);
    return bytes_;
}
