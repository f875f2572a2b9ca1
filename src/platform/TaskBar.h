// Progress of a long job on the program's taskbar entry: a state and a percentage, kept here with the
// rules of when a change is worth sending, and sent through a backend (the desktop launcher's D-Bus
// signal, or nothing); also the request for attention when a job ends unseen.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

enum class TaskBarProgressStyle { None, Indeterminate, Normal, Error, Paused };

// The progress flags of the state: 0, 1, 2, 4, 8.
int taskBarProgressFlag(TaskBarProgressStyle state);

// Where the taskbar's changes go. GUI thread only.
class TaskbarBackend {
public:
    virtual ~TaskbarBackend() = default;
    // Whether anything reaches the desktop; an unavailable backend is never called.
    virtual bool Available() const = 0;
    virtual void SetProgressState(TaskBarProgressStyle state) = 0;
    virtual void SetProgressValue(int completed, int total) = 0;
    // A null icon removes the overlay.
    virtual void SetOverlayIcon(const QIcon& icon, const QString& description) = 0;
    virtual void SetUrgent(bool urgent) = 0;
};

class TaskBar {
public:
    // backend (borrowed) may be null: then every setter only stores.
    explicit TaskBar(TaskbarBackend* backend = nullptr);
    ~TaskBar();
    TaskBar(const TaskBar&) = delete;
    TaskBar& operator=(const TaskBar&) = delete;

    bool InterfaceAvailable() const { return backend_ != nullptr; }

    // The last percentage stored (not the value given).
    int ProgressValue() const { return progressValue_; }
    // Stores value × 100 / ProgressMax and sends it, except that an unchanged percentage is not sent again
    // while the state is Normal unless value is ProgressMax. With ProgressMax at 0 or below it stores 0
    // and sends nothing.
    void SetProgressValue(int value);
    // The value that counts as 100 %; stored only.
    int ProgressMax() const { return progressMax_; }
    void SetProgressMax(int max) { progressMax_ = max; }

    TaskBarProgressStyle ProgressState() const { return progressState_; }
    void SetProgressState(TaskBarProgressStyle state);

    const QString& OverlayDescription() const { return overlayDescription_; }
    void SetOverlayDescription(const QString& text) { overlayDescription_ = text; }
    // Stored only; nothing shows it.
    const QString& ThumbnailTooltip() const { return thumbnailTooltip_; }
    void SetThumbnailTooltip(const QString& text) { thumbnailTooltip_ = text; }
    const QIcon& OverlayIcon() const { return overlayIcon_; }
    void SetOverlayIcon(const QIcon& icon) { overlayIcon_ = icon; }
    bool ShowOverlay() const { return showOverlay_; }
    void SetShowOverlay(bool show);

    // While a window's stored layout is applied, the state and the overlay are stored, not sent.
    void SetLoading(bool loading) { loading_ = loading; }

    // Asks for the user's attention (the desktop's urgency hint on every shown window, and the launcher's
    // urgent mark) until the program becomes active.
    void FlashTaskbarButton();

private:
    TaskbarBackend* backend_;
    int progressValue_ = 0;
    int progressMax_ = 100;
    TaskBarProgressStyle progressState_ = TaskBarProgressStyle::None;
    QString overlayDescription_;
    QString thumbnailTooltip_;
    QIcon overlayIcon_;
    bool showOverlay_ = false;
    bool loading_ = false;
    // Context of the connection that clears the urgent mark.
    QObject activation_;
};
