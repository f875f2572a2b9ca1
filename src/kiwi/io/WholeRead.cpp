// Reads that must be whole, and the one wording of a read the file cannot satisfy.
#include "kiwi/io/WholeRead.h"

#include <algorithm>
#include <utility>

#include "kiwi/core/FileNames.h"
#include "kiwi/io/BoundedRead.h"

Failure ShortReadFailure(const ShortReadFacts& facts) {
    using C = FailureCode;
    const bool inFile = !facts.file.empty();
    const C code = facts.records ? (inFile ? C::ShortReadRecords : C::ShortReadRecordsInStream)
                                 : (inFile ? C::ShortRead : C::ShortReadInStream);
    return Failure(code, {{"file", facts.file},
                          {"position", facts.position},
                          {"what", facts.what},
                          {"held", facts.held},
                          {"wanted", facts.wanted}});
}

std::string ShortReadText(const ShortReadFacts& facts) {
    return ShortReadFailure(facts).English();
}

Failure HeaderShortFailure(const std::string& what, int64_t wanted, int64_t held) {
    return Failure(FailureCode::HeaderShort, {{"what", what}, {"wanted", wanted}, {"held", held}});
}

EShortRead::EShortRead(ShortReadFacts facts)
    : EReadError(ShortReadFailure(facts)), facts_(std::move(facts)) {}

namespace whole {

ShortReadFacts Shortfall(const TLN_Stream& stream, const std::string& what, int64_t position, int64_t wanted,
                         int64_t held, bool records) {
    ShortReadFacts facts;
    facts.file = fileNamePart(stream.FileName());
    facts.what = what;
    facts.position = position;
    facts.wanted = wanted;
    facts.held = std::clamp<int64_t>(held, 0, std::max<int64_t>(wanted, 0));
    facts.records = records;
    return facts;
}

Failure Short(const TLN_Stream& stream, const std::string& what, int64_t position, int64_t wanted,
              int64_t held, bool records) {
    return ShortReadFailure(Shortfall(stream, what, position, wanted, held, records));
}

std::string Reason(const TLN_Stream& stream, const std::string& what, int64_t position, int64_t wanted,
                   int64_t held, bool records) {
    return Short(stream, what, position, wanted, held, records).English();
}

Failure Fewer(const std::string& countName, int64_t stored, int64_t readable) {
    if (readable >= stored) return {};
    return Failure(FailureCode::FewerInFrame,
                   {{"count", countName}, {"stored", stored}, {"readable", readable}});
}

void ReadExactly(TLN_Stream& stream, int64_t position, void* target, int64_t count, const std::string& what) {
    if (count <= 0) return;
    const int64_t delivered = position < 0 ? 0 : bounded::readInto(stream, position, target, count);
    if (delivered < count) throw EShortRead(Shortfall(stream, what, position, count, delivered));
}

std::vector<uint8_t> ReadBytes(TLN_Stream& stream, int64_t position, int64_t count, const std::string& what) {
    std::vector<uint8_t> bytes;
    if (count <= 0) return bytes;
    bounded::readBytes(stream, position, count, bytes);
    if (int64_t(bytes.size()) < count)
        throw EShortRead(Shortfall(stream, what, position, count, int64_t(bytes.size())));
    return bytes;
}

Counted CountRecords(const TLN_Stream& stream, const std::string& countName, uint64_t stored, int64_t start,
                     int64_t recordBytes, int64_t end, int64_t stride) {
    Counted counted;
    counted.stored = int64_t(std::min<uint64_t>(stored, uint64_t(INT64_MAX / 2)));
    if (stored == 0 || recordBytes <= 0) return counted;
    const int64_t step = stride > 0 ? stride : recordBytes;
    counted.readable = bounded::recordsThatFit(stored, start, step, recordBytes, end);
    if (uint64_t(counted.readable) == stored) return counted;
    // The bytes the stored records need, and how many of them lie before end (saturating: a count from
    // data may be absurd).
    const long double need = (long double)(counted.stored - 1) * step + recordBytes;
    const int64_t wanted = need > (long double)INT64_MAX ? INT64_MAX : int64_t(need);
    const int64_t held = start < 0 ? 0 : std::clamp<int64_t>(end - start, 0, wanted);
    counted.reason = ShortReadFailure(
        Shortfall(stream, countName + " " + std::to_string(stored), start, wanted, held, /*records=*/true));
    return counted;
}

} // namespace whole
