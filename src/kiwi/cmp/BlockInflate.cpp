// gzip and zlib block decoding over memory buffers.
#include "kiwi/cmp/BlockInflate.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "kiwi/core/KiwiErrors.h"

#ifdef KIWI_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {
bool gzipMagicAt(const uint8_t* data, size_t size) {
    return size >= 2 && data[0] == 0x1F && data[1] == 0x8B;
}

[[noreturn]] void gzreadError(const char* text) {
    throw ECompressionError(std::string("gzipopen error: can't gzread: ") + text);
}
} // namespace

BlockInflater::BlockInflater() {
#ifdef KIWI_HAVE_LIBDEFLATE
    fast_ = libdeflate_alloc_decompressor();
#endif
}

BlockInflater::~BlockInflater() {
    if (gzipReady_) inflateEnd(&gzip_);
#ifdef KIWI_HAVE_LIBDEFLATE
    if (fast_) libdeflate_free_decompressor(fast_);
#endif
}

size_t BlockInflater::Gunzip(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity) {
    if (!gzipMagicAt(input, inputSize)) {
        // zlib's gzip reader passes data without the magic through unchanged.
        const size_t n = std::min(inputSize, capacity);
        if (n) std::memcpy(output, input, n);
        return n;
    }
    if (capacity == 0) return 0;
    size_t produced = 0;
    if (gunzipFast(input, inputSize, output, capacity, produced)) return produced;
    return gunzipZlib(input, inputSize, output, capacity);
}

bool BlockInflater::gunzipFast(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity,
                               size_t& produced) {
#ifdef KIWI_HAVE_LIBDEFLATE
    if (!fast_ || !fastEnabled_) return false;
    size_t in = 0;
    produced = 0;
    for (;;) {
        // libdeflate skips a header checksum that zlib checks: such members go to zlib.
        if (inputSize - in < 4 || (input[in + 3] & 0x02)) return false;
        size_t used = 0, got = 0;
        if (libdeflate_gzip_decompress_ex(fast_, input + in, inputSize - in, output + produced,
                                          capacity - produced, &used, &got) != LIBDEFLATE_SUCCESS)
            return false; // zlib decides: partial output of an oversized member, or the error text
        in += used;
        produced += got;
        if (produced == capacity || !gzipMagicAt(input + in, inputSize - in)) return true;
    }
#else
    return false;
#endif
}

size_t BlockInflater::gunzipZlib(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity) {
    if (!gzipReady_) {
        if (inflateInit2(&gzip_, 16 + MAX_WBITS) != Z_OK)
            throw ECompressionError("gzipopen error: can't gzopen");
        gzipReady_ = true;
    } else if (inflateReset(&gzip_) != Z_OK) {
        throw ECompressionError("gzipopen error: can't gzopen");
    }
    gzip_.next_in = const_cast<Bytef*>(input);
    gzip_.avail_in = uInt(inputSize);
    gzip_.next_out = output;
    gzip_.avail_out = uInt(capacity);
    for (;;) {
        const int result = inflate(&gzip_, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            // Another member follows only when the magic does; anything else is trailing garbage.
            if (gzip_.avail_out == 0 || !gzipMagicAt(gzip_.next_in, gzip_.avail_in)) break;
            if (inflateReset(&gzip_) != Z_OK) gzreadError("internal error");
            continue;
        }
        if (result == Z_OK || result == Z_BUF_ERROR) {
            if (gzip_.avail_out == 0) break;
            if (gzip_.avail_in == 0) gzreadError("unexpected end of file");
            if (result == Z_OK) continue;
        }
        if (result == Z_MEM_ERROR) gzreadError("out of memory");
        gzreadError(gzip_.msg ? gzip_.msg : "compressed data error");
    }
    return capacity - gzip_.avail_out;
}

size_t BlockInflater::Uncompress(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity) {
#ifdef KIWI_HAVE_LIBDEFLATE
    if (fast_ && fastEnabled_) {
        size_t used = 0, got = 0;
        if (libdeflate_zlib_decompress_ex(fast_, input, inputSize, output, capacity, &used, &got) ==
            LIBDEFLATE_SUCCESS)
            return got;
    }
#endif
    uLongf length = uLongf(capacity);
    if (uncompress(output, &length, input, uLong(inputSize)) != Z_OK) throw ECompressionError("Zlib error");
    return size_t(length);
}
