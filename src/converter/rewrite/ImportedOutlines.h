// The imported building data as one conversion run sees it: the records of the compiled buffer plus the
// one-way arrows the run adds, a per-run "used up" state (the buffer itself is never changed, so saving
// it after a run can never save a consumed state), the city-area lists and the records selected per block.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "converter/import/BuildingData.h"

struct TLN_Rect;

namespace rewrite {

// Size filters on building boxes, in imported units (0 = off).
struct SizeFilters {
    int64_t smallest = 0; // narrower or lower: never written
    int64_t detailed = 0; // narrower or lower: written without the detail bit
};

class ImportedOutlines {
public:
    explicit ImportedOutlines(std::shared_ptr<const std::vector<uint8_t>> data);

    // The import stores places east of 180 degrees as west longitudes; a map whose coverage runs across 180
    // degrees counts on past it. Takes every record's longitudes into the turn the coverage counts in (so
    // that they meet the blocks' rectangles) and the bounds with them; nothing moves on another map. Call it
    // before anything is selected.
    void TakeIntoCoverage(const TLN_Rect& coverage);

    const building_data::Box& Bounds() const { return bounds_; }
    // Records of the buffer that could not be walked (the walk stopped there).
    bool Truncated() const { return truncated_; }
    size_t Count() const { return records_.size(); }

    uint8_t Kind(uint32_t i) const { return records_[i].kind; }
    void Consume(uint32_t i) { records_[i].kind = building_data::kRemoved; }
    const building_data::Box& BoxOf(uint32_t i) const { return records_[i].box; }
    building_data::RecordView View(uint32_t i) const;
    std::vector<building_data::Point> Points(uint32_t i) const;

    // Every city area leaves the record walk and joins the city-area list.
    void CollectCityAreas();
    // The whole city-area list as the block's city areas.
    void CopyCityAreas() { blockCityAreas_ = cityAreas_; }
    // block in imported units. House numbers are used up here when they are not wanted; buildings below
    // the smallest size filter too. Returns whether anything was selected.
    bool SelectRecordsForBlock(const building_data::Box& block, bool houseNumbers,
                               const SizeFilters& filters);
    bool SelectCityAreasForBlock(const building_data::Box& block);
    const std::vector<uint32_t>& Selected() const { return selected_; }
    const std::vector<uint32_t>& BlockCityAreas() const { return blockCityAreas_; }

    // Appends a one-way arrow point (kind 35 hex, a 2-byte label holding the bearing).
    void AddArrow(building_data::Point at, uint16_t bearing);
    size_t ArrowCount() const { return arrowCount_; }

private:
    struct Record {
        bool added = false; // in arrows_, not in the buffer
        size_t offset = 0;
        uint8_t kind = 0;
        building_data::Box box;
    };
    std::shared_ptr<const std::vector<uint8_t>> data_;
    std::vector<uint8_t> arrows_; // arrow records in the buffer's record layout, after a 16-byte box
    std::vector<Record> records_;
    building_data::Box bounds_;
    bool truncated_ = false;
    size_t arrowCount_ = 0;
    std::vector<uint32_t> cityAreas_;
    std::vector<uint32_t> blockCityAreas_;
    std::vector<uint32_t> selected_;
};

// Whether a box meets a rectangle with the selection's bounds: min x < x1, x0 <= max x, max y >= y0,
// y1 > min y.
bool BoxMeets(const building_data::Box& box, const building_data::Box& rect);
bool BoxWithin(const building_data::Box& box, const building_data::Box& rect);
building_data::Box BoxOfPoints(const std::vector<building_data::Point>& points);

} // namespace rewrite
