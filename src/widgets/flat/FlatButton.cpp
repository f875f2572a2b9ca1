// The flat push button's painting, hover tracking, advanced colours and group behaviour.
#include "widgets/flat/FlatButton.h"

#include <QDialog>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

FlatButton::FlatButton(QWidget* parent) : FlatButton(QString(), parent) {}

FlatButton::FlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    resize(25, 25);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (modalResult_ == 0) return;
        if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->done(modalResult_);
    });
    connect(this, &QAbstractButton::toggled, this, [this](bool down) {
        if (down) groupChanged();
    });
}

void FlatButton::SetColorFocused(TLN_Color color) {
    if (flat::storeChanged(colorFocused_, color)) update();
}
void FlatButton::SetColorDown(TLN_Color color) {
    if (flat::storeChanged(colorDown_, color)) update();
}
void FlatButton::SetColorBorder(TLN_Color color) {
    if (flat::storeChanged(colorBorder_, color)) update();
}
void FlatButton::SetColorHighLight(TLN_Color color) {
    if (flat::storeChanged(colorHighLight_, color)) update();
}
void FlatButton::SetColorShadow(TLN_Color color) {
    if (flat::storeChanged(colorShadow_, color)) update();
}

void FlatButton::SetUseAdvColors(bool on) {
    if (!flat::storeChanged(useAdvColors_, on)) return;
    calcAdvColors();
    update();
}
void FlatButton::SetAdvColorFocused(flat::TAdvColors percent) {
    if (flat::storeChanged(advColorFocused_, percent)) calcAdvColors();
}
void FlatButton::SetAdvColorDown(flat::TAdvColors percent) {
    if (flat::storeChanged(advColorDown_, percent)) calcAdvColors();
}
void FlatButton::SetAdvColorBorder(flat::TAdvColors percent) {
    if (flat::storeChanged(advColorBorder_, percent)) calcAdvColors();
}

void FlatButton::calcAdvColors() {
    if (!useAdvColors_) return;
    const TLN_Color base = flat::fromQColor(palette().color(QPalette::Window));
    colorFocused_ = flat::LightenColor(base, colorFocused_, advColorFocused_, false);
    colorDown_ = flat::LightenColor(base, colorDown_, advColorDown_, true);
    colorBorder_ = flat::LightenColor(base, colorBorder_, advColorBorder_, true);
    update();
}

void FlatButton::SetTransparentMode(TransparentMode mode) {
    if (flat::storeChanged(transparentMode_, mode)) update();
}
void FlatButton::SetLayout(flat::GlyphLayout layout) {
    if (flat::storeChanged(layout_, layout)) update();
}
void FlatButton::SetMargin(int margin) {
    if (margin >= -1 && flat::storeChanged(margin_, margin)) update();
}
void FlatButton::SetSpacing(int spacing) {
    if (flat::storeChanged(spacing_, spacing)) update();
}

void FlatButton::SetGlyph(const QImage& glyph) {
    glyph_ = glyph.convertToFormat(QImage::Format_ARGB32);
    if (!glyph_.isNull() && glyph_.height() > 0 && glyph_.width() % glyph_.height() == 0) {
        const int count = glyph_.width() / glyph_.height();
        numGlyphs_ = count > 4 ? 1 : count;
    }
    updateGeometry();
    update();
}

void FlatButton::SetNumGlyphs(int count) {
    if (flat::storeChanged(numGlyphs_, std::clamp(count, 1, 4))) update();
}

void FlatButton::SetGroupIndex(int index) {
    if (!flat::storeChanged(groupIndex_, index)) return;
    setCheckable(index != 0);
    if (index == 0) setChecked(false);
    groupChanged();
    update();
}

void FlatButton::SetAllowAllUp(bool allow) {
    if (!flat::storeChanged(allowAllUp_, allow)) return;
    groupChanged();
    update();
}

void FlatButton::groupChanged() {
    if (groupIndex_ == 0 || !parentWidget()) return;
    const auto siblings = parentWidget()->findChildren<FlatButton*>(Qt::FindDirectChildrenOnly);
    for (FlatButton* other : siblings) {
        if (other == this || other->groupIndex_ != groupIndex_) continue;
        other->allowAllUp_ = allowAllUp_;
        if (isChecked() && other->isChecked()) other->setChecked(false);
    }
}

