// The flat check box and radio button: an 11 x 11 box (or a 10 x 10 circle) in a thin border beside the
// caption, filled in the focused colour while the mouse is over it or it has the focus.
#pragma once

#include <QCheckBox>
#include <QPointer>
#include <QRadioButton>

#include "widgets/flat/FlatDrawing.h"

// The colours and hover state both controls share, and their painting.
struct FlatMarkLook {
    TLN_Color colorFocused = 0xFFFFFF;
    TLN_Color colorDown = 0xC5D6D9;
    TLN_Color colorMark = 0x000000; // ColorCheck or ColorDot
    TLN_Color colorBorder = 0x8396A0;
    bool useAdvColors = false;
    flat::TAdvColors advColorFocused = 10;
    flat::TAdvColors advColorDown = 10;
    flat::TAdvColors advColorBorder = 50;
    bool markRight = false;
    bool transparent = false;
    bool hovered = false;
    // The control's window, watched for being blocked by a modal window.
    QPointer<QWidget> watchedWindow;

    void calcAdvColors(TLN_Color base);
    // The box (or circle) of a control `size` big; `round` for the radio button.
    QRect markRect(QSize size, bool round) const;
    void paint(QAbstractButton& button, bool round) const;
    QSize sizeHint(const QAbstractButton& button) const;
};

class FlatCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit FlatCheckBox(QWidget* parent = nullptr);
    explicit FlatCheckBox(const QString& text, QWidget* parent = nullptr);

    void SetColorFocused(TLN_Color color);
    void SetColorDown(TLN_Color color);
    void SetColorCheck(TLN_Color color);
    void SetColorBorder(TLN_Color color);
    TLN_Color ColorBorder() const { return look_.colorBorder; }
    void SetUseAdvColors(bool on);
    void SetAdvColorBorder(flat::TAdvColors percent);
    // The box against the right edge instead of the left.
    void SetLayoutRight(bool right);
    void SetTransparent(bool on);
    bool Hovered() const { return look_.hovered; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FlatMarkLook look_;
};

class FlatRadioButton : public QRadioButton {
    Q_OBJECT
public:
    explicit FlatRadioButton(QWidget* parent = nullptr);
    explicit FlatRadioButton(const QString& text, QWidget* parent = nullptr);

    void SetColorFocused(TLN_Color color);
    void SetColorDown(TLN_Color color);
    void SetColorDot(TLN_Color color);
    void SetColorBorder(TLN_Color color);
    void SetUseAdvColors(bool on);
    void SetAdvColorBorder(flat::TAdvColors percent);
    void SetLayoutRight(bool right);
    void SetTransparent(bool on);
    // Radio buttons on one parent with the same index form a group: checking one unchecks the others.
    void SetGroupIndex(int index);
    int GroupIndex() const { return groupIndex_; }
    bool Hovered() const { return look_.hovered; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QList<FlatRadioButton*> group() const;
    void checkedChanged(bool checked);
    void updateTabStops();

    FlatMarkLook look_;
    int groupIndex_ = 0;
};
