// The unpack wizard through its pages: loading a list, ticking, choosing a folder, the warning about
// existing targets, the worker choice and its setting, a whole run with its grid, result and taskbar,
// refused and missing entries, one worker for images and optical drives, and closing during a run.
#include <QCheckBox>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "DialogTestSupport.h"
#include "kiwi/disc/FileManager.h"
#include "platform/RegistrySettings.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/fixtures/UnpackCorpus.h"
#include "unpack/ProgressBarDelegate.h"
#include "unpack/UnpackWizard.h"
#include "unpack/engine/UnpackJob.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatEdit.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {

using unpackdialogtest::DialogTest;
using windowtest::waitUntil;

class UnpackWizardTest : public DialogTest {
protected:
    void SetUp() override {
        corpus = fixture::writeUnpackCorpus(spath("disc"), fixture::everyEntryType());
        std::filesystem::create_directories(spath("out"));
        wizard = std::make_unique<UnpackWizard>(services, taskBar);
        wizard->SetDriveTypeProbe([](const std::string&) { return DriveType::Fixed; });
    }
    void TearDown() override {
        if (wizard->isVisible()) wizard->reject();
    }
    // Loads the corpus, ticks everything and goes to the check page with the output folder chosen.
    void toCheckPage() {
        wizard->LoadCmpFile(QString::fromStdString(corpus.listPath));
        wizard->SelectAllBtnClick();
        wizard->NextBtnClick();
        wizard->SetTargetFolder(path("out"));
        wizard->NextBtnClick();
    }
    QString cell(int row, int column) const { return wizard->stringGrid1->item(row, column)->text(); }

    fixture::Corpus corpus;
    std::unique_ptr<UnpackWizard> wizard;
};

TEST_F(UnpackWizardTest, OpensWithItsCaptionAndNoList) {
    EXPECT_EQ(wizard->windowTitle(), QStringLiteral("Мастер распаковки"));
    EXPECT_EQ(wizard->captionLabel->text(), QStringLiteral("Выберите файл 05.CMP"));
    EXPECT_FALSE(wizard->nextBtn->isEnabled());
    EXPECT_TRUE(wizard->backBtn->isHidden());
    EXPECT_TRUE(wizard->selectAllBtn->isHidden());
    EXPECT_TRUE(wizard->progressBar1->isHidden());
    EXPECT_EQ(wizard->timer1->interval(), 300);
}

TEST_F(UnpackWizardTest, LoadsTheListAndCountsTickedEntries) {
    wizard->LoadCmpFile(QString::fromStdString(corpus.listPath));
    ASSERT_EQ(wizard->treeView1->topLevelItemCount(), int(corpus.files.size()));
    EXPECT_EQ(wizard->treeView1->topLevelItem(8)->text(0), QStringLiteral("DATA\\SUB\\DEEP.KWI"));
    EXPECT_TRUE(wizard->openCMPfileBtn->isHidden());
    EXPECT_FALSE(wizard->selectAllBtn->isHidden());
    EXPECT_EQ(wizard->captionLabel->text(), QStringLiteral("Пожалуйста, выберите файлы для распаковки"));
    EXPECT_EQ(wizard->countSelectedLabel->text(), QStringLiteral("Выбрано файлов: 0"));
    EXPECT_FALSE(wizard->nextBtn->isEnabled());
    wizard->treeView1->topLevelItem(2)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(wizard->countSelectedLabel->text(), QStringLiteral("Выбрано файлов: 1"));
    EXPECT_TRUE(wizard->nextBtn->isEnabled());
    wizard->SelectAllBtnClick();
    EXPECT_EQ(wizard->countSelectedLabel->text(), QStringLiteral("Выбрано файлов: 9"));
    wizard->DeselectAllBtnClick();
    EXPECT_EQ(wizard->countSelectedLabel->text(), QStringLiteral("Выбрано файлов: 0"));
    EXPECT_FALSE(wizard->nextBtn->isEnabled());
}

