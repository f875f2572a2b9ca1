// The hex viewer window's commands as actions with their captions, hints and shortcuts, the tool bar
// and the context menu that show them.
#pragma once

#include <QIcon>
#include <vector>

class QAction;
class QMenu;
class QToolBar;
class QWidget;

struct HexViewerActions {
    // Creates the actions on owner; their shortcuts work only while the focus is inside owner, so that
    // the docked viewer's Ctrl+C, Ctrl+A, Ctrl+F, Ctrl+G and F3 leave the other tabs alone.
    explicit HexViewerActions(QWidget* owner);

    // The docking button's look while docked (it floats the window) and while floating (it docks it).
    void ShowDocked(bool docked);

    QAction* docking;
    QAction* copyBlock;
    QAction* fileCopy;
    QAction* copyAsHexText;
    QAction* goTo;
    QAction* defineBlock;
    QAction* setBegining;
    QAction* setEnd;
    QAction* clearBlock;
    QAction* selAll;
    QAction* find;
    QAction* findNext;
    QAction* gotoStartFile;
    QAction* gotoEndFile;
    QAction* gotoStartBlock;
    QAction* gotoEndBlock;
    QAction* showClipboardFormats;

    QToolBar* toolBar;
    QMenu* popup;
    // The picture of the viewer's docked tab and of its floating window.
    QIcon pageIcon;

private:
    QIcon floatIcon_;
    QIcon dockIcon_;
};
