// Painting, hover tracking and grouping of the flat check box and radio button.
#include "widgets/flat/FlatCheckBox.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace {

constexpr int kBoxSize = 11;
constexpr int kCircleSize = 10;
constexpr int kCaptionGap = 5;

// The mouse is lost to another window (a modal one in front): nothing is hovered or held any more.
void loseMouse(QAbstractButton& button, FlatMarkLook& look) {
    look.hovered = false;
    if (button.isDown()) button.setDown(false);
    button.update();
}

void watchWindow(QAbstractButton& button, FlatMarkLook& look) {
    QWidget* top = button.window();
    if (top == look.watchedWindow) return;
    if (look.watchedWindow) look.watchedWindow->removeEventFilter(&button);
    look.watchedWindow = top;
    if (top != &button) top->installEventFilter(&button);
}

// What the watched window tells: being blocked by a modal window.
void followWindowEvent(QAbstractButton& button, FlatMarkLook& look, QObject* watched, QEvent* event) {
    if (watched == look.watchedWindow && event->type() == QEvent::WindowBlocked) loseMouse(button, look);
}

// Hover, focus, enabling and colour changes common to both controls.
void followLookEvent(QAbstractButton& button, FlatMarkLook& look, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove: {
        // A pressed control keeps the mouse, and no leave comes until the release: the look follows the
        // mouse on and off the control meanwhile.
        const auto* move = static_cast<QMouseEvent*>(event);
        if ((move->buttons() & Qt::LeftButton) && button.isEnabled()) {
            look.hovered = button.rect().contains(move->position().toPoint());
            button.update();
        }
        break;
    }
    case QEvent::UngrabMouse:
    case QEvent::WindowBlocked:
        loseMouse(button, look);
        break;
    case QEvent::Show:
        watchWindow(button, look);
        break;
    case QEvent::Enter:
        if (button.isEnabled()) look.hovered = true;
        button.update();
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        look.hovered = false;
        button.update();
        break;
    case QEvent::EnabledChange:
        if (!button.isEnabled()) look.hovered = false;
        button.update();
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        button.update();
        break;
    case QEvent::ParentChange:
        if (button.isVisible()) watchWindow(button, look);
        [[fallthrough]];
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        look.calcAdvColors(flat::fromQColor(button.palette().color(QPalette::Window)));
        button.update();
        break;
    default:
        break;
    }
}

// Qt describes a checkable button as a radio button only when it is auto-exclusive; the flat radio button
// groups itself by index instead, so it describes itself.
class FlatRadioAccessible : public QAccessibleWidget {
public:
    explicit FlatRadioAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::RadioButton) {}

    QString text(QAccessible::Text kind) const override {
        const auto* button = static_cast<const QAbstractButton*>(widget());
        if (kind != QAccessible::Name || !button->accessibleName().isEmpty())
            return QAccessibleWidget::text(kind);
        // The caption without its accelerator marks ("&&" is a literal ampersand).
        QString name;
        const QString caption = button->text();
        for (qsizetype i = 0; i < caption.size(); ++i) {
            if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
                ++i;
            else if (caption[i] == QLatin1Char('&'))
                continue;
            name += caption[i];
        }
        return name;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = static_cast<const QAbstractButton*>(widget())->isChecked();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) static_cast<QAbstractButton*>(widget())->click();
    }
};

QAccessibleInterface* flatRadioAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("FlatRadioButton") && object->isWidgetType())
        return new FlatRadioAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void FlatMarkLook::calcAdvColors(TLN_Color base) {
    if (!useAdvColors) return;
    colorFocused = flat::LightenColor(base, colorFocused, advColorFocused, false);
    colorDown = flat::LightenColor(base, colorDown, advColorDown, true);
    colorBorder = flat::LightenColor(base, colorBorder, advColorBorder, true);
}

QRect FlatMarkLook::markRect(QSize size, bool round) const {
    const int side = round ? kCircleSize : kBoxSize;
    // One pixel from the edge; vertically centred, which at the controls' own 17 pixels is 3 from the top.
    const int x = markRight ? size.width() - 1 - side : 1;
    const int y = (size.height() - kBoxSize) / 2;
    return QRect(x, y, side, side);
}

QSize FlatMarkLook::sizeHint(const QAbstractButton& button) const {
    const QFontMetrics fm(button.font());
    const QSize text = fm.size(Qt::TextSingleLine | Qt::TextShowMnemonic, button.text());
    return QSize(1 + kBoxSize + kCaptionGap + text.width() + 3, std::max(17, text.height() + 4));
}

