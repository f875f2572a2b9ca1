// A parcel's main map data frame rebuilt with new name texts and its name references moved with them.
#include "converter/names/NameParcelRebuild.h"

#include <algorithm>

#include "converter/levels/FrameBytes.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/RoadFrame.h"
#include "platform/CodePage.h"

namespace {

constexpr int kRoads = 0;
constexpr int kBackground = 1;
constexpr int kNames = 2;

// A frame inside the parcel: byte offset from the parcel start (-1 = none) and size.
struct FrameRef {
    int64_t offset = -1;
    int64_t size = 0;
    int64_t end() const { return offset + size; }
};

// The parcel's frame references; nothing when one of them lies outside the parcel.
std::optional<std::vector<FrameRef>> frameRefs(const std::vector<uint8_t>& parcel, int64_t table, int count) {
    std::vector<FrameRef> refs;
    for (int k = 0; k < count; ++k) {
        const int64_t at = table + 6 * int64_t(k);
        const uint32_t word = GetLong(parcel, at);
        FrameRef ref;
        if (word != 0xFFFFFFFFu) {
            ref.offset = 2 * int64_t(word);
            ref.size = 2 * int64_t(GetWord(parcel, at + 4));
            if (ref.end() > int64_t(parcel.size())) return std::nullopt;
        }
        refs.push_back(ref);
    }
    return refs;
}

// The end of the adjacent parcel information's divided-neighbour lists (0 when there are none).
int64_t adjacentListsEnd(const std::vector<uint8_t>& parcel, int64_t entries) {
    if (!(GetWord(parcel, 12) & 0x2000)) return 0;
    int64_t end = entries + 48;
    for (int d = 0; d < 8; ++d) {
        const int64_t at = entries + 6 * d;
        if (at + 6 > int64_t(parcel.size())) return int64_t(parcel.size()) + 1;
        const uint32_t address = GetLong(parcel, at);
        if (address == 0xFFFFFFFFu || GetWord(parcel, at + 4) != 0) continue;
        end = std::max(end, 2 * int64_t(address >> 16) + 6 * (int64_t(address & 0xFF) + 1));
    }
    return end;
}

// A name record's string is rewritten only in its one-string form (a language table stays as it is).
bool singleString(const TLN_FrameSpan& names, const TLN_Name_Data_Record& record) {
    return SelectedStringPosition(names, 0, record.StringPosition) == record.StringPosition;
}

class Rebuild {
public:
    Rebuild(const std::vector<uint8_t>& parcel, int64_t position, const TLN_Level_Management_Record& level,
            NameTextPolicy& policy)
        : parcel_(parcel), position_(position), level_(level), policy_(policy),
          whole_(TLN_FrameSpan::FromBytes(parcel, position)) {}

    NameRebuildResult run();

private:
    // Appends the class lists of the names frame to names_; false when the frame must stay as it is.
    bool rebuildNames(const TLN_FrameSpan& names);
    // Appends one record, rewritten when its text changes.
    void appendRecord(const TLN_FrameSpan& names, int64_t recordPosition, int64_t size);
    int64_t newPlace(int64_t oldOffset) const {
        return oldOffset < namesStart_ ? oldOffset : oldOffset + delta_;
    }
    // Points the name reference word at old parcel offset `at` at its record's new place.
    void patchReference(int64_t at);
    void patchStreetAddresses(const FrameRef& roads);
    void patchBackgroundNames(const FrameRef& background);

