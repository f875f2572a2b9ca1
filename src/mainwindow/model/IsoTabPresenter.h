// What the ISO tab shows and decides, without widgets: the rows of the listed directory of the mounted
// image, what opening a row does, and which commands the pop-up menu allows for the row it was opened on.
// The window's list copies the rows when it says they changed; extraction and unpacking stay the window's.
#pragma once

#include <memory>
#include <vector>

#include <QObject>

#include "mainwindow/model/IsoListing.h"

class TLN_CompressionManager;

class IsoTabPresenter : public QObject {
    Q_OBJECT
public:
    // The pop-up menu's items, enabled or not.
    struct MenuState {
        bool openInHexViewer = false;
        bool extract = false;
        bool unpack = false;
        bool burn = false;
        bool operator==(const MenuState&) const = default;
    };
    // What opening a row did: nothing (no such row), listed a directory, or chose a file for the menu.
    enum class Opened { Nothing, Directory, File };

    explicit IsoTabPresenter(QObject* parent = nullptr);
    ~IsoTabPresenter() override;

    // The mounted image's root with the image's compression list, or no rows when none is mounted.
    void ShowRoot();
    // The rows of directory (none for null); the menu's row is forgotten.
    void ShowDirectory(const TDirectoryEntry* directory);
    // No rows, no compression list, no menu row: the image is about to go.
    void Clear();

    const std::vector<IsoListItem>& Items() const { return items_; }
    const IsoListItem* ItemAt(int row) const;

    // A directory row lists its directory; a file row becomes the menu's row (the menu then pops up).
    Opened Open(int row);
    // The menu is opened on row (-1 for none): what it allows there. One extraction at a time, as the tab
    // has one progress strip; burning needs a mounted image.
    MenuState ChooseMenuRow(int row, bool extractionRunning);
    // The menu row's file, or null when the menu is on no file.
    const IsoListItem* MenuFile() const;

signals:
    void ItemsChanged();

private:
    IsoFileTypes types_;
    std::unique_ptr<TLN_CompressionManager> compression_;
    std::vector<IsoListItem> items_;
    int menuRow_ = -1;
};