TEST_F(UnpackWizardTest, TheOpenButtonRemembersTheListAndAnInvalidListIsRefused) {
    paths.answer = QString::fromStdString(corpus.listPath);
    wizard->OpenCMPfileBtnClick();
    EXPECT_EQ(wizard->treeView1->topLevelItemCount(), int(corpus.files.size()));
    EXPECT_EQ(RegReadString(QStringLiteral("CmpFile")), paths.answer);
    ASSERT_EQ(paths.calls.size(), 1u);
    EXPECT_EQ(paths.calls[0].filter, QStringLiteral("05.CMP (05.CMP 05.cmp)"));
    // The next open starts from the remembered list.
    fixture::writeFile(spath("bad/05.CMP"), {0x4D, 0x43, 0x4D, 0});
    paths.answer = path("bad/05.CMP");
    wizard->OpenCMPfileBtnClick();
    EXPECT_EQ(paths.calls[1].start, QString::fromStdString(corpus.listPath));
    EXPECT_EQ(messenger.errors, QStringList{QStringLiteral("Invalid data !!!")});
    EXPECT_EQ(wizard->treeView1->topLevelItemCount(), 0);
    wizard->SetDriveTypeProbe([](const std::string&) -> DriveType { throw std::runtime_error("no drive"); });
    paths.answer = QString::fromStdString(corpus.listPath);
    wizard->openCMPfileBtn->click();
    EXPECT_EQ(messenger.errors.back(), QStringLiteral("no drive"));
}

TEST_F(UnpackWizardTest, TheFolderPageEnablesNextOnlyForAnExistingFolderAndMakesNewFolders) {
    wizard->LoadCmpFile(QString::fromStdString(corpus.listPath));
    wizard->SelectAllBtnClick();
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), UnpackWizard::SelectFolderPage);
    EXPECT_EQ(wizard->captionLabel->text(),
              QStringLiteral("Выберите папку, где будут сохранены распакованные файлы"));
    wizard->SetTargetFolder(path("out"));
    EXPECT_EQ(wizard->TargetFolder(), path("out"));
    EXPECT_TRUE(wizard->nextBtn->isEnabled());
    EXPECT_TRUE(wizard->newFolderBtn->isEnabled());
    QDir(path("out")).mkdir(QStringLiteral("Новая папка"));
    wizard->NewFolderBtnClick();
    EXPECT_TRUE(QFileInfo(path("out/Новая папка (1)")).isDir());
    ASSERT_TRUE(waitUntil([&] { return wizard->TargetFolder() == path("out/Новая папка (1)"); }, 3000));
    wizard->BackBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), UnpackWizard::FirstStepPage);
    EXPECT_TRUE(wizard->backBtn->isHidden());
}

TEST_F(UnpackWizardTest, ADoubleClickOnNextDoesNotStartAndAFolderRenamedOnDiskLeavesNoChoice) {
    std::filesystem::create_directories(spath("out/A"));
    std::filesystem::create_directories(spath("out/B"));
    wizard->show();
    toCheckPage();
    wizard->BackBtnClick();
    wizard->SetTargetFolder(path("out/A"));
    ASSERT_TRUE(waitUntil(
        [&] { return wizard->shellTreeModel->rowCount(wizard->shellTreeModel->index(path("out"))) == 2; },
        5000));
    // A double-click on "Далее": its second click comes at once, on "Старт".
    for (const int interval : {0, 60000})
        QApplication::setDoubleClickInterval(interval), wizard->nextBtn->click();
    EXPECT_EQ(wizard->CurrentPage(), UnpackWizard::CheckFilesPage);
    std::filesystem::rename(spath("out/A"), spath("out/C"));
    EXPECT_TRUE(waitUntil([&] { return wizard->TargetFolder().isEmpty(); }, 5000));
    EXPECT_FALSE(wizard->nextBtn->isEnabled());
}