void FlatButton::nextCheckState() {
    if (groupIndex_ == 0) return;
    // The pressed member of a group can be raised by a click only when the group allows all up.
    if (isChecked() && !allowAllUp_) return;
    setChecked(!isChecked());
}

void FlatButton::setHovered(bool on) {
    if (flat::storeChanged(hovered_, on)) update();
}

void FlatButton::setMouseInside(bool on) {
    if (!flat::storeChanged(mouseInside_, on)) return;
    if (on)
        emit MouseEnter();
    else
        emit MouseLeave();
}

void FlatButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    if (!isEnabled()) return;
    setHovered(true);
    setMouseInside(true);
}
void FlatButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    // The mouse went elsewhere: the raised look goes too, focused or not.
    setHovered(false);
    setMouseInside(false);
}

void FlatButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    // A pressed button keeps the mouse, and no leave comes until the release: the look follows the
    // mouse on and off the button meanwhile.
    if ((event->buttons() & Qt::LeftButton) && isEnabled())
        setHovered(hitButton(event->position().toPoint()));
}

void FlatButton::loseMouse() {
    // The mouse is lost to another window (a modal one in front): nothing is hovered or held any more.
    setHovered(false);
    setMouseInside(false);
    if (isDown()) setDown(false);
}

void FlatButton::watchWindow() {
    QWidget* top = window();
    if (top == watchedWindow_) return;
    if (watchedWindow_) watchedWindow_->removeEventFilter(this);
    watchedWindow_ = top;
    if (top != this) top->installEventFilter(this);
}

bool FlatButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && event->type() == QEvent::WindowBlocked) loseMouse();
    return QPushButton::eventFilter(watched, event);
}

bool FlatButton::event(QEvent* event) {
    if (event->type() == QEvent::UngrabMouse || event->type() == QEvent::WindowBlocked) loseMouse();
    return QPushButton::event(event);
}

void FlatButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click presses the button like the first one did.
    QPushButton::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && isEnabled() && isChecked()) emit doubleClicked();
}
void FlatButton::focusInEvent(QFocusEvent* event) {
    QPushButton::focusInEvent(event);
    setHovered(true);
}
void FlatButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    setHovered(underMouse() && isEnabled());
}
void FlatButton::showEvent(QShowEvent* event) {
    QPushButton::showEvent(event);
    watchWindow();
}
void FlatButton::hideEvent(QHideEvent* event) {
    QPushButton::hideEvent(event);
    setHovered(false);
    setMouseInside(false);
}

void FlatButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        // Enabled again under a resting mouse, the button is entered without another move.
        setHovered(isEnabled() && (underMouse() || hasFocus()));
        setMouseInside(isEnabled() && underMouse());
        update();
        break;
    case QEvent::ParentChange:
        if (isVisible()) watchWindow();
        calcAdvColors();
        break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        calcAdvColors();
        break;
    default:
        break;
    }
}

QSize FlatButton::sizeHint() const {
    const QFontMetrics fm(font());
    // An empty caption takes no room (measured, it would still be one line high).
    const QSize text =
        this->text().isEmpty() ? QSize() : fm.size(Qt::TextSingleLine | Qt::TextShowMnemonic, this->text());
    QSize glyph;
    if (!glyph_.isNull()) glyph = QSize(glyph_.width() / numGlyphs_, glyph_.height());
    const bool horizontal = layout_ == flat::GlyphLayout::Left || layout_ == flat::GlyphLayout::Right;
    const int gap = glyph.isEmpty() || text.isEmpty() ? 0 : std::max(spacing_, 0);
    const int w = horizontal ? glyph.width() + gap + text.width() : std::max(glyph.width(), text.width());
    const int h = horizontal ? std::max(glyph.height(), text.height()) : glyph.height() + gap + text.height();
    // A picture alone sits in a square button of the default size with a few pixels around it.
    if (text.isEmpty()) return QSize(std::max(25, w + 9), std::max(25, h + 9));
    return QSize(std::max(25, w + 16), std::max(25, h + 8));
}

