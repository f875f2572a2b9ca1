// Runs a window's command so that no exception crosses the Qt event loop: whatever it raises is shown to
// the user through the messenger and the window goes on.
#pragma once

#include <exception>

#include <QString>

#include "widgets/Services.h"

template <typename F> void guarded(QWidget* parent, Messenger* messenger, F&& command) {
    try {
        command();
    } catch (const std::exception& error) {
        if (messenger) messenger->Error(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        if (messenger) messenger->Error(parent, QStringLiteral("Неизвестная ошибка"));
    }
}

// A window's slot as connect() takes it, run guarded: connect(button, &QPushButton::clicked, this,
// guardedSlot(this, messenger, &Window::Command)).
template <typename Window> auto guardedSlot(Window* window, Messenger* messenger, void (Window::*slot)()) {
    return [window, messenger, slot] { guarded(window, messenger, [&] { (window->*slot)(); }); };
}
