// The main window's ISO tab: listing the mounted image's directories, the pop-up menu of a row, showing a
// file in the hex viewer, extracting it on a worker with progress, and unpacking it through the single-file
// unpack dialog.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "hexview/model/HexViewApi.h"
#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/iso/ISOImage.h"
#include "mainwindow/IsoPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/WindowViewHost.h"
#include "mainwindow/model/IsoExtraction.h"
#include "mainwindow/model/IsoTabPresenter.h"
#include "mainwindow/model/UnpackRefusal.h"
#include "platform/JobNotifier.h"
#include "platform/RegistrySettings.h"
#include "unpack/UnpackFileDialog.h"

namespace {
// The menu opens this far right of the row, clear of the name the user double-clicked.
constexpr int kMenuOffset = 60;
} // namespace

QWidget* MainWindow::IsoTab() const {
    return isoPage_;
}

void MainWindow::connectIsoCommands() {
    QTreeWidget* list = isoPage_->isoListView;
    connect(isoPresenter_.get(), &IsoTabPresenter::ItemsChanged, this,
            [this] { isoPage_->SetItems(isoPresenter_->Items()); });
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this, list](QTreeWidgetItem* item) {
        run([&] { IsoListViewDblClick(list->indexOfTopLevelItem(item)); });
    });
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
        run([&] {
            IsoPopupMenuPopup(isoPage_->RowAt(at));
            menus_->isoMenu->popup(list->viewport()->mapToGlobal(at));
        });
    });
    const auto bind = [this](QAction* item, void (MainWindow::*command)()) {
        connect(item, &QAction::triggered, this, [this, command] { run([&] { (this->*command)(); }); });
    };
    bind(menus_->openFileInHexViewerItem, &MainWindow::OpenFileInHexViewerMenuItemClick);
    bind(menus_->extractFileItem, &MainWindow::ExtractFileMenuItemClick);
    bind(menus_->unpackFileItem, &MainWindow::UnpackFileMenuItemClick);
    bind(menus_->burnDvdItem, &MainWindow::BurnDVDMenuItemClick);
    // The job's end comes back queued, like all its news, and finishes the strip there.
    connect(isoPage_->extractionStopButton, &QPushButton::clicked, this, [this] {
        if (extraction_) extraction_->RequestStop();
    });
}

void MainWindow::showIsoRoot() {
    isoPresenter_->ShowRoot();
}

void MainWindow::FillIsoListView(const TDirectoryEntry* directory) {
    isoPresenter_->ShowDirectory(directory);
}

void MainWindow::IsoListViewDblClick(int row) {
    if (isoPresenter_->Open(row) != IsoTabPresenter::Opened::File) return;
    IsoPopupMenuPopup(row);
    QTreeWidget* list = isoPage_->isoListView;
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    menus_->isoMenu->popup(list->viewport()->mapToGlobal(rect.topLeft() + QPoint(kMenuOffset, 0)));
}

void MainWindow::IsoPopupMenuPopup(int row) {
    const IsoTabPresenter::MenuState state = isoPresenter_->ChooseMenuRow(row, extraction_ != nullptr);
    menus_->openFileInHexViewerItem->setEnabled(state.openInHexViewer);
    menus_->extractFileItem->setEnabled(state.extract);
    menus_->unpackFileItem->setEnabled(state.unpack);
    menus_->burnDvdItem->setEnabled(state.burn);
}

const IsoListItem* MainWindow::isoMenuFile() const {
    return isoPresenter_->MenuFile();
}

void MainWindow::OpenFileInHexViewerMenuItemClick() {
    const IsoListItem* item = isoMenuFile();
    if (!item || !hex_) return;
    // Opened before anything changes: a file that cannot be opened leaves the viewer and its tab as they
    // were (the error is shown by the caller).
    std::shared_ptr<TLN_Stream> stream = TLN_DecompFileStream::Create(IsoEntryPath(*item->file));
    viewHost_->ForgetShownStream();
    hex_->SetOwnedStream(std::move(stream), 0);
    if (hexPage_ && tabs_->indexOf(hexPage_) >= 0) {
        setHexTabShown(true);
        tabs_->setCurrentWidget(hexPage_);
    }
}

void MainWindow::ExtractFileMenuItemClick() {
    const IsoListItem* item = isoMenuFile();
    if (!item || extraction_) return;
    const std::shared_ptr<TISOImage> image = GetISOImage();
    if (!image) return;
    const QString name = QString::fromStdString(item->file->Name());
    QString start = name;
    const QString stored = RegReadString(QStringLiteral("UnpackSave"));
    if (!stored.isEmpty()) {
        const QFileInfo info(stored);
        const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
        if (QFileInfo(folder).isDir()) start = QDir(folder).filePath(name);
    }
    const QString target = services_.paths->SaveFile(this, QString(), QString(), start);
    if (target.isEmpty()) return;
    // The entry belongs to the image's tree, which the worker keeps alive with the image.
    extraction_ = std::make_unique<IsoExtraction>(image, item->file, target);
    isoPage_->ShowExtraction(name, int64_t(item->file->DataLength()));
    // Queued even where the job ends at once on this thread: the end never frees the job inside Start.
    connect(
        &extraction_->Notifier(), &JobNotifier::progressed, this,
        [this] { run([&] { showExtractionProgress(); }); }, Qt::QueuedConnection);
    connect(
        &extraction_->Notifier(), &JobNotifier::ended, this, [this] { run([&] { finishExtraction(); }); },
        Qt::QueuedConnection);
    extraction_->Start();
}

void MainWindow::showExtractionProgress() {
    if (extraction_) isoPage_->SetExtractionProgress(extraction_->Written(), extraction_->Total());
}

void MainWindow::finishExtraction() {
    // News of a job already gone (queued before it was freed) or not yet ended is left alone.
    if (!extraction_ || !extraction_->Finished()) return;
    const IsoExtraction::Outcome outcome = extraction_->Result();
    const QString target = extraction_->Target();
    extraction_.reset();
    isoPage_->HideExtraction();
    if (outcome.state == IsoExtraction::State::Failed)
        services_.messenger->Error(this, QStringLiteral("Не удалось извлечь файл в ") +
                                             QDir::toNativeSeparators(target) + QStringLiteral(":\n") +
                                             outcome.error);
}

void MainWindow::UnpackFileMenuItemClick() {
    if (const IsoListItem* item = isoMenuFile())
        UnpackFile(QString::fromStdString(IsoEntryPath(*item->file)));
}

void MainWindow::UnpackFile(const QString& path) {
    // Shared with the dialog's worker; freed with the last holder on every path.
    std::shared_ptr<TLN_DecompFileStream> stream = TLN_DecompFileStream::Create(path.toStdString());
    const QString refusal = UnpackRefusal(*stream, path.toStdString());
    if (!refusal.isEmpty()) {
        services_.messenger->Information(this, refusal);
        return;
    }
    // Paths inside the image separate folders with "\": the proposal takes the name after the last one.
    const QString target = UnpackFileDialog::ProposedTarget(
        IsISOImageOpen() ? QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')) : path);
    auto* dialog = new UnpackFileDialog(services_, taskBar_, std::move(stream), target,
                                        UnpackFileTexts::MainWindowTexts(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
