// Rebuilding a parcel's main map data frame with imported records.
#include "converter/rewrite/ImportParcelWriter.h"

#include <algorithm>

#include "converter/job/ConversionProgress.h"
#include "converter/levels/FrameBytes.h"
#include "converter/output/OutputEncoding.h"
#include "converter/rewrite/BlockGeometry.h"
#include "converter/rewrite/OutlineWriters.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/map/KiwiMap.h"

namespace rewrite {

namespace {

constexpr size_t kMaxFrameBytes = 131070; // a u16 word size
constexpr size_t kEmptyNamesSize = 66;
constexpr uint16_t kNone = 0xFFFF;

int32_t coordinateAt(const std::vector<uint8_t>& b, size_t at) {
    return SignMag24ToInt(GetLong(b, at) >> 8);
}

// The management record of frame i: word offset from the parcel start and word size.
void putManagement(std::vector<uint8_t>& frame, size_t at, size_t start, size_t size) {
    const uint32_t words = uint32_t(start / 2);
    frame[at] = uint8_t(words >> 24);
    frame[at + 1] = uint8_t(words >> 16);
    frame[at + 2] = uint8_t(words >> 8);
    frame[at + 3] = uint8_t(words);
    PutWord(frame, at + 4, uint16_t(size / 2));
}

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& from, size_t start, size_t end) {
    to.insert(to.end(), from.begin() + ptrdiff_t(start), from.begin() + ptrdiff_t(end));
}

struct Unit {
    size_t start = 0; // from the background frame start
    size_t size = 0;
    bool present = false;
};

// Reads the class units of a background frame whose element entries end at headerEnd; false when they do
// not lie in class order inside the frame.
bool readClassUnits(const std::vector<uint8_t>& src, size_t headerEnd, std::vector<Unit>& units) {
    size_t previousEnd = headerEnd;
    for (size_t k = 0; k < units.size(); ++k) {
        const uint16_t words = GetWord(src, 2 + 4 * k);
        const size_t size = 2 * size_t(GetWord(src, 4 + 4 * k));
        if (words == kNone || size == 0) continue;
        const size_t start = 2 * size_t(words);
        // Units are copied in class order: a frame whose units lie otherwise is copied as it is.
        if (start < previousEnd || start + size > src.size()) return false;
        units[k] = {start, size, true};
        previousEnd = start + size;
    }
    return true;
}

// Where the buildings class's unit goes: after the last unit of an earlier class.
size_t buildingsInsertion(const std::vector<Unit>& units, size_t c, size_t headerEnd) {
    for (size_t k = c; k-- > 0;)
        if (units[k].present) return units[k].start + units[k].size;
    return headerEnd;
}

// Appends the buildings class c's unit: the old unit's type entries and records (when kept) with the new
// batches after them, and points the class's element entry at it.
void appendBuildingsUnit(std::vector<uint8_t>& out, const std::vector<uint8_t>& src, const Unit* old,
                         const std::vector<WrittenRecords>& batches, size_t c) {
    std::vector<std::pair<uint16_t, uint16_t>> entries;
    std::vector<uint8_t> oldRecords;
    if (old) {
        const size_t u = old->start, size = old->size;
        const size_t stored = GetWord(src, u);
        const size_t t = std::min(stored, (size - 2) / 4);
        for (size_t e = 0; e < t; ++e)
            entries.push_back({GetWord(src, u + 2 + 4 * e), GetWord(src, u + 4 + 4 * e)});
        append(oldRecords, src, u + 2 + 4 * t, u + size);
        for (auto& entry : entries)
            entry.first = uint16_t(entry.first + 2 * batches.size());
    }
    const size_t header = 2 + 4 * (entries.size() + batches.size());
    size_t at = header + oldRecords.size();
    for (const WrittenRecords& batch : batches) {
        entries.push_back({uint16_t(at / 2), uint16_t(batch.count | 0x8000)});
        at += batch.bytes.size();
    }
    const size_t unitStart = out.size();
    AppendWord(out, uint16_t(entries.size()));
    for (const auto& [offset, count] : entries) {
        AppendWord(out, offset);
        AppendWord(out, count);
    }
    out.insert(out.end(), oldRecords.begin(), oldRecords.end());
    for (const WrittenRecords& batch : batches)
        out.insert(out.end(), batch.bytes.begin(), batch.bytes.end());
    PutWord(out, 2 + 4 * c, uint16_t(unitStart / 2));
    PutWord(out, 4 + 4 * c, uint16_t((out.size() - unitStart) / 2));
}

} // namespace

