// Go-to dialog widgets over GotoDialogModel: every edit is checked against the stream size, OK goes
// through the model.
#include "hexview/dialogs/GotoDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "hexview/dialogs/DialogButton.h"
#include "hexview/dialogs/HexInputCombo.h"

GotoDialog::GotoDialog(int64_t streamSize, SettingsStore store, DialogPrompts prompts, QWidget* parent)
    : QDialog(parent), model_(std::move(store), streamSize), prompts_(std::move(prompts)) {
    setWindowTitle(QStringLiteral("Перейти на адрес"));
    auto* label = new QLabel(QStringLiteral("Новый адрес"), this);
    auto* radix = new QLabel(QStringLiteral("(Hexadecimal)"), this);
    addressBox_ = new HexInputCombo(HexInputCombo::kAddressLength, this);
    addressBox_->setMinimumWidth(200);
    label->setBuddy(addressBox_);

    okButton_ = MakeDialogButton(QStringLiteral("OK"), this);
    cancelButton_ = MakeDialogButton(QStringLiteral("Отмена"), this);

    auto* labels = new QHBoxLayout;
    labels->addWidget(label);
    labels->addStretch();
    labels->addWidget(radix);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(labels);
    layout->addWidget(addressBox_);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setMinimumWidth(280);

    addressBox_->SetItems(model_.Items());
    connect(addressBox_, &HexInputCombo::edited, this, &GotoDialog::onEdited);
    connect(addressBox_->lineEdit(), &QLineEdit::returnPressed, this, &GotoDialog::Submit);
    connect(okButton_, &QPushButton::clicked, this, &GotoDialog::Submit);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    addressBox_->setFocus();
}

void GotoDialog::onEdited(const QString& text) {
    const bool acceptable = model_.TextAcceptable(text);
    addressBox_->MarkBad(!acceptable);
    if (!acceptable) prompts_.Beep();
}

void GotoDialog::Submit() {
    result_ = model_.Submit(addressBox_->currentText());
    if (result_) {
        accept();
        return;
    }
    addressBox_->MarkBad(true);
    prompts_.Beep();
}
