// The main window's opening commands (disk, folder, file, ISO image, the reopen buttons and labels), what an
// opening changes in the window, and the reopen list with its typewriter animation.
#include <optional>

#include <QAction>
#include <QFileInfo>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include "hexview/model/HexViewApi.h"
#include "kiwi/core/MapCodePage.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/IsoPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/ReopenLabel.h"
#include "mainwindow/ReopenNotifier.h"
#include "mainwindow/WaitCursor.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/OpenTabPresenter.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mapview/core/MapViewApi.h"
#include "platform/RegistrySettings.h"
#include "widgets/flat/FlatButton.h"

namespace {
// Names in both cases: file dialogs here match patterns case-sensitively.
QString kiwiFileFilter() {
    static const char* const names[] = {"05.CMP",       "06.CMP",       "LOADING.KWI", "ALLDATA.KWI",
                                        "ALLDATA1.KWI", "VOICEDAT.KWI", "STDVCE.KWI",  "INDEXDAT.KWI",
                                        "INDEX1.KWI",   "VOICE001.ME",  "PCT2MNG.KWI", "REGION.KWI",
                                        "REGION1.KWI",  "COVERAGE.BIN", "DICVCE56.KWI"};
    QStringList patterns;
    for (const char* name : names) {
        patterns << QString::fromLatin1(name);
        patterns << QString::fromLatin1(name).toLower();
    }
    return QStringLiteral("KIWI-format files (") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")");
}

const QString kIsoFilter = QStringLiteral("ISO files (*.ISO *.iso)");

using Source = OpenTabPresenter::Source;
} // namespace

void MainWindow::showMessages(const OpenOutcome& outcome) {
    if (!services_.messenger) return;
    for (const OpenOutcome::Message& message : outcome.messages) {
        if (message.severity == OpenOutcome::Severity::Error)
            services_.messenger->Error(this, message.text);
        else
            services_.messenger->Information(this, message.text);
    }
}

void MainWindow::applyOutcome(const OpenOutcome& outcome) {
    // A refused opening (a missing path, an unreadable image) closed nothing: the open source keeps its
    // tabs, caption and commands.
    if (!outcome.closedPrevious) return;
    if (!outcome.caption.isEmpty()) setWindowTitle(outcome.caption);
    if (outcome.mapLoaded && data_.map) {
        // The presenter reads the map's levels when the view reports its first level.
        mapPresenter_->SetMap(data_.map);
        mapView_->SetMap(data_.map);
        mapView_->SetRegionManager(data_.routePlanning);
        syncLayerItems();
    }
    openPresenter_->SetOpenMap(MapLoaded(), outcome.wizardAllowed);
    setTabShown(mapPage_, outcome.mapTab);
    setTabShown(isoPage_, outcome.isoMounted);
    if (outcome.isoMounted) showIsoRoot();
    menus_->routeItem->setEnabled(outcome.routePlanning);
    if (!outcome.languages.isEmpty()) dataPresenter_->SetLanguages(outcome.languages);
    // The automatic choice may have chosen the map's code page as it opened: the menus, panel 5, the map's
    // copies and the hex viewer follow.
    SetMapCodePage(MapTextCodePage.load(), true);
    if (outcome.expandRoot) {
        // Built now, not when the view next lays itself out: the opening is complete when it returns.
        const QModelIndex root = treeModel_->IndexOf(outcome.expandRoot);
        if (treeModel_->canFetchMore(root)) treeModel_->fetchMore(root);
        dataPage_->treeView->expand(root);
    }
}

bool MainWindow::OpenDiskOrFolder(const QString& path, bool asDisk) {
    lastFolderPath_ = path;
    std::optional<WaitCursor> wait(std::in_place);
    const OpenOutcome outcome = opener_.OpenFolder(path);
    applyOutcome(outcome);
    if (outcome.found) {
        if (openPresenter_->Opened(asDisk ? Source::Disk : Source::Folder, path)) notifier_->Broadcast();
        showDataTab();
    }
    wait.reset();
    showMessages(outcome);
    return outcome.found;
}

bool MainWindow::OpenFile(const QString& path) {
    lastFilePath_ = path;
    std::optional<WaitCursor> wait(std::in_place);
    const OpenOutcome outcome = opener_.OpenFile(path);
    applyOutcome(outcome);
    if (outcome.found) {
        showDataTab();
        if (openPresenter_->Opened(Source::File, path)) notifier_->Broadcast();
    }
    wait.reset();
    showMessages(outcome);
    return outcome.found;
}

void MainWindow::OpenIsoImage(const QString& path) {
    std::optional<WaitCursor> wait(std::in_place);
    const OpenOutcome outcome = opener_.OpenIsoImage(path);
    applyOutcome(outcome);
    if (outcome.found) {
        showDataTab();
        if (openPresenter_->Opened(Source::Iso, path)) notifier_->Broadcast();
    } else if (outcome.isoMounted) {
        // An image without KIWI files is still listed on the ISO tab.
        tabs_->setCurrentWidget(isoPage_);
    }
    wait.reset();
    showMessages(outcome);
}

