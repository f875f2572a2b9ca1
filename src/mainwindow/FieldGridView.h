// The table that shows the field grid: fixed columns and row heights, the Help link, and the jump from an
// address or offset row to the hex viewer (context menu and double-click).
#pragma once

#include <QTableView>
#include <QUrl>

class FieldGridModel;
class Messenger;
class QAction;
class QMenu;
class UrlOpener;

class FieldGridView : public QTableView {
    Q_OBJECT
public:
    // The context menu's only item.
    static const QString kJumpActionText;

    explicit FieldGridView(QWidget* parent = nullptr);

    // Shows model (not owned); nullptr shows nothing.
    void SetGridModel(FieldGridModel* model);
    FieldGridModel* GridModel() const { return gridModel_; }
    // Opens the Help links; without one a click does nothing.
    void SetUrlOpener(UrlOpener* opener) { urlOpener_ = opener; }
    // Says so when a Help link's document is not in its local folder.
    void SetMessenger(Messenger* messenger) { messenger_ = messenger; }
    // Where the help documents live; a document path is resolved against it.
    void SetHelpBase(const QUrl& base) { helpBase_ = base; }
    // The link a Help click opens for the model's current document.
    QUrl HelpLinkUrl() const;

    // Pops up menu (the window's, with more commands) instead of the view's own, with jumpAction as its
    // jump item; neither is owned.
    void UseContextMenu(QMenu* menu, QAction* jumpAction);
    // The context menu and its item, enabled for the row last asked about (tests look at them).
    QMenu* ContextMenu() const { return menu_; }
    QAction* JumpAction() const { return jumpAction_; }
    // The cell the context menu was last opened on (invalid when it was opened outside the cells).
    QModelIndex MenuIndex() const { return menuIndex_; }
    // Tests: as if the context menu had been opened on index.
    void SetMenuIndex(const QModelIndex& index) {
        menuIndex_ = index;
        menuRow_ = index.isValid() ? index.row() : -1;
    }

signals:
    // The user asked to see the data at offset in the hex viewer.
    void jumpRequested(qint64 offset);
    // The same for an address in a data file of its own (the row names the file).
    void fileJumpRequested(const QString& file, qint64 offset);

protected:
    // Enter on the Help link (Tab reaches it through the cells) opens it as a click does.
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab stop only on the link of a Help link row: its empty cells do nothing on Enter.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void ShowContextMenu(const QPoint& position);
    void JumpFromRow(int row);
    bool IsHelpLink(const QModelIndex& index) const;
    void OpenHelp(const QModelIndex& index);
    void RestoreColumnWidths();
    // Image rows are as tall as their image + 8, all others keep the fixed height; a header's title spans the
    // empty cells beside it, so that a long one is read whole.
    void LayOutRows(int first, int last);

    FieldGridModel* gridModel_ = nullptr;
    UrlOpener* urlOpener_ = nullptr;
    Messenger* messenger_ = nullptr;
    QUrl helpBase_;
    QMenu* menu_ = nullptr;
    QAction* jumpAction_ = nullptr;
    int menuRow_ = -1;
    QPersistentModelIndex menuIndex_;
};