TEST_F(UnpackWizardTest, OnAFreshInstallTheFolderPageChoosesNothingUntilTheUserPicksAFolder) {
    // Nothing stored, a stored folder that is gone, one that exists.
    const struct {
        QString stored;
        bool chosen;
    } cases[] = {{QString(), false}, {path("gone"), false}, {path("out"), true}};
    for (const auto& c : cases) {
        if (!c.stored.isEmpty()) RegWriteString(QStringLiteral("UnpackFolder"), c.stored);
        UnpackWizard window(services, taskBar);
        window.SetDriveTypeProbe([](const std::string&) { return DriveType::Fixed; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.LoadCmpFile(QString::fromStdString(corpus.listPath));
        window.SelectAllBtnClick();
        window.NextBtnClick();
        ASSERT_EQ(window.CurrentPage(), UnpackWizard::SelectFolderPage);
        // The folder tree has the focus and, with it, a current row; a current row is no choice.
        waitUntil([] { return false; }, 200);
        EXPECT_TRUE(window.shellTreeView1->hasFocus());
        EXPECT_EQ(window.TargetFolder(), c.chosen ? c.stored : QString()) << c.stored.toStdString();
        EXPECT_EQ(window.nextBtn->isEnabled(), c.chosen) << c.stored.toStdString();
        EXPECT_EQ(window.newFolderBtn->isEnabled(), c.chosen) << c.stored.toStdString();
        // The path is whole where it fits.
        EXPECT_EQ(window.folderNameLabel->text(), c.chosen ? c.stored : QString()) << c.stored.toStdString();
        // Next does nothing while disabled (a shortcut or a stray call cannot get past the page).
        if (!c.chosen) {
            window.NextBtnClick();
            EXPECT_EQ(window.CurrentPage(), UnpackWizard::SelectFolderPage);
        }
        window.reject();
    }
    // The user's pick in the tree is the choice.
    wizard->show();
    wizard->LoadCmpFile(QString::fromStdString(corpus.listPath));
    wizard->SelectAllBtnClick();
    wizard->NextBtnClick();
    const QModelIndex out = wizard->shellTreeModel->index(path("out"));
    wizard->shellTreeView1->selectionModel()->setCurrentIndex(out, QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(wizard->TargetFolder(), path("out"));
    EXPECT_TRUE(wizard->nextBtn->isEnabled());
}

TEST_F(UnpackWizardTest, TheWarningNamesTheFirstAndLastExistingTargetsAndFollowsTheExtension) {
    fixture::writeFile(spath("out/GZIP.KWI"), {1});
    fixture::writeFile(spath("out/SEG770.KWI"), {1});
    fixture::writeFile(spath("out/PAIRS.KWI.unpack"), {1});
    toCheckPage();
    EXPECT_EQ(wizard->CurrentPage(), UnpackWizard::CheckFilesPage);
    EXPECT_EQ(wizard->nextBtn->text(), QStringLiteral("Старт"));
    EXPECT_EQ(wizard->captionLabel->text(), QStringLiteral("Нажмите кнопку Старт, чтобы начать распаковку"));
    EXPECT_EQ(wizard->warningLabel->text(),
              QStringLiteral("Некоторые файлы уже существуют в папке!\nGZIP.KWI . . . "
                             "SEG770.KWI\nЭти файлы будут удалены и заменены !!!"));
    EXPECT_EQ(wizard->nextStepPanel->text(),
              QStringLiteral("Следующий шаг запустит процесс распаковки для 9 файла(ов)"));
    wizard->extentionCheckBox->click();
    EXPECT_EQ(wizard->warningLabel->text(),
              QStringLiteral("Некоторые файлы уже существуют в папке!\nPAIRS.KWI.unpack\n"
                             "Эти файлы будут удалены и заменены !!!"));
    fixture::writeFile(spath("out/PAIRS.KWI.unpack"), {});
    std::filesystem::remove(spath("out/PAIRS.KWI.unpack"));
    wizard->extentionCheckBox->click();
    wizard->extentionCheckBox->click();
    EXPECT_EQ(wizard->warningLabel->text(), QString());
    fixture::writeFile(spath("out/PLAIN.KWI.unpack"), {1});
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), UnpackWizard::CheckFilesPage);
    EXPECT_TRUE(wizard->warningLabel->text().contains(QStringLiteral("PLAIN.KWI.unpack")));
}

TEST_F(UnpackWizardTest, ARunUnpacksEverythingAndReportsItInTheGridTheResultAndTheTaskbar) {
    fixture::writeFile(spath("out/GZIP.KWI"), {'o', 'l', 'd'});
    toCheckPage();
    wizard->ssd4Btn->setChecked(true);
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), UnpackWizard::ProgressPage);
    EXPECT_FALSE(wizard->backBtn->isEnabled());
    EXPECT_FALSE(wizard->progressBar1->isHidden());
    ASSERT_TRUE(waitUntil([&] { return wizard->IsDone(); }, 30000));
    EXPECT_EQ(wizard->WorkerLimit(), 4);
    EXPECT_EQ(wizard->captionLabel->text(), QStringLiteral("Всё готово"));
    EXPECT_EQ(wizard->cancelBtn->text(), QStringLiteral("Готово"));
    EXPECT_TRUE(wizard->nextBtn->isEnabled());
    EXPECT_EQ(wizard->resultPanel->text(), QStringLiteral("9 файла(ов) успешно распаковано.  "));
    EXPECT_EQ(wizard->progressBar1->value(), 100);
    for (const auto& file : corpus.files)
        EXPECT_EQ(fixture::readFile(spath("out/" + file.name)), file.content) << file.name;
    ASSERT_EQ(wizard->stringGrid1->rowCount(), 9);
    // Rows appear in the order the files started: the largest first.
    EXPECT_EQ(cell(0, UnpackWizard::NameColumn), QStringLiteral("SEG258.KWI"));
    EXPECT_EQ(cell(0, UnpackWizard::WrittenColumn), QStringLiteral("458 757"));
    EXPECT_EQ(cell(0, UnpackWizard::SizeColumn), QStringLiteral("458 757"));
    for (int row = 0; row < 9; ++row) {
        EXPECT_EQ(cell(row, UnpackWizard::StatusColumn), QStringLiteral("100 %"));
        EXPECT_EQ(wizard->stringGrid1->item(row, UnpackWizard::BarColumn)
                      ->data(ProgressBarDelegate::ValueRole)
                      .toInt(),
                  100);
    }
    EXPECT_EQ(RegReadInteger(QStringLiteral("ThreadAlgorithm")), 4);
    EXPECT_EQ(RegReadString(QStringLiteral("UnpackFolder")), path("out"));
    // Normal progress from 0 (where the taskbar already stood) to 100.
    EXPECT_EQ(backend.calls.front(), "state 2");
    EXPECT_EQ(backend.calls.back(), "value 100");
    // The last page shows the folder; its Next opens it in the file browser and closes the wizard.
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->captionLabel->text(), QStringLiteral("Папка с файлами (Проводник)"));
    wizard->BackBtnClick();
    EXPECT_EQ(wizard->captionLabel->text(), QStringLiteral("Всё готово"));
    wizard->NextBtnClick();
    wizard->show();
    wizard->NextBtnClick();
    EXPECT_EQ(urls.urls, QStringList{QUrl::fromLocalFile(path("out")).toString()});
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(backend.calls[backend.calls.size() - 2], "value 0");
    EXPECT_EQ(backend.calls.back(), "state 0");
}