void FlatMarkLook::paint(QAbstractButton& button, bool round) const {
    QPainter painter(&button);
    const QColor color = button.palette().color(QPalette::Window);
    // The control takes its parent's colour; only a widget that fills its background (a window of its own,
    // or autoFillBackground set) paints it, so a check box inside a group box's panel shows that panel.
    if (!transparent && (button.autoFillBackground() || button.isWindow()))
        painter.fillRect(button.rect(), color);

    const QRect box = markRect(button.size(), round);
    QColor fill = color;
    if (button.isDown())
        fill = flat::toQColor(colorDown);
    else if (hovered || button.hasFocus())
        fill = flat::toQColor(colorFocused);
    const QColor mark = button.isEnabled() ? flat::toQColor(colorMark)
                                           : button.palette().color(QPalette::Disabled, QPalette::Text);
    if (round) {
        // Without antialiasing, like the rest of the flat look: every pixel is one of the stated colours.
        painter.setPen(flat::toQColor(colorBorder));
        painter.setBrush(fill);
        painter.drawEllipse(box.adjusted(0, 0, -1, -1));
        if (button.isChecked()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(mark);
            painter.drawEllipse(box.adjusted(3, 3, -3, -3));
        }
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.fillRect(box, flat::toQColor(colorBorder));
        painter.fillRect(box.adjusted(1, 1, -1, -1), fill);
        if (button.isChecked()) {
            // Three strokes down to the notch and four up from it, each three pixels tall.
            const int x = box.left() + 2, y = box.top() + 4;
            for (int i = 0; i < 3; ++i)
                painter.fillRect(QRect(x + i, y + i, 1, 3), mark);
            for (int i = 0; i < 4; ++i)
                painter.fillRect(QRect(x + 3 + i, y + 1 - i, 1, 3), mark);
        }
    }

    const QString text = button.text();
    if (text.isEmpty()) return;
    const int flags = Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::AlignVCenter | Qt::AlignLeft;
    const QFontMetrics fm(button.font());
    const int textWidth = fm.size(flags, text).width();
    QRect textRect = markRight ? QRect(1, 0, box.left() - kCaptionGap - 1, button.height())
                               : QRect(box.right() + 1 + kCaptionGap, 0, textWidth, button.height());
    textRect.setWidth(std::min(textRect.width(), button.width() - textRect.left()));
    painter.setPen(button.palette().color(button.isEnabled() ? QPalette::Active : QPalette::Disabled,
                                          QPalette::WindowText));
    painter.drawText(textRect, flags, text);
    if (button.hasFocus()) {
        // The keyboard focus marked around the caption as the platform's own check boxes do.
        QStyleOptionFocusRect option;
        option.initFrom(&button);
        option.rect = QRect(textRect.left() - 1, (button.height() - fm.height()) / 2 - 1,
                            std::min(textWidth, textRect.width()) + 2, fm.height() + 2);
        button.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &button);
    }
}

// ----- check box -----

FlatCheckBox::FlatCheckBox(QWidget* parent) : FlatCheckBox(QString(), parent) {}

FlatCheckBox::FlatCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    resize(121, 17);
    setFocusPolicy(Qt::StrongFocus);
}

void FlatCheckBox::SetColorFocused(TLN_Color color) {
    if (flat::storeChanged(look_.colorFocused, color)) update();
}
void FlatCheckBox::SetColorDown(TLN_Color color) {
    if (flat::storeChanged(look_.colorDown, color)) update();
}
void FlatCheckBox::SetColorCheck(TLN_Color color) {
    if (flat::storeChanged(look_.colorMark, color)) update();
}
void FlatCheckBox::SetColorBorder(TLN_Color color) {
    if (flat::storeChanged(look_.colorBorder, color)) update();
}
void FlatCheckBox::SetUseAdvColors(bool on) {
    if (!flat::storeChanged(look_.useAdvColors, on)) return;
    look_.calcAdvColors(flat::fromQColor(palette().color(QPalette::Window)));
    update();
}
void FlatCheckBox::SetAdvColorBorder(flat::TAdvColors percent) {
    if (!flat::storeChanged(look_.advColorBorder, percent)) return;
    look_.calcAdvColors(flat::fromQColor(palette().color(QPalette::Window)));
    update();
}
void FlatCheckBox::SetLayoutRight(bool right) {
    if (flat::storeChanged(look_.markRight, right)) update();
}
void FlatCheckBox::SetTransparent(bool on) {
    if (flat::storeChanged(look_.transparent, on)) update();
}

QSize FlatCheckBox::sizeHint() const {
    return look_.sizeHint(*this);
}

void FlatCheckBox::paintEvent(QPaintEvent*) {
    look_.paint(*this, false);
}

bool FlatCheckBox::event(QEvent* event) {
    const bool handled = QCheckBox::event(event);
    followLookEvent(*this, look_, event);
    return handled;
}

