// The hex grid's painting, scroll bars (a 64-bit top row on a 32-bit bar), mouse, keyboard and search
// reactions.
#include "hexview/HexGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "hexview/HexBalloon.h"
#include "hexview/model/HexGridLayout.h"
#include "hexview/model/HexScrollMapping.h"

using Move = HexGridModel::Move;

HexGrid::HexGrid(QWidget* parent)
    : QAbstractScrollArea(parent), search_(model_), balloon_(new HexBalloon(this)),
      autoScroll_(new QTimer(this)) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    painter_.SetFont(font());
    autoScroll_->setInterval(50);

    connect(&model_, &HexGridModel::selectionChanged, this, &HexGrid::selectionChanged);
    connect(&model_, &HexGridModel::addressChanged, this, &HexGrid::addressChanged);
    connect(&model_, &HexGridModel::fileChanged, this, &HexGrid::fileChanged);
    connect(&model_, &HexGridModel::viewChanged, this, [this] {
        syncScrollBars();
        viewport()->update();
    });
    connect(&search_, &HexSearchController::searchSuccess, this, &HexGrid::searchSuccess);
    connect(&search_, &HexSearchController::searchProgress, this, &HexGrid::searchProgress);
    connect(&search_, &HexSearchController::searchStarted, this, &HexGrid::onSearchStarted);
    connect(&search_, &HexSearchController::searchEnded, this, &HexGrid::onSearchEnded);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &HexGrid::onScrollAction);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &HexGrid::onScrollValue);
    connect(autoScroll_, &QTimer::timeout, this, &HexGrid::onAutoScroll);
    updateGeometryFromView();
}

HexGrid::~HexGrid() = default;

void HexGrid::ShowBalloon(const QString& text, int milliseconds) {
    balloon_->Show(text, milliseconds);
}

void HexGrid::ShowSearchDone() {
    ShowBalloon(model_.RussianTexts() ? QStringLiteral("Поиск завершен")
                                      : QStringLiteral("Search is completed"),
                2000);
}

void HexGrid::HideBalloon() {
    balloon_->Hide();
}

bool HexGrid::BalloonVisible() const {
    return balloon_->Visible();
}

QString HexGrid::BalloonText() const {
    return balloon_->Text();
}

void HexGrid::onSearchStarted() {
    ShowBalloon(
        model_.RussianTexts() ? QStringLiteral("Идет поиск . . .") : QStringLiteral("Searching . . ."), 0);
}

void HexGrid::onSearchEnded(qint64 result) {
    HideBalloon();
    if (result == -1) ShowSearchDone();
    setFocus();
    if (result == HexSearchController::kSearchFailed) emit searchFailed(search_.LastError());
}

QRect HexGrid::CellRect(int64_t offset, bool hexHalf) const {
    if (offset < 0 || offset >= model_.Size()) return {};
    const int64_t row = offset / 16 - model_.TopRow();
    const int h = painter_.RowHeight();
    if (row < 0 || (row + 1) * h >= viewport()->height()) return {};
    const int index = int(offset % 16);
    const int column = hexHalf ? hexlayout::HexColumnOf(index) : hexlayout::CharColumnOf(index);
    return QRect(hexlayout::ColumnLeft(column) - horizontalScrollBar()->value(), int(row + 1) * h,
                 hexlayout::ColumnWidth(column), h);
}

void HexGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter_.Paint(painter, model_, palette(), viewport()->width(), viewport()->height(),
                   horizontalScrollBar()->value());
}

void HexGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateGeometryFromView();
}

void HexGrid::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        painter_.SetFont(font());
        updateGeometryFromView();
    }
    QAbstractScrollArea::changeEvent(event);
}

void HexGrid::updateGeometryFromView() {
    const int h = painter_.RowHeight();
    model_.SetVisibleRows(std::max(1, (viewport()->height() - h) / h));
    syncScrollBars();
    viewport()->update();
}

void HexGrid::syncScrollBars() {
    syncing_ = true;
    const int64_t maxTop = model_.MaxTopRow();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, hexscroll::Maximum(maxTop));
    bar->setSingleStep(1);
    bar->setPageStep(std::max(1, hexscroll::ValueForTop(model_.VisibleRows(), std::max<int64_t>(maxTop, 1))));
    bar->setValue(hexscroll::ValueForTop(model_.TopRow(), maxTop));
    QScrollBar* across = horizontalScrollBar();
    across->setRange(0, std::max(0, hexlayout::kTotalWidth - viewport()->width()));
    across->setPageStep(std::max(1, viewport()->width()));
    across->setSingleStep(20);
    syncing_ = false;
}

