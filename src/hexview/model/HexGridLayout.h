// The hex grid's 35 columns (address, gap, 16 hex bytes, gap, 16 characters) and their pixel geometry,
// shared by the painter, the hit test and the headless tests.
#pragma once

#include <cstdint>

namespace hexlayout {

inline constexpr int kColumnCount = 35;
inline constexpr int kAddressColumn = 0;
inline constexpr int kFirstHexColumn = 2;
inline constexpr int kLastHexColumn = 17;
inline constexpr int kFirstCharColumn = 19;
inline constexpr int kLastCharColumn = 34;
inline constexpr int kBytesPerRow = 16;
// The hex column that is wider by a gap after the eighth byte.
inline constexpr int kWideHexColumn = 9;
inline constexpr int kWideHexExtra = 10;

constexpr int ColumnWidth(int column) {
    if (column == kAddressColumn) return 130;
    if (column == 1 || column == 18) return 10;
    if (column == kWideHexColumn) return 30;
    if (column >= kFirstHexColumn && column <= kLastHexColumn) return 20;
    if (column >= kFirstCharColumn && column <= kLastCharColumn) return 12;
    return 0;
}

// Left edge of a column, from the grid's left edge.
constexpr int ColumnLeft(int column) {
    int left = 0;
    for (int c = 0; c < column && c < kColumnCount; ++c)
        left += ColumnWidth(c);
    return left;
}

inline constexpr int kTotalWidth = ColumnLeft(kColumnCount);

// The column under x (grid coordinates), or -1 left of the grid or right of its last column.
constexpr int ColumnAt(int x) {
    if (x < 0) return -1;
    int left = 0;
    for (int c = 0; c < kColumnCount; ++c) {
        left += ColumnWidth(c);
        if (x < left) return c;
    }
    return -1;
}

constexpr bool IsHexColumn(int column) {
    return column >= kFirstHexColumn && column <= kLastHexColumn;
}
constexpr bool IsCharColumn(int column) {
    return column >= kFirstCharColumn && column <= kLastCharColumn;
}
// Position of the byte a hex or character column shows within its row (0..15), or -1 for the address
// and gap columns.
constexpr int ByteIndexOfColumn(int column) {
    if (IsHexColumn(column)) return column - kFirstHexColumn;
    if (IsCharColumn(column)) return column - kFirstCharColumn;
    return -1;
}
constexpr int HexColumnOf(int byteIndex) {
    return kFirstHexColumn + byteIndex;
}
constexpr int CharColumnOf(int byteIndex) {
    return kFirstCharColumn + byteIndex;
}

} // namespace hexlayout