bool FlatCheckBox::eventFilter(QObject* watched, QEvent* event) {
    followWindowEvent(*this, look_, watched, event);
    return QCheckBox::eventFilter(watched, event);
}

// ----- radio button -----

FlatRadioButton::FlatRadioButton(QWidget* parent) : FlatRadioButton(QString(), parent) {}

FlatRadioButton::FlatRadioButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    resize(121, 17);
    // The group is the radio buttons of the same index on one parent, not Qt's automatic one.
    setAutoExclusive(false);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(flatRadioAccessible);
        return true;
    }();
    (void)factoryInstalled;
    look_.colorMark = 0x000000;
    connect(this, &QAbstractButton::toggled, this, &FlatRadioButton::checkedChanged);
}

void FlatRadioButton::SetColorFocused(TLN_Color color) {
    if (flat::storeChanged(look_.colorFocused, color)) update();
}
void FlatRadioButton::SetColorDown(TLN_Color color) {
    if (flat::storeChanged(look_.colorDown, color)) update();
}
void FlatRadioButton::SetColorDot(TLN_Color color) {
    if (flat::storeChanged(look_.colorMark, color)) update();
}
void FlatRadioButton::SetColorBorder(TLN_Color color) {
    if (flat::storeChanged(look_.colorBorder, color)) update();
}
void FlatRadioButton::SetUseAdvColors(bool on) {
    if (!flat::storeChanged(look_.useAdvColors, on)) return;
    look_.calcAdvColors(flat::fromQColor(palette().color(QPalette::Window)));
    update();
}
void FlatRadioButton::SetAdvColorBorder(flat::TAdvColors percent) {
    if (!flat::storeChanged(look_.advColorBorder, percent)) return;
    look_.calcAdvColors(flat::fromQColor(palette().color(QPalette::Window)));
    update();
}
void FlatRadioButton::SetLayoutRight(bool right) {
    if (flat::storeChanged(look_.markRight, right)) update();
}
void FlatRadioButton::SetTransparent(bool on) {
    if (flat::storeChanged(look_.transparent, on)) update();
}
void FlatRadioButton::SetGroupIndex(int index) {
    if (!flat::storeChanged(groupIndex_, index)) return;
    if (isChecked()) checkedChanged(true);
    updateTabStops();
}

QSize FlatRadioButton::sizeHint() const {
    return look_.sizeHint(*this);
}

void FlatRadioButton::paintEvent(QPaintEvent*) {
    look_.paint(*this, true);
}

bool FlatRadioButton::event(QEvent* event) {
    const bool handled = QRadioButton::event(event);
    followLookEvent(*this, look_, event);
    if (event->type() == QEvent::ParentChange) updateTabStops();
    return handled;
}

bool FlatRadioButton::eventFilter(QObject* watched, QEvent* event) {
    followWindowEvent(*this, look_, watched, event);
    return QRadioButton::eventFilter(watched, event);
}

// A click checks an unchecked button; a checked one stays checked.
void FlatRadioButton::nextCheckState() {
    if (!isChecked()) setChecked(true);
}

QList<FlatRadioButton*> FlatRadioButton::group() const {
    QList<FlatRadioButton*> members;
    if (!parentWidget()) return {const_cast<FlatRadioButton*>(this)};
    for (FlatRadioButton* other : parentWidget()->findChildren<FlatRadioButton*>(Qt::FindDirectChildrenOnly))
        if (other->groupIndex_ == groupIndex_) members.append(other);
    return members;
}

void FlatRadioButton::checkedChanged(bool checked) {
    if (checked)
        for (FlatRadioButton* other : group())
            if (other != this) other->setChecked(false);
    updateTabStops();
    update();
}

// Tab reaches the checked button of a group (every button while none is checked); the arrow keys move
// within the group.
void FlatRadioButton::updateTabStops() {
    const QList<FlatRadioButton*> members = group();
    const bool anyChecked =
        std::any_of(members.begin(), members.end(), [](auto* b) { return b->isChecked(); });
    for (FlatRadioButton* member : members)
        member->setFocusPolicy(!anyChecked || member->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void FlatRadioButton::keyPressEvent(QKeyEvent* event) {
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        step = 1;
        break;
    default:
        QRadioButton::keyPressEvent(event);
        return;
    }
    const QList<FlatRadioButton*> members = group();
    const qsizetype count = members.size();
    qsizetype at = members.indexOf(this);
    for (qsizetype tried = 1; tried < count; ++tried) {
        FlatRadioButton* next = members[((at + step * tried) % count + count) % count];
        if (!next->isEnabled() || next->isHidden()) continue;
        next->setFocus(Qt::TabFocusReason);
        next->click();
        return;
    }
}
