// The writing thread of a buffered output stream: it owns the file and writes the extents handed to it
// in order, and nothing else reaches the file before every extent handed over is written.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "kiwi/io/Stream.h"

// Byte storage that grows without zero-filling: every buffered byte is written (or claimed and filled)
// before it is read or flushed.
template <class T> struct UninitializedAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = UninitializedAllocator<U>; };
    UninitializedAllocator() = default;
    template <class U> UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
};
using ExtentBytes = std::vector<uint8_t, UninitializedAllocator<uint8_t>>;

class BufferedOutputStreamWriter {
public:
    // budget: the buffer's size in bytes; about two of them may wait to be written.
    BufferedOutputStreamWriter(std::unique_ptr<TLN_Stream> file, int64_t budget);
    // Extents not yet written are dropped; the thread is stopped and joined before the file goes.
    ~BufferedOutputStreamWriter() = default;
    BufferedOutputStreamWriter(const BufferedOutputStreamWriter&) = delete;
    BufferedOutputStreamWriter& operator=(const BufferedOutputStreamWriter&) = delete;

    // Queues bytes to be written at position, waiting while a few budgets' worth wait already; raises
    // what an earlier write raised (the bytes then stay the caller's). The thread starts with the first
    // extent.
    void Write(int64_t position, ExtentBytes&& bytes);
    // The file, once every extent handed over is written: the only way to it. Raises what a write raised.
    TLN_Stream& Settled();
    // Forgets the extents not yet written and waits for the one being written.
    void Drop();
    // Empty storage with room for a budget, written storage when there is some (appending then never
    // reallocates and the same memory stays warm).
    ExtentBytes Storage();
    // Called on the writing thread with a range of the file whose bytes were written a while ago, in
    // order, each once; set before the first write.
    using WriteBehind = std::function<void(int64_t from, int64_t to)>;
    void SetWriteBehind(WriteBehind hook) { writeBehind_ = std::move(hook); }
    // The file's name (fixed when it was opened: reading it touches no byte of the file).
    std::string FileName() const { return file_->FileName(); }

private:
    struct Pending {
        int64_t position = 0;
        ExtentBytes bytes;
    };
    void run(std::stop_token stop);
    void writeOne(Pending& next);

    const std::unique_ptr<TLN_Stream> file_;
    const int64_t budget_;
    WriteBehind writeBehind_;
    // Under mutex_: extents to write in order, whether one is being written, the bytes queued, the first
    // failure, and written storage for reuse.
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::deque<Pending> queue_;
    bool writing_ = false;
    int64_t queuedBytes_ = 0;
    std::exception_ptr failure_;
    std::vector<ExtentBytes> writtenStorage_;
    // The writing thread's own: the furthest written byte, and where the write-back was last started up to.
    int64_t flushedEnd_ = 0;
    int64_t handedOver_ = 0;
    // Last, so that it is stopped and joined before anything it uses goes.
    std::jthread thread_;
};
