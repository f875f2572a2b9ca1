// Find dialog widgets over FindDialogModel: the function group picks the history and the typing rules, OK
// hands the boxes to the model and acts on its verdict.
#include "hexview/dialogs/FindDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "hexview/dialogs/DialogButton.h"
#include "hexview/dialogs/HexInputCombo.h"
#include "widgets/flat/FlatCheckBox.h"

namespace {

// A group of radio buttons, ids the item indexes, laid out top to bottom.
QGroupBox* radioGroup(const QString& title, const QStringList& items, QButtonGroup* buttons,
                      QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new FlatRadioButton(items[i], box);
        buttons->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch();
    return box;
}

} // namespace

FindDialog::FindDialog(const FindSetup& setup, SettingsStore store, DialogPrompts prompts, QWidget* parent)
    : QDialog(parent), model_(std::move(store), setup.codePage), prompts_(std::move(prompts)) {
    setWindowTitle(QStringLiteral("Поиск . . ."));

    patternBox_ = new HexInputCombo(PatternHistory::kMaxLength, this);
    patternBox_->setMinimumWidth(340);
    caseBox_ = new FlatCheckBox(QStringLiteral("С учетом регистра"), this);

    functions_ = new QButtonGroup(this);
    auto* functionBox = new QGroupBox(this);
    auto* functionLayout = new QHBoxLayout(functionBox);
    const QStringList functionItems{QStringLiteral("Hex"), QStringLiteral("Текст ") + setup.codePageName};
    for (int i = 0; i < functionItems.size(); ++i) {
        auto* button = new FlatRadioButton(functionItems[i], functionBox);
        functions_->addButton(button, i);
        functionLayout->addWidget(button);
    }
    functionLayout->addStretch();
    functionLayout->addWidget(caseBox_);

    zones_ = new QButtonGroup(this);
    QGroupBox* zoneBox = radioGroup(QStringLiteral(" Зона поиска "),
                                    {QStringLiteral("Весь файл"), QStringLiteral("С текущей позиции"),
                                     QStringLiteral("В выделенном блоке")},
                                    zones_, this);
    if (!setup.hasBlock) {
        QAbstractButton* inBlock = zones_->button(SearchInfo::InBlock);
        zones_->removeButton(inBlock);
        delete inBlock;
    }
    zones_->button(SearchInfo::WholeFile)->setChecked(true);

    directions_ = new QButtonGroup(this);
    QGroupBox* directionBox =
        radioGroup(QStringLiteral(" Направление "), {QStringLiteral("Вверх"), QStringLiteral("Вниз")},
                   directions_, this);
    // Searches run forward only; upward stays in sight but cannot be chosen.
    directions_->button(SearchInfo::Up)->setEnabled(false);
    directions_->button(SearchInfo::Down)->setChecked(true);

    okButton_ = MakeDialogButton(QStringLiteral("OK"), this);
    cancelButton_ = MakeDialogButton(QStringLiteral("Отмена"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto* groups = new QHBoxLayout;
    groups->addWidget(zoneBox, 3);
    groups->addWidget(directionBox, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(patternBox_);
    layout->addWidget(functionBox);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    caseBox_->setChecked(model_.InitialMatchCase());
    caseBox_->setEnabled(!model_.CaseForced());
    functions_->button(model_.InitialFunction())->setChecked(true);
    applyFunction(model_.InitialFunction());

    connect(functions_, &QButtonGroup::idClicked, this, &FindDialog::applyFunction);
    connect(caseBox_, &QCheckBox::clicked, this, [this](bool checked) {
        patternBox_->SetUpperCase(FindDialogModel::UpperCaseInput(functions_->checkedId(), checked));
    });
    connect(patternBox_, &HexInputCombo::edited, this, &FindDialog::onEdited);
    connect(patternBox_->lineEdit(), &QLineEdit::returnPressed, this, &FindDialog::Submit);
    connect(okButton_, &QPushButton::clicked, this, &FindDialog::Submit);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    patternBox_->setFocus();
}

void FindDialog::applyFunction(int function) {
    const bool text = function == FindDialogModel::TextFunction;
    caseBox_->setVisible(text);
    patternBox_->SetUpperCase(FindDialogModel::UpperCaseInput(function, caseBox_->isChecked()));
    patternBox_->SetItems(model_.History(function));
    patternBox_->MarkBad(false);
}

void FindDialog::onEdited(const QString& text) {
    if (functions_->checkedId() == FindDialogModel::TextFunction || FindDialogModel::HexTextAcceptable(text))
        patternBox_->MarkBad(false);
    else
        prompts_.Beep();
}

void FindDialog::Submit() {
    FindDialogModel::Input input;
    input.text = patternBox_->currentText();
    input.function = functions_->checkedId();
    input.matchCase = caseBox_->isChecked();
    input.zone = zones_->checkedId();
    input.direction = directions_->checkedId();
    const auto outcome =
        model_.Submit(input, [this](const QString& question) { return prompts_.Ask(this, question); });
    switch (outcome.verdict) {
    case FindDialogModel::Verdict::Accepted:
        result_ = outcome.info;
        accept();
        break;
    case FindDialogModel::Verdict::Rejected:
        patternBox_->MarkBad(true);
        prompts_.Beep();
        break;
    case FindDialogModel::Verdict::Ignored:
    case FindDialogModel::Verdict::Declined:
        break;
    }
}
