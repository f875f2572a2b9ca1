// The hex grid control: any stream of the file layer as rows of an address, 16 hex bytes and 16
// characters, painting only the rows in view over a HexGridModel, with mouse and keyboard selection,
// a balloon message and the two-stage pattern search. The hex viewer window owns one.
#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>

#include "hexview/HexGridPainter.h"
#include "hexview/model/HexGridModel.h"
#include "hexview/model/HexSearchController.h"
#include "kiwi/io/Stream.h"

class HexBalloon;
class QTimer;

class HexGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int64_t kSearchRunning = HexSearchController::kSearchRunning;
    static constexpr int64_t kSearchFailed = HexSearchController::kSearchFailed;

    explicit HexGrid(QWidget* parent = nullptr);
    // Stops and joins a running search.
    ~HexGrid() override;

    HexGridModel& Model() { return model_; }
    const HexGridModel& Model() const { return model_; }
    HexSearchController& Search() { return search_; }

    // Header "Address" and Russian balloons when set, "Offset" and English ones when clear.
    void SetRussianTexts(bool on) { model_.SetRussianTexts(on); }
    bool RussianTexts() const { return model_.RussianTexts(); }
    void SetCharsetName(const QString& name) { model_.SetCharsetName(name); }
    void SetDisplayCodePage(int codePage) { model_.SetDisplayCodePage(codePage); }

    void SetStream(std::shared_ptr<TLN_Stream> stream, int64_t position) {
        model_.SetStream(std::move(stream), position);
    }
    void SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t position) {
        model_.SetOwnedStream(std::move(stream), position);
    }
    void Clear() { model_.Clear(); }
    bool HasStream() const { return model_.Stream() != nullptr; }
    const std::shared_ptr<TLN_Stream>& Stream() const { return model_.Stream(); }
    int64_t Size() const { return model_.Size(); }
    const QString& FileName() const { return model_.FileName(); }

    int64_t Cursor() const { return model_.Cursor(); }
    void GotoOffset(int64_t position) { model_.GotoOffset(position); }
    void SelectFound(int count, int64_t position) { model_.SelectFound(count, position); }
    void SetBlock(bool inHex, int64_t start, int64_t end) { model_.SetBlock(inHex, start, end); }
    void SetBlockStart(int64_t position) { model_.SetBlockStart(position); }
    void SetBlockEnd(int64_t position) { model_.SetBlockEnd(position); }
    void MarkBlockStart() { model_.MarkBlockStart(); }
    void MarkBlockEnd() { model_.MarkBlockEnd(); }
    void SelectNone() { model_.SelectNone(); }
    void SelectAll() { model_.SelectAll(); }
    bool HasBlock() const { return model_.HasBlock(); }
    int64_t BlockStart() const { return model_.BlockStart(); }
    int64_t BlockEnd() const { return model_.BlockEnd(); }
    bool SelectionInHex() const { return model_.SelectionInHex(); }

    // A message over the grid's top-left corner for milliseconds; the completion message of a search.
    void ShowBalloon(const QString& text, int milliseconds);
    void ShowSearchDone();
    void HideBalloon();
    bool BalloonVisible() const;
    QString BalloonText() const;

    // HexSearchController::Find on the grid's stream; the grid shows "Searching . . ." and takes no input
    // while it runs.
    int64_t Find(const QByteArray& pattern, bool ignoreCase, int64_t endOffset, int64_t startOffset) {
        return search_.Find(pattern, ignoreCase, endOffset, startOffset);
    }
    void CancelSearch() { search_.CancelSearch(); }
    bool Searching() const { return search_.Searching(); }

    // Geometry: the height of a row (the header's too), and where a byte's hex or character cell lies in
    // the viewport (an empty rectangle when its row is not in view).
    int RowHeight() const { return painter_.RowHeight(); }
    QRect CellRect(int64_t offset, bool hexHalf) const;

signals:
    void selectionChanged(qint64 start, qint64 end);
    void addressChanged(qint64 address, quint8 byte);
    void fileChanged(const QString& name);
    void searchSuccess(qint64 result, int count);
    void searchProgress(int percent);
    // A read error ended a search; reason is the error's text.
    void searchFailed(const QString& reason);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // The byte a drag at viewport point pos selects: the cell under it, or the nearest byte when the
    // point is over the address or gap columns, beside the grid or beyond the last byte.
    struct DragTarget {
        int64_t offset = 0;
        bool hexHalf = true;
    };
    DragTarget dragTarget(QPoint pos) const;
    void updateGeometryFromView();
    void syncScrollBars();
    void onScrollAction(int action);
    void onScrollValue(int value);
    void onAutoScroll();
    void onSearchStarted();
    void onSearchEnded(qint64 result);

    HexGridModel model_;
    HexSearchController search_;
    HexGridPainter painter_;
    HexBalloon* balloon_;
    QTimer* autoScroll_;
    QPoint lastDragPoint_;
    int wheelRemainder_ = 0;
    bool syncing_ = false;
};
