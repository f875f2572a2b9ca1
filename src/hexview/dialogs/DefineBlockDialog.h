// The hex viewer's define-block dialog: a block start in hex, and its end or its length.
#pragma once

#include <QDialog>
#include <optional>

#include "hexview/dialogs/DialogPrompts.h"
#include "hexview/dialogs/model/DefineBlockDialogModel.h"

class HexInputCombo;
class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QRadioButton;

class DefineBlockDialog : public QDialog {
    Q_OBJECT
public:
    DefineBlockDialog(const BlockSetup& setup, SettingsStore store, DialogPrompts prompts,
                      QWidget* parent = nullptr);

    // The block, once the dialog was accepted (always inside the stream).
    const std::optional<BlockRange>& Result() const { return result_; }

    HexInputCombo* StartBox() const { return startBox_; }
    HexInputCombo* EndBox() const { return endBox_; }
    HexInputCombo* LengthBox() const { return lengthBox_; }
    QGroupBox* EndGroup() const { return endGroup_; }
    QRadioButton* EndButton() const { return endButton_; }
    QRadioButton* LengthButton() const { return lengthButton_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

public slots:
    // What OK and Enter in any box do.
    void Submit();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyEndMode();
    void watch(HexInputCombo* box);

    DefineBlockDialogModel model_;
    DialogPrompts prompts_;
    std::optional<BlockRange> result_;
    HexInputCombo* startBox_;
    HexInputCombo* endBox_;
    HexInputCombo* lengthBox_;
    QGroupBox* endGroup_;
    QRadioButton* endButton_;
    QRadioButton* lengthButton_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    QHBoxLayout* startRow_;
};
