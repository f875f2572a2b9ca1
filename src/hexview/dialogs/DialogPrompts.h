// What the hex viewer's dialogs ask of the desktop: the beep after bad input and the yes/no question
// before an odd-length hex search. The window fills them from its services, tests record them.
#pragma once

#include <QString>
#include <functional>

class QWidget;

struct DialogPrompts {
    std::function<void()> beep;
    // True for yes; parent is the dialog, so the question sits over it.
    std::function<bool(QWidget* parent, const QString& text)> question;

    void Beep() const {
        if (beep) beep();
    }
    bool Ask(QWidget* parent, const QString& text) const { return question && question(parent, text); }
};
