// A remembered list of ten offsets (go-to addresses, block starts, ends and lengths), newest first, kept in
// the settings as 80 bytes of little-endian signed 64-bit values, 0 marking an empty slot.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class SettingsStore;

class OffsetHistory {
public:
    static constexpr int kEntries = 10;
    static constexpr int kByteSize = kEntries * 8;

    // Records value for a stream of streamSize bytes: a value below 1 or above the size is not kept; one
    // already listed moves to the top, a new one goes on top and the oldest drops out.
    void Insert(int64_t value, int64_t streamSize);

    const std::array<int64_t, kEntries>& Slots() const { return slots_; }
    // The entries worth offering, in order: those above 0.
    std::vector<int64_t> Listed() const;

    // The stored form, always 80 bytes.
    QByteArray Serialize() const;
    // Reads the stored form; a shorter value leaves the missing slots empty, extra bytes are ignored.
    static OffsetHistory Parse(const QByteArray& bytes);

    // Reads the binary value name; a missing value or one of another type gives an empty history.
    void Load(const SettingsStore& store, const QString& name);
    bool Save(SettingsStore& store, const QString& name) const;

private:
    std::array<int64_t, kEntries> slots_{};
};
