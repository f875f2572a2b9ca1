// A frameless tool-tip window with a timer, and an application event filter that swallows tool-tip
// events while it shows.
#include "hexview/HexBalloon.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

HexBalloon::HexBalloon(QWidget* owner) : QObject(owner), owner_(owner), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &HexBalloon::Hide);
}

HexBalloon::~HexBalloon() {
    Hide();
}

void HexBalloon::Show(const QString& text, int milliseconds) {
    Hide();
    label_ = new QLabel(text, owner_, Qt::ToolTip | Qt::FramelessWindowHint);
    label_->setForegroundRole(QPalette::ToolTipText);
    label_->setBackgroundRole(QPalette::ToolTipBase);
    label_->setAutoFillBackground(true);
    label_->setFrameShape(QFrame::Box);
    label_->setMargin(6);
    label_->adjustSize();
    label_->move(owner_->mapToGlobal(QPoint(40, 40)));
    label_->show();
    if (!filtering_) {
        qApp->installEventFilter(this);
        filtering_ = true;
    }
    if (milliseconds > 0) timer_->start(milliseconds);
}

void HexBalloon::Hide() {
    timer_->stop();
    delete label_.data();
    if (filtering_) {
        qApp->removeEventFilter(this);
        filtering_ = false;
    }
}

bool HexBalloon::Visible() const {
    return label_ && label_->isVisible();
}

QString HexBalloon::Text() const {
    return label_ ? label_->text() : QString();
}

bool HexBalloon::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) return true;
    return QObject::eventFilter(watched, event);
}
