// The hex grid's clamps, selection rules and scrolling, free of any widget.
#include "hexview/model/HexGridModel.h"

#include <algorithm>
#include <exception>

const QString HexGridModel::kNoFileName = QStringLiteral("----");

HexGridModel::HexGridModel(QObject* parent) : QObject(parent) {
    rows_.SetCharTable(&chars_);
}

HexGridModel::~HexGridModel() = default;

void HexGridModel::SetRussianTexts(bool on) {
    if (russianTexts_ == on) return;
    russianTexts_ = on;
    emit viewChanged();
}

QString HexGridModel::AddressHeaderText() const {
    return russianTexts_ ? QStringLiteral("Address") : QStringLiteral("Offset");
}

void HexGridModel::SetCharsetName(const QString& name) {
    charsetName_ = name;
    emit viewChanged();
}

void HexGridModel::SetDisplayCodePage(int codePage) {
    chars_ = HexCharTable(codePage);
    rows_.SetCharTable(&chars_);
    emit viewChanged();
}

void HexGridModel::SetStream(std::shared_ptr<TLN_Stream> stream, int64_t position) {
    show(std::move(stream), position, false);
}

void HexGridModel::SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t position) {
    show(std::move(stream), position, true);
}

void HexGridModel::show(std::shared_ptr<TLN_Stream> stream, int64_t position, bool owned) {
    if (!stream) {
        Clear();
        return;
    }
    const QString name = QString::fromStdString(stream->FileName());
    // A stream the grid holds cannot have been freed and its address reused, so the same object is
    // the same stream.
    if (stream == stream_ && name == fileName_) {
        ownsStream_ = ownsStream_ || owned;
        place(clampOffset(position), true);
        return;
    }
    fileName_ = name;
    stream_ = std::move(stream);
    ownsStream_ = owned;
    error_.clear();
    try {
        size_ = std::max<int64_t>(0, stream_->Size());
    } catch (const std::exception& error) {
        error_ = QString::fromUtf8(error.what());
        size_ = 0;
    }
    rows_.Reset(stream_, size_);
    blockStart_ = 0;
    blockEnd_ = -1;
    foundStart_ = foundEnd_ = -1;
    dragging_ = pressOnByte_ = false;
    cursor_ = clampOffset(position);
    selectionInHex_ = true;
    topRow_ = 0;
    emit viewChanged();
    emit fileChanged(fileName_);
    emit selectionChanged(blockStart_, blockEnd_);
    place(cursor_, true);
}

void HexGridModel::Clear() {
    stream_.reset();
    ownsStream_ = false;
    size_ = 0;
    rows_.Reset(nullptr, 0);
    blockStart_ = 0;
    blockEnd_ = -1;
    foundStart_ = foundEnd_ = -1;
    dragging_ = pressOnByte_ = false;
    cursor_ = 0;
    cursorInHex_ = true;
    selectionInHex_ = true;
    topRow_ = 0;
    fileName_.clear();
    emit viewChanged();
    emit fileChanged(kNoFileName);
    emit selectionChanged(blockStart_, blockEnd_);
}

int64_t HexGridModel::clampOffset(int64_t offset) const {
    if (size_ <= 0 || offset < 0) return 0;
    return std::min(offset, size_ - 1);
}

void HexGridModel::GotoOffset(int64_t position) {
    place(clampOffset(position), true);
}

void HexGridModel::SelectFound(int count, int64_t position) {
    if (position < 0 || count <= 0 || position >= size_) {
        foundStart_ = foundEnd_ = -1;
        emit viewChanged();
        return;
    }
    foundStart_ = position;
    foundEnd_ = std::min(position + count - 1, size_ - 1);
    GotoOffset(position);
}

void HexGridModel::SetBlock(bool inHex, int64_t start, int64_t end) {
    selectionInHex_ = inHex;
    if (size_ <= 0 || end < 0) {
        blockStart_ = 0;
        blockEnd_ = -1;
        emit viewChanged();
        emit selectionChanged(blockStart_, blockEnd_);
        return;
    }
    end = std::min(end, size_ - 1);
    start = std::clamp<int64_t>(start, 0, end);
    blockStart_ = start;
    blockEnd_ = end;
    place(start, cursorInHex_);
    emit selectionChanged(blockStart_, blockEnd_);
}

void HexGridModel::SetBlockStart(int64_t position) {
    if (size_ <= 0) return;
    position = clampOffset(position);
    blockStart_ = position;
    if (blockStart_ > blockEnd_) blockEnd_ = blockStart_;
    place(position, cursorInHex_);
    emit selectionChanged(blockStart_, blockEnd_);
}

void HexGridModel::SetBlockEnd(int64_t position) {
    if (size_ <= 0) return;
    position = clampOffset(position);
    blockEnd_ = position;
    if (blockStart_ > blockEnd_) blockStart_ = blockEnd_;
    place(position, cursorInHex_);
    emit selectionChanged(blockStart_, blockEnd_);
}

void HexGridModel::MarkBlockStart() {
    SetBlockStart(cursor_);
}

void HexGridModel::MarkBlockEnd() {
    SetBlockEnd(cursor_);
}

void HexGridModel::SelectNone() {
    blockStart_ = 0;
    blockEnd_ = -1;
    emit viewChanged();
    emit selectionChanged(blockStart_, blockEnd_);
}

void HexGridModel::SelectAll() {
    blockStart_ = 0;
    blockEnd_ = size_ - 1;
    emit viewChanged();
    emit selectionChanged(blockStart_, blockEnd_);
}

void HexGridModel::SetTopRow(int64_t row) {
    row = std::clamp<int64_t>(row, 0, MaxTopRow());
    if (row == topRow_) return;
    topRow_ = row;
    emit viewChanged();
}

