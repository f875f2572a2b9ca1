// Reading and appending compiled building data records, with every read checked against the buffer.
#include "converter/import/BuildingData.h"

#include <algorithm>
#include <cstring>

namespace building_data {
namespace {

int32_t readI32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void putI32(uint8_t* p, int32_t value) {
    const auto v = uint32_t(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

} // namespace

void Box::Widen(Point p) {
    west = std::min(west, p.x);
    east = std::max(east, p.x);
    south = std::min(south, p.y);
    north = std::max(north, p.y);
}

void Box::Widen(const Box& other) {
    if (other.IsEmpty()) return;
    Widen(Point{other.west, other.north});
    Widen(Point{other.east, other.south});
}

Box ReadBox(std::span<const uint8_t> data) {
    if (data.size() < kBoxSize) return {};
    return Box{readI32(&data[0]), readI32(&data[4]), readI32(&data[8]), readI32(&data[12])};
}

void WriteBox(std::vector<uint8_t>& data, const Box& box) {
    if (data.size() < kBoxSize) data.resize(kBoxSize);
    putI32(&data[0], box.west);
    putI32(&data[4], box.north);
    putI32(&data[8], box.east);
    putI32(&data[12], box.south);
}

Point RecordView::PointAt(size_t i) const {
    const uint8_t* p = bytes + kRecordHeaderSize + i * kPointSize;
    return Point{readI32(p), readI32(p + 4)};
}

std::span<const uint8_t> RecordView::Label() const {
    return {bytes + kRecordHeaderSize + size_t(count) * kPointSize, labelLength};
}

std::optional<RecordView> RecordAt(std::span<const uint8_t> data, size_t offset) {
    if (offset < kBoxSize || offset > data.size() || data.size() - offset < kRecordHeaderSize) return {};
    RecordView record;
    record.offset = offset;
    record.bytes = data.data() + offset;
    record.count = uint16_t(record.bytes[0] | record.bytes[1] << 8);
    record.kind = record.bytes[2];
    record.labelLength = record.bytes[3];
    if (data.size() - offset < record.Size()) return {};
    return record;
}

void AppendRecord(std::vector<uint8_t>& data, uint8_t kind, std::span<const Point> points,
                  std::span<const uint8_t> label) {
    if (data.size() < kBoxSize) WriteBox(data, Box{});
    const auto count = uint16_t(std::min<size_t>(points.size(), UINT16_MAX));
    const auto length = uint8_t(std::min<size_t>(label.size(), 255));
    const size_t at = data.size();
    data.resize(at + RecordSize(count, length), 0);
    uint8_t* p = data.data() + at;
    p[0] = uint8_t(count);
    p[1] = uint8_t(count >> 8);
    p[2] = kind;
    p[3] = length;
    p += kRecordHeaderSize;
    for (size_t i = 0; i < count; ++i, p += kPointSize) {
        putI32(p, points[i].x);
        putI32(p + 4, points[i].y);
    }
    if (length > 0) std::memcpy(p, label.data(), length);
}

} // namespace building_data
