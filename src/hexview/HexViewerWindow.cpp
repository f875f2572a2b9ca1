// The hex viewer window: its widgets, what the main window asks of it, the grid's reports in the
// status panels and caption, and docking into the main window's tabs or floating beside it.
#include "hexview/HexViewerWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "hexview/HexGrid.h"
#include "hexview/HexViewerActions.h"
#include "hexview/HexWindowRules.h"
#include "hexview/dialogs/HexDialogs.h"
#include "hexview/dialogs/ProgressDialog.h"
#include "hexview/model/HexGridLayout.h"
#include "widgets/Guarded.h"

namespace {
// The tab's text while no file is shown.
const QString kDefaultTitle = QStringLiteral("Hex Viewer");
constexpr int kPanelWidths[4] = {130, 70, 220, 150};
// Room before and after a panel's text, so that it never touches the frame.
constexpr int kPanelIndent = 3;
constexpr int kPanelPadding = 6;
} // namespace

HexViewerWindow::HexViewerWindow(const Services& services, HexDialogs& dialogs, QWidget* parent)
    : QWidget(parent), services_(services), dialogs_(dialogs), sinkFactory_([this](const QString& path) {
          // Never over the file the block is read from.
          const auto stream = grid_->Stream();
          return MakeSaveFileSink(path, stream ? FilesBehind(*stream) : std::vector<std::string>{});
      }) {
    grid_ = new HexGrid(this);
    grid_->SetRussianTexts(true);
    actions_ = std::make_unique<HexViewerActions>(this);
    setWindowIcon(actions_->pageIcon);
    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(status);
        panels_[i]->setFixedWidth(kPanelWidths[i]);
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        panels_[i]->setIndent(kPanelIndent);
        status->addWidget(panels_[i]);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(actions_->toolBar);
    layout->addWidget(grid_, 1);
    layout->addWidget(status);
    // Wide enough for every column and the scroll bar when it floats.
    floatingWidth_ = hexlayout::kTotalWidth + grid_->verticalScrollBar()->sizeHint().width() + 24;
    resize(floatingWidth_, 600);

    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { actions_->popup->popup(grid_->viewport()->mapToGlobal(at)); });
    connect(grid_, &HexGrid::fileChanged, this, &HexViewerWindow::onFileChanged);
    connect(grid_, &HexGrid::addressChanged, this, &HexViewerWindow::onAddressChanged);
    connect(grid_, &HexGrid::selectionChanged, this, &HexViewerWindow::onSelectionChanged);
    connect(grid_, &HexGrid::searchProgress, this, &HexViewerWindow::onSearchProgress);
    connect(grid_, &HexGrid::searchSuccess, this, [this](qint64 result, int) { onSearchSuccess(result); });
    connect(grid_, &HexGrid::searchFailed, this, [this](const QString& reason) {
        if (services_.messenger)
            services_.messenger->Error(dialogParent(), hexwindow::SearchFailedText(reason));
    });
    connectActions();
    updateCaption();
    updateActions();
}

HexViewerWindow::~HexViewerWindow() {
    // The grid goes after this part of the window: its last reports must not reach it.
    disconnect(grid_, nullptr, this, nullptr);
    // The copy's thread is joined before the grid and the stream it may still be reading go; progress
    // dialogs owned by the main window close with the work they showed.
    fileCopy_.reset();
    for (ProgressDialog* progress : {copyProgress_.data(), searchProgress_.data()})
        if (progress) progress->SetPercent(-1);
}