void MainWindow::DiskButtonClick() {
    const QString path = services_.paths->Disk(this, QStringLiteral("Выберите Навигационный Диск"));
    if (!path.isEmpty()) OpenDiskOrFolder(path, true);
}

void MainWindow::FolderButtonClick() {
    const QString path =
        services_.paths->Folder(this, QStringLiteral("Выберите папку, содержащую файл ALLDATA.KWI"),
                                RegReadString(QStringLiteral("Folder")));
    if (!path.isEmpty()) OpenDiskOrFolder(path, false);
}

void MainWindow::FileButtonClick() {
    const QString path = services_.paths->OpenFile(this, QString(), kiwiFileFilter(),
                                                   openPresenter_->ReopenButtonTarget(Source::File).path);
    if (path.isEmpty()) return;
    if (QFileInfo(path).isFile())
        OpenFile(path);
    else
        services_.messenger->Error(this, QStringLiteral("Wrong file path !!!\r") + path);
}

void MainWindow::OpenIsoButtonClick() {
    const QString path = services_.paths->OpenFile(this, QString(), kIsoFilter,
                                                   openPresenter_->ReopenButtonTarget(Source::Iso).path);
    if (path.isEmpty()) return;
    if (QFileInfo(path).isFile())
        OpenIsoImage(path);
    else
        services_.messenger->Error(this, QStringLiteral("Wrong file path !!!\r") + path);
}

void MainWindow::ReopenDiskBtnClick() {
    const QString path = openPresenter_->ReopenButtonTarget(Source::Disk).path;
    if (!path.isEmpty())
        OpenDiskOrFolder(path, true);
    else
        DiskButtonClick();
}

void MainWindow::ReopenFolderBtnClick() {
    const QString path = openPresenter_->ReopenButtonTarget(Source::Folder).path;
    if (!path.isEmpty())
        OpenDiskOrFolder(path, false);
    else
        FolderButtonClick();
}

void MainWindow::ReopenFileBtnClick() {
    const QString path = openPresenter_->ReopenButtonTarget(Source::File).path;
    if (!path.isEmpty())
        OpenFile(path);
    else
        FileButtonClick();
}

void MainWindow::ReopenIsoBtnClick() {
    const QString path = openPresenter_->ReopenButtonTarget(Source::Iso).path;
    if (!path.isEmpty())
        OpenIsoImage(path);
    else
        OpenIsoButtonClick();
}

void MainWindow::ReopenLabelClick(int index) {
    const std::optional<OpenTabPresenter::Target> target = openPresenter_->ReopenLabelTarget(index);
    if (!target) return;
    switch (target->source) {
    case Source::Iso:
        OpenIsoImage(target->path);
        break;
    case Source::File:
        OpenFile(target->path);
        break;
    case Source::Disk:
    case Source::Folder:
        OpenDiskOrFolder(target->path, target->source == Source::Disk);
        break;
    }
}

const ReopenList& MainWindow::Reopen() const {
    return openPresenter_->Reopen();
}

const QStringList& MainWindow::ReopenDisplayTexts() const {
    return openPresenter_->DisplayTexts();
}

void MainWindow::AddToReopenList(const QString& path) {
    if (openPresenter_->AddToReopenList(path)) notifier_->Broadcast();
}

void MainWindow::LoadReopenList() {
    openPresenter_->LoadReopenList();
}

void MainWindow::UpdateReopenLabels() {
    openPresenter_->ShowAllLabels();
}

void MainWindow::applyReopenLabels() {
    for (int i = 0; i < ReopenAnimation::kLabels; ++i) {
        ReopenLabel* label = openPage_->reopenLabels[size_t(i)];
        label->setVisible(openPresenter_->Label(i).visible);
        label->setText(openPresenter_->Label(i).text);
        label->setToolTip(openPresenter_->LabelToolTip(i));
    }
}

void MainWindow::applyReopenButtons() {
    openPage_->reopenDiskBtn->setVisible(openPresenter_->ReopenButtonShown(Source::Disk));
    openPage_->reopenFolderBtn->setVisible(openPresenter_->ReopenButtonShown(Source::Folder));
    openPage_->reopenFileBtn->setVisible(openPresenter_->ReopenButtonShown(Source::File));
    openPage_->reopenIsoBtn->setVisible(openPresenter_->ReopenButtonShown(Source::Iso));
}

void MainWindow::OnReopenChanged() {
    reopenTimer_->setInterval(300);
    reopenTimer_->start();
    openPresenter_->RestartAnimation();
}

void MainWindow::OnReopenTimer() {
    // Nobody sees the labels being typed on another tab: the presenter shows them whole at once.
    const bool seen = tabs_->currentWidget() == openPage_;
    if (seen) reopenTimer_->setInterval(1);
    if (!openPresenter_->Tick(seen)) reopenTimer_->stop();
}

bool MainWindow::ReopenAnimationRunning() const {
    return reopenTimer_->isActive();
}

void MainWindow::FinishReopenAnimation() {
    // Six labels of at most a few hundred characters each end well within this many ticks.
    for (int tick = 0; tick < 100000 && reopenTimer_->isActive(); ++tick)
        OnReopenTimer();
}
