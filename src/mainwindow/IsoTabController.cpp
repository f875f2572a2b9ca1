// The ISO tab's list, its pop-up menu and the menu's commands.
#include "mainwindow/IsoTabController.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/iso/ISOImage.h"
#include "mainwindow/IsoPage.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/BurnCommand.h"
#include "mainwindow/model/IsoExtraction.h"
#include "mainwindow/model/IsoTabPresenter.h"
#include "mainwindow/model/UnpackRefusal.h"
#include "platform/JobNotifier.h"
#include "platform/RegistrySettings.h"
#include "unpack/UnpackFileDialog.h"
#include "widgets/Services.h"

namespace {
// The menu opens this far right of the row, clear of the name the user double-clicked.
constexpr int kMenuOffset = 60;
const QString kIsoFilter = QStringLiteral("ISO files (*.ISO *.iso)");
} // namespace

IsoTabController::IsoTabController(Parts parts, QObject* parent) : QObject(parent), parts_(std::move(parts)) {
    QTreeWidget* list = parts_.page.isoListView;
    connect(&parts_.presenter, &IsoTabPresenter::ItemsChanged, this,
            [this] { parts_.page.SetItems(parts_.presenter.Items()); });
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this, list](QTreeWidgetItem* item) {
        parts_.run([&] { IsoListViewDblClick(list->indexOfTopLevelItem(item)); });
    });
    list->installEventFilter(this);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
        parts_.run([&] {
            IsoPopupMenuPopup(parts_.page.RowAt(at));
            parts_.menus.isoMenu->popup(list->viewport()->mapToGlobal(at));
        });
    });
    const auto bind = [this](QAction* item, void (IsoTabController::*command)()) {
        connect(item, &QAction::triggered, this,
                [this, command] { parts_.run([&] { (this->*command)(); }); });
    };
    bind(parts_.menus.openFileInHexViewerItem, &IsoTabController::OpenFileInHexViewerMenuItemClick);
    bind(parts_.menus.extractFileItem, &IsoTabController::ExtractFileMenuItemClick);
    bind(parts_.menus.unpackFileItem, &IsoTabController::UnpackFileMenuItemClick);
    bind(parts_.menus.burnDvdItem, &IsoTabController::BurnDVDMenuItemClick);
    // The job's end comes back queued, like all its news, and finishes the strip there.
    connect(parts_.page.extractionStopButton, &QPushButton::clicked, this, [this] {
        if (extraction_) extraction_->RequestStop();
    });
}

IsoTabController::~IsoTabController() = default;

QWidget* IsoTabController::window() const {
    return parts_.page.window();
}

bool IsoTabController::eventFilter(QObject* watched, QEvent* event) {
    QTreeWidget* list = parts_.page.isoListView;
    if (watched == list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list->currentItem()) {
            parts_.run([&] { IsoListViewDblClick(list->indexOfTopLevelItem(list->currentItem())); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void IsoTabController::IsoListViewDblClick(int row) {
    if (parts_.presenter.Open(row) != IsoTabPresenter::Opened::File) return;
    IsoPopupMenuPopup(row);
    QTreeWidget* list = parts_.page.isoListView;
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    parts_.menus.isoMenu->popup(list->viewport()->mapToGlobal(rect.topLeft() + QPoint(kMenuOffset, 0)));
}

void IsoTabController::IsoPopupMenuPopup(int row) {
    const IsoTabPresenter::MenuState state = parts_.presenter.ChooseMenuRow(row, extraction_ != nullptr);
    parts_.menus.openFileInHexViewerItem->setEnabled(state.openInHexViewer);
    parts_.menus.extractFileItem->setEnabled(state.extract);
    parts_.menus.unpackFileItem->setEnabled(state.unpack);
    parts_.menus.burnDvdItem->setEnabled(state.burn);
}

void IsoTabController::OpenFileInHexViewerMenuItemClick() {
    if (const IsoListItem* item = parts_.presenter.MenuFile())
        parts_.showInHexViewer(IsoEntryPath(*item->file));
}

void IsoTabController::ExtractFileMenuItemClick() {
    const IsoListItem* item = parts_.presenter.MenuFile();
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
    const QString target = parts_.services.paths->SaveFile(window(), QString(), QString(), start);
    if (target.isEmpty()) return;
    // The entry belongs to the image's tree, which the worker keeps alive with the image.
    extraction_ = std::make_unique<IsoExtraction>(image, item->file, target);
    parts_.page.ShowExtraction(name, int64_t(item->file->DataLength()));
    // Queued even where the job ends at once on this thread: the end never frees the job inside Start.
    connect(
        &extraction_->Notifier(), &JobNotifier::progressed, this,
        [this] { parts_.run([&] { showExtractionProgress(); }); }, Qt::QueuedConnection);
    connect(
        &extraction_->Notifier(), &JobNotifier::ended, this,
        [this] { parts_.run([&] { finishExtraction(); }); }, Qt::QueuedConnection);
    extraction_->Start();
}

void IsoTabController::showExtractionProgress() {
    if (extraction_) parts_.page.SetExtractionProgress(extraction_->Written(), extraction_->Total());
}

void IsoTabController::finishExtraction() {
    // News of a job already gone (queued before it was freed) or not yet ended is left alone.
    if (!extraction_ || !extraction_->Finished()) return;
    const IsoExtraction::Outcome outcome = extraction_->Result();
    const QString target = extraction_->Target();
    extraction_.reset();
    parts_.page.HideExtraction();
    if (outcome.state == IsoExtraction::State::Failed)
        parts_.services.messenger->Error(window(), QStringLiteral("Не удалось извлечь файл в ") +
                                                       QDir::toNativeSeparators(target) +
                                                       QStringLiteral(":\n") + outcome.error);
}

void IsoTabController::UnpackFileMenuItemClick() {
    if (const IsoListItem* item = parts_.presenter.MenuFile())
        UnpackFile(QString::fromStdString(IsoEntryPath(*item->file)));
}

void IsoTabController::UnpackFile(const QString& path) {
    // Shared with the dialog's worker; freed with the last holder on every path.
    std::shared_ptr<TLN_DecompFileStream> stream = TLN_DecompFileStream::Create(path.toStdString());
    const QString refusal = UnpackRefusal(*stream, path.toStdString());
    if (!refusal.isEmpty()) {
        parts_.services.messenger->Information(window(), refusal);
        return;
    }
    // Paths inside the image separate folders with "\": the proposal takes the name after the last one.
    const QString target = UnpackFileDialog::ProposedTarget(
        IsISOImageOpen() ? QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')) : path);
    auto* dialog = new UnpackFileDialog(parts_.services, parts_.taskBar, std::move(stream), target,
                                        UnpackFileTexts::MainWindowTexts(), window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void IsoTabController::BurnDVDMenuItemClick() {
    if (IsISOImageOpen()) BurnImage(QString::fromStdString(GetISOImageFileName()));
}

void IsoTabController::BurnDVDBtnClick() {
    const QString image = parts_.services.paths->OpenFile(window(), QString(), kIsoFilter,
                                                          QString::fromStdString(GetISOImageFileName()));
    if (!image.isEmpty()) BurnImage(image);
}

void IsoTabController::BurnImage(const QString& image) {
    const std::optional<BurnCommand> command = MakeBurnCommand(image);
    if (!command) {
        parts_.services.messenger->Error(window(), MissingBurnerMessage());
        return;
    }
    if (!parts_.services.processes ||
        !parts_.services.processes->StartDetached(command->program, command->arguments))
        parts_.services.messenger->Error(
            window(), QStringLiteral("Не удалось запустить программу записи дисков: ") + command->program);
}
