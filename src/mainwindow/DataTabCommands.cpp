// The Data tab's record tree, field grid, language buttons, clipboard and hex viewer commands.
#include "mainwindow/DataTabCommands.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>

#include "hexview/model/HexViewApi.h"
#include "kiwi/display/ClutEncoder.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/index/IndexManager.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/IndexGridsController.h"
#include "mainwindow/WaitCursor.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/WindowViewHost.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/ParcelWalk.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mainwindow/model/index/IndexTableModel.h"
#include "widgets/Services.h"
#include "widgets/flat/FlatButton.h"

// The documents do not come with the program: the user puts them in a folder of their own data, so that a
// link works without a setting and without the network.
QUrl DataTabCommands::HelpBase() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QUrl::fromLocalFile(data + QStringLiteral("/strovane/help/"));
}

DataTabCommands::DataTabCommands(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)),
      viewHost_(std::make_unique<WindowViewHost>(parts_.page, parts_.services)),
      kindContext_(std::make_unique<KindContext>(KindContext{parts_.grid, *viewHost_, parts_.data})),
      treeModel_(std::make_unique<RecordTreeModel>(parts_.tree, *kindContext_)),
      indexGrids_(std::make_unique<IndexGridsController>(parts_.page, parts_.tree, *kindContext_, *treeModel_,
                                                         parts_.menus)) {
    viewHost_->SetTreeModel(treeModel_.get());
    parts_.page.treeView->setModel(treeModel_.get());
    connectTree();
    connectFieldGrid();
    DataPage& page = parts_.page;
    WindowMenus& menus = parts_.menus;
    connect(&parts_.presenter, &DataTabPresenter::LanguagesChanged, this, [this] {
        parts_.menus.SetLanguages(parts_.presenter.Languages());
        applyLanguageButtons();
    });
    connect(&parts_.presenter, &DataTabPresenter::LanguageChosen, this, [this](int index) {
        if (QAction* item = parts_.menus.LanguageItem(index)) item->setChecked(true);
        applyLanguageButtons();
    });
    const auto bind = [this](QAction* item, void (DataTabCommands::*command)()) {
        connect(item, &QAction::triggered, this,
                [this, command] { parts_.run([&] { (this->*command)(); }); });
    };
    bind(menus.copyStringGridItem, &DataTabCommands::CopyStringGridMenuItemClick);
    bind(menus.copyDbGridItem, &DataTabCommands::CopyDBGridMenuItemClick);
    bind(menus.showInHexViewerDbItem, &DataTabCommands::ShowinHexViewerDBMenuItemClick);
    bind(menus.copyGraphicImageItem, &DataTabCommands::CopyGraphicImageMenuItemClick);
    bind(menus.pasteImageItem, &DataTabCommands::PasteImageMenuItemClick);
    for (QAction* item : menus.clutItems)
        connect(item, &QAction::triggered, this,
                [this, item] { parts_.run([&] { CopyClutMenuItemClick(item->data().toString()); }); });
    connect(page.graphicImage, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        parts_.menus.graphicMenu->popup(parts_.page.graphicImage->mapToGlobal(at));
    });
    for (QTableView* grid : {page.categoryGrid, page.matchingGrid})
        connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& at) {
            menuGrid_ = grid;
            menuPoint_ = at;
            parts_.menus.dbMenu->popup(grid->viewport()->mapToGlobal(at));
        });
}

DataTabCommands::~DataTabCommands() {
    // The views let go of the models before the models go.
    parts_.page.treeView->setModel(nullptr);
    parts_.page.fieldGrid->SetGridModel(nullptr);
}

