// Big-endian field readers and writers at absolute 64-bit positions of any stream.
// Readers use the positionless ReadAt; bytes a stream does not deliver count as 0, so a partial
// read yields the delivered bytes as the most significant ones.
#pragma once

#include <cstdint>
#include <string>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/io/Stream.h"

uint8_t ReadByteAt(TLN_Stream& stream, int64_t position);
uint16_t ReadWordBE(TLN_Stream& stream, int64_t position);
uint32_t ReadDWordBE(TLN_Stream& stream, int64_t position);
// A KIWI address converted to a byte position (-1 for all ones).
int64_t ReadKiwiAddress(TLN_Stream& stream, int64_t position);
// A coordinate: 24-bit sign-magnitude in the first three bytes of a 4-byte field.
int32_t ReadInt24BE(TLN_Stream& stream, int64_t position);
// Latitude field first, then longitude: Y from the first, X from the second.
TLN_Point ReadCoordinatePair(TLN_Stream& stream, int64_t position);
TLN_PointRecord ReadPointRecord(TLN_Stream& stream, int64_t position);
TLN_NamedPointRecord ReadNamedPointRecord(TLN_Stream& stream, int64_t position);
// length bytes cut at the first NUL, kept as stored (8-bit).
std::string ReadFixedString(TLN_Stream& stream, int64_t position, int length);
// Colour field: byte 0 ignored, then red, green, blue; returns a Windows colour value.
TLN_Color ReadColorRGB(TLN_Stream& stream, int64_t position);
TLN_Color ReadBytes3(TLN_Stream& stream, int64_t position);

void WriteByteAt(TLN_Stream& stream, uint8_t value, int64_t position);
void WriteWordBE(TLN_Stream& stream, uint16_t value, int64_t position);
void WriteDWordBE(TLN_Stream& stream, uint32_t value, int64_t position);
// The text padded with NUL bytes to length, or cut to it; exactly length bytes are written.
void WriteFixedString(TLN_Stream& stream, const std::string& text, int length, int64_t position);
