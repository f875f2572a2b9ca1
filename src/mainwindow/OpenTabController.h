// The Open tab's widget side and the opening of a source: the open and reopen buttons ask for a path (or
// take the stored one) and open it under the wait cursor, the outcome is handed to the window and its
// messages shown; the reopen labels are typed in by a timer as the list changes in any instance; the tool
// buttons start the unpack wizard, the map converter and the burning of an image.
#pragma once

#include <functional>

#include <QObject>
#include <QString>

#include "mainwindow/model/OpenTabPresenter.h"

class CharsetPresenter;
class MapCodePageChoice;
class OpenPage;
class QDialog;
class QTimer;
class ReopenNotifier;
class SourceOpener;
class TaskBar;
struct OpenData;
struct OpenOutcome;
struct Services;

// How the main window starts the map converter, which comes in its own library: set by whoever links both.
struct MapConverterHook {
    // Creates the converter window (parent: the main window) with its code-page conversion and
    // translation choices disabled; the window deletes it when it is closed.
    std::function<QDialog*(QWidget* parent)> create;
    // The map the accepted converter wrote (the text of its target file name).
    std::function<QString(QDialog* converter)> writtenMap;
};

class OpenTabController : public QObject {
    Q_OBJECT
public:
    using Source = OpenTabPresenter::Source;
    // What the tab works with; all outlive the controller.
    struct Parts {
        OpenPage& page;
        OpenTabPresenter& presenter;
        SourceOpener& opener;
        const Services& services;
        // The unpack wizard starts from the open compression list; the converter's map is opened with the
        // automatic code page choice off; both report their progress on the task bar.
        OpenData& data;
        MapCodePageChoice& codePages;
        CharsetPresenter& charset;
        TaskBar& taskBar;
        // Runs a command so that what it raises is shown as a message.
        std::function<void(const std::function<void()>&)> run;
        // What an opening changes in the window (tabs, map, menus), and where it goes once it found data:
        // the Data tab, or the ISO tab for an image without KIWI files.
        std::function<void(const OpenOutcome& outcome)> apply;
        std::function<void(const OpenOutcome& outcome)> show;
        // Whether the Open tab is the one shown (the labels are typed only where they are seen).
        std::function<bool()> seen;
        // The burn button: asks for an image and hands it to the burning program.
        std::function<void()> burn;
    };

    explicit OpenTabController(Parts parts, QObject* parent = nullptr);

    // Opens a source; closes what was open first (unless the path is refused) and reports what it found.
    bool Open(Source source, const QString& path);
    OpenPage* Page() const { return &parts_.page; }
    OpenTabPresenter& Presenter() const { return parts_.presenter; }
    const QString& LastFolderPath() const { return lastFolderPath_; }
    const QString& LastFilePath() const { return lastFilePath_; }

    // The buttons: a source's open dialog, and its reopen button (the dialog when nothing is stored).
    void Choose(Source source);
    void Reopen(Source source);
    void ReopenLabelClick(int index);
    void StayOnTopBtnClick();
    // Starts the map converter when one is set (its button is disabled otherwise); an accepted converter's
    // map is opened with the automatic code page choice off, which is set back afterwards.
    void WizardBtnClick();
    void SetMapConverter(MapConverterHook hook);

    // The reopen list: add (save and tell every instance), and its typing.
    void AddToReopenList(const QString& path);
    ReopenNotifier* Notifier() const { return notifier_; }
    void OnReopenChanged();
    void OnReopenTimer();
    // Runs the reopen animation to its end at once (tests).
    void FinishReopenAnimation();
    bool ReopenAnimationRunning() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMessages(const OpenOutcome& outcome);
    void applyLabels();
    void applyButtons();
    void connectTools();

    Parts parts_;
    MapConverterHook converter_;
    ReopenNotifier* notifier_ = nullptr;
    QTimer* timer_ = nullptr;
    QString lastFolderPath_;
    QString lastFilePath_;
};