void DataTabCommands::connectTree() {
    DataPage& page = parts_.page;
    // The record tree: selection shows a node (the model defers what changes the tree), expansion builds
    // through the model's fetchMore, a collapsed walked block is reset later; what a builder or view
    // raises is shown as a message.
    connect(page.treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { parts_.run([&] { treeModel_->Select(current); }); });
    connect(page.treeView, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { parts_.run([&] { treeModel_->Collapsed(index); }); });
    // Shown from the event loop: a build may fail inside the view's own layout pass, which a message box's
    // event loop must not re-enter. A failed expansion is undone, so that expanding again tries again.
    connect(
        treeModel_.get(), &RecordTreeModel::Failed, this,
        [this](const QString& message) {
            if (parts_.services.messenger) parts_.services.messenger->Error(parts_.page.window(), message);
        },
        Qt::QueuedConnection);
    connect(treeModel_.get(), &RecordTreeModel::ExpansionFailed, this, [this](const QModelIndex& index) {
        const QPersistentModelIndex failed(index);
        QMetaObject::invokeMethod(
            this,
            [this, failed] {
                if (failed.isValid()) parts_.run([&] { parts_.page.treeView->collapse(failed); });
            },
            Qt::QueuedConnection);
    });
    // The current node is about to be deleted: the hex viewer may hold its stream or one opened for it,
    // and the grid's rows may read through its reader: both let go before the node and its reader go.
    connect(treeModel_.get(), &RecordTreeModel::CurrentNodeDeleted, this, [this] {
        parts_.run([&] {
            parts_.clearHexViewer();
            ClearInfoGrid();
        });
    });
    // The tree keeps its share of the window's width; the tab is laid out only when first shown, and the
    // tree takes its share then.
    connect(page.splitter, &QSplitter::splitterMoved, this, [this] {
        parts_.presenter.KeepTreeWidth(parts_.page.window()->width(), parts_.page.TreePanelWidth());
    });
    connect(&parts_.tabs, &QTabWidget::currentChanged, this, [this] {
        if (parts_.tabs.currentWidget() == &parts_.page)
            QMetaObject::invokeMethod(
                this, [this] { parts_.run([&] { ApplyTreeWidthRatio(); }); }, Qt::QueuedConnection);
    });
}

void DataTabCommands::connectFieldGrid() {
    DataPage& page = parts_.page;
    FieldGridView* fieldGrid = page.fieldGrid;
    fieldGrid->SetUrlOpener(parts_.services.urls);
    fieldGrid->SetHelpBase(HelpBase());
    fieldGrid->SetMessenger(parts_.services.messenger);
    fieldGrid->UseContextMenu(parts_.menus.stringGridMenu, parts_.menus.showDataStringGridItem);
    // A cleared field grid takes the record's picture and play button with it.
    connect(&parts_.grid.Model(), &QAbstractItemModel::modelReset, this, [this] {
        viewHost_->Reset();
        parts_.page.fieldGrid->setToolTip(QString());
    });
    // The field grid's address jump, and its jump into a data file of the open index, which is only moved
    // in when the viewer shows that file already.
    connect(fieldGrid, &FieldGridView::jumpRequested, this, [this](qint64 offset) {
        parts_.run([&] { parts_.showInHexViewer([&](HexViewApi& hex) { hex.GotoOffset(offset); }); });
    });
    connect(fieldGrid, &FieldGridView::fileJumpRequested, this, [this](const QString& file, qint64 at) {
        parts_.run([&] {
            const std::string name = file.toStdString();
            const bool shown = viewHost_->ShowsFile(name);
            const OpenData& data = parts_.data;
            // Opened before anything changes: a file that cannot be opened leaves the viewer as it was.
            if (!shown && (!data.index || !data.index->DataFileExists(name))) return;
            parts_.showInHexViewer([&](HexViewApi& hex) {
                if (shown)
                    hex.GotoOffset(at);
                else
                    viewHost_->ShowInHexViewer(data.index->OpenDataFile(name), at);
            });
        });
    });
    connect(page.playSpeedBtn, &QPushButton::clicked, this,
            [this] { parts_.run([&] { viewHost_->Play(); }); });
    connect(page.stopSpeedBtn, &QPushButton::clicked, this,
            [this] { parts_.run([&] { viewHost_->Stop(); }); });
}

void DataTabCommands::ShowTab() {
    parts_.tabs.setTabVisible(parts_.tabs.indexOf(&parts_.page), true);
    parts_.tabs.setCurrentWidget(&parts_.page);
}

void DataTabCommands::ClearInfoGrid() {
    // The picture, the play button and the hint go with the rows (see the grid's reset above).
    parts_.grid.Model().Clear();
    parts_.page.categoryGrid->setModel(nullptr);
    parts_.page.matchingGrid->setModel(nullptr);
}

void DataTabCommands::LetGoOfCurrent() {
    {
        const QSignalBlocker blocker(parts_.page.treeView->selectionModel());
        parts_.page.treeView->selectionModel()->clearCurrentIndex();
    }
    parts_.tree.SetCurrent(nullptr);
    ClearInfoGrid();
}

void DataTabCommands::ClearTree() {
    const QSignalBlocker blocker(parts_.page.treeView->selectionModel());
    parts_.tree.Clear();
}

void DataTabCommands::ExpandRoot(RecordNode* root) {
    const QModelIndex index = treeModel_->IndexOf(root);
    if (treeModel_->canFetchMore(index)) treeModel_->fetchMore(index);
    parts_.page.treeView->expand(index);
}

