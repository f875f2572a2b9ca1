// What the hex grid's character columns show for a row's bytes in the display code page, and the
// byte-wise upper-case table a case-insensitive search compares through.
#pragma once

#include <array>
#include <cstdint>

class HexCharTable {
public:
    // 65001 shows UTF-8 pairs; pages whose single bytes are not characters (UTF-16, ISO-2022-JP) show the
    // system ANSI code page; 0 is the system ANSI code page.
    explicit HexCharTable(int codePage = 0);

    int CodePage() const { return codePage_; }
    bool Utf8Pairs() const { return utf8_; }

    // The display values of a row: bytes holds the row's bytes and those of the next row, available of
    // them exist (0..32; bytes past that are never looked at), rowCount of them belong to the row (0..16).
    // A value below 17 is drawn as "."; 0 marks a position with nothing readable (the second byte of a
    // UTF-8 pair, an invalid sequence, an unmapped byte) and positions past rowCount.
    void DecodeRow(const uint8_t* bytes, int available, int rowCount, char16_t out[16]) const;

    // Byte -> its upper-case byte in the code page (itself when it has none that fits one byte). UTF-8
    // and multi-byte pages map the ASCII letters only: their other bytes are parts of sequences.
    const std::array<uint8_t, 256>& UpperCase() const { return upper_; }

private:
    int codePage_ = 0;
    bool utf8_ = false;
    std::array<char16_t, 256> single_{};
    std::array<uint8_t, 256> upper_{};
};
