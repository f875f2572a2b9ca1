// Reads what the user types into the hex viewer's dialogs: byte patterns in hex and hexadecimal offsets.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The bytes of a hex pattern: pairs of hex digits, a leading "0" added to an odd count, no blanks. Empty
// for an empty text or any character that is not a hex digit.
QByteArray ParseHexPattern(const QString& text);

// The value of hexadecimal digits (no prefix, no sign, no blanks), or -1 for an empty text, another
// character, or a value beyond the signed 64-bit range.
int64_t ParseHexOffset(const QString& text);

// Whether a typed offset may stand as it is: only the digits 0-9 and A-F, and a value below the stream
// size. An empty box is acceptable while typing (it is refused only on OK).
bool OffsetTextAcceptable(const QString& text, int64_t streamSize);

// An offset as its significant hex digits, as the histories list it ("63", "0100").
QString OffsetDigits(int64_t value);
