// Painting, drop-down rows and active-state tracking of the flat combo box.
#include "widgets/flat/FlatComboBox.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

// The drop-down list's rows: the item height high, the text on one line, the current row (the one under
// the mouse) in the selection colours and the others on the box's own colour, as a plain list box shows
// them, instead of the style's taller menu rows.
class FlatComboItemDelegate : public QStyledItemDelegate {
public:
    static constexpr int kTextIndent = 2;

    explicit FlatComboItemDelegate(FlatComboBox* combo) : QStyledItemDelegate(combo), combo_(combo) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const QFontMetrics fm(combo_->font());
        const QString text = index.data(Qt::DisplayRole).toString();
        return QSize(fm.horizontalAdvance(text) + 2 * kTextIndent, combo_->ItemRowHeight());
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QPalette& palette = combo_->palette();
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const bool enabled = index.flags().testFlag(Qt::ItemIsEnabled) && combo_->isEnabled();
        painter->save();
        painter->fillRect(option.rect, palette.color(selected ? QPalette::Highlight : QPalette::Base));
        const QPalette::ColorGroup group = enabled ? QPalette::Active : QPalette::Disabled;
        painter->setPen(palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(combo_->font());
        painter->setClipRect(option.rect);
        painter->drawText(option.rect.adjusted(kTextIndent, 0, -kTextIndent, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    FlatComboBox* combo_;
};

} // namespace

FlatComboBox::FlatComboBox(QWidget* parent) : QComboBox(parent) {
    // The box keeps a delegate of its own through style changes (it replaces only its built-in ones).
    setItemDelegate(new FlatComboItemDelegate(this));
}

void FlatComboBox::SetItemHeight(int height) {
    if (height > 0 && flat::storeChanged(itemHeight_, height)) view()->doItemsLayout();
}

int FlatComboBox::ItemRowHeight() const {
    return std::max(itemHeight_, fontMetrics().height());
}

void FlatComboBox::SetColorArrow(TLN_Color color) {
    if (flat::storeChanged(colorArrow_, color)) update();
}
void FlatComboBox::SetColorArrowBackground(TLN_Color color) {
    if (flat::storeChanged(colorArrowBackground_, color)) update();
}
void FlatComboBox::SetColorBorder(TLN_Color color) {
    if (flat::storeChanged(colorBorder_, color)) update();
}
void FlatComboBox::SetUseAdvColors(bool on) {
    if (flat::storeChanged(useAdvColors_, on)) calcAdvColors();
}
void FlatComboBox::SetAdvColorBorder(flat::TAdvColors percent) {
    if (flat::storeChanged(advColorBorder_, percent)) calcAdvColors();
}
void FlatComboBox::SetAdvColorArrowBackground(flat::TAdvColors percent) {
    if (flat::storeChanged(advColorArrowBackground_, percent)) calcAdvColors();
}

void FlatComboBox::calcAdvColors() {
    if (!useAdvColors_) return;
    const QWidget* parent = parentWidget() ? parentWidget() : this;
    const TLN_Color base = flat::fromQColor(parent->palette().color(QPalette::Window));
    colorBorder_ = flat::LightenColor(base, colorBorder_, advColorBorder_, true);
    colorArrowBackground_ = flat::LightenColor(base, colorArrowBackground_, advColorArrowBackground_, true);
    update();
}

int FlatComboBox::ButtonWidth() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

bool FlatComboBox::Active() const {
    return dropped_ || hasFocus() || (lineEdit() && lineEdit()->hasFocus());
}

void FlatComboBox::showPopup() {
    dropped_ = true;
    update();
    QComboBox::showPopup();
}

void FlatComboBox::hidePopup() {
    QComboBox::hidePopup();
    dropped_ = false;
    update();
}

void FlatComboBox::placeLineEdit() {
    QLineEdit* edit = lineEdit();
    if (!edit) return;
    if (watchedEdit_ != edit) {
        edit->installEventFilter(this);
        edit->setFrame(false);
        watchedEdit_ = edit;
    }
    edit->setGeometry(3, 3, std::max(0, width() - ButtonWidth() - 8), std::max(0, height() - 6));
}

void FlatComboBox::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    placeLineEdit();
}

void FlatComboBox::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
    placeLineEdit();
}

void FlatComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
        calcAdvColors();
        break;
    case QEvent::FontChange:
        itemHeight_ = kDefaultItemHeight;
        view()->doItemsLayout();
        placeLineEdit();
        break;
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
        placeLineEdit();
        break;
    default:
        break;
    }
    update();
}

bool FlatComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedEdit_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        update();
    return QComboBox::eventFilter(watched, event);
}

void FlatComboBox::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    update();
}

void FlatComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    update();
}

void FlatComboBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor color = palette().color(QPalette::Base);
    const int button = ButtonWidth();
    const int w = width(), h = height();
    painter.fillRect(rect(), color);
    const QColor border = flat::toQColor(colorBorder_);
    flat::WinRect frame{0, 0, w, h};
    flat::DrawFrame3D(painter, frame, border, 1, border);

    // The button strip inside the border at the right edge, the arrow centred in it.
    const QRect strip(w - 1 - button, 1, button, h - 2);
    painter.fillRect(strip, flat::toQColor(colorArrowBackground_));
    const QColor arrow =
        isEnabled() ? flat::toQColor(colorArrow_) : palette().color(QPalette::Disabled, QPalette::Text);
    const int cx = strip.left() + strip.width() / 2, cy = strip.top() + strip.height() / 2 - 1;
    for (int row = 0; row < 3; ++row)
        painter.fillRect(QRect(cx - 2 + row, cy + row, 5 - 2 * row, 1), arrow);

    if (isEditable()) return;
    // The drop-down-list style shows the chosen item itself, selected while the box has the focus.
    const QRect textArea(3, 3, std::max(0, strip.left() - 3 - 2), std::max(0, h - 6));
    const bool selected = hasFocus() && !dropped_;
    painter.fillRect(textArea, selected ? palette().color(QPalette::Highlight) : color);
    QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(palette().color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(textArea.adjusted(2, 0, -1, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                     currentText());
}
