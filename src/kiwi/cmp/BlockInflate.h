// Inflating one compressed CMP block held in memory: gzip blocks the way zlib's gzip reader reads them,
// and the one-shot zlib streams of "13.CMP" files; libdeflate decodes whole blocks where it gives the
// same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <zlib.h>

struct libdeflate_decompressor;

class BlockInflater {
public:
    BlockInflater();
    ~BlockInflater();
    BlockInflater(const BlockInflater&) = delete;
    BlockInflater& operator=(const BlockInflater&) = delete;

    // Decodes at most capacity bytes of gzip data: member after member while another gzip magic follows,
    // trailing bytes ignored, and data that does not start with the gzip magic copied unchanged. Returns
    // the bytes produced; raises ECompressionError "gzipopen error: " + "can't gzopen" or
    // "can't gzread: " + zlib's text (a truncated stream is "unexpected end of file").
    size_t Gunzip(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity);

    // zlib's one-shot uncompress into capacity bytes; raises ECompressionError "Zlib error" on any failure
    // (also when the data needs more than capacity bytes).
    size_t Uncompress(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity);

    // Turns the libdeflate path off (tests compare both paths).
    void SetFastPathEnabled(bool enabled) { fastEnabled_ = enabled; }

private:
    size_t gunzipZlib(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity);
    bool gunzipFast(const uint8_t* input, size_t inputSize, uint8_t* output, size_t capacity,
                    size_t& produced);

    z_stream gzip_{};
    bool gzipReady_ = false;
    libdeflate_decompressor* fast_ = nullptr;
    bool fastEnabled_ = true;
};
