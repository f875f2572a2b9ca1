// The hex grid's state without widgets: the stream and its cached rows, the cursor, the marked block and
// the found range, drag-selection and keyboard movement, the 64-bit top row, and the events the hex
// viewer window listens to. Offsets are byte offsets in the stream; data row r shows r*16 .. r*16+15.
#pragma once

#include <cstdint>
#include <memory>

#include <QObject>
#include <QString>

#include "hexview/model/HexCharTable.h"
#include "hexview/model/HexRowCache.h"
#include "kiwi/io/Stream.h"

class HexGridModel : public QObject {
    Q_OBJECT
public:
    // How a hex or character cell is drawn; the first rule that matches wins.
    enum class CellKind {
        Cursor,
        FoundInBlock,
        FoundOutsideBlock,
        BlockMarkedHalf, // in the block, in the half (hex or characters) it was marked in
        BlockOtherHalf,
        HexShadedRow, // hex cell of an odd grid row (data rows 0, 2, 4, ...)
        HexPlainRow,
        Character,
    };
    enum class Move { Left, Right, Up, Down, PageUp, PageDown, RowStart, RowEnd, FileStart, FileEnd };

    // The name fileChanged reports after Clear.
    static const QString kNoFileName;

    explicit HexGridModel(QObject* parent = nullptr);
    ~HexGridModel() override;

    // Russian texts: header "Address" (else "Offset") and the Russian balloons.
    void SetRussianTexts(bool on);
    bool RussianTexts() const { return russianTexts_; }
    QString AddressHeaderText() const;
    // The name shown above the character columns ("OEM" at first).
    void SetCharsetName(const QString& name);
    const QString& CharsetName() const { return charsetName_; }
    // The code page the character columns show (65001: UTF-8 pairs); cached rows are decoded anew.
    void SetDisplayCodePage(int codePage);
    int DisplayCodePage() const { return chars_.CodePage(); }
    const HexCharTable& CharTable() const { return chars_; }

    // Shows stream (shared with the caller) with the cursor at position. The same stream object with the
    // same file name only moves the cursor; anything else starts afresh (no block, no found range) and
    // reports fileChanged and selectionChanged. A null stream clears.
    void SetStream(std::shared_ptr<TLN_Stream> stream, int64_t position);
    // The same; the grid then holds the only reference the viewer keeps.
    void SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t position);
    // Forgets the stream; reports fileChanged("----") and selectionChanged(0, -1).
    void Clear();
    const std::shared_ptr<TLN_Stream>& Stream() const { return stream_; }
    bool OwnsStream() const { return ownsStream_; }
    int64_t Size() const { return size_; }
    const QString& FileName() const { return fileName_; }
    // Why the stream's size could not be read ("" when it could).
    const QString& ErrorString() const { return error_; }
    // Grid rows: the header row and one per 16 bytes begun (1 + ceil(size / 16)).
    int64_t RowCount() const { return 1 + DataRowCount(); }
    int64_t DataRowCount() const { return (size_ + 15) / 16; }

    // The cursor is always on a byte of the stream (0 for an empty stream, where no byte is read).
    int64_t Cursor() const { return cursor_; }
    // The cursor's cell is in the hex columns (else in the character columns).
    bool CursorInHex() const { return cursorInHex_; }
    // Moves the cursor to position (clamped to the last byte) and scrolls it into view.
    void GotoOffset(int64_t position);
    // A search hit of count bytes at position (any position >= 0 is a hit) becomes the found range and the
    // cursor moves there; a negative position or count only removes the found range.
    void SelectFound(int count, int64_t position);
    int64_t FoundStart() const { return foundStart_; }
    int64_t FoundEnd() const { return foundEnd_; }

    // Marks start..end (both included; end clamped to the last byte, a start past the end becomes the
    // end), marked in the hex half or not, and scrolls to the start.
    void SetBlock(bool inHex, int64_t start, int64_t end);
    void SetBlockStart(int64_t position);
    void SetBlockEnd(int64_t position);
    // Block start or end at the cursor.
    void MarkBlockStart();
    void MarkBlockEnd();
    void SelectNone();
    void SelectAll();
    bool HasBlock() const { return blockStart_ >= 0 && blockEnd_ >= blockStart_; }
    // No block is start 0, end -1.
    int64_t BlockStart() const { return blockStart_; }
    int64_t BlockEnd() const { return blockEnd_; }
    bool SelectionInHex() const { return selectionInHex_; }

    // The first data row shown, and how many whole data rows the view shows (at least 1).
    int64_t TopRow() const { return topRow_; }
    void SetTopRow(int64_t row);
    int VisibleRows() const { return visibleRows_; }
    void SetVisibleRows(int rows);
    int64_t MaxTopRow() const;
    // Brings offset's row into view the grid's way: rows above become the top row, rows below too except
    // near the end, where the last page shows.
    void EnsureVisible(int64_t offset);

    const HexRow& Row(int64_t dataRow) { return rows_.Row(dataRow); }
    // The byte at offset; false past the end or when it cannot be read.
    bool ByteAt(int64_t offset, uint8_t* byte);
    CellKind KindOf(int64_t offset, bool hexHalf) const;
    // Row-cache reads so far.
    uint64_t RowReads() const { return rows_.Reads(); }

    // Mouse: a press on a byte (offsets past the end are taken as the last byte), a press anywhere else
    // (address or gap columns, header: the cursor stays), a move with the button held, the release.
    void PressByte(int64_t offset, bool hexHalf);
    void PressOutsideBytes();
    void DragTo(int64_t offset, bool hexHalf);
    void Release();
    bool Dragging() const { return dragging_; }
    // Keyboard: arrows run on across row ends, Home/End stay in the row, pages move by the visible rows.
    void MoveCursor(Move move);

signals:
    void selectionChanged(qint64 start, qint64 end);
    void addressChanged(qint64 address, quint8 byte);
    void fileChanged(const QString& name);
    // Something shown changed (rows, cursor, block, found range, header, top row).
    void viewChanged();

private:
    void show(std::shared_ptr<TLN_Stream> stream, int64_t position, bool owned);
    int64_t clampOffset(int64_t offset) const;
    // Cursor to offset in a half, scrolled into view, address reported.
    void place(int64_t offset, bool hexHalf);
    void reportAddress();
    void selectWhileDragging(int64_t offset, bool hexHalf);
    bool inFound(int64_t offset) const;
    bool inBlock(int64_t offset) const;

    bool russianTexts_ = false;
    std::shared_ptr<TLN_Stream> stream_;
    bool ownsStream_ = false;
    int64_t size_ = 0;
    QString error_;
    QString fileName_;
    QString charsetName_ = QStringLiteral("OEM");
    HexCharTable chars_;
    HexRowCache rows_;
    int64_t dragAnchor_ = 0;
    int64_t blockStart_ = 0;
    int64_t blockEnd_ = -1;
    int64_t foundStart_ = -1;
    int64_t foundEnd_ = -1;
    bool dragging_ = false;
    bool pressOnByte_ = false;
    int64_t cursor_ = 0;
    bool cursorInHex_ = true;
    bool selectionInHex_ = true;
    int64_t topRow_ = 0;
    int visibleRows_ = 1;
};
