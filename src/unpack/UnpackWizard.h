// The unpack wizard: the user ticks entries of a "05.CMP" list, picks a target folder, sees which files
// will be replaced and picks how many workers run, then watches a grid of per-file progress polled from
// the unpack job every 300 ms, and finally sees the target folder. Closing it at any point stops and
// joins every worker.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/DriveType.h"
#include "unpack/engine/UnpackOutput.h"
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
    enum Page { FirstStepPage, SelectFolderPage, CheckFilesPage, ProgressPage, ResultPage };

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

    // The chosen target folder (selected in the folder tree).
    QString TargetFolder() const { return chosenFolder_; }
    void SetTargetFolder(const QString& folder);
    // How the drive of the list's folder is told (tests replace the mount table).
    void SetDriveTypeProbe(std::function<DriveType(const std::string&)> probe) {
        driveType_ = std::move(probe);
    }
    // How targets are written (tests slow it down or make it fail); temporary files renamed by default.
    void SetOutputFactory(OutputFactory factory) { outputFactory_ = std::move(factory); }
    Page CurrentPage() const;
    bool IsDone() const { return done_; }
    int Succeeded() const { return succeeded_; }
    int Failed() const { return failed_; }
    int WorkerLimit() const { return workerLimit_; }
    const UnpackJob* Job() const { return job_.get(); }
    const QStringList& ExistingTargets() const { return existingTargets_; }

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
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildFirstStep(QWidget* page);
    void buildSelectFolder(QWidget* page);
    void buildCheckFiles(QWidget* page);
    void buildProgress(QWidget* page);
    void buildResult(QWidget* page);
    void loadList(const std::optional<UnpackOrigin>& origin);
    void enterPage(int page);
    void shellTreeView1Change();
    void revealChosenFolder();
    void showFolderName();
    void checkTargets();
    void setAllChecks(bool checked);
    std::vector<size_t> tickedEntries() const;
    FlatRadioButton* radioFor(int workers) const;
    int checkedWorkers() const;
    void start();
    void addGridRow(const QString& name, const QString& written, const QString& size, const QString& status,
                    int bar, const QString& reason);
    void updateGridRow(int row, size_t entry);
    void finishRun();
    QString elapsedText() const;

    const Services& services_;
    TaskBar& taskBar_;
    std::function<DriveType(const std::string&)> driveType_;
    OutputFactory outputFactory_;
    std::shared_ptr<const UnpackList> list_;
    QString chosenFolder_;
    QElapsedTimer revealClock_;
    QStringList existingTargets_;
    std::unique_ptr<UnpackJob> job_;
    // Grid row of each entry of the job that has one, and the entries whose rows still change.
    std::map<size_t, int> rowOf_;
    std::vector<size_t> liveRows_;
    // Set by a worker that asked for a poll, cleared by the poll; shared so a late worker never touches a
    // wizard that is gone.
    std::shared_ptr<std::atomic<bool>> pollPending_;
    int gridRows_ = 0;
    int refused_ = 0;
    int succeeded_ = 0;
    int failed_ = 0;
    int selected_ = 0;
    bool done_ = false;
    bool started_ = false;
    int workerLimit_ = 1;
    QElapsedTimer startTime_;
};
