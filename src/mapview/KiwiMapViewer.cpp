// The map view widget: mouse, wheel and settings become state changes and events; paints show the last
// finished picture (scrolled or scaled to the view while a new one is drawn) and the selection.
#include "mapview/KiwiMapViewer.h"

#include <QHelpEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>

#include "kiwi/map/KiwiMap.h"
#include "mapview/core/QPainterCanvas.h"

namespace {

// One wheel notch; touchpads send smaller steps that add up to it.
constexpr int kWheelStep = 120;
// Every map the view is given gets a number of its own, so decoded parcels of an old map never match.
uint64_t nextGeneration() {
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

} // namespace

TKiwiMapViewer::TKiwiMapViewer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    state_.SetClientSize(width(), height());
    QPointer<TKiwiMapViewer> self(this);
    thread_ = std::make_unique<MapRenderThread>(renderer_, [self] {
        // Runs on the render thread: the widget takes the picture on its own thread.
        if (self) QMetaObject::invokeMethod(self.data(), "takeRender", Qt::QueuedConnection);
    });
}

TKiwiMapViewer::~TKiwiMapViewer() {
    // The thread is stopped before the renderer it draws with goes.
    thread_.reset();
}

void TKiwiMapViewer::fire(const MapViewEventList& fired) {
    if (!events_) return;
    for (MapViewEvent event : fired) {
        switch (event) {
        case MapViewEvent::LevelChanged:
            events_->LevelChanged();
            break;
        case MapViewEvent::SelectionChanged:
            events_->SelectionChanged(state_.SelectionShown(), state_.SelectedParcel());
            break;
        case MapViewEvent::ScaleChanged:
            events_->ScaleChanged();
            break;
        case MapViewEvent::ViewPortChanged:
            events_->ViewPortChanged();
            break;
        }
    }
}

MapRenderView TKiwiMapViewer::currentView() const {
    MapRenderView view = RenderViewOf(state_);
    view.mapGeneration = generation_;
    view.icons = icons_;
    view.revision = revision_;
    return view;
}

int TKiwiMapViewer::pixelRatio() const {
    return std::max(1, int(std::lround(devicePixelRatioF())));
}

void TKiwiMapViewer::changed() {
    update();
}

void TKiwiMapViewer::dropRenders() {
    // Nothing of the view's keeps the map or the route planning data it had: the window may close their
    // files (and unmount their image) as soon as it has handed the view the new ones.
    thread_->Cancel();
    thread_->WaitIdle();
    thread_->Take();
    frame_ = MapPicture();
    frameValid_ = false;
    requested_ = MapRenderView();
    requestedValid_ = false;
}

void TKiwiMapViewer::SetMap(std::shared_ptr<TLN_KiwiMap> map) {
    generation_ = nextGeneration();
    renderer_.Cache().Clear();
    dropRenders();
    pressed_ = dragging_ = false;
    MapViewEventList fired;
    state_.SetClientSize(width(), height());
    state_.SetMap(std::move(map), fired);
    // A closed map leaves a white view rather than the old picture.
    update();
    fire(fired);
}

void TKiwiMapViewer::SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) {
    if (regions == state_.RegionManager()) return;
    dropRenders();
    state_.SetRegionManager(std::move(regions));
    changed();
}

void TKiwiMapViewer::SetRoadColors(const std::array<uint32_t, 16>& colours) {
    state_.SetColors(colours);
    changed();
}

void TKiwiMapViewer::SetRoadColor(int displayClass, uint32_t colour) {
    state_.SetColor(displayClass, colour);
    changed();
}

void TKiwiMapViewer::SetDrawGrid(bool on) {
    if (state_.SetDrawGrid(on) && state_.Active()) changed();
}

void TKiwiMapViewer::SetScaleDensity(int scale) {
    MapViewEventList fired;
    state_.SetScale(scale, fired);
    changed();
    fire(fired);
}