RewriteSettings RewriteSettingsFrom(const ConversionOptions& o) {
    RewriteSettings s;
    s.buildings = o.buildings;
    s.houseNumbers = o.address;
    s.replaceOldData = o.replaceOldData;
    s.strictRules = o.strictRules;
    s.aisinBatches = o.target == ConversionTarget::AisinAw;
    s.extraLevel = o.addExtraLevel;
    s.lettersAllowed = o.includeLetters;
    s.buildingsClass = o.buildingsClass;
    s.buildingsTypeCode = o.buildingsTypeCode;
    s.numberingClass = o.numberingClass;
    s.numberingTypeCode = o.numberingTypeCode;
    s.cityAreaClass = o.cityAreaClass;
    s.codePage = o.codePage;
    s.filters = {o.buildingFilterSmallest, o.buildingFilterDetailed};
    return s;
}

std::optional<FrameLayout> ReadFrameLayout(const std::vector<uint8_t>& b, int extendedCount) {
    if (b.size() < 36) return std::nullopt;
    FrameLayout layout;
    const uint16_t flags = GetWord(b, 12);
    layout.identifier = uint8_t(flags >> 14);
    layout.divisionType = uint8_t((flags >> 8) & 3);
    layout.y = uint8_t((flags >> 4) & 15);
    layout.x = uint8_t(flags & 15);
    layout.referenceY = coordinateAt(b, 2);
    layout.referenceX = coordinateAt(b, 6);
    layout.managementStart = 36 + 4 * size_t(GetWord(b, 34));
    const size_t count = 3 + size_t(std::clamp(extendedCount, 0, 16));
    if (layout.managementStart + 6 * count > b.size()) return std::nullopt;
    size_t previousEnd = layout.managementStart + 6 * count;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = layout.managementStart + 6 * i;
        const uint32_t words = GetLong(b, at);
        const size_t size = 2 * size_t(GetWord(b, at + 4));
        FrameLayout::Frame frame;
        if (words != 0xFFFFFFFFu && words != 0 && size > 0) {
            frame = {2 * size_t(words), size, true};
            // The rebuild copies frames in table order: any other order is left as it is.
            if (frame.start < previousEnd || frame.End() > b.size()) return std::nullopt;
            previousEnd = frame.End();
        }
        layout.frames.push_back(frame);
    }
    return layout;
}

ImportParcelWriter::ImportParcelWriter(std::shared_ptr<ImportedOutlines> outlines, RewriteSettings settings)
    : outlines_(std::move(outlines)), settings_(settings) {}

std::string ImportParcelWriter::where() const {
    return place_.Path();
}

void ImportParcelWriter::warn(const std::string& line) {
    if (place_.progress) place_.progress->AddLog("WARNING: " + line);
}

void ImportParcelWriter::EnterParcel(const ParcelPlace& place) {
    const bool sameBlock = haveBlock_ && place.map == place_.map && place.level == place_.level &&
                           place.blockSet == place_.blockSet && place.block == place_.block;
    place_ = place;
    if (sameBlock) return;
    haveBlock_ = true;
    blockSelected_ = false;
    if (!place.map || !outlines_ || (!settings_.buildings && !settings_.houseNumbers)) return;
    const TLN_Level_Management_Record* level = place.map->Level(place.level);
    if (!level || level->LevelCode != 0) return;
    if (level->ParcelWidth <= 0 || level->ParcelHeight <= 0) {
        if (!widthWarned_)
            warn("Level " + std::to_string(place.level) + " has no parcel size: nothing imported");
        widthWarned_ = true;
        return;
    }
    const LevelFacts facts = FactsOf(*place.map, place.level);
    const LevelGeometry g = GeometryOf(*place.map, *level);
    SelectBlock(facts, ToImported(BlockRectangle(g, place.blockSet, place.block)));
}

