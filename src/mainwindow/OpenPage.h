// The Open tab: the buttons that open a disk, a folder, a file or an ISO image and reopen the last of each,
// the six reopen labels, the tool buttons (unpack, burn, converter), the donate and stay-on-top buttons and
// the version and maker labels, placed as the window is resized.
#pragma once

#include <array>

#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;
class ReopenLabel;

class OpenPage : public QWidget {
    Q_OBJECT
public:
    explicit OpenPage(QWidget* parent = nullptr);

    // The width reopen paths are shortened to: the label width less 10 pixels.
    int ReopenTextWidth() const;
    // Places the widgets again (after a button's text changed its width).
    void Relayout() { place(); }

    QPushButton* diskButton = nullptr;
    QPushButton* folderButton = nullptr;
    QPushButton* fileButton = nullptr;
    QPushButton* openIsoButton = nullptr;
    QToolButton* reopenDiskBtn = nullptr;
    QToolButton* reopenFolderBtn = nullptr;
    QToolButton* reopenFileBtn = nullptr;
    QToolButton* reopenIsoBtn = nullptr;
    std::array<ReopenLabel*, 6> reopenLabels{};
    QPushButton* unpackButton = nullptr;
    QPushButton* burnDvdBtn = nullptr;
    QPushButton* wizardBtn = nullptr;
    QPushButton* donateBtn = nullptr;
    QPushButton* stayOnTopBtn = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* makerLabel = nullptr;

signals:
    // The reopen label widths changed: the shortened texts must be made again.
    void ReopenWidthChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();
};