TEST_F(UnpackWizardTest, RefusedAndMissingEntriesGetTheirRowsAndCountAsNotUnpacked) {
    const auto content = fixture::mapLikeContent(70000, 3);
    corpus = fixture::writeUnpackCorpus(spath("disc2"), {{"GOOD.KWI", 2, content, false, {}},
                                                         {"GONE.KWI", 2, content, false, "-"},
                                                         {"../EVIL.KWI", 0, content, false, "-"},
                                                         {"ODD.KWI", 7, content, false, {}},
                                                         {"CUT.KWI", 2, {1, 2, 3}, false, {}}});
    // A worker that fails: its block is never done, yet the bar ends full.
    std::filesystem::resize_file(spath("disc2/CUT.KWI"), 10);
    toCheckPage();
    wizard->show();
    wizard->NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->IsDone(); }, 30000));
    EXPECT_EQ(wizard->resultPanel->text(),
              QStringLiteral("1 файла(ов) успешно распаковано.  4 файла(ов) не распаковано!"));
    // The reasons stay in sight: their column ends inside the grid, and each row is as tall as its reason.
    const QTableWidget* grid = wizard->stringGrid1;
    EXPECT_LE(grid->columnViewportPosition(UnpackWizard::ReasonColumn) +
                  grid->columnWidth(UnpackWizard::ReasonColumn),
              grid->viewport()->width());
    for (int row = 0; row < grid->rowCount(); ++row)
        EXPECT_GE(grid->rowHeight(row), static_cast<const QAbstractItemView*>(grid)->sizeHintForRow(row))
            << row;
    EXPECT_EQ(wizard->Failed(), 4);
    EXPECT_EQ(wizard->progressBar1->value(), 100);
    ASSERT_EQ(wizard->stringGrid1->rowCount(), 5);
    EXPECT_EQ(cell(0, UnpackWizard::NameColumn), QStringLiteral("GONE.KWI"));
    EXPECT_EQ(cell(0, UnpackWizard::StatusColumn), QStringLiteral("Не найден"));
    // Refused entries keep the job's order: largest listed block count first, uncompressed ones last.
    EXPECT_EQ(cell(1, UnpackWizard::NameColumn), QStringLiteral("ODD.KWI"));
    EXPECT_EQ(cell(1, UnpackWizard::StatusColumn), QStringLiteral("Ошибка"));
    EXPECT_EQ(cell(1, UnpackWizard::SizeColumn), QStringLiteral("---"));
    EXPECT_EQ(cell(1, UnpackWizard::ReasonColumn), QStringLiteral("неподдерживаемый тип сжатия"));
    EXPECT_EQ(cell(2, UnpackWizard::NameColumn), QStringLiteral("..\\EVIL.KWI"));
    EXPECT_EQ(cell(2, UnpackWizard::ReasonColumn), QStringLiteral("недопустимое имя файла"));
    EXPECT_EQ(cell(3, UnpackWizard::NameColumn), QStringLiteral("GOOD.KWI"));
    EXPECT_EQ(cell(3, UnpackWizard::StatusColumn), QStringLiteral("100 %"));
    EXPECT_FALSE(QFileInfo::exists(path("EVIL.KWI")));
}