void HexGrid::onScrollAction(int action) {
    // Arrows and page clicks move by rows and pages even when one scroll value stands for many rows.
    int64_t top = model_.TopRow();
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        ++top;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        --top;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        top += model_.VisibleRows();
        break;
    case QAbstractSlider::SliderPageStepSub:
        top -= model_.VisibleRows();
        break;
    default:
        return;
    }
    model_.SetTopRow(top);
    verticalScrollBar()->setSliderPosition(hexscroll::ValueForTop(model_.TopRow(), model_.MaxTopRow()));
}

void HexGrid::onScrollValue(int value) {
    if (syncing_) return;
    const int64_t maxTop = model_.MaxTopRow();
    // A value that already stands for the top row keeps it (the scale rounds).
    if (value == hexscroll::ValueForTop(model_.TopRow(), maxTop)) return;
    model_.SetTopRow(hexscroll::TopForValue(value, maxTop));
}

void HexGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

void HexGrid::mousePressEvent(QMouseEvent* event) {
    if (search_.Searching()) return;
    setFocus();
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    const int h = painter_.RowHeight();
    const int column = hexlayout::ColumnAt(pos.x() + horizontalScrollBar()->value());
    const int index = hexlayout::ByteIndexOfColumn(column);
    const int64_t row = pos.y() < h ? -1 : model_.TopRow() + (pos.y() - h) / h;
    // The address and gap columns, the header and rows past the end keep the cursor where it is.
    if (index < 0 || row < 0 || row >= model_.DataRowCount()) {
        model_.PressOutsideBytes();
        return;
    }
    model_.PressByte(row * 16 + index, hexlayout::IsHexColumn(column));
    lastDragPoint_ = pos;
}

HexGrid::DragTarget HexGrid::dragTarget(QPoint pos) const {
    const int h = painter_.RowHeight();
    const int dataHeight = std::max(h, viewport()->height() - h);
    const int y = std::clamp(pos.y() - h, 0, dataHeight - 1);
    const int64_t row =
        std::clamp<int64_t>(model_.TopRow() + y / h, 0, std::max<int64_t>(0, model_.DataRowCount() - 1));
    const int x = pos.x() + horizontalScrollBar()->value();
    int column = hexlayout::ColumnAt(x);
    if (x < 0 || column == hexlayout::kAddressColumn || column == 1)
        column = hexlayout::kFirstHexColumn;
    else if (column == 18)
        column = hexlayout::kLastHexColumn;
    else if (column < 0)
        column = hexlayout::kLastCharColumn;
    return {row * 16 + hexlayout::ByteIndexOfColumn(column), hexlayout::IsHexColumn(column)};
}

void HexGrid::mouseMoveEvent(QMouseEvent* event) {
    if (search_.Searching() || !(event->buttons() & Qt::LeftButton)) return;
    lastDragPoint_ = event->position().toPoint();
    const DragTarget target = dragTarget(lastDragPoint_);
    model_.DragTo(target.offset, target.hexHalf);
    // Above the rows or below them the grid scrolls on by itself while the button is held.
    const bool outside =
        lastDragPoint_.y() < painter_.RowHeight() || lastDragPoint_.y() >= viewport()->height();
    if (outside && model_.Dragging() && !autoScroll_->isActive())
        autoScroll_->start();
    else if (!outside)
        autoScroll_->stop();
}

void HexGrid::onAutoScroll() {
    if (!model_.Dragging()) {
        autoScroll_->stop();
        return;
    }
    const bool up = lastDragPoint_.y() < painter_.RowHeight();
    model_.SetTopRow(model_.TopRow() + (up ? -1 : 1));
    const DragTarget target = dragTarget(lastDragPoint_);
    model_.DragTo(target.offset, target.hexHalf);
}

void HexGrid::mouseReleaseEvent(QMouseEvent*) {
    autoScroll_->stop();
    model_.Release();
}

void HexGrid::keyPressEvent(QKeyEvent* event) {
    if (search_.Searching()) return;
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        model_.MoveCursor(Move::Left);
        break;
    case Qt::Key_Right:
        model_.MoveCursor(Move::Right);
        break;
    case Qt::Key_Up:
        model_.MoveCursor(Move::Up);
        break;
    case Qt::Key_Down:
        model_.MoveCursor(Move::Down);
        break;
    case Qt::Key_PageUp:
        model_.MoveCursor(Move::PageUp);
        break;
    case Qt::Key_PageDown:
        model_.MoveCursor(Move::PageDown);
        break;
    case Qt::Key_Home:
        model_.MoveCursor(control ? Move::FileStart : Move::RowStart);
        break;
    case Qt::Key_End:
        model_.MoveCursor(control ? Move::FileEnd : Move::RowEnd);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void HexGrid::wheelEvent(QWheelEvent* event) {
    // Three rows per notch, whatever one scroll value stands for.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    if (notches != 0) model_.SetTopRow(model_.TopRow() - int64_t(notches) * 3);
    event->accept();
}
