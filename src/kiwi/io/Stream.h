// The one byte-stream interface under every reader and writer: 64-bit positions, a positionless
// thread-safe ReadAt, and the stateful Seek/Read/Write that single owners use.
#pragma once

#include <cstdint>
#include <string>

enum class SeekOrigin { Begin, Current, End };

class TLN_Stream {
public:
    TLN_Stream() = default;
    TLN_Stream(const TLN_Stream&) = delete;
    TLN_Stream& operator=(const TLN_Stream&) = delete;
    virtual ~TLN_Stream() = default;

    // Size in bytes as the stream's readers see it (decompressed size for listed files).
    virtual int64_t Size() = 0;

    // Reads up to count bytes at an absolute position without touching the stream position.
    // Returns the bytes delivered (0 at or past the end, and for a negative position or count);
    // safe to call from several threads at once. Throws EReadError on an I/O failure.
    virtual int64_t ReadAt(int64_t position, void* buffer, int64_t count) = 0;

    // Writes count bytes at an absolute position. The default raises: most streams are read-only.
    // A short write raises EWriteError.
    virtual void WriteAt(int64_t position, const void* buffer, int64_t count);

    // Changes the size of a writable stream; the default raises.
    virtual void SetSize(int64_t size);

    // The name of the file behind the stream, or "" when there is none.
    virtual std::string FileName() const { return {}; }

    // Stateful access for a single owner (not thread-safe): the position moves with each call.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin = SeekOrigin::Begin);
    int64_t Position() const { return position_; }
    int64_t Read(void* buffer, int64_t count);
    void Write(const void* buffer, int64_t count);

    // Reads exactly count bytes at the position or raises EReadError("File read error!").
    void ReadExactAt(int64_t position, void* buffer, int64_t count);

private:
    int64_t position_ = 0;
};