void ImportParcelWriter::SelectBlock(const LevelFacts& facts, const building_data::Box& block) {
    facts_ = facts;
    haveBlock_ = true;
    outlines_->SelectCityAreasForBlock(block);
    blockSelected_ = outlines_->SelectRecordsForBlock(block, settings_.houseNumbers, settings_.filters);
}

LevelFacts FactsOf(const TLN_KiwiMap& map, uint8_t levelIndex) {
    LevelFacts facts;
    const TLN_Level_Management_Record* level = map.Level(levelIndex);
    if (!level) return facts;
    facts.levelCode = level->LevelCode;
    facts.basicCount = level->MainMapBasicCount;
    facts.extendedCount = level->MainMapExtendedCount;
    facts.backgroundClasses = level->BackgroundClassCount;
    facts.parcelWidth = int64_t(level->ParcelWidth) * 16;
    facts.parcelHeight = int64_t(level->ParcelHeight) * 16;
    for (size_t t = 0; t < 4; ++t)
        facts.divisions[t] = {level->Divisions[t].X, level->Divisions[t].Y};
    facts.systemNumber = map.SystemNumber();
    facts.coverage = map.Coverage();
    return facts;
}

std::optional<ParcelRect> ParcelRectFor(const FrameLayout& layout, const LevelFacts& facts) {
    const int64_t w = facts.parcelWidth, h = facts.parcelHeight;
    ParcelRect r;
    r.x0 = LongitudeInCoverage(facts.coverage, layout.referenceX) * 16;
    r.y0 = int64_t(layout.referenceY) * 16;
    switch (layout.identifier) {
    case 0: // regular, as the distribution header defines it; discs store their plain parcels so
    case 3: // regular, as the parcels of a rebuilt map are marked
        r.x1 = r.x0 + w, r.y1 = r.y0 + h;
        break;
    case 2:
        r.x1 = r.x0 + w * (layout.x + 1), r.y1 = r.y0 + h * (layout.y + 1);
        r.extentX = w, r.extentY = h;
        break;
    case 1: {
        const auto [dx, dy] = facts.divisions[layout.divisionType];
        const int64_t dw = w / std::max<int64_t>(1, dx), dh = h / std::max<int64_t>(1, dy);
        r.x0 += layout.x * dw, r.y0 += layout.y * dh;
        r.x1 = r.x0 + dw, r.y1 = r.y0 + dh;
        break;
    }
    default:
        return std::nullopt;
    }
    if (r.Width() <= 0 || r.Height() <= 0) return std::nullopt;
    return r;
}

bool ImportParcelWriter::rebuildBackground(const std::vector<uint8_t>& frame, const FrameLayout::Frame& bg,
                                           const ParcelRect& rect, uint32_t storedSize,
                                           std::vector<uint8_t>& out, bool& cityAreas, bool& buildings) {
    const std::vector<uint8_t> src(frame.begin() + ptrdiff_t(bg.start), frame.begin() + ptrdiff_t(bg.End()));
    const size_t headerEnd = 2 * size_t(GetWord(src, 0));
    if (headerEnd < 2 || headerEnd > src.size()) return false;
    const size_t classes =
        std::min<size_t>({size_t(std::max(0, facts_.backgroundClasses)), 32, (headerEnd - 2) / 4});
    const size_t c = settings_.buildingsClass;
    if (c >= classes) return false;
    std::vector<Unit> units(classes);
    if (!readClassUnits(src, headerEnd, units)) return false;
    out.assign(src.begin(), src.begin() + ptrdiff_t(buildingsInsertion(units, c, headerEnd)));

    int64_t budget = settings_.strictRules ? int64_t(storedSize) : int64_t(src.size());
    const bool keepOld = units[c].present && !settings_.replaceOldData;
    if (units[c].present && settings_.replaceOldData) budget -= int64_t(units[c].size);
    const std::vector<WrittenRecords> batches = writeBuildingBatches(rect, budget);

    size_t next = c;
    if (!batches.empty()) {
        appendBuildingsUnit(out, src, keepOld ? &units[c] : nullptr, batches, c);
        next = c + 1;
        buildings = true;
    }
    for (size_t k = next; k < classes; ++k) {
        if (settings_.extraLevel && k == settings_.cityAreaClass) {
            if (appendCityAreasUnit(out, rect, k)) cityAreas = true;
            continue;
        }
        if (!units[k].present) {
            if (GetWord(out, 2 + 4 * k) != kNone) {
                PutWord(out, 2 + 4 * k, kNone);
                PutWord(out, 4 + 4 * k, 0);
            }
            continue;
        }
        const size_t unitStart = out.size();
        append(out, src, units[k].start, units[k].start + units[k].size);
        PutWord(out, 2 + 4 * k, uint16_t(unitStart / 2));
    }
    return out.size() <= kMaxFrameBytes;
}