void HexViewerWindow::connectActions() {
    const HexViewerActions& a = *actions_;
    connect(a.docking, &QAction::triggered, this, [this] { floating_ ? Dock() : Float(); });
    connect(a.copyBlock, &QAction::triggered, this,
            guardedSlot(this, services_.messenger, &HexViewerWindow::CopyBlock));
    connect(a.fileCopy, &QAction::triggered, this,
            guardedSlot(this, services_.messenger, &HexViewerWindow::CopyToFile));
    connect(a.copyAsHexText, &QAction::triggered, this,
            guardedSlot(this, services_.messenger, &HexViewerWindow::CopyAsHexText));
    connect(a.goTo, &QAction::triggered, this,
            guardedSlot(this, services_.messenger, &HexViewerWindow::GoToCommand));
    connect(a.defineBlock, &QAction::triggered, this,
            guardedSlot(this, services_.messenger, &HexViewerWindow::DefineBlockCommand));
    connect(a.setBegining, &QAction::triggered, this, [this] { grid_->MarkBlockStart(); });
    connect(a.setEnd, &QAction::triggered, this, [this] { grid_->MarkBlockEnd(); });
    connect(a.clearBlock, &QAction::triggered, this, [this] { grid_->SelectNone(); });
    connect(a.selAll, &QAction::triggered, this, [this] { grid_->SelectAll(); });
    connect(a.find, &QAction::triggered, this,
            guardedSlot(this, services_.messenger, &HexViewerWindow::FindCommand));
    connect(a.findNext, &QAction::triggered, this,
            guardedSlot(this, services_.messenger, &HexViewerWindow::FindNext));
    connect(a.gotoStartFile, &QAction::triggered, this, [this] { grid_->GotoOffset(0); });
    connect(a.gotoEndFile, &QAction::triggered, this, [this] { grid_->GotoOffset(grid_->Size() - 1); });
    connect(a.gotoStartBlock, &QAction::triggered, this, [this] { grid_->GotoOffset(grid_->BlockStart()); });
    connect(a.gotoEndBlock, &QAction::triggered, this, [this] { grid_->GotoOffset(grid_->BlockEnd()); });
    connect(a.showClipboardFormats, &QAction::triggered, this, &HexViewerWindow::ShowClipboardFormats);
}

void HexViewerWindow::SetStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
    grid_->SetStream(std::move(stream), offset);
    updateActions();
}

void HexViewerWindow::SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
    grid_->SetOwnedStream(std::move(stream), offset);
    updateActions();
}

void HexViewerWindow::GotoOffset(int64_t offset) {
    grid_->GotoOffset(offset);
}

void HexViewerWindow::Clear() {
    grid_->Clear();
    updateActions();
}

void HexViewerWindow::SetCodePageName(const QString& name) {
    grid_->SetCharsetName(name);
}

void HexViewerWindow::SetDisplayCodePage(int codePage) {
    grid_->SetDisplayCodePage(codePage);
}

bool HexViewerWindow::HasStream() const {
    return grid_->HasStream();
}

QString HexViewerWindow::PanelText(int panel) const {
    return panel >= 0 && panel < 4 ? panels_[panel]->text() : QString();
}

void HexViewerWindow::updateActions() {
    // Commands that place the cursor or mark bytes need a byte to place it on: with no stream or an
    // empty one they would go to offset -1.
    const bool bytes = grid_->HasStream() && grid_->Size() > 0;
    const bool block = bytes && grid_->HasBlock();
    const HexViewerActions& a = *actions_;
    for (QAction* action : {a.copyBlock, a.copyAsHexText, a.clearBlock, a.gotoStartBlock, a.gotoEndBlock})
        action->setEnabled(block);
    a.fileCopy->setEnabled(block && !fileCopy_);
    for (QAction* action : {a.goTo, a.defineBlock, a.setBegining, a.setEnd, a.selAll, a.find, a.findNext,
                            a.gotoStartFile, a.gotoEndFile})
        action->setEnabled(bytes);
}

void HexViewerWindow::updateCaption() {
    const QString caption = hexwindow::Caption(floating_, displayName_);
    setWindowTitle(caption.isEmpty() ? kDefaultTitle : caption);
    if (!floating_ && tabs_) {
        const int index = tabs_->indexOf(this);
        if (index >= 0) tabs_->setTabText(index, displayName_.isEmpty() ? kDefaultTitle : displayName_);
    }
}

void HexViewerWindow::onFileChanged(const QString& name) {
    displayName_ = grid_->HasStream() ? hexwindow::DisplayName(name) : QString();
    search_.lastHit = -2;
    if (!grid_->HasStream() || grid_->Size() == 0) {
        setPanelText(0, {});
        setPanelText(1, {});
    }
    updateCaption();
    updateActions();
}

void HexViewerWindow::onAddressChanged(qint64 address, quint8 byte) {
    setPanelText(0, hexwindow::AddressPanel(address));
    setPanelText(1, hexwindow::BytePanel(byte));
}

void HexViewerWindow::onSelectionChanged(qint64 start, qint64 end) {
    setPanelText(2, hexwindow::BlockPanel(start, end));
    setPanelText(3, hexwindow::SizePanel(start, end));
    updateActions();
}

void HexViewerWindow::setPanelText(int panel, const QString& text) {
    QLabel* label = panels_[panel];
    label->setText(text);
    // The panel's own width, or what its text needs with the frame around it when that is more.
    const int needed = label->fontMetrics().horizontalAdvance(text) + 2 * label->frameWidth() +
                       label->indent() + kPanelPadding;
    label->setFixedWidth(std::max(kPanelWidths[panel], needed));
}

