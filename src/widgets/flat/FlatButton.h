// The flat push button: a thin border that rises while the mouse is over it or it has the focus, sinks
// while pressed, an optional glyph strip beside the caption, and group buttons that stay down.
#pragma once

#include <QImage>
#include <QPointer>
#include <QPushButton>

#include "widgets/flat/FlatDrawing.h"

class FlatButton : public QPushButton {
    Q_OBJECT
public:
    enum class TransparentMode { Always, NotFocused, None };

    explicit FlatButton(QWidget* parent = nullptr);
    explicit FlatButton(const QString& text, QWidget* parent = nullptr);

    TLN_Color ColorFocused() const { return colorFocused_; }
    TLN_Color ColorDown() const { return colorDown_; }
    TLN_Color ColorBorder() const { return colorBorder_; }
    TLN_Color ColorHighLight() const { return colorHighLight_; }
    TLN_Color ColorShadow() const { return colorShadow_; }
    void SetColorFocused(TLN_Color color);
    void SetColorDown(TLN_Color color);
    void SetColorBorder(TLN_Color color);
    void SetColorHighLight(TLN_Color color);
    void SetColorShadow(TLN_Color color);

    // Advanced colours: the focused, down and border colours derived from the button's colour.
    void SetUseAdvColors(bool on);
    void SetAdvColorFocused(flat::TAdvColors percent);
    void SetAdvColorDown(flat::TAdvColors percent);
    void SetAdvColorBorder(flat::TAdvColors percent);

    void SetTransparentMode(TransparentMode mode);
    void SetLayout(flat::GlyphLayout layout);
    // -1 centres; values below -1 are ignored.
    void SetMargin(int margin);
    void SetSpacing(int spacing);
    // A strip of 1 to 4 equal images: up, disabled, down, held down. A strip whose width is a whole
    // multiple of its height sets the count itself.
    void SetGlyph(const QImage& glyph);
    void SetNumGlyphs(int count);
    int NumGlyphs() const { return numGlyphs_; }

    // Buttons of the same non-zero group index on one parent act as one group: the pressed one stays down
    // (its checked state is the down state) and raises the others. Index 0 never stays down.
    void SetGroupIndex(int index);
    int GroupIndex() const { return groupIndex_; }
    void SetAllowAllUp(bool allow);
    bool AllowAllUp() const { return allowAllUp_; }
    // A click ends the dialog the button sits in with this result (0: no effect).
    void SetModalResult(int result) { modalResult_ = result; }

    bool Hovered() const { return hovered_; }
    QSize sizeHint() const override;

signals:
    // The mouse came over the enabled button, and left it again (also by disabling or hiding the button,
    // so every enter has its leave).
    void MouseEnter();
    void MouseLeave();
    // A double click on a button held down in its group. Any double click also presses the button again,
    // so its release clicks as the first one did.
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    // Watches the button's window for being blocked by a modal window.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void nextCheckState() override;
    // The whole button takes the click, to its last row and column (the style's bevel may be smaller).
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    void setHovered(bool on);
    void loseMouse();
    void watchWindow();
    void setMouseInside(bool on);
    void calcAdvColors();
    void groupChanged();
    QImage glyphForState(int imageIndex) const;

    TLN_Color colorFocused_ = 0xE1EAEB;
    TLN_Color colorDown_ = 0xC5D6D9;
    TLN_Color colorBorder_ = 0x8396A0;
    TLN_Color colorHighLight_ = 0xFFFFFF;
    TLN_Color colorShadow_ = 0x000000;
    bool useAdvColors_ = false;
    flat::TAdvColors advColorFocused_ = 10;
    flat::TAdvColors advColorDown_ = 10;
    flat::TAdvColors advColorBorder_ = 50;
    TransparentMode transparentMode_ = TransparentMode::None;
    flat::GlyphLayout layout_ = flat::GlyphLayout::Top;
    int margin_ = -1;
    int spacing_ = 4;
    QImage glyph_;
    int numGlyphs_ = 1;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    int modalResult_ = 0;
    bool hovered_ = false;
    bool mouseInside_ = false;
    QPointer<QWidget> watchedWindow_;
};
