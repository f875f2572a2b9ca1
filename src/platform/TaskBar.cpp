// The taskbar's stored state and its sending rules.
#include "platform/TaskBar.h"

#include <QGuiApplication>
#include <QWindow>

int taskBarProgressFlag(TaskBarProgressStyle state) {
    switch (state) {
    case TaskBarProgressStyle::None:
        return 0;
    case TaskBarProgressStyle::Indeterminate:
        return 1;
    case TaskBarProgressStyle::Normal:
        return 2;
    case TaskBarProgressStyle::Error:
        return 4;
    case TaskBarProgressStyle::Paused:
        return 8;
    }
    return 0;
}

TaskBar::TaskBar(TaskbarBackend* backend) : backend_(backend && backend->Available() ? backend : nullptr) {}

TaskBar::~TaskBar() = default;

void TaskBar::SetProgressState(TaskBarProgressStyle state) {
    progressState_ = state;
    if (!loading_ && backend_) backend_->SetProgressState(state);
}

void TaskBar::SetProgressValue(int value) {
    // A maximum of 0 has no percentage; nothing is divided by it.
    if (progressMax_ <= 0) {
        progressValue_ = 0;
        return;
    }
    const int percent = int(int64_t(value) * 100 / progressMax_);
    if (percent == progressValue_ && progressState_ == TaskBarProgressStyle::Normal && value != progressMax_)
        return;
    progressValue_ = percent;
    if (backend_) backend_->SetProgressValue(percent, 100);
}

void TaskBar::SetShowOverlay(bool show) {
    showOverlay_ = show;
    if (loading_ || !backend_) return;
    if (show)
        backend_->SetOverlayIcon(overlayIcon_, overlayDescription_);
    else
        backend_->SetOverlayIcon(QIcon(), QString());
}

void TaskBar::FlashTaskbarButton() {
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (gui) {
        for (QWindow* window : QGuiApplication::topLevelWindows())
            if (window->isVisible()) window->alert(0);
    }
    if (!backend_) return;
    backend_->SetUrgent(true);
    if (!gui) return;
    // The mark stays until the program becomes active, once.
    QObject::disconnect(gui, nullptr, &activation_, nullptr);
    QObject::connect(gui, &QGuiApplication::applicationStateChanged, &activation_,
                     [this](Qt::ApplicationState state) {
                         if (state != Qt::ApplicationActive) return;
                         QObject::disconnect(qGuiApp, nullptr, &activation_, nullptr);
                         if (backend_) backend_->SetUrgent(false);
                     });
}
