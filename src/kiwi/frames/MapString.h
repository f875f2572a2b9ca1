// KIWI character strings inside parcel frames: the one-string and multi-language forms and the conversion
// of their bytes through the map's code pages, with the stored bytes kept beside the text.
#pragma once

#include <cstdint>

#include "kiwi/core/KiwiText.h"
#include "kiwi/io/FrameSpan.h"

// The two code pages text is decoded with: the map text code page (1200 = big-endian UTF-16) and the ANSI
// code page the text is shown in (0 = the system's).
struct TLN_TextPages {
    int Text = 65001;
    int Ansi = 0;

    // MapTextCodePage and MapAnsiCodePage as they are now.
    static TLN_TextPages Current();
};

// Bytes of a stored string as the conversion takes them: count bytes at position; a string that does not
// lie wholly in the frame is not found and gives nothing. The text has one trailing NUL cut; the raw bytes,
// when keepRaw is set, have every trailing NUL removed (every trailing zero 16-bit unit in UTF-16). found is
// false when the bytes are not all in the frame.
KiwiText ConvertText(const TLN_FrameSpan& frame, int64_t byteCount, int64_t position,
                     const TLN_TextPages& pages, bool keepRaw = true, bool* found = nullptr);
// The character string form at P: a multi-language table when the word at P + 2 is 3..15 (language k's
// string at P + 2 × the word at P + 2k; language 0 or one beyond the table reads language 1), else one
// string; a string is a word count followed by that many words of text.
KiwiText ReadText(const TLN_FrameSpan& frame, uint32_t language, int64_t position, const TLN_TextPages& pages,
                  bool keepRaw = true, bool* found = nullptr);
// The position of the string ReadText reads (after the language table lookup); -1 when outside the frame.
int64_t SelectedStringPosition(const TLN_FrameSpan& frame, uint32_t language, int64_t position);