QImage FlatButton::glyphForState(int imageIndex) const {
    const int w = glyph_.width() / numGlyphs_;
    return glyph_.copy(imageIndex * w, 0, w, glyph_.height());
}

void FlatButton::paintEvent(QPaintEvent*) {
    enum class State { Up, Disabled, Down, Exclusive };
    State state = State::Up;
    if (!isEnabled())
        state = State::Disabled;
    else if (isDown())
        state = State::Down;
    else if (isChecked())
        state = State::Exclusive;

    QPainter painter(this);
    const QColor color = palette().color(QPalette::Window);
    bool fill = transparentMode_ == TransparentMode::None ||
                (transparentMode_ == TransparentMode::NotFocused && hovered_);
    if (fill) {
        QColor background = color;
        if (state == State::Up && hovered_) background = flat::toQColor(colorFocused_);
        if (state == State::Down) background = flat::toQColor(colorDown_);
        if (state == State::Exclusive) background = flat::toQColor(hovered_ ? colorFocused_ : colorDown_);
        painter.fillRect(rect(), background);
    }

    flat::WinRect frame{0, 0, width(), height()};
    if (state == State::Up && hovered_)
        flat::DrawFrame3D(painter, frame, flat::toQColor(colorHighLight_), 1, flat::toQColor(colorShadow_));
    else if (state == State::Up)
        flat::DrawFrame3D(painter, frame, flat::toQColor(colorBorder_), isDefault() ? 2 : 1,
                          flat::toQColor(colorBorder_));
    else if (state == State::Disabled)
        flat::DrawFrame3D(painter, frame, flat::toQColor(colorBorder_), 1, flat::toQColor(colorBorder_));
    else
        flat::DrawFrame3D(painter, frame, flat::toQColor(colorShadow_), 1, flat::toQColor(colorHighLight_));

    // The glyph for the state: its index in the strip depends on how many images it holds.
    QImage image;
    if (!glyph_.isNull()) {
        int index = 0;
        if (numGlyphs_ == 4)
            index = state == State::Disabled    ? 1
                    : state == State::Down      ? 2
                    : state == State::Exclusive ? 3
                                                : 0;
        else if (numGlyphs_ == 3)
            index = state == State::Disabled                              ? 1
                    : (state == State::Down || state == State::Exclusive) ? 2
                                                                          : 0;
        else if (numGlyphs_ == 2)
            index = state == State::Disabled ? 1 : 0;
        image = glyphForState(index);
        if (numGlyphs_ == 1 && state == State::Disabled) {
            const QColor transparent = image.pixelColor(0, image.height() - 1);
            // The greyed image on the button's own face colour, so it shows no square of another grey.
            image = flat::MakeDisabledGlyph(image, transparent, color, true,
                                            flat::toQColor(flat::kColorBtnShadow),
                                            flat::toQColor(flat::kColorBtnHighlight));
        }
    }

    const QFontMetrics fm(font());
    const int textFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;
    const QSize textSize = text().isEmpty() ? QSize() : fm.size(textFlags, text());
    const bool pressed = state == State::Down || state == State::Exclusive;
    const flat::GlyphAndCaption placed = flat::LayoutGlyphAndCaption(
        flat::WinRect{0, 0, width(), height()}, pressed ? QPoint(1, 1) : QPoint(0, 0), textSize, layout_,
        margin_, spacing_, image.isNull() ? QSize() : image.size());
    if (!image.isNull()) {
        // The bottom left pixel is the glyph's transparent colour.
        QImage shown = image;
        const QRgb clear = image.pixel(0, image.height() - 1);
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (shown.pixel(x, y) == clear) shown.setPixel(x, y, 0);
        painter.drawImage(placed.glyph, shown);
    }
    if (!textSize.isEmpty()) {
        const QRect textRect(placed.text.left, placed.text.top, placed.text.width(), placed.text.height());
        const int align = Qt::AlignCenter | textFlags;
        if (state == State::Disabled) {
            painter.setPen(flat::toQColor(flat::kColorBtnHighlight));
            painter.drawText(textRect.translated(1, 1), align, text());
            painter.setPen(flat::toQColor(flat::kColorBtnShadow));
        } else {
            painter.setPen(palette().color(QPalette::ButtonText));
        }
        painter.drawText(textRect, align, text());
    }
}
