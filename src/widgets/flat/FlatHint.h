// The flat hint: replaces the application's tooltips with a flat box whose coloured strip carries an arrow
// pointing at the mouse cursor, placed on the side of the cursor that keeps it on the screen.
#pragma once

#include <QFont>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "widgets/flat/FlatDrawing.h"

class FlatHint;

// Where a hint goes: the side of the cursor (0 left and below, 1 right and below, 2 left and above, 3 right
// and above) and the box on the screen.
struct HintPlacement {
    int side = 1;
    QRect rect;
};

// The hint box of `size` for the cursor at `cursor` on a screen whose available area is `screen`. The last
// 100 pixels of the screen put it above the cursor, the hint's width from the right edge to its left;
// the box is kept inside the screen.
HintPlacement hintPlacement(QPoint cursor, const QRect& screen, QSize size);

class FlatHintWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kArrowStrip = 14;

    explicit FlatHintWindow(const FlatHint& hint);

    // The box's size for a text: wrapped at the hint's widest text width, plus the strip and margins.
    QSize hintSize(const QString& text) const;
    // Shows `text` beside the cursor at `cursor` on `screen` (its available area) without taking the focus.
    void ActivateHint(const QString& text, QPoint cursor, const QRect& screen);
    int Side() const { return side_; }
    QString Text() const { return text_; }
    QPoint ArrowTip() const { return arrowTip_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const FlatHint& hint_;
    QString text_;
    int side_ = 1;
    QPoint arrowTip_;
};

class FlatHint : public QObject {
    Q_OBJECT
public:
    // Called before a hint shows: may change the text or forbid the hint (the map view's live hints).
    using ShowHintHandler = std::function<void(QWidget* control, QString& text, bool& canShow)>;

    // Takes over the application's tooltips until destroyed and sets the hint pauses (25, 500 and 5000 ms).
    explicit FlatHint(QObject* owner = nullptr);
    ~FlatHint() override;

    TLN_Color ColorBackground() const { return colorBackground_; }
    TLN_Color ColorBorder() const { return colorBorder_; }
    TLN_Color ColorArrowBackground() const { return colorArrowBackground_; }
    TLN_Color ColorArrow() const { return colorArrow_; }
    int MaxHintWidth() const { return maxHintWidth_; }
    const QFont& Font() const { return font_; }
    void SetColorBackground(TLN_Color color) { colorBackground_ = color; }
    void SetColorBorder(TLN_Color color) { colorBorder_ = color; }
    void SetColorArrowBackground(TLN_Color color) { colorArrowBackground_ = color; }
    void SetColorArrow(TLN_Color color) { colorArrow_ = color; }
    void SetMaxHintWidth(int width) { maxHintWidth_ = std::max(width, 23); }
    void SetFont(const QFont& font) { font_ = font; }
    void SetOnShowHint(ShowHintHandler handler) { onShowHint_ = std::move(handler); }

    // The control whose hint showed last.
    QWidget* HintControl() const { return hintControl_; }
    // Where the cursor was (screen coordinates) for the hint being asked for: a handler that words its
    // text by the point under the cursor reads it here.
    QPoint HintCursor() const { return hintCursor_; }
    FlatHintWindow* Window() const { return window_; }
    // The hint of `control` for the mouse at `cursor`: its tooltip, or over an item view's viewport the
    // hint of the item under the cursor (area: that item's rectangle, else null).
    static QString HintTextOf(QWidget* control, QPoint cursor, QRect* area = nullptr);
    // Shows the hint of `control` at `cursor`, as a tooltip request does.
    bool ShowHintFor(QWidget* control, QPoint cursor);
    void HideHint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TLN_Color colorBackground_ = 0xFFFFFF;
    TLN_Color colorBorder_ = 0x000000;
    TLN_Color colorArrowBackground_ = 0x53D2FF;
    TLN_Color colorArrow_ = 0x000000;
    int maxHintWidth_ = 200;
    QFont font_;
    ShowHintHandler onShowHint_;
    QPointer<QWidget> hintControl_;
    QPoint hintCursor_;
    // Where in hintControl_ the hint holds (an item's rectangle); null: the whole control.
    QRect hintArea_;
    FlatHintWindow* window_ = nullptr;
    QTimer hideTimer_;
};
