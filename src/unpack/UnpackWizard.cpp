// The unpack wizard's pages, its list, its folder choice, the check of existing targets and the page flow.
#include "unpack/UnpackWizard.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QStackedWidget>
#include <QStyleHints>
#include <QTableWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "kiwi/disc/FileManager.h"
#include "platform/RegistrySettings.h"
#include "platform/TaskBar.h"
#include "unpack/ProgressBarDelegate.h"
#include "unpack/engine/UnpackJob.h"
#include "widgets/Guarded.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {
constexpr int entryRole = Qt::UserRole + 1;

// Small page icons for the list: a compressed entry's carries a band (image 3), a plain one's none (image 4).
QIcon entryIcon(bool compressed) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.setBrush(Qt::white);
    painter.drawRect(3, 1, 10, 13);
    if (compressed) painter.fillRect(4, 6, 9, 4, QColor(0x33, 0x66, 0x99));
    return QIcon(pixmap);
}

QLabel* panelLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setWordWrap(true);
    label->setMargin(6);
    return label;
}
} // namespace

UnpackWizard::UnpackWizard(const Services& services, TaskBar& taskBar, QWidget* parent)
    : QDialog(parent), services_(services), taskBar_(taskBar),
      driveType_([](const std::string& path) { return driveTypeOfPath(path); }) {
    setWindowTitle(QStringLiteral("Мастер распаковки"));
    resize(760, 520);
    captionLabel = new QLabel(QStringLiteral("Выберите файл 05.CMP"), this);
    QFont captionFont = captionLabel->font();
    captionFont.setBold(true);
    captionFont.setPointSizeF(captionFont.pointSizeF() * 1.15);
    captionLabel->setFont(captionFont);
    pageControl1 = new QStackedWidget(this);
    for (int page = FirstStepPage; page <= ResultPage; ++page)
        pageControl1->addWidget(new QWidget(pageControl1));
    buildFirstStep(pageControl1->widget(FirstStepPage));
    buildSelectFolder(pageControl1->widget(SelectFolderPage));
    buildCheckFiles(pageControl1->widget(CheckFilesPage));
    buildProgress(pageControl1->widget(ProgressPage));
    buildResult(pageControl1->widget(ResultPage));

    progressBar1 = new FlatProgressBar(this);
    progressBar1->setRange(0, 100);
    progressBar1->setValue(0);
    progressBar1->hide();
    backBtn = new FlatButton(QStringLiteral("Назад"), this);
    nextBtn = new FlatButton(QStringLiteral("Далее"), this);
    cancelBtn = new FlatButton(QStringLiteral("Отмена"), this);
    // Enter in the list or the folder tree must not press a button by itself.
    for (QPushButton* button : {backBtn, nextBtn, cancelBtn})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(progressBar1, 1);
    buttons->addStretch();
    buttons->addWidget(backBtn);
    buttons->addWidget(nextBtn);
    buttons->addWidget(cancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(captionLabel);
    layout->addWidget(pageControl1, 1);
    layout->addLayout(buttons);

    timer1 = new QTimer(this);
    timer1->setInterval(UnpackWizardModel::pollIntervalMs);
    connect(timer1, &QTimer::timeout, this, &UnpackWizard::Timer1Timer);
    connect(nextBtn, &QPushButton::clicked, this, [this] {
        // Next and Start share the button: the second click of a double-click on "Далее" must not start.
        if (pageShownClock_.isValid() &&
            pageShownClock_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval())
            return;
        guarded(this, services_.messenger, [this] { NextBtnClick(); });
    });
    connect(backBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &UnpackWizard::BackBtnClick));
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    backBtn->hide();
    nextBtn->setEnabled(false);
}

UnpackWizard::~UnpackWizard() {
    // The job's workers are joined before anything they report to goes away.
    model_.Stop();
}