TEST_F(UnpackWizardTest, SizesOfGigabytesFitTheirCells) {
    corpus = fixture::writeUnpackCorpus(spath("disc2"), {{"HUGE.KWI", 0, {1, 2, 3}, false, {}}});
    // A sparse source: 1.5 GiB on paper, nothing on the disk; the run is closed before it writes much.
    std::filesystem::resize_file(spath("disc2/HUGE.KWI"), int64_t(3) << 29);
    wizard->SetOutputFactory(unpackdialogtest::slowOutputs(50));
    toCheckPage();
    wizard->show();
    wizard->NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->stringGrid1->rowCount() == 1; }, 5000));
    EXPECT_EQ(cell(0, UnpackWizard::SizeColumn), QStringLiteral("1 610 612 736"));
    QAbstractItemView* grid = wizard->stringGrid1;
    for (int column : {UnpackWizard::WrittenColumn, UnpackWizard::SizeColumn})
        EXPECT_GE(wizard->stringGrid1->columnWidth(column), grid->sizeHintForColumn(column)) << column;
    wizard->reject();
}

TEST_F(UnpackWizardTest, TheStoredWorkerChoiceComesBackAndOpticalDrivesOrImagesGetOneWorker) {
    RegWriteInteger(QStringLiteral("ThreadAlgorithm"), 8);
    wizard->LoadCmpFile(QString::fromStdString(corpus.listPath));
    EXPECT_TRUE(wizard->algoPanel->isEnabled());
    EXPECT_TRUE(wizard->ssd8Btn->isChecked());
    RegWriteInteger(QStringLiteral("ThreadAlgorithm"), 3);
    wizard->LoadCmpFile(QString::fromStdString(corpus.listPath));
    EXPECT_TRUE(wizard->dvdBtn->isChecked());
    RegWriteInteger(QStringLiteral("ThreadAlgorithm"), 16);
    wizard->SetDriveTypeProbe([](const std::string&) { return DriveType::CdRom; });
    wizard->LoadCmpFile(QString::fromStdString(corpus.listPath));
    EXPECT_FALSE(wizard->algoPanel->isEnabled());
    EXPECT_TRUE(wizard->dvdBtn->isChecked());
    wizard->SelectAllBtnClick();
    wizard->NextBtnClick();
    wizard->SetTargetFolder(path("out"));
    wizard->NextBtnClick();
    wizard->NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->IsDone(); }, 30000));
    EXPECT_EQ(wizard->Job()->WorkerCount(), 1);
    // The disabled choice is not stored.
    EXPECT_EQ(RegReadInteger(QStringLiteral("ThreadAlgorithm")), 16);
}

