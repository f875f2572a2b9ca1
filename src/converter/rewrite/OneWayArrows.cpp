// One-way arrow points.
#include "converter/rewrite/OneWayArrows.h"

#include <cmath>
#include <cstdlib>

#include "converter/levels/IntegrationChecker.h"
#include "converter/rewrite/BlockGeometry.h"
#include "converter/rewrite/ImportParcelWriter.h"
#include "converter/rewrite/OutlineWriters.h"
#include "converter/rewrite/ParcelFilters.h"
#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/frames/RoadFrame.h"
#include "kiwi/map/KiwiMap.h"
#include "platform/MulDiv.h"

namespace rewrite {

namespace {

constexpr int32_t kShortestSegment = 21;
constexpr int32_t kArrowSpacing = 240;

int32_t degrees(double radians) {
    return int32_t(std::trunc(radians * 180.0 / M_PI));
}

} // namespace

uint16_t ArrowPlacer::Bearing(Step a, Step b, bool reversed) {
    int32_t t = 0;
    if (b.x > a.x)
        t = degrees(std::atan(double(b.y - a.y) / double(b.x - a.x)));
    else if (b.x < a.x)
        t = -180 - degrees(std::atan(double(b.y - a.y) / double(a.x - b.x)));
    else
        t = b.y > a.y ? 90 : -90;
    int32_t bearing = t < 0 ? std::abs(t) + 90 : 90 - t;
    if (reversed) bearing = bearing < 180 ? bearing + 180 : bearing - 180;
    return uint16_t(bearing);
}

void ArrowPlacer::AddArrowPoint(Step a, Step b, bool reversed, const ParcelRect& rect) {
    if (std::abs(b.x - a.x) < kShortestSegment && std::abs(b.y - a.y) < kShortestSegment) return;
    const int32_t mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
    const int64_t x = MulDiv(mx, int32_t(rect.ExtentX()), 4096) + rect.x0;
    const int64_t y = MulDiv(my, int32_t(rect.ExtentY()), 4096) + rect.y0;
    const building_data::Point at{int32_t(x), int32_t(y)};
    if (haveLast_ && std::llabs(int64_t(at.x) - last_.x) <= kArrowSpacing &&
        std::llabs(int64_t(at.y) - last_.y) <= kArrowSpacing)
        return;
    outlines_.AddArrow(at, Bearing(a, b, reversed));
    last_ = at;
    haveLast_ = true;
}

void WalkOneWayRoads(const TLN_FrameSpan& roads, const ParcelRect& rect, ArrowPlacer& placer) {
    TLN_Road_Data_Frame frame;
    if (!roads.IsValid() || !ReadRoadDataFrame(roads, frame)) return;
    for (size_t k = 6; k < frame.Classes.size(); ++k) {
        const TLN_Road_Display_Class& roadClass = frame.Classes[k];
        if (!(roadClass.RoadType & 0x10) || roadClass.Position < 0) continue;
        for (int64_t position : MultiLinkPositions(roads, roadClass)) {
            TLN_MultiLink_Data_Record multiLink;
            if (!ReadMultiLink(roads, multiLink, position)) break;
            bool havePrevious = false;
            Step previous;
            for (const TLN_Link_Shape_Data& link : multiLink.Links) {
                const bool counted = link.OneWayValid && (link.OneWayCode == 1 || link.OneWayCode == 2);
                if (!counted) {
                    havePrevious = false;
                    continue;
                }
                const bool reversed = link.OneWayCode == 2;
                const Step start{link.RelativeX * 4096 + link.X, link.RelativeY * 4096 + link.Y};
                if (havePrevious) placer.AddArrowPoint(previous, start, reversed, rect);
                previous = start;
                for (uint16_t point : link.Points) {
                    const Step next{previous.x + int8_t(point >> 8), previous.y + int8_t(point & 0xFF)};
                    placer.AddArrowPoint(previous, next, reversed, rect);
                    previous = next;
                }
                havePrevious = true;
            }
        }
    }
}

namespace {

void collectFromParcel(TLN_KiwiMap& map, uint8_t level, const TLN_MM_Parcel_Managenent_Record& record,
                       const LevelFacts& facts, ImportedOutlines& outlines, ArrowPlacer& placer) {
    const auto frames = LoadParcelFrames(map, level, record);
    if (!frames || !frames->HasHeader || !frames->Road.IsValid()) return;
    FrameLayout frameInfo;
    const uint16_t flags = frames->Table.Flags;
    frameInfo.identifier = uint8_t(flags >> 14);
    frameInfo.divisionType = uint8_t((flags >> 8) & 3);
    frameInfo.y = uint8_t((flags >> 4) & 15), frameInfo.x = uint8_t(flags & 15);
    frameInfo.referenceY = frames->Header.ReferenceY, frameInfo.referenceX = frames->Header.ReferenceX;
    const auto rect = ParcelRectFor(frameInfo, facts);
    if (!rect || !CityAreaMeets(outlines, *rect)) return;
    WalkOneWayRoads(frames->Road, *rect, placer);
}

} // namespace

void CollectOneWayArrows(ConversionContext& c, ImportedOutlines& outlines) {
    TLN_KiwiMap& map = c.map;
    const uint8_t level = uint8_t(map.LevelCount() - 1);
    const TLN_Level_Management_Record& record = *map.Level(level);
    c.progress.AddLog("Level " + std::to_string(level) + " Calculating One-Way Arrows");
    const LevelFacts facts = FactsOf(map, level);
    if (facts.parcelWidth <= 0 || facts.parcelHeight <= 0) return;
    const LevelGeometry g = GeometryOf(map, record);
    ArrowPlacer placer(outlines);
    const size_t before = outlines.ArrowCount();
    // Only the block sets and blocks the tables hold: a damaged level may declare far more.
    for (uint32_t s = 0; s < record.AcceptedBlockSetCount; ++s) {
        TLN_BlockSet_Management_Record set;
        if (!map.ReadBlockSet(level, s, set)) continue;
        for (uint32_t b = 0; b < set.BlockCount; ++b) {
            c.checkStop();
            c.progress.SetProgressLabel("Calculating One-Way Arrows ...  Level " + std::to_string(level) +
                                        "   BlockSet " + std::to_string(s) + "   Block " + std::to_string(b));
            if (!BlockHoldsOutlines(g, s, b, outlines.Bounds())) continue;
            TLN_Block_Management_Record block;
            TLN_Parcel_Management_Info info;
            if (!map.ReadBlock(level, s, b, block) ||
                !map.ReadParcelManagement(block.Stream, level, info, block.Address))
                continue;
            outlines.CopyCityAreas();
            const building_data::Box blockRect = ToImported(BlockRectangle(g, s, b));
            if (!outlines.SelectCityAreasForBlock(blockRect)) continue;
            TLN_IntegtationChecker seen(int32_t(info.StoredRecordCount));
            for (uint32_t i = 0; i < info.StoredRecordCount; ++i) {
                c.checkStop();
                TLN_MM_Parcel_Managenent_Record parcel;
                if (!map.ReadParcel(block.Stream, level, i, parcel, false, block.Address)) continue;
                // A parcel the transfer drops gives no arrows (its sub-parcels go with it).
                if (c.filters &&
                    !c.filters->ParcelKept(level, s, b, i, parcel.Stream, parcel.Address, parcel.Size))
                    continue;
                if (parcel.Size != 0) {
                    int64_t value = 0;
                    uint32_t size = 0;
                    if (seen.Find(parcel.Address, value, size)) continue;
                    seen.Add(parcel.Address, 0, 0);
                    collectFromParcel(map, level, parcel, facts, outlines, placer);
                    continue;
                }
                // A sub-list several divided records name (a damaged block) is walked once.
                int64_t value = 0;
                uint32_t size = 0;
                if (seen.Find(parcel.Address, value, size)) continue;
                seen.Add(parcel.Address, 0, 0);
                TLN_Parcel_Management_Info sub;
                if (!map.ReadParcelManagement(parcel.Stream, level, sub, parcel.Address)) continue;
                for (uint32_t k = 0; k < sub.StoredRecordCount; ++k) {
                    TLN_MM_Parcel_Managenent_Record subParcel;
                    if (map.ReadParcel(parcel.Stream, level, k, subParcel, false, parcel.Address) &&
                        subParcel.Size != 0)
                        collectFromParcel(map, level, subParcel, facts, outlines, placer);
                }
            }
        }
    }
    c.progress.AddLog("Level " + std::to_string(level) +
                      " One-Way Arrows found: " + std::to_string(outlines.ArrowCount() - before));
}

} // namespace rewrite