void UnpackWizard::buildFirstStep(QWidget* page) {
    treeView1 = new QTreeWidget(page);
    treeView1->setHeaderHidden(true);
    treeView1->setRootIsDecorated(false);
    treeView1->setUniformRowHeights(true);
    connect(treeView1, &QTreeWidget::itemChanged, this, [this] { TreeView1Click(); });
    openCMPfileBtn = new FlatButton(QStringLiteral("Открыть файл 05.CMP"), page);
    selectAllBtn = new FlatButton(QStringLiteral("Выбрать все"), page);
    deselectAllBtn = new FlatButton(QStringLiteral("Отмена выбора"), page);
    countSelectedLabel = new QLabel(QStringLiteral("Выбрано файлов: 0"), page);
    for (QPushButton* button : {openCMPfileBtn, selectAllBtn, deselectAllBtn})
        button->setAutoDefault(false);
    selectAllBtn->hide();
    deselectAllBtn->hide();
    countSelectedLabel->hide();
    connect(openCMPfileBtn, &QPushButton::clicked, this,
            guardedSlot(this, services_.messenger, &UnpackWizard::OpenCMPfileBtnClick));
    connect(selectAllBtn, &QPushButton::clicked, this, &UnpackWizard::SelectAllBtnClick);
    connect(deselectAllBtn, &QPushButton::clicked, this, &UnpackWizard::DeselectAllBtnClick);
    auto* row = new QHBoxLayout;
    row->addWidget(openCMPfileBtn);
    row->addWidget(selectAllBtn);
    row->addWidget(deselectAllBtn);
    row->addStretch();
    row->addWidget(countSelectedLabel);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(treeView1, 1);
    layout->addLayout(row);
}

void UnpackWizard::buildSelectFolder(QWidget* page) {
    shellTreeModel = new QFileSystemModel(page);
    shellTreeModel->setFilter(QDir::AllDirs | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    shellTreeModel->setReadOnly(false);
    shellTreeModel->setRootPath(QDir::rootPath());
    shellTreeView1 = new QTreeView(page);
    // Before the view's own handler, which moves the selection off a removed row; after it, below.
    connect(shellTreeModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this] { removingFolderRows_ = true; });
    shellTreeView1->setModel(shellTreeModel);
    connect(shellTreeModel, &QAbstractItemModel::rowsRemoved, this, &UnpackWizard::folderRowsRemoved);
    shellTreeView1->setHeaderHidden(true);
    for (int column = 1; column < shellTreeModel->columnCount(); ++column)
        shellTreeView1->hideColumn(column);
    shellTreeView1->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    connect(shellTreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &UnpackWizard::folderSelectionChanged);
    // A folder renamed in place keeps being the chosen one under its new name.
    connect(shellTreeModel, &QFileSystemModel::fileRenamed, this, &UnpackWizard::folderSelectionChanged);
    // The model reads and sorts folders in the background: the chosen one is brought into view again as
    // its parents fill in.
    connect(shellTreeModel, &QFileSystemModel::directoryLoaded, this, &UnpackWizard::revealChosenFolder,
            Qt::QueuedConnection);
    connect(shellTreeModel, &QFileSystemModel::layoutChanged, this, &UnpackWizard::revealChosenFolder,
            Qt::QueuedConnection);
    folderNameLabel = new QLabel(page);
    // The path is shortened to the room the label gets, whatever it is: the label's own resizes shorten it
    // again (the page is laid out only once shown), and its text never widens the page.
    folderNameLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    folderNameLabel->installEventFilter(this);
    newFolderBtn = new FlatButton(QStringLiteral("Новая папка"), page);
    newFolderBtn->setAutoDefault(false);
    newFolderBtn->setEnabled(false);
    connect(newFolderBtn, &QPushButton::clicked, this, &UnpackWizard::NewFolderBtnClick);
    auto* row = new QHBoxLayout;
    row->addWidget(folderNameLabel, 1);
    row->addWidget(newFolderBtn);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(shellTreeView1, 1);
    layout->addLayout(row);
}

