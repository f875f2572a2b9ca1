// Readers of the character string data frame.
#include "kiwi/frames/StringFrame.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"

bool ReadCharacterStringRecord(const TLN_FrameSpan& frame, TLN_Character_String_Data_Rec& out,
                               int64_t position, bool keepRaw, const TLN_TextPages& pages) {
    out = {};
    if (!frame.Contains(position, 4)) return false;
    out.Position = position;
    out.Attribute = frame.At(position).u32(0);
    if (!frame.Contains(position, out.Size())) return false;
    const BeCursor c = frame.At(position, out.Size());
    const int64_t display = 2 * int64_t(out.DisplayLength());
    const int64_t pronunciation = 2 * int64_t(out.PronunciationLength());
    out.Display = ConvertText(frame, display, position + 4, pages, keepRaw);
    out.Pronunciation = ConvertText(frame, pronunciation, position + 4 + display, pages, keepRaw);
    const int64_t at = 4 + display + pronunciation;
    out.VoiceWord = c.u16(at);
    out.VoiceAddressWord = c.u32(at + 2);
    out.VoiceAddress = KiwiAddressToOffset(out.VoiceAddressWord);
    out.VoiceSize = 32u * c.u16(at + 6);
    return true;
}

bool ReadCharacterString(const TLN_FrameSpan& frame, TLN_Character_String_Data_Frame& out, bool keepRaw,
                         const TLN_TextPages& pages) {
    out = {};
    const int64_t s = frame.Position();
    if (!frame.Contains(s, 4)) return false;
    const BeCursor c = frame.At(s);
    out.Position = s;
    out.HeaderSize = 2u * c.u16(0);
    out.StoredItemCount = c.u16(2);
    out.Items.reserve(size_t(std::min<int64_t>(out.StoredItemCount, (int64_t(c.size()) - 4) / 4)));
    // Record lists never overlap in well-formed data, so all items together hold no more records than the
    // frame has room for; items that name one list over and over would otherwise multiply work and memory.
    int64_t budget = frame.Size() / kStringRecordFixedSize;
    for (int64_t i = 0; i < out.StoredItemCount && c.fits(4 + 4 * i, 4); ++i) {
        TLN_Character_String_Item item;
        item.Offset = c.u16(4 + 4 * i);
        item.StoredRecordCount = c.u16(6 + 4 * i);
        // An item of no records may name the frame's end.
        const int64_t list = FrameListPosition16(frame, s, item.Offset);
        if (list >= 0) {
            item.ListPosition = list;
            // Records follow one another; the first that does not fit ends the list.
            int64_t at = list;
            item.Records.reserve(size_t(
                std::min<int64_t>(item.StoredRecordCount, (frame.End() - list) / kStringRecordFixedSize)));
            for (uint16_t r = 0; r < item.StoredRecordCount && budget > 0; ++r, --budget) {
                TLN_Character_String_Data_Rec record;
                if (!ReadCharacterStringRecord(frame, record, at, keepRaw, pages)) break;
                at += record.Size();
                item.Records.push_back(std::move(record));
            }
        }
        out.Items.push_back(std::move(item));
    }
    return true;
}
