// A write-back buffer in front of a produced file: the run writes many small pieces at scattered
// positions (frames at the data cursor, information images, 6-byte records, back-patches), which cost a
// system call each when written straight through; here they are gathered into a few merged extents and
// written in position order when a write would overfill the buffer (so the bytes just written stay
// buffered), when it is flushed, or before a size change. Read-backs of buffered bytes are served from the
// buffer, other small ones from a read-ahead window of the file, and re-points close behind one another
// are joined through the window's bytes between them. The flushed extents are written by a writing
// thread that owns the file, in order, while the run reads and patches the next ones (the copy costs the
// run the reading, not the writing too); the file is reached only through it, once it has written all.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "converter/output/BufferedOutputStreamWriter.h"
#include "kiwi/io/Stream.h"

class BufferedOutputStream : public TLN_Stream {
public:
    // The production budget: large enough that many frames go out in one system call, small enough that
    // the buffer stays in the processor's cache while the kernel copies it (a buffer of several MiB
    // makes each write a trip to main memory and the run several times slower than a plain copy).
    static constexpr int64_t kDefaultBudget = 256 << 10;
    // The budget of streams made without one: kDefaultBudget unless set otherwise (tests set a few KiB,
    // so that the hand-over, the writing thread, read-backs and Unclaim run on small maps too).
    static int64_t DefaultBudget() { return defaultBudget_.load(); }
    static void SetDefaultBudget(int64_t budget) { defaultBudget_.store(budget); }

    BufferedOutputStream(std::unique_ptr<TLN_Stream> inner, int64_t budget = DefaultBudget());
    // Buffered bytes not yet written are dropped: a produced file that was not committed is removed.
    ~BufferedOutputStream() override = default;

    // The size the file will have once flushed.
    int64_t Size() override;
    // Reads the file with the buffered bytes laid over it (the run reads back what it wrote). One thread
    // only: the read-ahead window is shared state.
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override;
    // Buffers the bytes; a write larger than the budget goes straight through. Raises EWriteError when a
    // flush this write causes fails.
    void WriteAt(int64_t position, const void* buffer, int64_t count) override;
    // Flushes first, so the size change applies to every byte written.
    void SetSize(int64_t size) override;
    std::string FileName() const override { return writer_.FileName(); }

    // A buffered span of count bytes at position for the caller to fill (source bytes read straight into
    // the buffer, without a copy between), valid until the next call on the stream; null when count is
    // not below the budget or the span would overlap buffered bytes other than an extent ending at
    // position. Its bytes are undefined until filled.
    uint8_t* Claim(int64_t position, int64_t count);
    // Gives back the last claim's bytes from position on while they are still buffered at the end of their
    // extent (a claim filled only in part).
    void Unclaim(int64_t position);
    // Called with a range of the file whose bytes were written a while ago (the write-back then starts
    // while the run goes on, instead of all at the final sync). Ranges come in order, each once, from the
    // stream's writing thread; set before the first write.
    void SetWriteBehind(BufferedOutputStreamWriter::WriteBehind hook) {
        writer_.SetWriteBehind(std::move(hook));
    }
    // Writes every buffered byte to the file and waits until it is written. Raises EWriteError as the
    // file's own writes do.
    void Flush();
    // Forgets the buffered bytes without writing them (and those not yet written).
    void Drop();
    int64_t BufferedBytes() const { return buffered_; }
    // The file, every byte handed to it written.
    TLN_Stream& Inner() { return writer_.Settled(); }

private:
    // Hands every buffered extent, in position order, to the writing thread (waiting while it has a few
    // budgets' worth to write); raises what an earlier write raised.
    void handOver();
    // Reads the file's own bytes (without the buffered ones), small reads through the window.
    int64_t readFile(int64_t position, uint8_t* out, int64_t count);
    // Whether the window holds the file's bytes [position, position + count).
    bool windowHolds(int64_t position, int64_t count) const;
    // Forgets the window where the file changed under it.
    void fileChanged(int64_t position, int64_t count);

    static inline std::atomic<int64_t> defaultBudget_{kDefaultBudget};

    int64_t budget_;
    BufferedOutputStreamWriter writer_;
    // Non-overlapping, non-adjacent extents by start position.
    std::map<int64_t, ExtentBytes> extents_;
    int64_t buffered_ = 0;
    // The end of everything written through this stream so far.
    int64_t written_ = 0;
    // The span of the last claim, [first, second).
    std::pair<int64_t, int64_t> claimed_;
    // The read-ahead window: the file's bytes from windowStart_ (fewer at the file's end).
    int64_t windowStart_ = 0;
    std::vector<uint8_t> window_;
};
