// Stateful helpers of the stream interface, built on ReadAt and WriteAt.
#include "kiwi/io/Stream.h"

#include "kiwi/core/KiwiErrors.h"

void TLN_Stream::WriteAt(int64_t, const void*, int64_t) {
    throw EWriteError(Failure(FailureCode::StreamReadOnly, {{"file", FileName()}}));
}

void TLN_Stream::SetSize(int64_t) {
    throw EWriteError(Failure(FailureCode::StreamSizeFixed, {{"file", FileName()}}));
}

int64_t TLN_Stream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current)
        base = position_;
    else if (origin == SeekOrigin::End)
        base = Size();
    position_ = base + offset;
    return position_;
}

int64_t TLN_Stream::Read(void* buffer, int64_t count) {
    const int64_t delivered = ReadAt(position_, buffer, count);
    position_ += delivered;
    return delivered;
}

void TLN_Stream::Write(const void* buffer, int64_t count) {
    WriteAt(position_, buffer, count);
    position_ += count;
}

void TLN_Stream::ReadExactAt(int64_t position, void* buffer, int64_t count) {
    if (ReadAt(position, buffer, count) != count)
        throw EReadError(Failure(FailureCode::FileReadError, {{"file", FileName()}}));
}
