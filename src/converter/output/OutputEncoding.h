// Writers of KIWI numbers into the new map's streams: big-endian fields, KIWI addresses, references,
// word offsets, 32-byte alignment, even-length texts and the output code page.
#pragma once

#include <cstdint>
#include <string>

#include "kiwi/io/Stream.h"

// The largest byte offset a KIWI address can hold: 2^24 sectors of 2048 bytes (32 GiB).
inline constexpr int64_t kMaxKiwiOffset = (int64_t(1) << 35) - 1;

// n rounded up to a multiple of 32.
uint32_t AlignUp32(uint32_t n);
int64_t AlignUp32(int64_t n);

// Each writer writes at the stream's position and advances it. Offsets past 32 GiB raise EConvertError.
// 4 bytes: the KIWI address of the offset (-1 gives all ones).
void WriteKiwiAddress(TLN_Stream& out, int64_t offset);
// 6 bytes: the KIWI address, then the byte size in words (size shr 1).
void WriteAddressAndSize(TLN_Stream& out, uint32_t byteSize, int64_t offset);
// 6 bytes: the KIWI address, then a size field exactly as stored (32-byte sectors in block and parcel
// records): re-pointing a reference must never change its unit.
void WriteAddressAndStoredSize(TLN_Stream& out, int64_t offset, uint16_t storedSize);
// The same 6 bytes straight into to: no stream, for references laid out in memory by the thousand.
void EncodeAddressAndStoredSize(uint8_t* to, int64_t offset, uint16_t storedSize);
// 6 bytes: FF FF FF FF 00 00, the reference to nothing.
void WriteEmptyReference(TLN_Stream& out);
// 6 bytes: offset / 2 as u32, size / 2 as u16.
void WriteWordOffsetAndSize(TLN_Stream& out, uint32_t byteOffset, uint32_t byteSize);
void EncodeWordOffsetAndSize(uint8_t* to, uint32_t byteOffset, uint32_t byteSize);
// 4 bytes: offset shr 1 and size shr 1, each as u16.
void WriteWordOffsetSize16(TLN_Stream& out, uint32_t byteOffset, uint32_t byteSize);
// 8 bytes: offset shr 1 and size shr 1, each as u32.
void WriteDWordOffsetAndSize(TLN_Stream& out, uint32_t byteOffset, uint32_t byteSize);
// Seeks to position, then 2 bytes: (high byte − 1) and (low byte − 1), each modulo 256.
void WriteCountBytesMinusOne(TLN_Stream& out, uint16_t value, int64_t position);

// A text of length 1 gets a 00; an odd text of 3 or more bytes gets a 00 unless it ends in 00, when it
// loses that byte; even lengths are left alone.
void MakeEvenLength(std::string& text);
// 8-bit text from the system ANSI page (1251 here) to codePage; characters the page cannot hold become
// "?"; the result is padded with 00 to an even length. An empty text gives an empty result.
std::string ConvertToCodePage(const std::string& text, int codePage);
// The ANSI code page that 8-bit dictionary and label text uses: Linux has no system setting for it.
inline constexpr int kAnsiCodePage = 1251;

// Moves count bytes from the stream's position by delta (either way, overlap-safe through a buffer);
// the stream is left after the moved block.
void ShiftStreamBlock(TLN_Stream& stream, int64_t count, int64_t delta);
