// Hex input box: a validator that only changes case (it never refuses a character, so bad input stays
// visible and is reported by the dialog's own checks) and palette colours for the named states.
#include "hexview/dialogs/HexInputCombo.h"

#include <QLineEdit>
#include <QValidator>

namespace {

class CaseValidator final : public QValidator {
public:
    CaseValidator(const bool& upperCase, QObject* parent) : QValidator(parent), upperCase_(upperCase) {}
    State validate(QString& input, int&) const override {
        if (upperCase_) input = input.toUpper();
        return Acceptable;
    }

private:
    const bool& upperCase_;
};

} // namespace

QColor HexInputCombo::BadColor() {
    // The Windows colour value 0xBFBFFF (blue, green, red from the high byte down): a light red.
    return QColor(0xFF, 0xBF, 0xBF);
}

HexInputCombo::HexInputCombo(int maxLength, QWidget* parent) : FlatComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completing from the history while typing would search for a pattern the user did not type.
    setCompleter(nullptr);
    setMaxVisibleItems(10);
    lineEdit()->setMaxLength(maxLength);
    setValidator(new CaseValidator(upperCase_, this));
    normal_ = palette();
    connect(lineEdit(), &QLineEdit::textEdited, this, &HexInputCombo::edited);
    // Picking an item from the list is a change by the user too.
    connect(this, &QComboBox::activated, this, [this] { emit edited(currentText()); });
}

void HexInputCombo::SetUpperCase(bool on) {
    upperCase_ = on;
}

void HexInputCombo::SetItems(const QStringList& items) {
    clear();
    addItems(items);
    if (items.isEmpty())
        setEditText(QString());
    else
        setCurrentIndex(0);
}

void HexInputCombo::MarkBad(bool bad) {
    applyMark(bad ? Mark::Bad : Mark::Normal);
}

void HexInputCombo::SetFaceDisabled(bool disabled) {
    setEnabled(!disabled);
    applyMark(disabled ? Mark::Face : Mark::Normal);
}

void HexInputCombo::applyMark(Mark mark) {
    marked_ = mark;
    QPalette colours = normal_;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        QColor base = normal_.color(group, QPalette::Base);
        if (mark == Mark::Bad) base = BadColor();
        if (mark == Mark::Face) base = normal_.color(group, QPalette::Button);
        colours.setColor(group, QPalette::Base, base);
    }
    // Set on the box, so the edit field inside and the frame around it agree.
    setPalette(colours);
}
