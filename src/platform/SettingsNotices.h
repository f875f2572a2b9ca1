// What the user must be told about the settings files: a write that failed, a file that could not be read
// and was set aside, lines or values that could not be used. The settings store reports here from whatever
// thread met the problem; the program shows the notices in its windows (app/SettingsNoticeDisplay).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace settingsnotice {

// Records text, unless a notice under the same key was recorded before in this process (a problem is
// told once), and then calls the listener.
void Report(const QString& key, const QString& text);
// The notices recorded and not yet taken, oldest first.
QStringList Take();
// Called on the reporting thread after each new notice; an empty function removes it.
void SetListener(std::function<void()> listener);

} // namespace settingsnotice
