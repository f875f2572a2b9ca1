// Shows the settings notices (platform/SettingsNotices) through the messenger: those met before the event
// loop runs as soon as it runs, later ones as they come (from whatever thread met them), and those of the
// closing when the program asks after its main window closed.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "widgets/Services.h"

class SettingsNoticeDisplay : public QObject {
public:
    // parent gives the window the messages belong to (or none); messenger is borrowed.
    SettingsNoticeDisplay(Messenger* messenger, std::function<QWidget*()> parent);
    ~SettingsNoticeDisplay() override;

    // Shows every notice not shown yet, in one message, now.
    void ShowPending();

private:
    struct Link;
    Messenger* messenger_;
    std::function<QWidget*()> parent_;
    std::shared_ptr<Link> link_;
    bool showing_ = false;
};
