// The settings notices shown on the window's thread, never inside the write that met the problem.
#include "app/SettingsNoticeDisplay.h"

#include <QWidget>
#include <mutex>

#include "platform/SettingsNotices.h"

// What the listener holds: the display while it lives, so that a notice from another thread never posts to
// one that is gone.
struct SettingsNoticeDisplay::Link {
    std::mutex mutex;
    SettingsNoticeDisplay* display = nullptr;
};

SettingsNoticeDisplay::SettingsNoticeDisplay(Messenger* messenger, std::function<QWidget*()> parent)
    : messenger_(messenger), parent_(std::move(parent)), link_(std::make_shared<Link>()) {
    link_->display = this;
    settingsnotice::SetListener([link = link_] {
        const std::lock_guard lock(link->mutex);
        if (link->display)
            QMetaObject::invokeMethod(
                link->display, [display = link->display] { display->ShowPending(); }, Qt::QueuedConnection);
    });
    // Notices met before this display existed wait for the event loop too.
    QMetaObject::invokeMethod(
        this, [this] { ShowPending(); }, Qt::QueuedConnection);
}

SettingsNoticeDisplay::~SettingsNoticeDisplay() {
    settingsnotice::SetListener({});
    const std::lock_guard lock(link_->mutex);
    link_->display = nullptr;
}

void SettingsNoticeDisplay::ShowPending() {
    // A notice that comes while a message is open is shown after it, not over it.
    if (showing_ || !messenger_) return;
    showing_ = true;
    for (QStringList notices = settingsnotice::Take(); !notices.isEmpty(); notices = settingsnotice::Take()) {
        QWidget* parent = parent_ ? parent_() : nullptr;
        messenger_->Error(parent && parent->isVisible() ? parent : nullptr,
                          notices.join(QStringLiteral("\n\n")));
    }
    showing_ = false;
}