void HexGridModel::SetVisibleRows(int rows) {
    visibleRows_ = std::max(1, rows);
    topRow_ = std::min(topRow_, MaxTopRow());
}

int64_t HexGridModel::MaxTopRow() const {
    return std::max<int64_t>(0, DataRowCount() - visibleRows_);
}

void HexGridModel::EnsureVisible(int64_t offset) {
    const int64_t row = std::max<int64_t>(0, offset) / 16;
    if (row < topRow_)
        topRow_ = row;
    else if (row >= topRow_ + visibleRows_)
        topRow_ = std::min(row, MaxTopRow());
}

void HexGridModel::place(int64_t offset, bool hexHalf) {
    cursor_ = offset;
    cursorInHex_ = hexHalf;
    EnsureVisible(offset);
    emit viewChanged();
    reportAddress();
}

void HexGridModel::reportAddress() {
    uint8_t byte = 0;
    if (ByteAt(cursor_, &byte)) emit addressChanged(cursor_, byte);
}

bool HexGridModel::ByteAt(int64_t offset, uint8_t* byte) {
    if (offset < 0 || offset >= size_) return false;
    const HexRow& row = rows_.Row(offset / 16);
    const int index = int(offset % 16);
    if (index >= row.count) return false;
    *byte = row.bytes[index];
    return true;
}

bool HexGridModel::inFound(int64_t offset) const {
    return foundStart_ >= 0 && offset >= foundStart_ && offset <= foundEnd_;
}

bool HexGridModel::inBlock(int64_t offset) const {
    return HasBlock() && offset >= blockStart_ && offset <= blockEnd_;
}

HexGridModel::CellKind HexGridModel::KindOf(int64_t offset, bool hexHalf) const {
    if (offset == cursor_ && size_ > 0) return CellKind::Cursor;
    if (inFound(offset)) return inBlock(offset) ? CellKind::FoundInBlock : CellKind::FoundOutsideBlock;
    if (inBlock(offset))
        return hexHalf == selectionInHex_ ? CellKind::BlockMarkedHalf : CellKind::BlockOtherHalf;
    if (!hexHalf) return CellKind::Character;
    return (offset / 16) % 2 == 0 ? CellKind::HexShadedRow : CellKind::HexPlainRow;
}

void HexGridModel::PressByte(int64_t offset, bool hexHalf) {
    if (size_ <= 0) return;
    offset = clampOffset(offset);
    pressOnByte_ = true;
    dragging_ = false;
    // A press on an end of the block grabs that end: the drag then moves it and keeps the other one.
    if (HasBlock() && offset == blockEnd_)
        dragAnchor_ = blockStart_;
    else if (HasBlock() && offset == blockStart_)
        dragAnchor_ = blockEnd_;
    else
        dragAnchor_ = offset;
    place(offset, hexHalf);
}

void HexGridModel::PressOutsideBytes() {
    pressOnByte_ = false;
    dragging_ = false;
}

void HexGridModel::DragTo(int64_t offset, bool hexHalf) {
    if (!pressOnByte_ || size_ <= 0) return;
    offset = clampOffset(offset);
    if (!dragging_) {
        if (offset == cursor_ && hexHalf == cursorInHex_) return;
        dragging_ = true;
        selectionInHex_ = hexHalf;
    }
    selectWhileDragging(offset, hexHalf);
}

void HexGridModel::selectWhileDragging(int64_t offset, bool hexHalf) {
    // Back on the anchor the block stays as it was.
    if (offset == dragAnchor_) return;
    const int64_t start = std::min(offset, dragAnchor_);
    const int64_t end = std::max(offset, dragAnchor_);
    if (start == blockStart_ && end == blockEnd_ && offset == cursor_ && hexHalf == cursorInHex_) return;
    blockStart_ = start;
    blockEnd_ = end;
    cursor_ = offset;
    cursorInHex_ = hexHalf;
    EnsureVisible(offset);
    emit viewChanged();
    emit selectionChanged(blockStart_, blockEnd_);
    reportAddress();
}

void HexGridModel::Release() {
    dragging_ = false;
    pressOnByte_ = false;
}

void HexGridModel::MoveCursor(Move move) {
    if (size_ <= 0) return;
    const int64_t rowStart = cursor_ - cursor_ % 16;
    const int64_t page = int64_t(visibleRows_) * 16;
    int64_t target = cursor_;
    switch (move) {
    case Move::Left:
        target = cursor_ - 1;
        break;
    case Move::Right:
        target = cursor_ + 1;
        break;
    case Move::Up:
        target = cursor_ - 16;
        break;
    case Move::Down:
        // Into the last row even when its column holds no byte: the last byte then.
        if (cursor_ / 16 + 1 < DataRowCount()) target = std::min(cursor_ + 16, size_ - 1);
        break;
    case Move::PageUp:
        target = cursor_ - page >= 0 ? cursor_ - page : cursor_ % 16;
        topRow_ = std::max<int64_t>(0, topRow_ - visibleRows_);
        break;
    case Move::PageDown:
        target = cursor_ + page < size_ ? cursor_ + page
                                        : std::min((DataRowCount() - 1) * 16 + cursor_ % 16, size_ - 1);
        topRow_ = std::min(MaxTopRow(), topRow_ + visibleRows_);
        break;
    case Move::RowStart:
        target = rowStart;
        break;
    case Move::RowEnd:
        target = std::min(rowStart + 15, size_ - 1);
        break;
    case Move::FileStart:
        target = 0;
        break;
    case Move::FileEnd:
        target = size_ - 1;
        break;
    }
    if (target < 0 || target >= size_) return;
    place(target, cursorInHex_);
}
