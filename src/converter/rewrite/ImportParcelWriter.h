// The parcel writer that brings imported outlines into the new map: a parcel of the most detailed level
// whose block has imported records is rebuilt with the buildings in the buildings display class, the city
// areas in the second background class and the house numbers in the numbering name class; every other
// parcel is copied byte for byte.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "converter/levels/ParcelWriter.h"
#include "converter/rewrite/ImportedOutlines.h"
#include "converter/rewrite/OutlineEncoding.h"
#include "converter/rewrite/OutlineWriters.h"
#include "converter/source/ConversionOptions.h"
#include "kiwi/core/KiwiPrimitives.h"

namespace rewrite {

// What the parcel rewriting takes from the run's settings.
struct RewriteSettings {
    bool buildings = false;
    bool houseNumbers = false;
    bool replaceOldData = false;
    bool strictRules = false;
    bool aisinBatches = false; // AISIN-AW takes more than 4095 buildings as further type entries
    bool extraLevel = false;
    bool lettersAllowed = false;
    uint8_t buildingsClass = 0;
    uint16_t buildingsTypeCode = 323;
    uint8_t numberingClass = 0;
    uint16_t numberingTypeCode = 450;
    uint8_t cityAreaClass = 255; // 255: none
    int codePage = 1251;
    SizeFilters filters;
};
RewriteSettings RewriteSettingsFrom(const ConversionOptions& options);

// The frame layout the rebuild relies on, as read from a main map data frame's bytes.
struct FrameLayout {
    struct Frame {
        size_t start = 0;
        size_t size = 0;
        bool present = false;
        size_t End() const { return start + size; }
    };
    size_t managementStart = 0; // 36 + 4N
    std::vector<Frame> frames;  // roads, background, names, extended frames
    uint8_t identifier = 0;
    uint8_t divisionType = 0;
    uint8_t x = 0, y = 0;
    int32_t referenceX = 0; // 1/8 arc-second
    int32_t referenceY = 0;
};
// Nothing when the frame table does not fit or the frames do not follow one another in table order.
std::optional<FrameLayout> ReadFrameLayout(const std::vector<uint8_t>& frame, int extendedCount);

// What the rebuild needs to know of the parcel's level and map.
struct LevelFacts {
    int levelCode = 0;
    int basicCount = 3;
    int extendedCount = 0;
    int backgroundClasses = 32;
    int64_t parcelWidth = 0; // imported units
    int64_t parcelHeight = 0;
    std::array<std::pair<int, int>, 4> divisions{}; // counts across and down per division type
    uint32_t systemNumber = 0;
    // The map's coverage rectangle, which a parcel's stored reference longitude is taken into.
    TLN_Rect coverage;
};

// The facts of a level of the map (a parcel size of 0 when the level has none).
LevelFacts FactsOf(const TLN_KiwiMap& map, uint8_t level);
// The parcel's rectangle in imported units from its distribution header: identifier 3 undivided, 2
// integrated, 1 divided; nothing for identifier 0.
std::optional<ParcelRect> ParcelRectFor(const FrameLayout& layout, const LevelFacts& facts);

class ImportParcelWriter : public ParcelWriter {
public:
    ImportParcelWriter(std::shared_ptr<ImportedOutlines> outlines, RewriteSettings settings);

    void EnterParcel(const ParcelPlace& place) override;
    uint32_t WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override;
    uint32_t WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override;

    // Selects the records of a block (imported units) for the parcels that follow; EnterParcel does this
    // from the map when the block changes.
    void SelectBlock(const LevelFacts& facts, const building_data::Box& block);
    // Names the place of the next parcel in messages (set by EnterParcel).
    void SetPlace(const ParcelPlace& place) { place_ = place; }

    // The rebuilt frame (before the route guidance reference is emptied); empty when it is copied as it is.
    std::vector<uint8_t> Rebuild(const std::vector<uint8_t>& frame);

    // The run made no extra level after all: parcels are rebuilt as for a map without one.
    void DropExtraLevel() { settings_.extraLevel = false; }
    // Whether the numbering class was found busy in some parcel.
    bool NumberingClassBusy() const { return busyWarned_; }
    // Parcels rebuilt so far.
    int Rebuilt() const { return rebuilt_; }

private:
    bool rebuildBackground(const std::vector<uint8_t>& frame, const FrameLayout::Frame& bg,
                           const ParcelRect& rect, uint32_t storedSize, std::vector<uint8_t>& background,
                           bool& cityAreas, bool& buildings);
    // The buildings records for the parcel, in batches of at most kBatchRecords when the target takes them.
    std::vector<WrittenRecords> writeBuildingBatches(const ParcelRect& rect, int64_t budget);
    // Appends class k's unit of the city areas in the parcel, or empties its entry; true when it has any.
    bool appendCityAreasUnit(std::vector<uint8_t>& out, const ParcelRect& rect, size_t k);
    void warn(const std::string& line);
    std::string where() const;

    std::shared_ptr<ImportedOutlines> outlines_;
    RewriteSettings settings_;
    CopyParcelWriter copy_;
    ParcelPlace place_;
    LevelFacts facts_;
    bool haveBlock_ = false;
    bool blockSelected_ = false;
    bool busyWarned_ = false;
    bool widthWarned_ = false;
    int rebuilt_ = 0;
};

} // namespace rewrite