void HexViewerWindow::onSearchProgress(int percent) {
    if (percent >= 0 && !searchProgress_ && grid_->Searching()) {
        // Esc, the close box and the button all only ask the search to stop; the dialog closes on the
        // search's end report below, after the worker has finished.
        QPointer<HexGrid> grid = grid_;
        searchProgress_ = dialogs_.OpenProgress(dialogParent(), [grid] {
            if (grid) grid->CancelSearch();
        });
    }
    if (searchProgress_) searchProgress_->SetPercent(percent);
}

void HexViewerWindow::onSearchSuccess(qint64 result) {
    // A failed search has no place to go on from: Find next tries the same bytes again.
    if (result != HexGrid::kSearchFailed) search_.lastHit = result;
}

QWidget* HexViewerWindow::dialogParent() {
    // Floating: the viewer's own window; docked: the main window that holds it.
    return window();
}

// Docking.

bool HexViewerWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange) noticeDocking();
    return handled;
}

void HexViewerWindow::noticeDocking() {
    // The page sits in a tab widget's stack once the main window (or Dock) has inserted it.
    QWidget* stack = parentWidget();
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    if (!tabs) return;
    if (tabs_ != tabs) {
        tabs_ = tabs;
        if (mainWindow_) mainWindow_->removeEventFilter(this);
        mainWindow_ = tabs->window();
        mainWindow_->installEventFilter(this);
    }
    floating_ = false;
    snapped_ = false;
    actions_->ShowDocked(true);
    updateCaption();
}

void HexViewerWindow::Float() {
    if (floating_ || !tabs_ || !mainWindow_) return;
    dockIndex_ = tabs_->indexOf(this);
    if (dockIndex_ < 0) return;
    tabs_->removeTab(dockIndex_);
    setParent(nullptr, Qt::Window);
    // Docked, the page took the tab's width; floating, it has its own again.
    resize(floatingWidth_, height());
    if (mainWindow_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        mainWindow_->showNormal();
    floating_ = true;
    snapped_ = true;
    // The Data tab stands just before the hex tab's place.
    if (dockIndex_ > 0) tabs_->setCurrentIndex(dockIndex_ - 1);
    actions_->ShowDocked(false);
    updateCaption();
    SnapToMainForm();
    show();
    raise();
    activateWindow();
}

void HexViewerWindow::Dock() {
    if (!floating_ || !tabs_) return;
    snapped_ = false;
    // The width the user gave the floating window is its width when it floats again.
    floatingWidth_ = width();
    // Hidden, the page is shown by the tab widget when its tab is chosen; shown here it would draw its rows
    // over whichever page is current.
    hide();
    const int index = dockIndex_ >= 0 && dockIndex_ <= tabs_->count() ? dockIndex_ : tabs_->count();
    tabs_->insertTab(index, this, windowIcon(), displayName_.isEmpty() ? kDefaultTitle : displayName_);
    tabs_->setTabVisible(tabs_->indexOf(this), grid_->HasStream());
}

void HexViewerWindow::SnapToMainForm() {
    if (!mainWindow_ || !floating_) return;
    snapping_ = true;
    const QRect main = mainWindow_->frameGeometry();
    move(main.x() + main.width(), main.y());
    resize(width(), mainWindow_->height());
    snapping_ = false;
}

void HexViewerWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!isVisible() || snapping_ || !floating_ || !mainWindow_ || !isWindow()) return;
    const QRect main = mainWindow_->frameGeometry();
    const QRect own = frameGeometry();
    switch (hexwindow::SnapAfterMove(own.x() - (main.x() + main.width()), own.y() - main.y())) {
    case hexwindow::SnapMove::Snap:
        SnapToMainForm();
        snapped_ = true;
        break;
    case hexwindow::SnapMove::Unsnap:
        snapped_ = false;
        break;
    case hexwindow::SnapMove::Keep:
        break;
    }
}

bool HexViewerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mainWindow_ && floating_) {
        // The snapped window follows the main window.
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && snapped_ && isVisible())
            SnapToMainForm();
        // The viewer goes back into the closing main window: left floating, it would keep the program
        // running after its main window has closed.
        if (event->type() == QEvent::Close) Dock();
    }
    return QWidget::eventFilter(watched, event);
}

void HexViewerWindow::closeEvent(QCloseEvent* event) {
    // Closing the floating window docks it again; without a main window to dock into, it closes.
    if (floating_ && tabs_) {
        event->ignore();
        Dock();
        return;
    }
    QWidget::closeEvent(event);
}
