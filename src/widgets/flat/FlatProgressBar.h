// The flat progress bar: a thin border around a row (or column) of 8-pixel elements in the element colour,
// or one smooth bar. Positions are kept inside Min..Max and an empty range paints no elements; a vertical bar
// fills from the bottom up.
#pragma once

#include <QProgressBar>

#include "widgets/flat/FlatDrawing.h"

class FlatProgressBar : public QProgressBar {
    Q_OBJECT
public:
    static constexpr int kElementWidth = 8;

    explicit FlatProgressBar(QWidget* parent = nullptr);

    // These hide QProgressBar's own setters (which ignore values out of range, or reset the bar when the
    // range shrinks below the value): here a value is clamped and a lowered maximum lowers the position.
    void setValue(int value);
    void setMaximum(int maximum);
    void setMinimum(int minimum);
    void setRange(int minimum, int maximum);
    // Hides QProgressBar's setter: turning the bar also exchanges its width and height, so a 147 x 16 bar
    // stands as a 16 x 147 one.
    void setOrientation(Qt::Orientation orientation);
    void SetOrientation(Qt::Orientation orientation) { setOrientation(orientation); }
    void SetPosition(int position) { setValue(position); }
    void SetMax(int maximum) { setMaximum(maximum); }

    void SetColorElement(TLN_Color color);
    void SetColorBorder(TLN_Color color);
    TLN_Color ColorElement() const { return colorElement_; }
    TLN_Color ColorBorder() const { return colorBorder_; }
    void SetUseAdvColors(bool on);
    void SetAdvColorBorder(flat::TAdvColors percent);
    void SetSmooth(bool smooth);
    void SetTransparent(bool transparent);

    // How many elements a bar of `length` pixels holds, and how many of them `position` fills.
    static int ElementCount(int length);
    static int FilledElements(int position, int minimum, int maximum, int count);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void calcAdvColors();

    TLN_Color colorElement_ = 0x996633;
    TLN_Color colorBorder_ = 0x8396A0;
    bool useAdvColors_ = false;
    flat::TAdvColors advColorBorder_ = 50;
    bool smooth_ = false;
    bool transparent_ = false;
};
