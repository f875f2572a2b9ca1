// Byte-pair decoding, iterative and bounded.
#include "kiwi/cmp/BpeDecoder.h"

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiErrors.h"

namespace {
[[noreturn]] void tableReadError() {
    throw ECompressionError("File read error!");
}
} // namespace

size_t BpeDecoder::Decode(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity) {
    size_t in = 0;
    size_t out = 0;
    uint8_t stack[maxStack];
    while (in < inputSize) {
        // The pair table: every code starts as a literal.
        for (int code = 0; code < 256; ++code)
            left_[code] = uint8_t(code);
        int c = 0;
        for (int countBytes = 0; countBytes < 255 && c < 256; ++countBytes) {
            if (in >= inputSize) tableReadError();
            const int count = input[in++];
            int entries = count + 1;
            if (count >= 128) {
                c += count - 127;
                if (c > 255) break;
                entries = 1;
            }
            for (; entries > 0 && c < 256; --entries, ++c) {
                if (in >= inputSize) tableReadError();
                const uint8_t l = input[in++];
                left_[c] = l;
                if (l != c) {
                    if (in >= inputSize) tableReadError();
                    right_[c] = input[in++];
                }
            }
        }
        size_t packed = 0;
        if (c == 256) {
            if (in + 2 > inputSize) tableReadError();
            packed = BeCursor(input + in, 2).u16(0);
            in += 2;
        }
        // Packed bytes past the block's end are not there to expand.
        if (packed > inputSize - in) packed = inputSize - in;
        for (size_t k = 0; k < packed; ++k) {
            size_t depth = 0;
            uint8_t code = input[in + k];
            for (;;) {
                if (left_[code] == code) {
                    if (out >= capacity)
                        throw ECompressionError("Byte-pair data expands past the block size");
                    output[out++] = code;
                    if (depth == 0) break;
                    code = stack[--depth];
                } else {
                    if (depth == maxStack) throw ECompressionError("Byte-pair table is cyclic");
                    stack[depth++] = right_[code];
                    code = left_[code];
                }
            }
        }
        in += packed;
    }
    return out;
}
