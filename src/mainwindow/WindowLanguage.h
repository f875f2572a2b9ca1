// The language of the program's windows: Qt's own Russian texts (standard buttons, file and colour
// dialogs, context menus of text fields) installed for every window, so that they match the Russian texts
// of the windows themselves.
#pragma once

class QCoreApplication;

// Loads Qt's Russian translation ("qtbase_ru") from Qt's translation folder and installs it in
// application. False, and nothing installed, when the translation is not there (the standard texts then
// stay English).
bool InstallWindowLanguage(QCoreApplication& application);
