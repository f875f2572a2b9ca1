// The settings notices: told once per key, kept until the program takes them.
#include "platform/SettingsNotices.h"

#include <QSet>
#include <mutex>

namespace settingsnotice {
namespace {
std::mutex noticeMutex;
QSet<QString> told;
QStringList pending;
std::function<void()> listener;
} // namespace

void Report(const QString& key, const QString& text) {
    std::function<void()> wake;
    {
        const std::lock_guard lock(noticeMutex);
        if (told.contains(key)) return;
        told.insert(key);
        pending.append(text);
        wake = listener;
    }
    if (wake) wake();
}

QStringList Take() {
    const std::lock_guard lock(noticeMutex);
    QStringList taken;
    taken.swap(pending);
    return taken;
}

void SetListener(std::function<void()> newListener) {
    const std::lock_guard lock(noticeMutex);
    listener = std::move(newListener);
}

} // namespace settingsnotice
