// The settings helpers every window uses to remember things between runs: named string, integer and
// binary values under the user's "\Software\Strovane" key (a settings file; see platform/SettingsStore.h).
#pragma once

#include <QString>
#include <cstdint>

// Each call opens the store, acts and closes it again; nothing is kept between calls. Reads never
// create the store. A value stored with another type than the one asked for reads as the default, so a
// damaged setting cannot stop start-up; the user is told (platform/SettingsNotices).

// True when the store exists and holds a value of that name (of any type).
bool RegValueExists(const QString& name);

// Writes a value, creating the store when missing. The result says whether it was saved; callers that
// only remember preferences may ignore it.
bool RegWriteString(const QString& name, const QString& text);
bool RegWriteInteger(const QString& name, int32_t value);
// Stores size bytes from buffer exactly as they are ("RoadColors": 16 little-endian colour values,
// 64 bytes; "GotoCash": 10 little-endian 64-bit integers, 80 bytes). False for a negative size.
bool RegWriteBinary(const QString& name, const void* buffer, int64_t size);

// The string value; "" when the store or the value is missing or the value is not a string.
QString RegReadString(const QString& name);
// The integer value; 0 when the store or the value is missing or the value is not an integer.
int32_t RegReadInteger(const QString& name);
// Copies up to size bytes of a binary value into buffer and returns true. Returns false, leaving the
// buffer untouched, when the store or the value is missing or the value is not binary. Bytes of the
// buffer past a shorter stored value stay untouched too.
bool RegReadBinary(const QString& name, void* buffer, int64_t size);
