// The main window's opening commands (disk, folder, file, ISO image, the reopen buttons and labels), what an
// opening changes in the window, and the reopen list with its typewriter animation.
#include <optional>

#include <QAction>
#include <QFileInfo>
#include <QFontMetrics>
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
#include "mainwindow/model/MapTabPresenter.h"
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

QString existingFile(const QString& settingName) {
    const QString path = RegReadString(settingName);
    return QFileInfo(path).isFile() ? path : QString();
}
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
        mapLoaded_ = true;
        // The presenter reads the map's levels when the view reports its first level.
        mapPresenter_->SetMap(data_.map);
        mapView_->SetMap(data_.map);
        mapView_->SetRegionManager(data_.routePlanning);
        syncLayerItems();
    }
    wizardAllowed_ = outcome.wizardAllowed;
    applyWizardButton();
    setTabShown(mapPage_, outcome.mapTab);
    setTabShown(isoPage_, outcome.isoMounted);
    if (outcome.isoMounted) showIsoRoot();
    menus_->routeItem->setEnabled(outcome.routePlanning);
    if (!outcome.languages.isEmpty()) {
        codePages_.SetDataLanguage(0);
        menus_->SetLanguages(outcome.languages);
        for (FlatButton* button : {dataPage_->langBtn1, dataPage_->langBtn2}) {
            button->setEnabled(true);
            button->setText(outcome.languages.first().toUpper());
        }
    }
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
        RegWriteString(asDisk ? QStringLiteral("Disk") : QStringLiteral("Folder"), path);
        (asDisk ? openPage_->reopenDiskBtn : openPage_->reopenFolderBtn)->setVisible(true);
        AddToReopenList(path);
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
        RegWriteString(QStringLiteral("File"), path);
        openPage_->reopenFileBtn->setVisible(true);
        AddToReopenList(path);
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
        RegWriteString(QStringLiteral("IsoFile"), path);
        openPage_->reopenIsoBtn->setVisible(true);
        AddToReopenList(path);
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
    const QString path = services_.paths->OpenFile(this, QString(), kiwiFileFilter(), existingFile("File"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).isFile())
        OpenFile(path);
    else
        services_.messenger->Error(this, QStringLiteral("Wrong file path !!!\r") + path);
}

void MainWindow::OpenIsoButtonClick() {
    const QString path = services_.paths->OpenFile(this, QString(), kIsoFilter, existingFile("IsoFile"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).isFile())
        OpenIsoImage(path);
    else
        services_.messenger->Error(this, QStringLiteral("Wrong file path !!!\r") + path);
}

void MainWindow::ReopenDiskBtnClick() {
    const QString path = RegReadString(QStringLiteral("Disk"));
    if (QFileInfo(path).isDir())
        OpenDiskOrFolder(path, true);
    else
        DiskButtonClick();
}

void MainWindow::ReopenFolderBtnClick() {
    const QString path = RegReadString(QStringLiteral("Folder"));
    if (QFileInfo(path).isDir())
        OpenDiskOrFolder(path, false);
    else
        FolderButtonClick();
}

void MainWindow::ReopenFileBtnClick() {
    const QString path = existingFile(QStringLiteral("File"));
    if (!path.isEmpty())
        OpenFile(path);
    else
        FileButtonClick();
}

void MainWindow::ReopenIsoBtnClick() {
    const QString path = existingFile(QStringLiteral("IsoFile"));
    if (!path.isEmpty())
        OpenIsoImage(path);
    else
        OpenIsoButtonClick();
}

void MainWindow::ReopenLabelClick(int index) {
    if (index < 0 || index >= reopen_.Count()) return;
    const QString path = reopen_.Paths()[index];
    const QFileInfo info(path);
    if (info.isFile() && info.suffix().toUpper() == QStringLiteral("ISO"))
        OpenIsoImage(path);
    else if (info.isFile())
        OpenFile(path);
    else
        OpenDiskOrFolder(path, !info.isDir());
}

void MainWindow::AddToReopenList(const QString& path) {
    if (!reopen_.Add(path)) return;
    notifier_->Broadcast();
}

void MainWindow::LoadReopenList() {
    reopen_.Load();
    const QFontMetrics metrics(openPage_->reopenLabels[0]->font());
    const int width = std::max(10, openPage_->ReopenTextWidth());
    reopenDisplay_.clear();
    for (const QString& path : reopen_.Paths())
        reopenDisplay_.append(metrics.elidedText(path, Qt::ElideMiddle, width));
}

void MainWindow::UpdateReopenLabels() {
    LoadReopenList();
    ReopenAnimation::ShowAll(reopenDisplay_, labels_);
    applyReopenLabels();
}

void MainWindow::applyReopenLabels() {
    for (int i = 0; i < ReopenAnimation::kLabels; ++i) {
        ReopenLabel* label = openPage_->reopenLabels[size_t(i)];
        label->setVisible(labels_[i].visible);
        label->setText(labels_[i].text);
        label->setToolTip(i < reopen_.Count() ? reopen_.Paths()[i] : QString());
    }
}

void MainWindow::OnReopenChanged() {
    reopenAnimationStarted_ = true;
    reopenTimer_->setInterval(300);
    reopenTimer_->start();
    animation_.Restart();
}

void MainWindow::OnReopenTimer() {
    if (tabs_->currentWidget() != openPage_) {
        // Nobody sees the labels being typed: show them whole at once.
        reopenTimer_->stop();
        UpdateReopenLabels();
        animation_.Restart();
        return;
    }
    reopenTimer_->setInterval(1);
    if (animation_.AtStart()) LoadReopenList();
    if (!animation_.Tick(reopenDisplay_, labels_)) reopenTimer_->stop();
    applyReopenLabels();
}

bool MainWindow::ReopenAnimationRunning() const {
    return reopenTimer_->isActive();
}

void MainWindow::FinishReopenAnimation() {
    // Six labels of at most a few hundred characters each end well within this many ticks.
    for (int tick = 0; tick < 100000 && reopenTimer_->isActive(); ++tick)
        OnReopenTimer();
}
