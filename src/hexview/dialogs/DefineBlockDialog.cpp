// Define-block dialog widgets over DefineBlockDialogModel: the radio buttons choose between end and
// length, every edit is checked against the stream size, OK goes through the model.
#include "hexview/dialogs/DefineBlockDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "hexview/dialogs/DialogButton.h"
#include "hexview/dialogs/HexInputCombo.h"
#include "widgets/flat/FlatCheckBox.h"

DefineBlockDialog::DefineBlockDialog(const BlockSetup& setup, SettingsStore store, DialogPrompts prompts,
                                     QWidget* parent)
    : QDialog(parent), model_(std::move(store), setup), prompts_(std::move(prompts)) {
    setWindowTitle(QStringLiteral("Задать блок"));
    auto* startLabel = new QLabel(QStringLiteral("Начало блока"), this);
    startBox_ = new HexInputCombo(HexInputCombo::kAddressLength, this);
    startLabel->setBuddy(startBox_);

    endGroup_ = new QGroupBox(QStringLiteral(" Конец блока "), this);
    endButton_ = new FlatRadioButton(QStringLiteral("Конечный адрес"), endGroup_);
    lengthButton_ = new FlatRadioButton(QStringLiteral("Длина блока"), endGroup_);
    endBox_ = new HexInputCombo(HexInputCombo::kAddressLength, endGroup_);
    lengthBox_ = new HexInputCombo(HexInputCombo::kAddressLength, endGroup_);
    // The three boxes share one width, so their right edges line up.
    for (HexInputCombo* box : {startBox_, endBox_, lengthBox_})
        box->setFixedWidth(170);
    auto* endLayout = new QGridLayout(endGroup_);
    endLayout->addWidget(endButton_, 0, 0);
    endLayout->addWidget(endBox_, 0, 2);
    endLayout->addWidget(lengthButton_, 1, 0);
    endLayout->addWidget(lengthBox_, 1, 2);
    endLayout->setColumnStretch(1, 1);

    okButton_ = MakeDialogButton(QStringLiteral("OK"), this);
    cancelButton_ = MakeDialogButton(QStringLiteral("Отмена"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    startRow_ = new QHBoxLayout;
    startRow_->addWidget(startLabel);
    startRow_->addStretch();
    startRow_->addWidget(startBox_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(startRow_);
    layout->addWidget(endGroup_);
    layout->addLayout(buttons);

    startBox_->SetItems(model_.StartItems());
    endButton_->setChecked(true);
    if (model_.EndGroupEnabled()) {
        endBox_->SetItems(model_.EndItems());
        lengthBox_->SetItems(model_.LengthItems());
        applyEndMode();
    } else {
        endGroup_->setEnabled(false);
        endBox_->SetFaceDisabled(true);
        lengthBox_->SetFaceDisabled(true);
    }

    connect(endButton_, &QRadioButton::clicked, this, &DefineBlockDialog::applyEndMode);
    connect(lengthButton_, &QRadioButton::clicked, this, &DefineBlockDialog::applyEndMode);
    for (HexInputCombo* box : {startBox_, endBox_, lengthBox_})
        watch(box);
    connect(okButton_, &QPushButton::clicked, this, &DefineBlockDialog::Submit);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    startBox_->setFocus();
}

void DefineBlockDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The group's frame and margins are known once it is laid out: the start box takes the same inset on
    // the right, so that the three boxes line up.
    const int inset = endGroup_->width() - endBox_->geometry().right() - 1;
    if (inset != startRow_->contentsMargins().right()) {
        startRow_->setContentsMargins(0, 0, inset, 0);
        layout()->activate();
    }
}

void DefineBlockDialog::watch(HexInputCombo* box) {
    connect(box, &HexInputCombo::edited, this, [this, box](const QString& text) {
        const bool acceptable = model_.TextAcceptable(text);
        box->MarkBad(!acceptable);
        if (!acceptable) prompts_.Beep();
    });
    connect(box->lineEdit(), &QLineEdit::returnPressed, this, &DefineBlockDialog::Submit);
}

void DefineBlockDialog::applyEndMode() {
    endBox_->setEnabled(endButton_->isChecked());
    lengthBox_->setEnabled(lengthButton_->isChecked());
}

void DefineBlockDialog::Submit() {
    DefineBlockDialogModel::Input input;
    input.start = startBox_->currentText();
    input.end = endBox_->currentText();
    input.length = lengthBox_->currentText();
    input.mode = lengthButton_->isChecked() ? DefineBlockDialogModel::EndMode::Length
                                            : DefineBlockDialogModel::EndMode::End;
    const auto outcome = model_.Submit(input);
    if (outcome.badStart) startBox_->MarkBad(true);
    if (outcome.badEnd) endBox_->MarkBad(true);
    if (outcome.badLength) lengthBox_->MarkBad(true);
    result_ = outcome.range;
    if (result_)
        accept();
    else
        prompts_.Beep();
}
