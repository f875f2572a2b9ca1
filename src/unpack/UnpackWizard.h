// The unpack wizard: the user ticks entries of a "05.CMP" list, picks a target folder, sees which files
// will be replaced and picks how many workers run, then watches a grid of per-file progress polled from
// the unpack job every 300 ms, and finally sees the target folder. Closing it at any point stops and
// joins every worker. The rules live in UnpackWizardModel; this window shows them and passes the user's
// actions on.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "platform/DriveType.h"
#include "unpack/engine/UnpackOutput.h"
#include "unpack/engine/UnpackWizardModel.h"
#include "widgets/Services.h"

class QFileSystemModel;
class QFrame;
class QLabel;
class QListView;
class QStackedWidget;
class QTableWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class FlatButton;
class FlatCheckBox;
class FlatProgressBar;
class FlatRadioButton;
class TaskBar;
class UnpackJob;
class UnpackList;
class UnpackOrigin;

class UnpackWizard : public QDialog {
    Q_OBJECT
public:
    using Page = UnpackWizardModel::Page;
    static constexpr Page FirstStepPage = UnpackWizardModel::FirstStepPage;
    static constexpr Page SelectFolderPage = UnpackWizardModel::SelectFolderPage;
    static constexpr Page CheckFilesPage = UnpackWizardModel::CheckFilesPage;
    static constexpr Page ProgressPage = UnpackWizardModel::ProgressPage;
    static constexpr Page ResultPage = UnpackWizardModel::ResultPage;

    // services and taskBar are borrowed and must outlive the wizard.
    UnpackWizard(const Services& services, TaskBar& taskBar, QWidget* parent = nullptr);
    ~UnpackWizard() override;

    // Loads a list: an existing absolute path from disk, otherwise (while an image is mounted) from the
    // image. Nothing happens for a file that exists in neither; an unusable list says "Invalid data !!!".
    void LoadCmpFile(const QString& fileName);

    // The handlers of the wizard's controls.
    void OpenCMPfileBtnClick();
    void TreeView1Click();
    void SelectAllBtnClick();
    void DeselectAllBtnClick();
    void NewFolderBtnClick();
    void NextBtnClick();
    void BackBtnClick();
    void ExtentionCheckBoxClick();
    void Timer1Timer();

    // The chosen target folder (selected in the folder tree); empty until one is chosen.
    QString TargetFolder() const;
    void SetTargetFolder(const QString& folder);
    // How the drive of the list's folder is told (tests replace the mount table).
    void SetDriveTypeProbe(std::function<DriveType(const std::string&)> probe) {
        driveType_ = std::move(probe);
    }
    // How targets are written (tests slow it down or make it fail); temporary files renamed by default.
    void SetOutputFactory(OutputFactory factory) { outputFactory_ = std::move(factory); }
    Page CurrentPage() const { return model_.CurrentPage(); }
    const UnpackWizardModel& Model() const { return model_; }
    bool IsDone() const { return model_.Done(); }
    int Succeeded() const { return model_.Succeeded(); }
    int Failed() const { return model_.Failed(); }
    int WorkerLimit() const { return model_.WorkerLimit(); }
    const UnpackJob* Job() const { return model_.Job(); }
    QStringList ExistingTargets() const;

    QLabel* captionLabel = nullptr;
    QStackedWidget* pageControl1 = nullptr;
    FlatButton* backBtn = nullptr;
    FlatButton* nextBtn = nullptr;
    FlatButton* cancelBtn = nullptr;
    FlatProgressBar* progressBar1 = nullptr;
    QTimer* timer1 = nullptr;
    // FirsStepTS
    QTreeWidget* treeView1 = nullptr;
    FlatButton* openCMPfileBtn = nullptr;
    FlatButton* selectAllBtn = nullptr;
    FlatButton* deselectAllBtn = nullptr;
    QLabel* countSelectedLabel = nullptr;
    // SelectFolderTS
    QTreeView* shellTreeView1 = nullptr;
    QFileSystemModel* shellTreeModel = nullptr;
    QLabel* folderNameLabel = nullptr;
    FlatButton* newFolderBtn = nullptr;
    // CheckFilesTS
    QLabel* warningLabel = nullptr;
    QLabel* nextStepPanel = nullptr;
    FlatCheckBox* extentionCheckBox = nullptr;
    QFrame* algoPanel = nullptr;
    FlatRadioButton* dvdBtn = nullptr;
    FlatRadioButton* hddBtn = nullptr;
    FlatRadioButton* ssd4Btn = nullptr;
    FlatRadioButton* ssd8Btn = nullptr;
    FlatRadioButton* ssd16Btn = nullptr;
    // ProgressTS
    QTableWidget* stringGrid1 = nullptr;
    QLabel* resultPanel = nullptr;
    QLabel* timeStaticText = nullptr;
    // ResultTS
    QListView* shellListView1 = nullptr;
    QFileSystemModel* shellListModel = nullptr;

    // Grid columns.
    enum Column { NameColumn, WrittenColumn, SizeColumn, StatusColumn, BarColumn, ReasonColumn, ColumnCount };

protected:
    // Every way out (Cancel, Esc, the close box, Done) comes here: the poll stops, every worker is stopped
    // and joined, and the taskbar shows no progress again.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFirstStep(QWidget* page);
    void buildSelectFolder(QWidget* page);
    void buildCheckFiles(QWidget* page);
    void buildProgress(QWidget* page);
    void buildResult(QWidget* page);
    void loadList(const std::optional<UnpackOrigin>& origin);
    void enterPage(Page page);
    // Shows the model's page rules: caption, Back, Next and the folder button.
    void showPageState();
    void folderSelectionChanged();
    void folderRowsRemoved();
    void revealChosenFolder();
    void showFolderName();
    void showTargets();
    FlatRadioButton* radioFor(int workers) const;
    int checkedWorkers() const;
    void start();
    void fitSizeColumns();
    void fitReasonColumn();
    // A row with a reason is as tall as its reason needs in the column's width.
    void fitReasonRow(int row);
    void showRow(size_t row, bool added);
    void finishRun();

    const Services& services_;
    TaskBar& taskBar_;
    std::function<DriveType(const std::string&)> driveType_;
    OutputFactory outputFactory_;
    UnpackWizardModel model_;
    QElapsedTimer revealClock_;
    // Since the page last changed: the second click of a double-click on Next is not taken as a new click.
    QElapsedTimer pageShownClock_;
    // While the folder tree removes rows it moves its selection to a neighbour by itself.
    bool removingFolderRows_ = false;
    // The reasons column is never narrower than this, however narrow the window.
    static constexpr int kLeastReasonWidth = 140;
};
