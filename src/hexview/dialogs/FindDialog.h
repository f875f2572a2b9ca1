// The hex viewer's find dialog: a hex or text pattern with its history, the case option, the zone and the
// direction; OK answers a search info.
#pragma once

#include <QDialog>
#include <optional>

#include "hexview/dialogs/DialogPrompts.h"
#include "hexview/dialogs/model/FindDialogModel.h"

class HexInputCombo;
class QButtonGroup;
class QCheckBox;
class QPushButton;

// What the hex viewer tells the dialog.
struct FindSetup {
    // The code page typed text is searched in (65001: UTF-8, case always matched).
    int codePage = 65001;
    // The name the grid shows over its characters, offered as "Текст <name>".
    QString codePageName = QStringLiteral("OEM");
    // Whether a block is marked; without one the zone "В выделенном блоке" is not offered.
    bool hasBlock = false;
};

class FindDialog : public QDialog {
    Q_OBJECT
public:
    FindDialog(const FindSetup& setup, SettingsStore store, DialogPrompts prompts, QWidget* parent = nullptr);

    // The search asked for, once the dialog was accepted.
    const std::optional<SearchInfo>& Result() const { return result_; }

    HexInputCombo* PatternBox() const { return patternBox_; }
    QCheckBox* CaseBox() const { return caseBox_; }
    QButtonGroup* Zones() const { return zones_; }
    QButtonGroup* Directions() const { return directions_; }
    QButtonGroup* Functions() const { return functions_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

public slots:
    // What OK and Enter in the box do: accepts with a search info, or stays after bad input.
    void Submit();

private:
    void applyFunction(int function);
    void onEdited(const QString& text);

    FindDialogModel model_;
    DialogPrompts prompts_;
    std::optional<SearchInfo> result_;
    HexInputCombo* patternBox_;
    QCheckBox* caseBox_;
    QButtonGroup* zones_;
    QButtonGroup* directions_;
    QButtonGroup* functions_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};