void UnpackWizard::buildCheckFiles(QWidget* page) {
    warningLabel = new QLabel(page);
    warningLabel->setWordWrap(true);
    QFont warningFont = warningLabel->font();
    warningFont.setBold(true);
    warningLabel->setFont(warningFont);
    QPalette warning = warningLabel->palette();
    warning.setColor(QPalette::WindowText, Qt::red);
    warningLabel->setPalette(warning);
    nextStepPanel = panelLabel(page);
    extentionCheckBox = new FlatCheckBox(QStringLiteral("Добавить расширение .UNPACK к новым файлам"), page);
    connect(extentionCheckBox, &QCheckBox::clicked, this, &UnpackWizard::ExtentionCheckBoxClick);
    algoPanel = new QFrame(page);
    algoPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    dvdBtn = new FlatRadioButton(QStringLiteral("DVD, ISO"), algoPanel);
    hddBtn = new FlatRadioButton(QStringLiteral("HDD-2"), algoPanel);
    ssd4Btn = new FlatRadioButton(QStringLiteral("SSD-4"), algoPanel);
    ssd8Btn = new FlatRadioButton(QStringLiteral("SSD-8"), algoPanel);
    ssd16Btn = new FlatRadioButton(QStringLiteral("SSD-16"), algoPanel);
    dvdBtn->setChecked(true);
    auto* radios = new QHBoxLayout(algoPanel);
    for (FlatRadioButton* radio : {dvdBtn, hddBtn, ssd4Btn, ssd8Btn, ssd16Btn})
        radios->addWidget(radio);
    radios->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(warningLabel);
    layout->addStretch();
    layout->addWidget(nextStepPanel);
    layout->addWidget(extentionCheckBox);
    layout->addWidget(algoPanel);
}

void UnpackWizard::buildProgress(QWidget* page) {
    stringGrid1 = new QTableWidget(0, ColumnCount, page);
    stringGrid1->setHorizontalHeaderLabels({QStringLiteral("Файл"), QStringLiteral("Записано"),
                                            QStringLiteral("Размер"), QStringLiteral("Состояние"),
                                            QStringLiteral("Ход"), QStringLiteral("Причина")});
    stringGrid1->verticalHeader()->hide();
    stringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    stringGrid1->setItemDelegateForColumn(BarColumn, new ProgressBarDelegate(stringGrid1));
    const int widths[] = {205, 90, 90, 90, 120};
    for (int column = 0; column < ReasonColumn; ++column)
        stringGrid1->setColumnWidth(column, widths[column]);
    // The reasons column fills the rest of the grid and widens for a longer reason (fitReasonColumn).
    stringGrid1->viewport()->installEventFilter(this);
    stringGrid1->verticalHeader()->setDefaultSectionSize(stringGrid1->fontMetrics().height() + 8);
    resultPanel = panelLabel(page);
    timeStaticText = new QLabel(page);
    auto* row = new QHBoxLayout;
    row->addWidget(resultPanel, 1);
    row->addWidget(timeStaticText);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stringGrid1, 1);
    layout->addLayout(row);
}

void UnpackWizard::buildResult(QWidget* page) {
    shellListModel = new QFileSystemModel(page);
    shellListModel->setReadOnly(true);
    shellListView1 = new QListView(page);
    shellListView1->setModel(shellListModel);
    shellListView1->setViewMode(QListView::ListMode);
    shellListView1->setWrapping(true);
    shellListView1->setResizeMode(QListView::Adjust);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(shellListView1);
}

QString UnpackWizard::TargetFolder() const {
    return QString::fromStdString(model_.Folder());
}

QStringList UnpackWizard::ExistingTargets() const {
    QStringList targets;
    for (const std::string& target : model_.ExistingTargets())
        targets << QString::fromLatin1(target.data(), qsizetype(target.size()));
    return targets;
}

void UnpackWizard::OpenCMPfileBtnClick() {
    const QString start = RegReadString(QStringLiteral("CmpFile"));
    const QString name = services_.paths->OpenFile(this, QStringLiteral("Открыть файл 05.CMP"),
                                                   QStringLiteral("05.CMP (05.CMP 05.cmp)"), start);
    if (name.isEmpty()) return;
    // A file chosen in the dialog lies on disk, whether or not an image is mounted.
    loadList(UnpackOrigin::OnDisk(name.toStdString()));
    RegWriteString(QStringLiteral("CmpFile"), name);
}

void UnpackWizard::LoadCmpFile(const QString& fileName) {
    loadList(UnpackOrigin::Find(fileName.toStdString(), GetISOImage()));
}

