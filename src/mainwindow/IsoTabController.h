// The ISO tab's widget side: the list follows its presenter, a row opens or pops the menu up, and the
// menu's commands show the row's file in the hex viewer, extract it on a worker with the tab's progress
// strip, unpack it through the single-file unpack dialog or burn the mounted image.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QObject>

class IsoExtraction;
class IsoPage;
class IsoTabPresenter;
class TaskBar;
class WindowMenus;
struct Services;

class IsoTabController : public QObject {
    Q_OBJECT
public:
    // What the tab works with; all outlive the controller.
    struct Parts {
        IsoPage& page;
        WindowMenus& menus;
        IsoTabPresenter& presenter;
        const Services& services;
        TaskBar& taskBar;
        // Runs a command so that what it raises is shown as a message.
        std::function<void(const std::function<void()>&)> run;
        // Shows a file of the image (its path) in the hex viewer, whose tab comes to the front.
        std::function<void(const std::string& path)> showInHexViewer;
    };

    explicit IsoTabController(Parts parts, QObject* parent = nullptr);
    ~IsoTabController() override;

    IsoPage* Page() const { return &parts_.page; }
    IsoTabPresenter& Presenter() const { return parts_.presenter; }
    WindowMenus* Menus() const { return &parts_.menus; }

    // Opening a row (double-click or Enter): a directory is listed, a file pops the menu up.
    void IsoListViewDblClick(int row);
    // The menu's items for a row (-1 for none).
    void IsoPopupMenuPopup(int row);
    void OpenFileInHexViewerMenuItemClick();
    // Asks for a target and extracts the menu's file to it on a worker; the tab shows the progress.
    void ExtractFileMenuItemClick();
    bool ExtractionRunning() const { return extraction_ != nullptr; }
    void UnpackFileMenuItemClick();
    // Refuses with a message, or opens the single-file unpack dialog on path.
    void UnpackFile(const QString& path);
    // Burning: the mounted image, or an image chosen in the open dialog, handed to the burning program.
    void BurnDVDMenuItemClick();
    void BurnDVDBtnClick();
    void BurnImage(const QString& image);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window() const;
    void showExtractionProgress();
    void finishExtraction();

    Parts parts_;
    std::unique_ptr<IsoExtraction> extraction_;
};
