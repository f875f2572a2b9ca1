// What the Open tab shows and decides, without widgets: which reopen buttons show, the six reopen labels
// typed in over the reopen list, and which source a reopen button or label opens. The window's widgets
// copy what it holds when it says something changed, and its timer drives the typing.
#pragma once

#include <functional>
#include <optional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "mainwindow/model/ReopenAnimation.h"
#include "platform/ReopenList.h"

class OpenTabPresenter : public QObject {
    Q_OBJECT
public:
    // The kinds of source the tab opens, each remembered under its own setting.
    enum class Source { Disk, Folder, File, Iso };
    static constexpr Source kSources[] = {Source::Disk, Source::Folder, Source::File, Source::Iso};
    // "Disk", "Folder", "File" or "IsoFile".
    static QString SettingName(Source source);

    // What a reopen command opens; an empty path means the source's open dialog instead.
    struct Target {
        Source source = Source::Disk;
        QString path;
        bool operator==(const Target&) const = default;
    };

    // Shortens a path to what a reopen label shows (the window measures with the labels' font and width).
    using Elider = std::function<QString(const QString& path)>;

    explicit OpenTabPresenter(QObject* parent = nullptr);

    void SetElider(Elider elider) { elider_ = std::move(elider); }

    // A reopen button shows for each source that has its setting.
    void ReadSettings();
    bool ReopenButtonShown(Source source) const { return buttons_[int(source)]; }
    // A source was opened: its setting is written, its reopen button shown and its path put first in the
    // list. Returns true when the list was saved (every running instance is then told).
    bool Opened(Source source, const QString& path);
    // Puts path first in the reopen list and saves it; false when the path cannot be listed.
    bool AddToReopenList(const QString& path) { return reopen_.Add(path); }

    // A reopen button opens its stored path while that still exists (a folder for a disk or folder, a
    // file for a file or image); otherwise the target's path is empty.
    Target ReopenButtonTarget(Source source) const;
    // A reopen label: an existing file named ".iso" in any case opens as an image, another existing file as
    // a file, an existing folder as a folder, anything else as a disk. None past the end of the list.
    std::optional<Target> ReopenLabelTarget(int index) const;

    // The map converter's button works when a converter is set and, with a map open, only when that map may
    // be converted (its main map in ALLDATA.KWI itself, format variant below 2).
    void SetConverterAvailable(bool available);
    void SetOpenMap(bool mapOpen, bool convertible);
    bool ConverterEnabled() const { return converterAvailable_ && (!mapOpen_ || convertible_); }
    bool MapConvertible() const { return convertible_; }

    // Reads the list again and shortens its paths for the labels.
    void LoadReopenList();
    const ReopenList& Reopen() const { return reopen_; }
    const QStringList& DisplayTexts() const { return display_; }

    // What a reopen label shows: visible or not, its (partly typed) text and the full path as its tip.
    const ReopenAnimation::Label& Label(int index) const { return labels_[index]; }
    QString LabelToolTip(int index) const { return reopen_.Paths().value(index); }

    // Every label at once with its whole text, from the list as stored now.
    void ShowAllLabels();
    // The list changed (or the window was made): the typing starts again from the first label.
    void RestartAnimation();
    bool AnimationStarted() const { return animationStarted_; }
    // One step of the typing. Unseen (another tab is shown), the labels are shown whole at once and the
    // typing ends. Returns whether another step follows.
    bool Tick(bool seen);

signals:
    void LabelsChanged();
    void ReopenButtonsChanged();
    void ConverterChanged();

private:
    void setButton(Source source, bool shown);

    ReopenList reopen_;
    QStringList display_;
    ReopenAnimation animation_;
    ReopenAnimation::Label labels_[ReopenAnimation::kLabels];
    bool buttons_[4] = {};
    bool animationStarted_ = false;
    bool converterAvailable_ = false;
    bool mapOpen_ = false;
    bool convertible_ = false;
    Elider elider_;
};