void UnpackWizard::loadList(const std::optional<UnpackOrigin>& origin) {
    treeView1->clear();
    model_.SetList(nullptr);
    if (!origin) return;
    UnpackList::OpenResult result = UnpackList::OpenResult::Missing;
    std::shared_ptr<const UnpackList> list = UnpackList::Open(*origin, &result);
    if (!list) {
        if (result == UnpackList::OpenResult::Invalid)
            services_.messenger->Error(this, QString::fromLatin1(invalidListText));
        return;
    }
    model_.SetList(list);
    const QIcon compressed = entryIcon(true), plain = entryIcon(false);
    treeView1->blockSignals(true);
    for (size_t i = 0; i < list->Entries().size(); ++i) {
        auto* item = new QTreeWidgetItem(treeView1, {QString::fromStdString(model_.DisplayName(i))});
        item->setIcon(0, list->Entries()[i].compressionType != 0 ? compressed : plain);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, entryRole, qulonglong(i));
    }
    treeView1->blockSignals(false);
    openCMPfileBtn->hide();
    countSelectedLabel->show();
    selectAllBtn->show();
    deselectAllBtn->show();
    // Only a stored folder that still exists is chosen; otherwise the tree shows no choice and Next waits
    // for the user's.
    shellTreeView1->selectionModel()->clearSelection();
    if (model_.OfferStoredFolder(RegReadString(QStringLiteral("UnpackFolder")).toStdString()))
        SetTargetFolder(TargetFolder());
    // Reads from an image or an optical disc go best one at a time.
    model_.SetOneWorker(IsISOImageOpen() || origin->InImage() ||
                        driveType_(origin->HostFolder()) == DriveType::CdRom);
    if (model_.WorkerChoiceEnabled()) model_.ChooseWorkers(RegReadInteger(QStringLiteral("ThreadAlgorithm")));
    algoPanel->setEnabled(model_.WorkerChoiceEnabled());
    radioFor(model_.ChosenWorkers())->setChecked(true);
    TreeView1Click();
    showFolderName();
}

void UnpackWizard::TreeView1Click() {
    for (int i = 0; i < treeView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = treeView1->topLevelItem(i);
        model_.SetTicked(size_t(item->data(0, entryRole).toULongLong()), item->checkState(0) == Qt::Checked);
    }
    countSelectedLabel->setText(QString::fromStdString(model_.CountText()));
    showPageState();
}

void UnpackWizard::SelectAllBtnClick() {
    treeView1->blockSignals(true);
    for (int i = 0; i < treeView1->topLevelItemCount(); ++i)
        treeView1->topLevelItem(i)->setCheckState(0, Qt::Checked);
    treeView1->blockSignals(false);
    TreeView1Click();
}

void UnpackWizard::DeselectAllBtnClick() {
    treeView1->blockSignals(true);
    for (int i = 0; i < treeView1->topLevelItemCount(); ++i)
        treeView1->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    treeView1->blockSignals(false);
    TreeView1Click();
}

void UnpackWizard::SetTargetFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QModelIndex index = shellTreeModel->index(clean);
    model_.SetFolder(clean.toStdString());
    if (index.isValid()) {
        shellTreeView1->setCurrentIndex(index);
        revealClock_.start();
        // After the view's pending layout, which a page change or a first show leaves behind.
        QTimer::singleShot(0, this, &UnpackWizard::revealChosenFolder);
    }
    showFolderName();
    showPageState();
}

