// Record walk, city areas and per-block selection of imported building data.
#include "converter/rewrite/ImportedOutlines.h"

#include <algorithm>

#include "converter/rewrite/BlockGeometry.h"
#include "kiwi/map/CoverageLongitude.h"

namespace rewrite {

using namespace building_data;

bool BoxMeets(const Box& box, const Box& rect) {
    return box.west < rect.east && rect.west <= box.east && box.north >= rect.south && rect.north > box.south;
}

bool BoxWithin(const Box& box, const Box& rect) {
    return box.west >= rect.west && box.east <= rect.east && box.south >= rect.south &&
           box.north <= rect.north;
}

Box BoxOfPoints(const std::vector<Point>& points) {
    Box box;
    for (const Point& p : points)
        box.Widen(p);
    return box;
}

ImportedOutlines::ImportedOutlines(std::shared_ptr<const std::vector<uint8_t>> data)
    : data_(std::move(data)) {
    arrows_.assign(kBoxSize, 0);
    if (!data_) return;
    const std::span<const uint8_t> bytes(*data_);
    bounds_ = ReadBox(bytes);
    truncated_ = !ForEachRecord(bytes, [&](const RecordView& view) {
        Record record;
        record.offset = view.offset;
        record.kind = view.kind;
        for (size_t i = 0; i < view.count; ++i)
            record.box.Widen(view.PointAt(i));
        records_.push_back(record);
    });
}

void ImportedOutlines::TakeIntoCoverage(const TLN_Rect& coverage) {
    if (!data_ || coverage.Right <= kLongitudeHalfCircle) return;
    // The records again, in the same order and sizes, with their points moved by whole turns.
    auto placed = std::make_shared<std::vector<uint8_t>>();
    WriteBox(*placed, Box{});
    Box bounds;
    for (uint32_t i = 0; i < records_.size(); ++i) {
        Record& record = records_[i];
        if (record.added) continue;
        const RecordView view = View(i);
        std::vector<Point> points = Points(i);
        record.box = Box{};
        for (Point& p : points) {
            // 16 imported units to the 1/8 arc-second the coverage counts in.
            const int64_t longitude = int64_t(p.x) >> 4;
            p.x = int32_t(p.x + 16 * (LongitudeInCoverage(coverage, longitude) - longitude));
            record.box.Widen(p);
        }
        record.offset = placed->size();
        AppendRecord(*placed, view.kind, points, view.Label());
        bounds.Widen(record.box);
    }
    WriteBox(*placed, bounds);
    bounds_ = bounds;
    data_ = std::move(placed);
}

RecordView ImportedOutlines::View(uint32_t i) const {
    const Record& record = records_[i];
    const std::span<const uint8_t> bytes =
        record.added ? std::span<const uint8_t>(arrows_) : std::span<const uint8_t>(*data_);
    return *RecordAt(bytes, record.offset);
}

std::vector<Point> ImportedOutlines::Points(uint32_t i) const {
    const RecordView view = View(i);
    std::vector<Point> points(view.count);
    for (size_t k = 0; k < view.count; ++k)
        points[k] = view.PointAt(k);
    return points;
}

void ImportedOutlines::CollectCityAreas() {
    for (uint32_t i = 0; i < records_.size(); ++i)
        if (records_[i].kind == kCityArea) {
            records_[i].kind = kRemoved;
            cityAreas_.push_back(i);
        }
}

bool ImportedOutlines::SelectRecordsForBlock(const Box& block, bool houseNumbers,
                                             const SizeFilters& filters) {
    selected_.clear();
    for (uint32_t i = 0; i < records_.size(); ++i) {
        Record& record = records_[i];
        if (record.kind == kRemoved) continue;
        if (record.kind == kHouseNumber && !houseNumbers) {
            record.kind = kRemoved;
            continue;
        }
        const int64_t width = int64_t(record.box.east) - record.box.west;
        const int64_t height = int64_t(record.box.north) - record.box.south;
        if (record.kind == kBuilding && (width < filters.smallest || height < filters.smallest)) {
            record.kind = kRemoved;
            continue;
        }
        if (BoxMeets(record.box, block)) selected_.push_back(i);
    }
    // Numbers after everything else, the rest largest box first; the walk order breaks ties, so two runs
    // write the same bytes.
    auto area = [&](uint32_t i) {
        const Box& b = records_[i].box;
        return (int64_t(b.north) - b.south) * (int64_t(b.east) - b.west);
    };
    std::stable_sort(selected_.begin(), selected_.end(), [&](uint32_t a, uint32_t b) {
        const bool na = records_[a].kind == kHouseNumber, nb = records_[b].kind == kHouseNumber;
        if (na != nb) return nb;
        if (na) return false;
        return area(a) > area(b);
    });
    return !selected_.empty();
}

bool ImportedOutlines::SelectCityAreasForBlock(const Box& block) {
    blockCityAreas_.clear();
    for (uint32_t i : cityAreas_)
        if (BoxMeets(records_[i].box, block)) blockCityAreas_.push_back(i);
    return !blockCityAreas_.empty();
}

void ImportedOutlines::AddArrow(Point at, uint16_t bearing) {
    const size_t offset = arrows_.size();
    const uint8_t label[4] = {uint8_t(bearing), uint8_t(bearing >> 8), 0, 0};
    const Point points[1] = {at};
    AppendRecord(arrows_, kOneWayArrow, points, std::span<const uint8_t>(label, 2));
    Record record;
    record.added = true;
    record.offset = offset;
    record.kind = kOneWayArrow;
    record.box.Widen(at);
    records_.push_back(record);
    ++arrowCount_;
}

} // namespace rewrite
