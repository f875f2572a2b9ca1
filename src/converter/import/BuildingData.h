// The one layout of compiled building data, shared by the import (which appends records and saves *.lmp
// files) and the conversion run (which walks the records per block and parcel): a 16-byte box, then
// little-endian records {u16 point count, u8 kind, u8 label length, points, label padded with NUL to a
// whole number of 4-byte words}.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace building_data {

inline constexpr uint8_t kRemoved = 0; // a record taken out of every later selection
inline constexpr uint8_t kCityArea = 0x01;
inline constexpr uint8_t kBuilding = 0x13;
inline constexpr uint8_t kHouseNumber = 0x33;
inline constexpr uint8_t kHouseNumberNear = 0x34; // a house number close to another
inline constexpr uint8_t kOneWayArrow = 0x35;

inline constexpr size_t kBoxSize = 16;
inline constexpr size_t kRecordHeaderSize = 4;
inline constexpr size_t kPointSize = 8;

struct Point {
    int32_t x = 0; // longitude, 1/128 arc-second
    int32_t y = 0; // latitude
    bool operator==(const Point&) const = default;
};

// {west, north, east, south}; the empty box is the one every point widens.
struct Box {
    int32_t west = INT32_MAX;
    int32_t north = INT32_MIN;
    int32_t east = INT32_MIN;
    int32_t south = INT32_MAX;
    bool IsEmpty() const { return west > east || south > north; }
    void Widen(Point p);
    void Widen(const Box& other);
    bool operator==(const Box&) const = default;
};

// Bytes the label takes in a record: none without a label, else (L div 4 + 1) words.
constexpr size_t PaddedLabelSize(uint8_t length) {
    return length == 0 ? 0 : ((size_t(length) >> 2) + 1) * 4;
}
constexpr size_t RecordSize(uint16_t points, uint8_t labelLength) {
    return kRecordHeaderSize + size_t(points) * kPointSize + PaddedLabelSize(labelLength);
}

Box ReadBox(std::span<const uint8_t> data);                // the empty box when data is shorter than 16 bytes
void WriteBox(std::vector<uint8_t>& data, const Box& box); // grows data to 16 bytes when shorter

// One record inside a buffer; valid only while the buffer is.
struct RecordView {
    size_t offset = 0; // from the buffer's start
    uint16_t count = 0;
    uint8_t kind = 0;
    uint8_t labelLength = 0;
    const uint8_t* bytes = nullptr; // the record's first byte
    Point PointAt(size_t i) const;
    std::span<const uint8_t> Label() const; // labelLength bytes
    size_t Size() const { return RecordSize(count, labelLength); }
};

// The record at offset of data (records start at kBoxSize); nothing when it does not fit inside `used`.
std::optional<RecordView> RecordAt(std::span<const uint8_t> data, size_t offset);

// Appends a record; the label is cut at 255 bytes. The caller widens the box.
void AppendRecord(std::vector<uint8_t>& data, uint8_t kind, std::span<const Point> points,
                  std::span<const uint8_t> label = {});

// Calls f(RecordView) for every record from kBoxSize up to used; returns false when a record does not
// fit (the walk stops there).
template <typename F> bool ForEachRecord(std::span<const uint8_t> data, F&& f) {
    size_t offset = kBoxSize;
    while (offset < data.size()) {
        const std::optional<RecordView> record = RecordAt(data, offset);
        if (!record) return false;
        f(*record);
        offset += record->Size();
    }
    return true;
}

} // namespace building_data
