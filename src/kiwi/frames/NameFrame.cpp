// Readers of the name data frame.
#include "kiwi/frames/NameFrame.h"

#include <algorithm>

#include "kiwi/frames/BackgroundFrame.h"

bool ReadNameDataFrame(const TLN_FrameSpan& frame, const TLN_Level_Management_Record& level,
                       TLN_Name_Data_Frame& out, uint32_t systemNumber) {
    out = {};
    const int64_t n = frame.Position();
    if (n <= 0 || !frame.Contains(n, 2)) return false;
    out.Position = n;
    out.HeaderSize = 2u * frame.At(n).u16(0);
    out.ClassCount = std::min<int>(level.NameClassCount, kNameDisplayClassLimit);
    const int64_t first = n + (systemNumber >= kWideEntrySystemNumber ? 4 : 2);
    out.Classes.reserve(size_t(std::max(out.ClassCount, 0)));
    for (int i = 0; i < out.ClassCount; ++i) {
        const int64_t at = first + 4 * int64_t(i);
        if (!frame.Contains(at, 4)) break;
        const BeCursor c = frame.At(at);
        TLN_Name_Management_Information entry;
        entry.Offset = c.u16(0);
        entry.StoredRecordCount = c.u16(2);
        // A class of no records may name the frame's end.
        const int64_t list = FrameListPosition16(frame, n, entry.Offset);
        if (list >= 0) {
            entry.ListPosition = list;
            entry.RecordCount = uint16_t(
                std::min<int64_t>(entry.StoredRecordCount, (frame.End() - list) / kNameRecordFixedSize));
        }
        out.Classes.push_back(entry);
    }
    return true;
}

bool ReadNameRecord(const TLN_FrameSpan& frame, uint32_t mask, bool keepRaw, TLN_Name_Data_Record& out,
                    int64_t position, uint32_t language, const TLN_TextPages& pages) {
    out = {};
    if (!frame.Contains(position, 4)) return false;
    out.Position = position;
    const BeCursor head = frame.At(position);
    out.Word0 = head.u16(0);
    out.Flag15 = (out.Word0 >> 15) & 1;
    out.TemporalFlag = (out.Word0 >> 14) & 1;
    out.ExtendedFlag = (out.Word0 >> 13) & 1;
    out.Size = 2u * (out.Word0 & 0xFFF);
    out.DisplayScale = head.u16(2);
    out.DisplayScaleFlags = uint8_t(out.DisplayScale >> 11);
    if (!DisplayScaleShows(out.DisplayScaleFlags, mask)) return false;
    out.StringType = uint8_t((out.DisplayScale >> 8) & 7);
    out.Orientation = (out.DisplayScale >> 6) & 1;
    out.Priority = uint8_t(out.DisplayScale & 0x3F);
    if (out.StringType == 0 || out.StringType == 7) return true;

    // The record's fields stay inside the record when its size covers the fixed part.
    const TLN_FrameSpan record = out.Size >= kNameRecordFixedSize
                                     ? frame.Sub(position, out.Size)
                                     : frame.Sub(position, frame.End() - position);
    const BeCursor c = record.At(position);
    const uint8_t t = out.StringType;
    out.TypeCode = c.u16(4);
    out.Word6 = c.u16(6);
    out.AdditionalInfoType = uint8_t(out.Word6 >> 14);
    out.AdditionalInfoFlag = (out.Word6 >> 13) & 1;
    out.AuxiliaryFlag = (out.Word6 >> 11) & 1;
    out.PlacementPointCount = uint8_t(out.Word6 & 15);
    if (t == 2 || t == 3 || t == 6) out.MultiplicationConstant = uint8_t(out.Word6 & 7);
    int64_t at = 8;
    if (t == 4) {
        out.PlacementType = uint8_t((out.Word6 >> 8) & 7);
        out.IdentificationFlag = uint8_t((out.Word6 >> 6) & 3);
        out.DrawDataOffset = c.u16(8);
        at = 10;
        out.PlacementPoints.reserve(out.PlacementPointCount);
        for (int i = 0; i < out.PlacementPointCount && c.fits(at, 2); ++i, at += 2)
            out.PlacementPoints.push_back(c.u16(at));
        at = 10 + 2 * int64_t(out.PlacementPointCount);
    } else {
        const uint16_t x = c.u16(8);
        const uint16_t y = c.u16(10);
        out.RelativeX = uint8_t(x >> 13);
        out.StartX = uint16_t(x & 0x1FFF);
        out.RelativeY = uint8_t(y >> 13);
        out.StartY = uint16_t(y & 0x1FFF);
        at = 12;
        if (t == 2 || t == 5 || t == 6) {
            out.TypeWord = c.u16(at);
            at += 2;
        }
    }
    out.StringSize = 2u * c.u16(at);
    at += 2;
    out.Readable = !c.bad();
    if (!out.Readable || out.StringSize == 0) return true;
    out.StringPosition = position + at;
    const TLN_FrameSpan area = record.Sub(out.StringPosition, out.StringSize);
    bool found = false;
    out.String = ReadText(area, language, out.StringPosition, pages, keepRaw, &found);
    if (!found) out.Readable = false;
    return true;
}

std::vector<int64_t> NameRecordPositions(const TLN_FrameSpan& frame,
                                         const TLN_Name_Management_Information& entry) {
    if (entry.ListPosition < 0) return {};
    return ChainedRecords(frame, entry.ListPosition, entry.RecordCount, 4,
                          [](const BeCursor& c, int64_t) { return int64_t(2 * (c.u16(0) & 0xFFF)); });
}