std::vector<WrittenRecords> ImportParcelWriter::writeBuildingBatches(const ParcelRect& rect, int64_t budget) {
    std::vector<WrittenRecords> batches;
    size_t index = 0, added = 0;
    const BuildingSettings building{settings_.buildingsTypeCode, settings_.extraLevel, settings_.filters};
    bool tooMany = false, holes = false;
    for (;;) {
        WrittenRecords batch = WriteBuildings(*outlines_, index, rect, budget + int64_t(added), building);
        tooMany = tooMany || batch.tooMany;
        holes = holes || batch.holesLeftOut;
        if (batch.count == 0) break;
        added += batch.bytes.size();
        const bool full = batch.count == kBatchRecords;
        batches.push_back(std::move(batch));
        if (!full || !settings_.aisinBatches) break;
    }
    if (tooMany) warn("Parcel " + where() + " too many buildings!");
    if (holes) warn("Parcel " + where() + " holes of clipped buildings left out");
    return batches;
}

bool ImportParcelWriter::appendCityAreasUnit(std::vector<uint8_t>& out, const ParcelRect& rect, size_t k) {
    const WrittenRecords areas = WriteCityAreas(*outlines_, rect, int64_t(out.size()));
    if (areas.tooMany) warn("Parcel " + where() + " too many City Areas!");
    if (areas.count == 0) {
        PutWord(out, 2 + 4 * k, kNone);
        PutWord(out, 4 + 4 * k, 0);
        return false;
    }
    const size_t unitStart = out.size();
    AppendWord(out, 1);
    AppendWord(out, 3);
    AppendWord(out, uint16_t(areas.count | 0x8000));
    out.insert(out.end(), areas.bytes.begin(), areas.bytes.end());
    PutWord(out, 2 + 4 * k, uint16_t(unitStart / 2));
    PutWord(out, 4 + 4 * k, uint16_t((out.size() - unitStart) / 2));
    return true;
}

