// The hex viewer's go-to dialog: a new cursor address in hex, offered from the remembered addresses.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "hexview/dialogs/DialogPrompts.h"
#include "hexview/dialogs/model/GotoDialogModel.h"

class HexInputCombo;
class QPushButton;

class GotoDialog : public QDialog {
    Q_OBJECT
public:
    GotoDialog(int64_t streamSize, SettingsStore store, DialogPrompts prompts, QWidget* parent = nullptr);

    // The offset to go to, once the dialog was accepted (always inside the stream).
    const std::optional<int64_t>& Result() const { return result_; }

    HexInputCombo* AddressBox() const { return addressBox_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

public slots:
    // What OK and Enter in the box do.
    void Submit();

private:
    void onEdited(const QString& text);

    GotoDialogModel model_;
    DialogPrompts prompts_;
    std::optional<int64_t> result_;
    HexInputCombo* addressBox_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};
