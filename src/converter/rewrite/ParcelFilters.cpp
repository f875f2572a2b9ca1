// Block and parcel filters.
#include "converter/rewrite/ParcelFilters.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/map/KiwiMap.h"

namespace rewrite {

namespace {

constexpr int kBorders = 2;
constexpr int kEdges = 1;

uint16_t readWord(TLN_Stream& s, int64_t at) {
    uint8_t b[2] = {0, 0};
    if (s.ReadAt(at, b, 2) != 2) return 0;
    return uint16_t((b[0] << 8) | b[1]);
}

uint32_t readLong(TLN_Stream& s, int64_t at) {
    uint8_t b[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    if (s.ReadAt(at, b, 4) != 4) return 0xFFFFFFFFu;
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

} // namespace

ParcelFilters::ParcelFilters(TLN_KiwiMap& map, const ConversionOptions& options,
                             const building_data::Box& importBox)
    : map_(map), options_(options) {
    if (options.trimMode == kEdges)
        edges_ = {options.trimWest, options.trimNorth, options.trimEast, options.trimSouth};
    else if (!importBox.IsEmpty())
        edges_ = {importBox.west / 16, importBox.north / 16, importBox.east / 16, importBox.south / 16};
    else
        edges_ = {0, -1, 0, 0}; // no imported data: a south edge north of the north edge covers nothing
    trim_ = TrimAreaOf(edges_);
}

std::string ParcelFilters::TrimRefusal(bool extraLevel) const {
    const int levels = int(map_.LevelCount()) + (extraLevel ? 1 : 0);
    if (levels == 0 || !trimsByRectangle(uint8_t(levels - 1))) return {};
    const TLN_Rect& c = map_.Coverage();
    if (MeetsTrim({c.Left, c.Top, c.Right, c.Bottom}, trim_)) return {};
    auto edges = [](int32_t west, int32_t north, int32_t east, int32_t south) {
        return "west " + std::to_string(west) + ", north " + std::to_string(north) + ", east " +
               std::to_string(east) + ", south " + std::to_string(south);
    };
    return "the trim rectangle (" + edges(edges_.west, edges_.north, edges_.east, edges_.south) +
           ") covers nothing of the map (" + edges(c.Left, c.Top, c.Right, c.Bottom) + ")";
}

LevelGeometry ParcelFilters::geometry(uint8_t level) const {
    return GeometryOf(map_, *map_.Level(level));
}

bool ParcelFilters::trimsByRectangle(uint8_t level) const {
    return options_.trim && options_.trimMode != kBorders && level > options_.trimLevel;
}

bool ParcelFilters::BlockInTrimArea(uint8_t level, uint32_t set, uint32_t block) const {
    return !trimsByRectangle(level) || BlockInTrimArea(level, geometry(level), set, block);
}

bool ParcelFilters::ParcelInTrimArea(uint8_t level, uint32_t set, uint32_t block, uint32_t parcel) const {
    return !trimsByRectangle(level) || ParcelInTrimArea(level, geometry(level), set, block, parcel);
}

bool ParcelFilters::BlockInTrimArea(uint8_t level, const LevelGeometry& g, uint32_t set,
                                    uint32_t block) const {
    return !trimsByRectangle(level) || MeetsTrim(BlockRectangle(g, set, block), trim_);
}

bool ParcelFilters::ParcelInTrimArea(uint8_t level, const LevelGeometry& g, uint32_t set, uint32_t block,
                                     uint32_t parcel) const {
    return !trimsByRectangle(level) || MeetsTrim(ParcelRectangle(g, set, block, parcel), trim_);
}

bool ParcelFilters::ParcelPassesDensoWestFix(uint8_t level, uint32_t set, uint32_t block,
                                             uint32_t parcel) const {
    if (!options_.densoWestFix || level < 1) return true;
    return ParcelRectangle(geometry(level), set, block, parcel).west >= 0;
}

bool ParcelFilters::areaPasses(const std::shared_ptr<TLN_Stream>& stream, int64_t frame) const {
    uint8_t code = 0;
    if (!stream || frame < 0 || stream->ReadAt(frame + 14, &code, 1) != 1) return false;
    if (code == 0 && options_.addSeaParcels) return true;
    return std::find(options_.selectedAreas.begin(), options_.selectedAreas.end(), code) !=
           options_.selectedAreas.end();
}

bool ParcelFilters::framePasses(uint8_t level, const std::shared_ptr<TLN_Stream>& stream, int64_t frame,
                                uint32_t size) const {
    if (areaPasses(stream, frame)) return true;
    if (!options_.addAdjacentParcels || !stream || !(readWord(*stream, frame + 12) & 0x2000)) return false;
    const TLN_Level_Management_Record& record = *map_.Level(level);
    const int64_t entries = 36 + 4 * int64_t(readWord(*stream, frame + 34)) +
                            6 * int64_t(record.MainMapBasicCount + record.MainMapExtendedCount);
    auto neighbourPasses = [&](int64_t at) {
        const uint32_t address = readLong(*stream, at);
        return address != 0xFFFFFFFFu && areaPasses(stream, KiwiAddressToOffset(address));
    };
    for (int64_t d = 0; d < 8 && entries + 6 * d + 6 <= int64_t(size); ++d) {
        const int64_t at = frame + entries + 6 * d;
        const uint32_t address = readLong(*stream, at);
        if (address == 0xFFFFFFFFu) continue;
        if (readWord(*stream, at + 4) != 0) {
            if (neighbourPasses(at)) return true;
            continue;
        }
        // A divided neighbour: its sub-parcels' entries lie in this frame.
        const int64_t list = 2 * int64_t(address >> 16), count = int64_t(address & 0xFF) + 1;
        for (int64_t k = 0; k < count && list + 6 * k + 6 <= int64_t(size); ++k)
            if (neighbourPasses(frame + list + 6 * k)) return true;
    }
    return false;
}

bool ParcelFilters::SelectsAreas(uint8_t level) const {
    return options_.trim && options_.trimMode == kBorders && level > options_.trimLevel;
}

bool ParcelFilters::ParcelInSelectedAreas(uint8_t level,
                                          const TLN_MM_Parcel_Managenent_Record& record) const {
    return selectedAreas(level, record.Stream, record.Address, record.Size);
}

bool ParcelFilters::selectedAreas(uint8_t level, const std::shared_ptr<TLN_Stream>& stream, int64_t address,
                                  uint32_t size) const {
    if (!SelectsAreas(level)) return true;
    if (size != 0) return framePasses(level, stream, address, size);
    // A divided parcel passes when any of its sub-parcels does.
    TLN_Parcel_Management_Info sub;
    if (!map_.ReadParcelManagement(stream, level, sub, address)) return false;
    for (uint32_t k = 0; k < sub.StoredRecordCount; ++k) {
        TLN_MM_Parcel_Managenent_Record part;
        if (map_.ReadParcel(stream, level, k, part, false, address) && part.Size != 0 &&
            framePasses(level, part.Stream, part.Address, part.Size))
            return true;
    }
    return false;
}

bool ParcelFilters::ParcelKept(uint8_t level, uint32_t set, uint32_t block, uint32_t parcel,
                               const std::shared_ptr<TLN_Stream>& stream, int64_t address,
                               uint32_t size) const {
    return ParcelInTrimArea(level, set, block, parcel) && selectedAreas(level, stream, address, size);
}

} // namespace rewrite
