// The hex viewer window's rules, free of widgets: the caption and status texts, what the clipboard
// copies may hold and how they are made, the ranges Find and Find next search, and when the floating
// window snaps to the main window.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

#include "hexview/dialogs/model/SearchInfo.h"

namespace hexwindow {

// The clipboard's registered name of the binary data other hex editors read, and its MIME form.
inline const QString kBinaryFormatName = QStringLiteral("010 Editor Bynary Data");
QString BinaryMimeType();

// Largest blocks the copies take: binary data, text (longer text is cut) and hex text.
constexpr int64_t kMaxBinaryCopy = 0x4FFFFFF;
constexpr int64_t kMaxTextCopy = 2040;
constexpr int64_t kMaxHexTextCopy = 0x8FFFFF;
// Distance within which a moved floating window snaps to the main window's right edge.
constexpr int kSnapDistance = 30;

// The file name without folder; the first volume of the two multi-volume files goes by the set's name.
QString DisplayName(const QString& fileName);
// The window title: "Hex Viewer  " + name floating, the name alone docked.
QString Caption(bool floating, const QString& displayName);

// The status bar's panels: the cursor's address, its byte, the block and its size (empty without one).
QString AddressPanel(int64_t address);
QString BytePanel(uint8_t byte);
QString BlockPanel(int64_t start, int64_t end);
QString SizePanel(int64_t start, int64_t end);

// The message of a search a read error ended, with the error's text.
QString SearchFailedText(const QString& reason);

// What the balloon says after a copy.
QString BinaryCopiedBalloon(int64_t bytes);
QString TextCopiedBalloon(int64_t bytes);
QString HexTextCopiedBalloon(int64_t bytes);

// Two upper-case hex digits and a blank for every byte.
QString HexText(QByteArrayView bytes);

// The text copy of bytes shown in codePage: NULs become blanks; UTF-8 (65001) is cut before a sequence
// the copy limit split. Nothing when the bytes are not valid UTF-8.
std::optional<QString> ClipboardText(QByteArrayView bytes, int codePage);

// A search range, end excluded.
struct SearchRange {
    int64_t start = 0;
    int64_t end = 0;
    friend bool operator==(const SearchRange&, const SearchRange&) = default;
};
// The range of a new search in zone: the whole stream, from the cursor, or the block with its last byte.
SearchRange FindRange(int zone, int64_t size, int64_t cursor, int64_t blockStart, int64_t blockEnd);
// The range Find next searches after info (the last search), with the cursor and the block as they are
// now; nothing when the last search already covered it without a hit.
std::optional<SearchRange> FindNextRange(const SearchInfo& info, int64_t size, int64_t cursor, bool hasBlock,
                                         int64_t blockEnd);

// What a move of the floating window does to its snapping, dx and dy its distance from the main
// window's right edge and top.
enum class SnapMove { Snap, Unsnap, Keep };
SnapMove SnapAfterMove(int dx, int dy);

} // namespace hexwindow