std::vector<uint8_t> ImportParcelWriter::Rebuild(const std::vector<uint8_t>& frame) {
    if (!blockSelected_ || facts_.levelCode != 0 || facts_.basicCount != 3) return {};
    const auto layout = ReadFrameLayout(frame, facts_.extendedCount);
    if (!layout) return {};
    const auto rect = ParcelRectFor(*layout, facts_);
    if (!rect) return {};
    const FrameLayout::Frame& roads = layout->frames[0];
    const FrameLayout::Frame& bg = layout->frames[1];
    const FrameLayout::Frame& names = layout->frames[2];
    if (!roads.present && !bg.present && !names.present) {
        warn("Parcel " + where() + " has no roads, background or names: copied");
        return {};
    }
    // Wide element entries (system 8 on) are not rebuilt.
    if (facts_.systemNumber >= 8) return {};
    const size_t h = layout->managementStart;
    std::vector<uint8_t> out;
    bool cityAreas = false, buildings = false;
    size_t growth = 0;
    std::vector<uint8_t> background;
    if (settings_.buildings && bg.present &&
        rebuildBackground(frame, bg, *rect, uint32_t(frame.size()), background, cityAreas, buildings)) {
        append(out, frame, 0, bg.start);
        out.insert(out.end(), background.begin(), background.end());
        putManagement(out, h + 6, bg.start, background.size());
        growth = background.size() > bg.size ? background.size() - bg.size : 0;
    } else {
        cityAreas = false;
        const size_t end = names.present ? names.start : bg.present ? bg.End() : roads.End();
        append(out, frame, 0, end);
    }
    if (cityAreas && roads.present) {
        const size_t r = roads.start;
        const size_t classCount = roads.size > 4 ? out[r + 4] : 0;
        for (size_t k = 4; k < classCount && r + 8 + 4 * k + 2 <= roads.End(); ++k) {
            const size_t record = r + 2 * size_t(GetWord(out, r + 8 + 4 * k));
            if (record + 2 > roads.End()) continue;
            const uint16_t word = GetWord(out, record);
            if (word & 0x8000) PutWord(out, record, uint16_t(word | 0x1000));
        }
    }
    auto copyFrame = [&](size_t index) {
        const FrameLayout::Frame& f = layout->frames[index];
        if (!f.present) return;
        const size_t start = out.size();
        append(out, frame, f.start, f.End());
        putManagement(out, h + 6 * index, start, f.size);
    };
    const size_t k = settings_.numberingClass;
    bool busy = false;
    if (names.present && k < 16 && names.start + 2 + 4 * k + 4 <= names.End()) {
        const uint16_t offset = GetWord(frame, names.start + 2 + 4 * k);
        busy = offset != kNone && GetWord(frame, names.start + 4 + 4 * k) != 0;
    }
    if (busy && settings_.houseNumbers && !busyWarned_) {
        busyWarned_ = true;
        if (place_.progress)
            place_.progress->AddLog("WARNING: Numbering Display Class " + std::to_string(k) +
                                    " is already BUSY in Parcel " + where());
    }
    WrittenRecords numbers;
    if (settings_.houseNumbers && !busy && k < 16) {
        const int64_t budget = settings_.strictRules ? int64_t(frame.size() + growth) : int64_t(names.size);
        numbers =
            WriteHouseNumbers(*outlines_, *rect, budget, true,
                              {settings_.numberingTypeCode, settings_.lettersAllowed, settings_.codePage});
        if (numbers.tooMany) warn("Parcel " + where() + " too many names!");
    }
    if (numbers.count > 0) {
        const size_t start = out.size();
        if (names.present) {
            append(out, frame, names.start, names.End());
            PutWord(out, start + 2 + 4 * k, uint16_t(names.size / 2));
        } else {
            AppendWord(out, 0x21);
            for (int e = 0; e < 16; ++e) {
                AppendWord(out, kNone);
                AppendWord(out, 0);
            }
            PutWord(out, start + 2 + 4 * k, uint16_t(kEmptyNamesSize / 2));
        }
        PutWord(out, start + 4 + 4 * k, uint16_t(numbers.count));
        out.insert(out.end(), numbers.bytes.begin(), numbers.bytes.end());
        putManagement(out, h + 12, start, out.size() - start);
    } else {
        // Nothing added anywhere: the parcel keeps its bytes.
        if (!buildings && !cityAreas) return {};
        copyFrame(2);
    }
    for (size_t i = 3; i < layout->frames.size(); ++i)
        copyFrame(i);
    out.resize(size_t(AlignUp32(uint32_t(out.size()))), 0);
    ++rebuilt_;
    return out;
}

uint32_t ImportParcelWriter::WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    if (!blockSelected_) return copy_.WriteMainFrame(frame, out, at);
    const std::vector<uint8_t> bytes = ReadSourceFrame(frame);
    if (bytes.empty()) return 0;
    std::vector<uint8_t> rebuilt = Rebuild(bytes);
    if (rebuilt.empty()) return copy_.WriteMainFrame(frame, out, at);
    ClearGuidanceReference(rebuilt);
    out.WriteAt(at, rebuilt.data(), int64_t(rebuilt.size()));
    return uint32_t(rebuilt.size());
}

uint32_t ImportParcelWriter::WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) {
    return copy_.WriteGuidanceFrame(frame, out, at);
}

} // namespace rewrite
