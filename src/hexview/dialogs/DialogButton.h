// The push buttons of the hex viewer's dialogs, which never take Enter: Enter belongs to the input box,
// which submits on its own (a default button as well would run OK twice).
#pragma once

#include "widgets/flat/FlatButton.h"

inline QPushButton* MakeDialogButton(const QString& text, QWidget* parent) {
    auto* button = new FlatButton(text, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}
