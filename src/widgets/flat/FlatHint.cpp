// Placement, painting and the application-wide tooltip takeover of the flat hint.
#include "widgets/flat/FlatHint.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <climits>

namespace {

constexpr int kHintPause = 500;
constexpr int kHintShortPause = 25;
constexpr int kHintHidePause = 5000;
// The text's room is the box less the arrow strip and margins.
constexpr int kStripAndMargins = 22;
constexpr int kBottomBand = 100;

// The application's style with the hint pauses.
class HintPauseStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return kHintPause;
        if (hint == SH_ToolTip_FallAsleepDelay) return kHintShortPause;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

HintPlacement hintPlacement(QPoint cursor, const QRect& screen, QSize size) {
    const int w = size.width(), h = size.height();
    const QPoint p = cursor - screen.topLeft();
    const int sw = screen.width(), sh = screen.height();
    const bool inBottomBand = p.y() >= sh - kBottomBand;
    const bool inRightBand = p.x() >= sw - w;
    HintPlacement placement;
    if (inBottomBand && !inRightBand)
        placement.side = 3;
    else if (inRightBand && !inBottomBand)
        placement.side = 0;
    else if (inRightBand && inBottomBand)
        placement.side = 2;
    else
        placement.side = 1;
    const int d = placement.side == 1 ? 12 : 5;
    const int x = placement.side == 0 || placement.side == 2 ? cursor.x() - w - d : cursor.x() + d;
    const int y = placement.side == 2 || placement.side == 3 ? cursor.y() - h - d : cursor.y() + d;
    QRect rect(x, y, w, h);
    // A box taller or wider than the room left on its side is pulled back onto the screen.
    rect.moveLeft(std::clamp(rect.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - w)));
    rect.moveTop(std::clamp(rect.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - h)));
    placement.rect = rect;
    return placement;
}

// ----- window -----

FlatHintWindow::FlatHintWindow(const FlatHint& hint)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), hint_(hint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize FlatHintWindow::hintSize(const QString& text) const {
    const QFontMetrics fm(hint_.Font());
    const QRect bounds = fm.boundingRect(QRect(0, 0, hint_.MaxHintWidth() - kStripAndMargins, INT_MAX / 2),
                                         Qt::TextWordWrap, text);
    return QSize(bounds.width() + kStripAndMargins, bounds.height() + 6);
}

void FlatHintWindow::ActivateHint(const QString& text, QPoint cursor, const QRect& screen) {
    text_ = text;
    setFont(hint_.Font());
    const HintPlacement placement = hintPlacement(cursor, screen, hintSize(text));
    side_ = placement.side;
    setGeometry(placement.rect);
    show();
    raise();
    update();
}

void FlatHintWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width(), h = height();
    const bool stripLeft = side_ == 1 || side_ == 3;
    const QRect strip = stripLeft ? QRect(0, 0, kArrowStrip, h) : QRect(w - kArrowStrip, 0, kArrowStrip, h);
    const QRect textArea =
        stripLeft ? QRect(kArrowStrip, 0, w - kArrowStrip, h) : QRect(0, 0, w - kArrowStrip, h);
    painter.fillRect(strip, flat::toQColor(hint_.ColorArrowBackground()));
    painter.fillRect(textArea, flat::toQColor(hint_.ColorBackground()));
    const QColor border = flat::toQColor(hint_.ColorBorder());
    flat::WinRect frame{0, 0, w, h};
    flat::DrawFrame3D(painter, frame, border, 1, border);

    // The arrow in a 9-pixel square at the strip's end nearest the cursor: a two-pixel shaft and two
    // head strokes meeting at the tip.
    const bool up = side_ == 0 || side_ == 1;
    const bool pointsLeft = side_ == 1 || side_ == 3;
    const int left = strip.left() + 3, top = up ? 3 : h - 3 - 9;
    auto at = [&](int dx, int dy) {
        return QPoint(pointsLeft ? left + dx : left + 8 - dx, up ? top + dy : top + 8 - dy);
    };
    const QColor arrow = flat::toQColor(hint_.ColorArrow());
    for (int i = 0; i < 9; ++i) {
        painter.fillRect(QRect(at(i, i), QSize(1, 1)), arrow);
        if (i < 8) painter.fillRect(QRect(at(i + 1, i), QSize(1, 1)), arrow);
        if (i < 5) {
            painter.fillRect(QRect(at(i, 0), QSize(1, 1)), arrow);
            painter.fillRect(QRect(at(0, i), QSize(1, 1)), arrow);
        }
    }
    arrowTip_ = at(0, 0);

    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.setFont(hint_.Font());
    painter.drawText(textArea.adjusted(3, 1, -3, -1), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text_);
}

// ----- component -----

FlatHint::FlatHint(QObject* owner) : QObject(owner), font_(QApplication::font()) {
    window_ = new FlatHintWindow(*this);
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(kHintHidePause);
    connect(&hideTimer_, &QTimer::timeout, this, &FlatHint::HideHint);
    qApp->installEventFilter(this);
    if (!dynamic_cast<HintPauseStyle*>(QApplication::style()))
        QApplication::setStyle(new HintPauseStyle(QStyleFactory::create(QApplication::style()->name())));
}

FlatHint::~FlatHint() {
    qApp->removeEventFilter(this);
    delete window_;
}

void FlatHint::HideHint() {
    hideTimer_.stop();
    if (window_->isVisible()) window_->hide();
}

QString FlatHint::HintTextOf(QWidget* control, QPoint cursor, QRect* area) {
    if (area) *area = QRect();
    if (!control->toolTip().isEmpty()) return control->toolTip();
    // A list's or grid's items carry their own hints; the view asks for them over its viewport.
    auto* view = qobject_cast<QAbstractItemView*>(control->parentWidget());
    if (!view || view->viewport() != control) return {};
    const QModelIndex index = view->indexAt(control->mapFromGlobal(cursor));
    if (!index.isValid()) return {};
    if (area) *area = view->visualRect(index);
    return index.data(Qt::ToolTipRole).toString();
}

bool FlatHint::ShowHintFor(QWidget* control, QPoint cursor) {
    QString text = HintTextOf(control, cursor, &hintArea_);
    bool canShow = true;
    hintCursor_ = cursor;
    if (onShowHint_) onShowHint_(control, text, canShow);
    hintControl_ = control;
    if (!canShow || text.isEmpty()) {
        HideHint();
        return false;
    }
    const QScreen* screen = QGuiApplication::screenAt(cursor);
    if (!screen) screen = control->screen();
    window_->ActivateHint(text, cursor, screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768));
    hideTimer_.start();
    return true;
}

bool FlatHint::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip:
        if (auto* control = qobject_cast<QWidget*>(watched)) {
            // A control without a hint passes the request on to its parent, as Qt's tooltips do.
            const QPoint cursor = static_cast<QHelpEvent*>(event)->globalPos();
            if (ShowHintFor(control, cursor)) return true;
            return !HintTextOf(control, cursor).isEmpty();
        }
        break;
    case QEvent::Leave:
        if (watched == hintControl_) HideHint();
        break;
    case QEvent::MouseMove:
        // An item's hint goes when the mouse leaves the item, as a control's goes when it leaves the control.
        if (watched == hintControl_ && !hintArea_.isNull() && window_->isVisible() &&
            !hintArea_.contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
            HideHint();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
        HideHint();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
