// Progress dialog: the bar follows the reports, every way of cancelling ends in the one callback, and only
// the search's end report closes the window.
#include "hexview/dialogs/ProgressDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "hexview/dialogs/DialogButton.h"

ProgressDialog::ProgressDialog(std::function<void()> cancel, QWidget* parent)
    : QDialog(parent), cancel_(std::move(cancel)) {
    setWindowTitle(QStringLiteral("Идёт поиск . . ."));
    titleLabel_ = new QLabel(QStringLiteral("Идёт поиск . . ."), this);
    bar_ = new FlatProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setMinimumWidth(300);
    cancelButton_ = MakeDialogButton(QStringLiteral("Отмена"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);

    connect(cancelButton_, &QPushButton::clicked, this, &ProgressDialog::requestCancel);
}

void ProgressDialog::SetPercent(int percent) {
    if (ended_) return;
    if (percent >= 0) {
        bar_->setValue(std::min(percent, 100));
        return;
    }
    ended_ = true;
    done(QDialog::Accepted);
}

void ProgressDialog::reject() {
    if (ended_)
        QDialog::reject();
    else
        requestCancel();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    if (ended_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    requestCancel();
}

void ProgressDialog::requestCancel() {
    if (cancelRequested_) return;
    cancelRequested_ = true;
    cancelButton_->setEnabled(false);
    emit cancelRequested();
    if (cancel_) cancel_();
}