    const std::vector<uint8_t>& parcel_;
    int64_t position_;
    const TLN_Level_Management_Record& level_;
    NameTextPolicy& policy_;
    TLN_FrameSpan whole_;
    uint8_t areaCode_ = 0;
    int64_t namesStart_ = 0;
    int64_t namesEnd_ = 0;
    int64_t delta_ = 0;
    std::vector<uint8_t> names_;
    std::vector<uint8_t> out_;
    // Old record offset in the names frame → new offset, sorted by old offset before the references are
    // patched; the first place of a record listed twice wins. Flat, as a parcel holds few names.
    std::vector<std::pair<int64_t, int64_t>> moved_;
    // Name reference words already patched, by their parcel offset.
    std::vector<bool> patched_;
    int rewritten_ = 0;
    std::string warning_;
};

NameRebuildResult Rebuild::run() {
    NameRebuildResult result;
    const int64_t total = int64_t(parcel_.size());
    if (total < 36) return result;
    areaCode_ = parcel_[14];
    const int64_t table = 36 + 4 * int64_t(GetWord(parcel_, 34));
    const int count = level_.MainMapBasicCount + level_.MainMapExtendedCount;
    if (level_.MainMapBasicCount <= kNames || table + 6 * int64_t(count) > total) return result;
    const auto refs = frameRefs(parcel_, table, count);
    if (!refs) return result;
    const FrameRef names = (*refs)[kNames];
    if (names.offset < 0 || names.size < 2) return result;
    namesStart_ = names.offset;
    namesEnd_ = names.end();
    // The header, its tables and every other frame must lie wholly before or after the names frame,
    // since everything after it moves.
    if (table + 6 * int64_t(count) > namesStart_ ||
        adjacentListsEnd(parcel_, table + 6 * int64_t(count)) > namesStart_)
        return result;
    int64_t contentEnd = namesEnd_;
    for (int k = 0; k < count; ++k) {
        const FrameRef& ref = (*refs)[size_t(k)];
        if (k == kNames || ref.offset < 0 || ref.size == 0) continue;
        if (ref.offset < namesEnd_ && ref.end() > namesStart_) return result;
        contentEnd = std::max(contentEnd, ref.end());
    }
    const TLN_FrameSpan nameSpan = whole_.Sub(position_ + namesStart_, names.size);
    if (!rebuildNames(nameSpan) || rewritten_ == 0) {
        result.warning = warning_;
        return result;
    }
    delta_ = int64_t(names_.size()) - names.size;
    std::stable_sort(moved_.begin(), moved_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    patched_.assign(parcel_.size(), false);
    out_.reserve(size_t(total + delta_));
    out_.insert(out_.end(), parcel_.begin(), parcel_.begin() + namesStart_);
    out_.insert(out_.end(), names_.begin(), names_.end());
    out_.insert(out_.end(), parcel_.begin() + namesEnd_, parcel_.begin() + contentEnd);
    PutLong(out_, table + 6 * kNames, uint32_t(namesStart_ / 2));
    PutWord(out_, table + 6 * kNames + 4, uint16_t(names_.size() / 2));
    for (int k = 0; k < count; ++k) {
        const FrameRef& ref = (*refs)[size_t(k)];
        if (k != kNames && ref.offset >= namesEnd_)
            PutLong(out_, table + 6 * k, uint32_t((ref.offset + delta_) / 2));
    }
    if ((*refs)[kRoads].offset >= 0) patchStreetAddresses((*refs)[kRoads]);
    if ((*refs)[kBackground].offset >= 0) patchBackgroundNames((*refs)[kBackground]);
    result.bytes = std::move(out_);
    result.rewritten = rewritten_;
    return result;
}

bool Rebuild::rebuildNames(const TLN_FrameSpan& names) {
    TLN_Name_Data_Frame frame;
    // Wide entries (system number 8 and above) never reach here: the writer copies such maps.
    if (!ReadNameDataFrame(names, level_, frame, 0) || int(frame.Classes.size()) != frame.ClassCount)
        return false;
    const int64_t header = frame.HeaderSize;
    if (header < 2 + 4 * int64_t(frame.Classes.size()) || header > names.Size()) return false;
    // Room for the frame as it is and some growth, so that appending records seldom reallocates.
    names_.reserve(size_t(names.Size()) * 2);
    names_.assign(parcel_.begin() + namesStart_, parcel_.begin() + namesStart_ + header);
    for (size_t c = 0; c < frame.Classes.size(); ++c) {
        const TLN_Name_Management_Information& entry = frame.Classes[c];
        if (entry.ListPosition < 0) {
            if (entry.Offset != 0xFFFF) return false;
            continue;
        }
        const std::vector<int64_t> records = NameRecordPositions(names, entry);
        if (records.size() != entry.StoredRecordCount) return false;
        const int64_t entryAt = 2 + 4 * int64_t(c);
        PutWord(names_, entryAt, uint16_t(names_.size() / 2));
        for (const int64_t record : records) {
            appendRecord(names, record, 2 * int64_t(names.At(record).u16(0) & 0xFFF));
            if (int64_t(names_.size()) > kMaxNameFrameBytes) {
                warning_ = "too many names!";
                return false;
            }
        }
    }
    return true;
}

void Rebuild::appendRecord(const TLN_FrameSpan& names, int64_t recordPosition, int64_t size) {
    const int64_t oldOffset = recordPosition - names.Position();
    moved_.emplace_back(oldOffset, int64_t(names_.size()));
    const auto copyRecord = [&] {
        const int64_t from = recordPosition - position_;
        names_.insert(names_.end(), parcel_.begin() + from, parcel_.begin() + from + size);
    };
    TLN_Name_Data_Record record;
    // The text is only encoded to code page 1251 afterwards, which gives the same bytes as the reader's
    // own round trip through that page: decoding once is enough.
    const TLN_TextPages pages{policy_.Options().textCodePage, CodePageSystemAnsi};
    if (!ReadNameRecord(names, kShowAllScales, true, record, recordPosition, 0, pages) || !record.Readable ||
        record.StringSize < 2 || record.StringPosition < 0 || !singleString(names, record)) {
        copyRecord();
        return;
    }
    const int64_t fixed = record.StringPosition - 2 - recordPosition;
    const int64_t stringEnd = record.StringPosition + int64_t(record.StringSize);
    const int64_t tail = recordPosition + size - stringEnd;
    const std::optional<QByteArray> text = policy_.NameRecordText(record.String, record.TypeCode, areaCode_);
    if (!text || tail < 0) {
        copyRecord();
        return;
    }
    // The text made even as MakeEvenLength does, without a copy: an odd text ending in 00 loses it,
    // any other odd text gets one.
    const QByteArrayView whole(*text);
    const bool dropZero = whole.size() >= 3 && whole.size() % 2 == 1 && whole.back() == '\0';
    const QByteArrayView bytes = dropZero ? whole.first(whole.size() - 1) : whole;
    const size_t padding = size_t(bytes.size() % 2);
    const size_t stored = size_t(bytes.size()) + padding;
    // A first text word of 3 to 15 would read as a language table.
    const uint16_t firstWord =
        stored >= 2 ? uint16_t(uint8_t(bytes[0]) << 8 | (bytes.size() > 1 ? uint8_t(bytes[1]) : 0)) : 0;
    const int64_t newSize = fixed + 4 + int64_t(stored) + tail;
    if ((firstWord >= 3 && firstWord <= 15) || newSize > kMaxNameRecordBytes) {
        copyRecord();
        return;
    }
    const size_t start = names_.size();
    const int64_t from = recordPosition - position_;
    names_.insert(names_.end(), parcel_.begin() + from, parcel_.begin() + from + fixed);
    names_.resize(names_.size() + 4);
    PutWord(names_, start, uint16_t((GetWord(parcel_, from) & 0xF000) | (newSize / 2)));
    PutWord(names_, start + fixed, uint16_t((stored + 2) / 2));
    PutWord(names_, start + fixed + 2, uint16_t(stored / 2));
    names_.insert(names_.end(), bytes.begin(), bytes.end());
    names_.resize(names_.size() + padding, 0);
    const int64_t tailFrom = stringEnd - position_;
    names_.insert(names_.end(), parcel_.begin() + tailFrom, parcel_.begin() + tailFrom + tail);
    ++rewritten_;
}

void Rebuild::patchReference(int64_t at) {
    if (at < 0 || at + 2 > int64_t(parcel_.size()) || patched_[size_t(at)]) return;
    patched_[size_t(at)] = true;
    const int64_t old = 2 * int64_t(GetWord(parcel_, at));
    const auto it = std::lower_bound(moved_.begin(), moved_.end(), old,
                                     [](const auto& entry, int64_t key) { return entry.first < key; });
    if (it == moved_.end() || it->first != old) return;
    PutWord(out_, newPlace(at), uint16_t(it->second / 2));
}

void Rebuild::patchStreetAddresses(const FrameRef& roads) {
    const TLN_FrameSpan span = whole_.Sub(position_ + roads.offset, roads.size);
    TLN_Road_Data_Frame frame;
    if (!ReadRoadDataFrame(span, frame)) return;
    for (const TLN_Road_Display_Class& roadClass : frame.Classes) {
        for (const int64_t multiLink : MultiLinkPositions(span, roadClass)) {
            TLN_MultiLink_Data_Record header;
            if (!ReadMultiLinkHeader(span, header, multiLink) || !header.StreetAddressFlag) continue;
            for (int node = 0; node < header.NodeCount; ++node) {
                TLN_Street_Address_Record address;
                if (!ReadStreetAddressInfo(span, node, address, level_, multiLink, span.Position())) continue;
                // The name references in the order the record stores them (see ReadStreetAddressRecord).
                // The additional node information's Street Name Data Offset is no name reference but a
                // displacement inside the road frame, whose layout does not change: it stays as it is.
                const uint16_t d = address.Details;
                int64_t at = address.Position - position_ + 4;
                patchReference(at);
                at += 2;
                if (!(d & 0x8000)) {
                    patchReference(at);
                    at += 2;
                }
                if (d & 0x2000) {
                    patchReference(at);
                    at += 2;
                }
                if (!(d & 0x4000) && (d & 0x1000)) patchReference(at);
            }
        }
    }
}

void Rebuild::patchBackgroundNames(const FrameRef& background) {
    const TLN_FrameSpan span = whole_.Sub(position_ + background.offset, background.size);
    TLN_Background_Data_Frame frame;
    if (!ReadBackgroundDisplayClass(span, level_, frame, 0)) return;
    TLN_Minimum_Graphics_Data_Record record;
    for (const TLN_Element_Management_Information& element : frame.Elements) {
        if (!element.Present()) continue;
        for (const TLN_Background_Type_Unit& unit : element.TypeUnits) {
            const bool withPoints = unit.ShapeClassification != 0;
            for (const int64_t position : MinimumGraphicsPositions(span, unit)) {
                if (!ReadMinimumGraphicsShape(span, withPoints, record, position) || !record.NameFlag ||
                    record.Truncated)
                    continue;
                int64_t at = position - position_ + kMinimumGraphicsFixedSize;
                if (withPoints) at += 2 * int64_t(record.Offsets.size());
                if (record.PenUpFlag) at += withPoints ? 4 * int64_t(record.PenUpRuns.size()) : 2;
                patchReference(at);
            }
        }
    }
}

} // namespace

NameRebuildResult RebuildParcelNames(const std::vector<uint8_t>& parcel, int64_t position,
                                     const TLN_Level_Management_Record& level, NameTextPolicy& policy) {
    return Rebuild(parcel, position, level, policy).run();
}
