// Reads that must be whole: what a file cannot deliver in full is one error, EShortRead, that names the
// file, the place and what was short, so that every reader says it the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/Stream.h"

// What a read needed and what the file held of it.
struct ShortReadFacts {
    // The file's bare name ("" for a stream without a file).
    std::string file;
    // What was read: a field or table name ("the management header table"), or a count as stored
    // ("Number of Records 3") when records is true.
    std::string what;
    // Stream position of the first byte wanted.
    int64_t position = 0;
    // Bytes wanted, and how many of them the file holds.
    int64_t wanted = 0;
    int64_t held = 0;
    // True when what is a count of records, whose bytes are "their" bytes.
    bool records = false;
};

// The short read as a failure, whose English is e.g. "PARAMDAT.KWI, byte 4: Number of Records 3, the file
// holds 0 of their 24 bytes". The one place that words a short read.
Failure ShortReadFailure(const ShortReadFacts& facts);
// Its English text.
std::string ShortReadText(const ShortReadFacts& facts);

// A header that needs wanted bytes where held are there, e.g. "the region data header needs 50 bytes, 6 are
// there".
Failure HeaderShortFailure(const std::string& what, int64_t wanted, int64_t held);

// A read the file cannot satisfy whole.
class EShortRead : public EReadError {
public:
    explicit EShortRead(ShortReadFacts facts);
    const ShortReadFacts& Facts() const { return facts_; }

private:
    ShortReadFacts facts_;
};

namespace whole {

// The facts of a read of wanted bytes at position that delivered held of them; the file named from stream.
ShortReadFacts Shortfall(const TLN_Stream& stream, const std::string& what, int64_t position, int64_t wanted,
                         int64_t held, bool records = false);

// ShortReadFailure of Shortfall, for a reader that reads on.
Failure Short(const TLN_Stream& stream, const std::string& what, int64_t position, int64_t wanted,
              int64_t held, bool records = false);
// Its English text.
std::string Reason(const TLN_Stream& stream, const std::string& what, int64_t position, int64_t wanted,
                   int64_t held, bool records = false);

// The reason when a walk over records that follow one another found fewer than stored, e.g.
// "Number of Polylines 5: 3 of them lie whole in their frame"; no failure when none is missing.
Failure Fewer(const std::string& countName, int64_t stored, int64_t readable);

// Reads exactly count bytes at position into target; throws EShortRead (naming what) when the stream
// delivers fewer, or when position is negative.
void ReadExactly(TLN_Stream& stream, int64_t position, void* target, int64_t count, const std::string& what);
// The same into a new buffer; the buffer is never larger than what the stream still holds, so a hostile
// count cannot inflate it before the error.
std::vector<uint8_t> ReadBytes(TLN_Stream& stream, int64_t position, int64_t count, const std::string& what);

// A count of records as stored and how many of them the bytes before end hold whole.
struct Counted {
    int64_t stored = 0;
    int64_t readable = 0;
    // Why fewer are readable (no failure when all are): the count, where its records start, the bytes they
    // need and the bytes there are.
    Failure reason;
    bool Whole() const { return !reason; }
};

// Records of recordBytes each, stride bytes apart from start (stride 0 means recordBytes), stored records
// declared by the field countName: how many lie wholly before end (the file's or the frame's end). The
// reason names the count as stored, e.g. "Number of Records 3".
Counted CountRecords(const TLN_Stream& stream, const std::string& countName, uint64_t stored, int64_t start,
                     int64_t recordBytes, int64_t end, int64_t stride = 0);

} // namespace whole