void TKiwiMapViewer::SetUseDisplayScale(bool on) {
    if (state_.SetUseDisplayScale(on)) changed();
}

void TKiwiMapViewer::SetLayers(int mask, bool repaint) {
    if (state_.SetLayers(mask) && repaint) changed();
}

void TKiwiMapViewer::ZoomAt(QPoint client, int z) {
    if (!state_.Active()) return;
    MapViewEventList fired;
    state_.ZoomAt(client, z, fired);
    changed();
    fire(fired);
}

void TKiwiMapViewer::PanBy(int dx, int dy) {
    if (!state_.Active()) return;
    state_.Pan(dx, dy);
    fire({MapViewEvent::ViewPortChanged});
    // A picture that cannot be moved (a jump past its size) stays as the preview until the new one comes.
    if (frameValid_) ScrollPicture(frame_, renderer_, currentView());
    update();
}

void TKiwiMapViewer::ZoomIn() {
    MapViewEventList fired;
    if (state_.WheelUp(QPoint(width() / 2, height() / 2), fired)) changed();
    fire(fired);
}

void TKiwiMapViewer::ZoomOut() {
    MapViewEventList fired;
    if (state_.WheelDown(QPoint(width() / 2, height() / 2), fired)) changed();
    fire(fired);
}

void TKiwiMapViewer::ClickAt(QPoint client) {
    MapViewEventList fired;
    if (state_.ClickAt(client, fired)) update();
    fire(fired);
}

void TKiwiMapViewer::NamesChanged() {
    ++revision_;
    renderer_.Cache().Clear();
    changed();
}

void TKiwiMapViewer::SetNameIcons(std::vector<QImage> icons) {
    icons_ = std::make_shared<const std::vector<QImage>>(std::move(icons));
    changed();
}

void TKiwiMapViewer::requestRender() {
    const MapRenderView view = currentView();
    if (requestedValid_ && requested_.SameContent(view)) {
        if (requested_.originX == view.originX && requested_.originY == view.originY) return;
        // A pan while a picture of this content is drawn: it is scrolled to the view when it comes, rather
        // than drawn again from the start at every move of the mouse.
        if (!thread_->Idle()) return;
    }
    requested_ = view;
    requestedValid_ = true;
    ++renderRequests_;
    thread_->Request(view, pixelRatio());
}

void TKiwiMapViewer::takeRender() {
    std::optional<MapPicture> result = thread_->Take();
    if (!result) return;
    const MapRenderView view = currentView();
    // A picture of a view that has changed since is dropped; the next paint asks again.
    if (!result->view.SameContent(view)) {
        if (requested_.SameContent(result->view)) requestedValid_ = false;
        update();
        return;
    }
    frame_ = std::move(*result);
    frameValid_ = true;
    // Pans made while it was drawn move it before it is shown; one too far leaves it as the preview.
    ScrollPicture(frame_, renderer_, view);
    update();
}

bool TKiwiMapViewer::FinishRendering() {
    thread_->WaitIdle();
    takeRender();
    const MapRenderView view = currentView();
    return !state_.Active() || (frameValid_ && frame_.view.SameContent(view) &&
                                frame_.view.originX == view.originX && frame_.view.originY == view.originY);
}

