// Decoder of byte-pair encoded (type 1) CMP blocks: a sequence of packets, each a pair table and packed
// bytes that expand through it.
#pragma once

#include <cstddef>
#include <cstdint>

class BpeDecoder {
public:
    // Deepest chain of pending right halves; a longer one can only come from a cyclic table.
    static constexpr size_t maxStack = 512;

    // Decodes every packet of input into output and returns the bytes written. Raises ECompressionError:
    // "File read error!" when a pair table runs past the input, and its own texts when the expansion
    // needs more than capacity bytes or a deeper stack than maxStack (a cyclic pair table).
    size_t Decode(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity);

private:
    // Per code: left and right halves; a literal has left == its own code.
    uint8_t left_[256] = {};
    uint8_t right_[256] = {};
};
