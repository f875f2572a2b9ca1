// The flat combo box: a one-pixel border, a two-pixel band in the box's colour and a drop-down button strip
// in the arrow background colour carrying a small arrow; its drop-down list shows flat rows of the item
// height.
#pragma once

#include <QComboBox>

#include "widgets/flat/FlatDrawing.h"

class FlatComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit FlatComboBox(QWidget* parent = nullptr);

    void SetColorArrow(TLN_Color color);
    void SetColorArrowBackground(TLN_Color color);
    void SetColorBorder(TLN_Color color);
    TLN_Color ColorArrowBackground() const { return colorArrowBackground_; }
    TLN_Color ColorBorder() const { return colorBorder_; }
    void SetUseAdvColors(bool on);
    void SetAdvColorBorder(flat::TAdvColors percent);
    void SetAdvColorArrowBackground(flat::TAdvColors percent);

    // The height of the drop-down list's rows: 13 pixels, and again 13 after every font change. A font
    // whose lines are taller still gets whole lines (its text would be cut otherwise).
    static constexpr int kDefaultItemHeight = 13;
    void SetItemHeight(int height);
    int ItemHeight() const { return itemHeight_; }
    int ItemRowHeight() const;

    // The width of the drop-down button: the width of a vertical scroll bar.
    int ButtonWidth() const;
    // Dropped down, or the focus on the box or its edit.
    bool Active() const;

    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void calcAdvColors();
    void placeLineEdit();

    TLN_Color colorArrow_ = 0x000000;
    TLN_Color colorArrowBackground_ = 0xC5D6D9;
    TLN_Color colorBorder_ = 0x8396A0;
    bool useAdvColors_ = false;
    flat::TAdvColors advColorBorder_ = 50;
    flat::TAdvColors advColorArrowBackground_ = 10;
    int itemHeight_ = kDefaultItemHeight;
    bool dropped_ = false;
    QObject* watchedEdit_ = nullptr;
};