void UnpackWizard::revealChosenFolder() {
    // Rows keep arriving for a moment after a folder is chosen; later the user's own scrolling counts.
    if (!revealClock_.isValid() || revealClock_.elapsed() > 1500) return;
    const QModelIndex current = shellTreeView1->currentIndex();
    if (current.isValid() && shellTreeView1->selectionModel()->isSelected(current))
        shellTreeView1->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

void UnpackWizard::folderSelectionChanged() {
    // The choice is the selected folder. The tree makes its first row current when it gets the focus
    // without selecting it, and selects a neighbour of a removed row; neither is a choice.
    if (removingFolderRows_) return;
    const QModelIndexList selected = shellTreeView1->selectionModel()->selectedIndexes();
    model_.SetFolder(selected.isEmpty() ? std::string()
                                        : shellTreeModel->filePath(selected.first()).toStdString());
    showFolderName();
    showPageState();
}

void UnpackWizard::folderRowsRemoved() {
    // A chosen folder that was removed or renamed outside leaves no choice, and no neighbour looks chosen
    // (not even by its focus frame); a folder still there stays chosen and selected.
    QItemSelectionModel* selection = shellTreeView1->selectionModel();
    if (model_.FolderExists()) {
        const QModelIndex chosen = shellTreeModel->index(TargetFolder());
        if (!chosen.isValid())
            selection->clearSelection();
        else if (!selection->isSelected(chosen))
            selection->select(chosen, QItemSelectionModel::ClearAndSelect);
    } else if (!TargetFolder().isEmpty() || selection->hasSelection()) {
        selection->clear();
        model_.SetFolder({});
    }
    removingFolderRows_ = false;
    showFolderName();
    showPageState();
}

void UnpackWizard::showFolderName() {
    const QString folder = TargetFolder();
    const int width = std::max(0, folderNameLabel->width() - 40);
    folderNameLabel->setText(folderNameLabel->fontMetrics().elidedText(folder, Qt::ElideMiddle, width));
    folderNameLabel->setToolTip(folder);
}

void UnpackWizard::NewFolderBtnClick() {
    const QDir parent(TargetFolder());
    const QString base = QStringLiteral("Новая папка");
    QString name = base;
    for (int n = 1; n <= 99 && parent.exists(name); ++n)
        name = base + QStringLiteral(" (") + QString::number(n) + ")";
    if (!parent.mkdir(name)) return;
    const QString path = parent.filePath(name);
    // The model notices the new folder a moment later; then it is selected and renamed in place.
    QTimer::singleShot(100, this, [this, path] {
        const QModelIndex index = shellTreeModel->index(path);
        if (!index.isValid()) return;
        shellTreeView1->setCurrentIndex(index);
        shellTreeView1->scrollTo(index);
        shellTreeView1->edit(index);
    });
}

FlatRadioButton* UnpackWizard::radioFor(int workers) const {
    switch (workers) {
    case 2:
        return hddBtn;
    case 4:
        return ssd4Btn;
    case 8:
        return ssd8Btn;
    case 16:
        return ssd16Btn;
    default:
        return dvdBtn;
    }
}

int UnpackWizard::checkedWorkers() const {
    for (int workers : {2, 4, 8, 16})
        if (radioFor(workers)->isChecked()) return workers;
    return 1;
}

void UnpackWizard::ExtentionCheckBoxClick() {
    model_.SetAddExtension(extentionCheckBox->isChecked());
    model_.CheckTargets();
    showTargets();
}

void UnpackWizard::showTargets() {
    warningLabel->setText(QString::fromStdString(model_.WarningText()));
    nextStepPanel->setText(QString::fromStdString(model_.NextStepText()));
}

void UnpackWizard::NextBtnClick() {
    if (!model_.NextEnabled()) {
        showPageState();
        return;
    }
    // What the warning names is checked again at Start; a list that changed is shown before anything starts.
    if (CurrentPage() == CheckFilesPage && !model_.TargetsAsShown()) {
        showTargets();
        pageShownClock_.start();
        return;
    }
    if (CurrentPage() == ResultPage) {
        services_.urls->Open(QUrl::fromLocalFile(TargetFolder()));
        accept();
        return;
    }
    enterPage(Page(CurrentPage() + 1));
}

void UnpackWizard::BackBtnClick() {
    if (!model_.BackVisible() || !model_.BackEnabled()) return;
    enterPage(Page(CurrentPage() - 1));
}

void UnpackWizard::showPageState() {
    captionLabel->setText(QString::fromStdString(model_.CaptionText()));
    nextBtn->setText(QString::fromStdString(model_.NextText()));
    nextBtn->setEnabled(model_.NextEnabled());
    backBtn->setVisible(model_.BackVisible());
    backBtn->setEnabled(model_.BackEnabled());
    newFolderBtn->setEnabled(model_.NewFolderEnabled());
}

void UnpackWizard::enterPage(Page page) {
    model_.SetAddExtension(extentionCheckBox->isChecked());
    model_.EnterPage(page);
    pageControl1->setCurrentIndex(page);
    pageShownClock_.start();
    showPageState();
    switch (page) {
    case SelectFolderPage:
        revealClock_.start();
        QTimer::singleShot(0, this, &UnpackWizard::revealChosenFolder);
        shellTreeView1->setFocus();
        break;
    case CheckFilesPage:
        showTargets();
        break;
    case ProgressPage:
        if (model_.NeedsStart()) {
            progressBar1->show();
            start();
        }
        break;
    default:
        break;
    }
}
