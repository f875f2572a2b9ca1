// The message the hex grid shows over its top-left corner for a while ("Searching . . .", "Search is
// completed", what was copied); the application's tool tips stay silent while it is up.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QTimer;
class QWidget;

class HexBalloon : public QObject {
    Q_OBJECT
public:
    explicit HexBalloon(QWidget* owner);
    ~HexBalloon() override;

    // Replaces any balloon shown by text, 40 pixels right of and below the owner's top-left corner, for
    // milliseconds (0: until Hide).
    void Show(const QString& text, int milliseconds);
    void Hide();
    bool Visible() const;
    QString Text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* owner_;
    QPointer<QLabel> label_;
    QTimer* timer_;
    bool filtering_ = false;
};
