// The flat one-line edit and memo: a one-pixel border with a two-pixel inner band that turns to the focused
// colour while the control has the focus (or the mouse is over it and no other flat edit has the focus).
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

#include "widgets/flat/FlatDrawing.h"

// The border colours and state both edits share.
struct FlatEditLook {
    static constexpr int kBorder = 3;

    TLN_Color colorFocused = 0xFFFFFF;
    TLN_Color colorBorder = 0x8396A0;
    TLN_Color colorFlat = 0xE1EAEB;
    bool useAdvColors = false;
    flat::TAdvColors advColorFocused = 10;
    flat::TAdvColors advColorBorder = 50;

    // Setters return whether the value changed; a change of the flat colour or the lightening
    // recomputes the derived colours.
    bool SetColorFocused(TLN_Color color) { return flat::storeChanged(colorFocused, color); }
    bool SetColorBorder(TLN_Color color) { return flat::storeChanged(colorBorder, color); }
    bool SetColorFlat(TLN_Color color) { return recalcIf(flat::storeChanged(colorFlat, color)); }
    bool SetUseAdvColors(bool on) { return recalcIf(flat::storeChanged(useAdvColors, on)); }
    bool SetAdvColorFocused(flat::TAdvColors p) { return recalcIf(flat::storeChanged(advColorFocused, p)); }
    bool SetAdvColorBorder(flat::TAdvColors p) { return recalcIf(flat::storeChanged(advColorBorder, p)); }

    void calcAdvColors();
    // The outer frame and the two inner frames of a control of `size`.
    void paintBorder(QPainter& painter, QSize size, bool highlighted) const;
    // The inner colour as the edit's text background; `applying` marks the palette change as our own.
    void applyBase(QWidget& edit, bool highlighted, bool& applying) const;
    // Whether an event of the edit changes its look (a palette change of our own making does not).
    static bool refreshesOn(QEvent::Type type, bool applyingPalette);

private:
    bool recalcIf(bool changed) {
        if (changed) calcAdvColors();
        return changed;
    }
};

class FlatLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FlatLineEdit(QWidget* parent = nullptr);
    explicit FlatLineEdit(const QString& text, QWidget* parent = nullptr);

    void SetColorFocused(TLN_Color color);
    void SetColorBorder(TLN_Color color);
    void SetColorFlat(TLN_Color color);
    TLN_Color ColorFocused() const { return look_.colorFocused; }
    TLN_Color ColorBorder() const { return look_.colorBorder; }
    TLN_Color ColorFlat() const { return look_.colorFlat; }
    void SetUseAdvColors(bool on);
    void SetAdvColorFocused(flat::TAdvColors percent);
    void SetAdvColorBorder(flat::TAdvColors percent);
    bool Highlighted() const;

    // The height follows the font: its character cell and three pixels of border above and below.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void refreshLook();

    FlatEditLook look_;
    bool applyingPalette_ = false;
};

class FlatMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit FlatMemo(QWidget* parent = nullptr);

    void SetColorFocused(TLN_Color color);
    void SetColorBorder(TLN_Color color);
    void SetColorFlat(TLN_Color color);
    void SetUseAdvColors(bool on);
    bool Highlighted() const;

    QSize sizeHint() const override { return QSize(185, 89); }

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void refreshLook();

    FlatEditLook look_;
    bool applyingPalette_ = false;
};