void TKiwiMapViewer::paintPreview(QPainter& painter, const MapRenderView& view) {
    painter.fillRect(rect(), Qt::white);
    if (!frameValid_ || frame_.view.map != view.map || frame_.view.mapGeneration != view.mapGeneration)
        return;
    // Positions on the old picture's level scale to the new level by the parcel counts across.
    const TLN_Level_Management_Record* from = view.map->Level(uint8_t(frame_.view.level));
    const TLN_Level_Management_Record* to = view.map->Level(uint8_t(view.level));
    if (!from || !to || from->ParcelsAcrossX <= 0 || from->ParcelsAcrossY <= 0) return;
    const double ratioX = double(to->ParcelsAcrossX) / from->ParcelsAcrossX;
    const double ratioY = double(to->ParcelsAcrossY) / from->ParcelsAcrossY;
    const double oldUnits = std::max(1, frame_.view.unitsPerPixel);
    const double newUnits = std::max(1, view.unitsPerPixel);
    const double scaleX = oldUnits * ratioX / newUnits;
    const double scaleY = oldUnits * ratioY / newUnits;
    const double moveX = (double(frame_.view.originX) * ratioX - double(view.originX)) / newUnits;
    const double moveY = view.height - (double(frame_.view.height) * oldUnits * ratioY +
                                        double(frame_.view.originY) * ratioY - double(view.originY)) /
                                           newUnits;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setTransform(QTransform(scaleX, 0, 0, scaleY, moveX, moveY));
    painter.drawImage(QPointF(0, 0), frame_.image);
    painter.restore();
}

void TKiwiMapViewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!state_.Active()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    const MapRenderView view = currentView();
    const bool current = frameValid_ && frame_.view.SameContent(view) &&
                         frame_.view.originX == view.originX && frame_.view.originY == view.originY;
    if (current) {
        painter.drawImage(QPoint(0, 0), frame_.image);
    } else {
        paintPreview(painter, view);
        requestRender();
    }
    const QRect selection = state_.SelectionRect();
    if (!selection.isNull() && !selection.isEmpty()) {
        QPainterCanvas canvas(painter, &renderer_.TextStore());
        canvas.FocusRect(selection);
    }
}

void TKiwiMapViewer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    state_.SetClientSize(width(), height());
    fire({MapViewEvent::ViewPortChanged});
}

void TKiwiMapViewer::wheelEvent(QWheelEvent* event) {
    wheelDelta_ += event->angleDelta().y();
    const QPoint at = event->position().toPoint();
    bool handled = false;
    while (std::abs(wheelDelta_) >= kWheelStep) {
        MapViewEventList fired;
        const bool up = wheelDelta_ > 0;
        wheelDelta_ += up ? -kWheelStep : kWheelStep;
        handled = (up ? state_.WheelUp(at, fired) : state_.WheelDown(at, fired)) || handled;
        fire(fired);
    }
    if (handled) {
        changed();
        event->accept();
    } else {
        event->ignore();
    }
}

void TKiwiMapViewer::mousePressEvent(QMouseEvent* event) {
    if (state_.Active() && event->button() == Qt::LeftButton) {
        press_ = event->position().toPoint();
        pressed_ = true;
        dragging_ = false;
    }
    QWidget::mousePressEvent(event);
}

void TKiwiMapViewer::mouseMoveEvent(QMouseEvent* event) {
    if (!state_.Active()) return;
    const QPoint at = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        if (events_) events_->PosChanged(state_.MapPositionAt(at));
        return;
    }
    if (!pressed_) return;
    const int dx = press_.x() - at.x();
    const int dy = press_.y() - at.y();
    // Recomputed at every move: a last move under the threshold is not a drag.
    dragging_ = std::abs(dx) >= MapViewState::kDragThreshold || std::abs(dy) >= MapViewState::kDragThreshold;
    if (!dragging_) return;
    setCursor(Qt::SizeAllCursor);
    press_ = at;
    PanBy(dx, dy);
}

void TKiwiMapViewer::mouseReleaseEvent(QMouseEvent* event) {
    unsetCursor();
    if (state_.Active() && event->button() == Qt::LeftButton && !dragging_)
        ClickAt(event->position().toPoint());
    dragging_ = false;
    if (event->button() == Qt::LeftButton) pressed_ = false;
}

bool TKiwiMapViewer::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::optional<QString> text = HintTextAt(help->pos());
        if (text) {
            // The hint keeps its line feed and carriage return pairs; shown, the carriage returns go.
            QString shown = *text;
            shown.remove(QLatin1Char('\r'));
            QToolTip::showText(help->globalPos(), shown, this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}
