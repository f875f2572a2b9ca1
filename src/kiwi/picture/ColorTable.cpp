// Colour table and palette form readers.
#include "kiwi/picture/ColorTable.h"

#include <algorithm>

#include "kiwi/core/BeCursor.h"
#include "kiwi/io/BoundedRead.h"

bool ReadColorTable(TLN_Stream& stream, int64_t position, int64_t end, TLN_Color_Table& out) {
    out = TLN_Color_Table();
    if (position < 0) return false;
    end = std::min(end, stream.Size());
    uint8_t head[6];
    if (end - position < 6 || bounded::readInto(stream, position, head, 6) != 6) return false;
    const BeCursor cursor(head, sizeof head);
    out.ClearColorCode = cursor.u16(0);
    out.TransparentColorCode = cursor.u16(2);
    out.ColorCount = cursor.u16(4);

    // The count is trusted only as far as the bytes before end can hold its entries.
    const int64_t fit = (end - position - 6) / 4;
    const int64_t count = std::min<int64_t>(out.ColorCount, fit);
    std::vector<uint8_t> entries(size_t(count) * 4);
    const int64_t delivered =
        count > 0 ? bounded::readInto(stream, position + 6, entries.data(), count * 4) : 0;
    const int64_t complete = delivered / 4;
    out.Colors.reserve(size_t(complete));
    for (int64_t i = 0; i < complete; ++i) {
        const uint8_t* entry = entries.data() + i * 4;
        out.Colors.push_back(TLN_Color(entry[0]) | TLN_Color(entry[1]) << 8 | TLN_Color(entry[2]) << 16);
    }
    out.Truncated = complete < out.ColorCount;
    return true;
}

bool ReadPaletteStream(TLN_Stream& stream, TLN_Color_Table& out, int64_t position) {
    return ReadColorTable(stream, position, stream.Size(), out);
}