TEST_F(UnpackWizardTest, AListInsideTheMountedImageRunsOnOneWorkerWithTheLock) {
    KIWI_NEED_XORRISO();
    fixture::makeIsoWithXorriso(spath("disc"), spath("disc.iso"));
    ASSERT_TRUE(OpenISOImage(spath("disc.iso")));
    wizard->LoadCmpFile(QStringLiteral("05.CMP"));
    EXPECT_FALSE(wizard->algoPanel->isEnabled());
    wizard->SelectAllBtnClick();
    wizard->NextBtnClick();
    wizard->SetTargetFolder(path("out"));
    wizard->NextBtnClick();
    wizard->NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->IsDone(); }, 30000));
    CloseISOImage();
    EXPECT_TRUE(wizard->Job()->UsesImageLock());
    EXPECT_EQ(wizard->Job()->WorkerCount(), 1);
    EXPECT_EQ(wizard->Succeeded(), 9);
    for (const auto& file : corpus.files)
        EXPECT_EQ(fixture::readFile(spath("out/" + file.name)), file.content) << file.name;
}

TEST_F(UnpackWizardTest, ClosingDuringARunStopsAndJoinsEveryWorkerAndKeepsOldTargets) {
    fixture::writeFile(spath("out/GZIP.KWI"), {'o', 'l', 'd'});
    // Every write waits until the close stops the run, so no file can finish before it (but ONE.KWI's one).
    wizard->SetOutputFactory(
        unpacktest::gatedOutputs([this] { return wizard->Job() && wizard->Job()->StopRequested(); }));
    toCheckPage();
    wizard->ssd16Btn->setChecked(true);
    wizard->show();
    wizard->NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->stringGrid1->rowCount() >= 4; }, 5000));
    EXPECT_EQ(wizard->captionLabel->text(), QStringLiteral("Идет процесс распаковки ..."));
    EXPECT_TRUE(wizard->resultPanel->text().startsWith(QStringLiteral("Распаковано блоков: ")));
    const auto before = std::chrono::steady_clock::now();
    wizard->close();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->Job()->LiveWorkers(), 0);
    EXPECT_FALSE(wizard->timer1->isActive());
    EXPECT_EQ(fixture::readFile(spath("out/GZIP.KWI")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_TRUE(unpackdialogtest::partFiles(spath("out")).empty());
    EXPECT_EQ(backend.calls.back(), "state 0");
    EXPECT_EQ(taskBar.ProgressValue(), 0);
    // The stopped workers' queued polls arrive after the close and report nothing.
    const size_t calls = backend.calls.size();
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(backend.calls.size(), calls);
    EXPECT_EQ(taskBar.ProgressValue(), 0);
}

} // namespace