void DataTabCommands::WalkToParcel(const TLN_ParcelNumber& number) {
    if (!parts_.data.map) return;
    ShowTab();
    QTreeView* view = parts_.page.treeView;
    {
        const WaitCursor wait;
        ClearInfoGrid();
        view->viewport()->update();
        // Tree updates are held back while the walk changes the tree, and resume on every way out.
        view->setUpdatesEnabled(false);
        const auto resume = qScopeGuard([view] { view->setUpdatesEnabled(true); });
        const ParcelWalk walk = ::WalkToParcel(*treeModel_, *parts_.data.map, number);
        for (RecordNode* node : walk.path)
            view->expand(treeModel_->IndexOf(node));
        if (walk.parcel) {
            const QModelIndex parcel = treeModel_->IndexOf(walk.parcel);
            view->expand(parcel);
            view->scrollTo(parcel);
            view->setCurrentIndex(parcel);
        }
    }
    viewHost_->Progress(0, 0);
    view->setFocus();
}

void DataTabCommands::ApplyTreeWidthRatio() {
    if (const std::optional<int> treeWidth = parts_.presenter.TreeWidthFor(parts_.page.window()->width()))
        parts_.page.SetTreePanelWidth(*treeWidth);
}

void DataTabCommands::applyLanguageButtons() {
    for (FlatButton* button : {parts_.page.langBtn1, parts_.page.langBtn2}) {
        button->setEnabled(parts_.presenter.LanguageButtonsEnabled());
        button->setText(parts_.presenter.LanguageButtonText());
    }
}

void DataTabCommands::CopyStringGridMenuItemClick() {
    const QModelIndex index = parts_.page.fieldGrid->MenuIndex();
    if (!index.isValid()) return;
    FieldGridModel& grid = parts_.grid.Model();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (grid.data(grid.index(index.row(), 0), FieldGridModel::TagRole).toInt() == int(RowTag::Image)) {
        const QImage image = grid.data(grid.index(index.row(), 2), FieldGridModel::ImageRole).value<QImage>();
        if (!image.isNull()) {
            clipboard->setImage(image);
            return;
        }
    }
    const QString text = grid.CellText(index.row(), index.column());
    // "0 x 00 01 02 03" is copied as the digits "00010203".
    const std::string digits = CompactHexText(text.toStdString());
    clipboard->setText(digits.empty() ? text : QString::fromStdString(digits));
}

void DataTabCommands::CopyDBGridMenuItemClick() {
    if (!menuGrid_ || !menuGrid_->model()) return;
    const QModelIndex index = menuGrid_->indexAt(menuPoint_);
    if (!index.isValid()) return;
    QGuiApplication::clipboard()->setText(index.data(Qt::DisplayRole).toString());
}

void DataTabCommands::ShowinHexViewerDBMenuItemClick() {
    if (!menuGrid_) return;
    const auto* model = qobject_cast<const IndexTableModel*>(menuGrid_->model());
    const QModelIndex current = menuGrid_->currentIndex();
    if (!model || !model->Table() || !current.isValid()) return;
    const std::optional<int64_t> offset = model->Table()->SeekRecord(current.row());
    if (!offset || !model->Table()->Stream()) return;
    parts_.showInHexViewer([&](HexViewApi& hex) {
        viewHost_->ForgetShownStream();
        hex.SetStream(model->Table()->Stream(), *offset);
    });
}

void DataTabCommands::CopyGraphicImageMenuItemClick() {
    const QPixmap picture = parts_.page.graphicImage->pixmap();
    if (!picture.isNull()) QGuiApplication::clipboard()->setImage(picture.toImage());
}

void DataTabCommands::PasteImageMenuItemClick() {
    const QImage image = QGuiApplication::clipboard()->image();
    if (!image.isNull()) parts_.page.graphicImage->setPixmap(QPixmap::fromImage(image));
}

void DataTabCommands::CopyClutMenuItemClick(const QString& palette) {
    const QPixmap picture = parts_.page.graphicImage->pixmap();
    if (picture.isNull()) return;
    const std::vector<uint8_t> bytes = CopyBitmapAsCLUTData(picture.toImage(), palette.toStdString());
    if (bytes.empty()) return;
    auto* mime = new QMimeData;
    // The registered format the hex viewer exchanges raw bytes under.
    mime->setData(QStringLiteral("application/x-qt-windows-mime;value=\"%1\"")
                      .arg(QString::fromLatin1(kBinaryDataClipboardFormat)),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
}
