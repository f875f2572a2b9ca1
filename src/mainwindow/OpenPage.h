// The Open tab: the buttons that open a disk, a folder, a file or an ISO image and reopen the last of each,
// the six reopen labels, the tool buttons (unpack, burn, converter), the donate and stay-on-top buttons and
// the version and maker labels, placed as the window is resized.
#pragma once

#include <array>

#include <QWidget>

class FlatButton;
class QLabel;
class ReopenLabel;

class OpenPage : public QWidget {
    Q_OBJECT
public:
    explicit OpenPage(QWidget* parent = nullptr);

    // The width reopen paths are shortened to: the label width less 10 pixels.
    int ReopenTextWidth() const;
    // Places the widgets again (after a button's text changed its width).
    void Relayout() { place(); }

    FlatButton* diskButton = nullptr;
    FlatButton* folderButton = nullptr;
    FlatButton* fileButton = nullptr;
    FlatButton* openIsoButton = nullptr;
    FlatButton* reopenDiskBtn = nullptr;
    FlatButton* reopenFolderBtn = nullptr;
    FlatButton* reopenFileBtn = nullptr;
    FlatButton* reopenIsoBtn = nullptr;
    std::array<ReopenLabel*, 6> reopenLabels{};
    FlatButton* unpackButton = nullptr;
    FlatButton* burnDvdBtn = nullptr;
    FlatButton* wizardBtn = nullptr;
    FlatButton* donateBtn = nullptr;
    FlatButton* stayOnTopBtn = nullptr;
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
