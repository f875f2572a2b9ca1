// Readers of the background data frame.
#include "kiwi/frames/BackgroundFrame.h"

#include <algorithm>

namespace {

bool wide(uint32_t systemNumber) {
    return systemNumber >= kWideEntrySystemNumber;
}

// The end of a record's bytes: its size when that covers the fixed part, else the frame's end.
int64_t recordLimit(const TLN_FrameSpan& frame, int64_t position, uint32_t size) {
    if (size < kMinimumGraphicsFixedSize) return frame.End();
    return std::min(frame.End(), position + int64_t(size));
}

void decodeShape(const TLN_FrameSpan& frame, bool withPoints, TLN_Minimum_Graphics_Data_Record& out) {
    const int64_t limit = recordLimit(frame, out.Position, out.Size);
    const BeCursor c = frame.At(out.Position, limit - out.Position);
    out.TypeCode = c.u16(4);
    out.Word6 = c.u16(6);
    out.AdditionalInfoType = uint8_t(out.Word6 >> 14);
    out.AdditionalInfoFlag = (out.Word6 >> 13) & 1;
    out.NameFlag = (out.Word6 >> 12) & 1;
    out.AuxiliaryFlag = (out.Word6 >> 11) & 1;
    out.PenUpFlag = (out.Word6 >> 10) & 1;
    out.UndergroundFlag = (out.Word6 >> 9) & 1;
    const uint16_t x = c.u16(8);
    const uint16_t y = c.u16(10);
    out.RelativeX = uint8_t(x >> 13);
    out.StartX = uint16_t(x & 0x1FFF);
    out.RelativeY = uint8_t(y >> 13);
    out.StartY = uint16_t(y & 0x1FFF);
    int64_t at = kMinimumGraphicsFixedSize;
    const int64_t held = int64_t(c.size());
    if (withPoints) {
        out.MultiplicationConstant = uint8_t(out.Word6 & 7);
        const int64_t count = std::min<int64_t>(out.StoredOffsetCount, std::max<int64_t>(0, (held - at) / 2));
        if (count < out.StoredOffsetCount) out.Truncated = true;
        out.Offsets.resize(size_t(count));
        for (int64_t i = 0; i < count; ++i)
            out.Offsets[size_t(i)] = c.u16(at + 2 * i);
        at += 2 * count;
    }
    if (out.PenUpFlag) {
        if (withPoints) {
            // Runs whose lengths add up to the point count + 1. A zero run, a sum reached or passed and the
            // record's end each stop the runs.
            const uint32_t total = uint32_t(out.StoredOffsetCount) + 1;
            uint32_t sum = 0;
            while (sum < total) {
                if (!c.fits(at, 4)) {
                    out.Truncated = true;
                    break;
                }
                const uint32_t run = c.u32(at);
                at += 4;
                out.PenUpRuns.push_back(run);
                const uint32_t length = (run >> 16) & 0xFFF;
                if (length == 0) {
                    out.Truncated = true;
                    break;
                }
                sum += length;
            }
        } else {
            out.PenUpRuns.push_back(c.u16(at));
            at += 2;
        }
    }
    if (out.NameFlag) {
        out.NameOffset = c.u16(at);
        at += 2;
    }
    if (out.AuxiliaryFlag) {
        out.AuxiliaryData = c.u16(at);
        at += 2;
    }
    // Discs and imported outlines leave the pointer out when the record has no additional information:
    // it is there only when the record's size leaves room for it, and its absence is no truncation.
    // A record that sets the Additional Background Information Flag without that room is cut short.
    out.HasAdditionalPointer = c.fits(at, 4);
    if (out.HasAdditionalPointer)
        out.AdditionalPointer = c.u32(at);
    else if (out.AdditionalInfoFlag)
        out.Truncated = true;
    if (c.bad()) out.Truncated = true;
}

bool readRecord(const TLN_FrameSpan& frame, bool withPoints, TLN_Minimum_Graphics_Data_Record& out, bool test,
                uint32_t mask, int64_t position) {
    // A record read again into the same object keeps the room of its lists: walks over thousands of
    // shapes then allocate nothing per shape.
    std::vector<uint16_t> offsets = std::move(out.Offsets);
    std::vector<uint32_t> runs = std::move(out.PenUpRuns);
    offsets.clear();
    runs.clear();
    out = {};
    out.Offsets = std::move(offsets);
    out.PenUpRuns = std::move(runs);
    if (!frame.Contains(position, kMinimumGraphicsFixedSize)) return false;
    const BeCursor c = frame.At(position);
    out.Position = position;
    out.Word0 = c.u16(0);
    out.Flag15 = (out.Word0 >> 15) & 1;
    out.TemporalFlag = (out.Word0 >> 14) & 1;
    out.ExtendedFlag = (out.Word0 >> 13) & 1;
    out.Size = 2u * (out.Word0 & 0xFFF);
    const uint16_t word2 = c.u16(2);
    out.DisplayScaleFlags = uint8_t(word2 >> 11);
    if (test && !DisplayScaleShows(out.DisplayScaleFlags, mask)) return false;
    out.StoredOffsetCount = uint16_t(word2 & 0x7FF);
    decodeShape(frame, withPoints, out);
    return true;
}

} // namespace

uint32_t ReadBackgroundHeaderSize(const TLN_FrameSpan& frame) {
    if (!frame.Contains(frame.Position(), 2)) return 0;
    return 2u * frame.At(frame.Position()).u16(0);
}

bool ReadElementManagement(const TLN_FrameSpan& frame, int index, TLN_Element_Management_Information& out,
                           uint32_t systemNumber) {
    out = {};
    if (index < 0 || index >= kBackgroundDisplayClassLimit) return false;
    const int64_t b = frame.Position();
    uint32_t offset = 0;
    uint32_t none = 0xFFFF;
    if (wide(systemNumber)) {
        const int64_t at = b + 4 + 6 * int64_t(index);
        if (!frame.Contains(at, 6)) return false;
        const BeCursor c = frame.At(at);
        offset = c.u32(0);
        out.Size = 2u * c.u16(4);
        none = 0xFFFFFFFFu;
    } else {
        const int64_t at = b + 2 + 4 * int64_t(index);
        if (!frame.Contains(at, 4)) return false;
        const BeCursor c = frame.At(at);
        offset = c.u16(0);
        out.Size = 2u * c.u16(2);
    }
    if (offset == none) return false;
    const int64_t position = b + 2 * int64_t(offset);
    // An element unit outside the frame is not there.
    if (position <= 0 || out.Size == 0 || !frame.Contains(position, 2)) return false;
    out.Position = position;
    return true;
}

bool ReadBackgroundTypeUnit(const TLN_FrameSpan& frame, TLN_Element_Management_Information& entry,
                            uint32_t systemNumber) {
    entry.TypeUnits.clear();
    entry.StoredTypeUnitCount = 0;
    if (!entry.Present()) return false;
    const TLN_FrameSpan unit = frame.Sub(entry.Position, entry.Size);
    const BeCursor c = unit.At(unit.Position());
    if (!c.fits(0, 2)) return false;
    entry.StoredTypeUnitCount = c.u16(0);
    const int64_t headerSize = wide(systemNumber) ? 10 : 4;
    const int64_t fit = std::max<int64_t>(0, (int64_t(c.size()) - 2) / headerSize);
    const int64_t count = std::min<int64_t>(entry.StoredTypeUnitCount, fit);
    entry.TypeUnits.reserve(size_t(count));
    for (int64_t j = 0; j < count; ++j) {
        const int64_t at = 2 + headerSize * j;
        TLN_Background_Type_Unit header;
        uint32_t offset = 0;
        uint16_t shape = 0;
        if (wide(systemNumber)) {
            offset = c.u32(at);
            shape = c.u16(at + 6);
            header.StoredRecordCount = uint16_t(c.u16(at + 8) & 0xFFF);
        } else {
            offset = c.u16(at);
            shape = c.u16(at + 2);
            header.StoredRecordCount = uint16_t(shape & 0xFFF);
        }
        header.ShapeClassification = uint8_t(shape >> 14);
        header.HeightFlag = (shape >> 13) & 1;
        // All ones names no records; a unit of no records may name the frame's end.
        const int64_t position = wide(systemNumber)
                                     ? FrameListPosition32(frame, entry.Position, offset)
                                     : FrameListPosition16(frame, entry.Position, uint16_t(offset));
        if (position >= 0) {
            header.Position = position;
            const int64_t room = (frame.End() - position) / kMinimumGraphicsFixedSize;
            header.RecordCount = uint16_t(std::min<int64_t>(header.StoredRecordCount, room));
        }
        entry.TypeUnits.push_back(header);
    }
    return true;
}

bool ReadBackgroundDisplayClass(const TLN_FrameSpan& frame, const TLN_Level_Management_Record& level,
                                TLN_Background_Data_Frame& out, uint32_t systemNumber) {
    out = {};
    if (frame.Position() <= 0 || !frame.Contains(frame.Position(), 2)) return false;
    out.Position = frame.Position();
    out.HeaderSize = ReadBackgroundHeaderSize(frame);
    out.ClassCount = std::min<int>(level.BackgroundClassCount, kBackgroundDisplayClassLimit);
    out.Elements.resize(size_t(out.ClassCount));
    for (int i = 0; i < out.ClassCount; ++i) {
        TLN_Element_Management_Information& entry = out.Elements[size_t(i)];
        if (ReadElementManagement(frame, i, entry, systemNumber))
            ReadBackgroundTypeUnit(frame, entry, systemNumber);
    }
    return true;
}

bool DisplayScaleShows(uint8_t flags, uint32_t mask) {
    return mask >= kShowAllScales || (uint32_t(flags & 31) & mask) != 0;
}

bool ReadMinimumGraphics(const TLN_FrameSpan& frame, bool withPoints, TLN_Minimum_Graphics_Data_Record& out,
                         uint32_t mask, int64_t position) {
    return readRecord(frame, withPoints, out, true, mask, position);
}

bool ReadMinimumGraphicsShape(const TLN_FrameSpan& frame, bool withPoints,
                              TLN_Minimum_Graphics_Data_Record& out, int64_t position) {
    return readRecord(frame, withPoints, out, false, 0, position);
}

std::vector<int64_t> MinimumGraphicsPositions(const TLN_FrameSpan& frame,
                                              const TLN_Background_Type_Unit& unit) {
    if (unit.Position < 0) return {};
    return ChainedRecords(frame, unit.Position, unit.RecordCount, kMinimumGraphicsFixedSize,
                          [](const BeCursor& c, int64_t) { return int64_t(2 * (c.u16(0) & 0xFFF)); });
}
