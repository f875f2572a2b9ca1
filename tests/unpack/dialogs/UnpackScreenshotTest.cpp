// Pictures of the unpack wizard's pages and the single-file dialog for a person to review (saved as PNG
// files when STROVANE_SCREENSHOT_DIR is set), and the drawn bar column checked pixel by pixel.
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "DialogTestSupport.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/UnpackCorpus.h"
#include "unpack/ProgressBarDelegate.h"
#include "unpack/UnpackFileDialog.h"
#include "unpack/UnpackWizard.h"
#include "unpack/engine/UnpackJob.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatEdit.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {

using unpackdialogtest::DialogTest;
using windowtest::waitUntil;

// Lets posted layout requests and background folder reads arrive, as they would before a person looks.
void settle(int milliseconds = 100) {
    waitUntil([] { return false; }, milliseconds);
}

void keep(const QImage& image, const char* name) {
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    image.save(QString::fromLocal8Bit(folder) + "/" + name);
}

bool uniform(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first) return false;
    return true;
}

class UnpackScreenshotTest : public DialogTest {};

TEST_F(UnpackScreenshotTest, WizardPagesShowTheirContent) {
    std::vector<fixture::CorpusFile> files = fixture::everyEntryType();
    for (int k = 0; k < 6; ++k)
        files.push_back({"DATA/MAP" + std::to_string(k) + ".KWI",
                         2,
                         fixture::mapLikeContent(size_t(3 + k) * 65536, uint32_t(k)),
                         false,
                         {}});
    files.push_back({"DATA/MISSING.KWI", 2, fixture::mapLikeContent(65536, 9), false, "-"});
    const auto corpus = fixture::writeUnpackCorpus(spath("disc"), files);
    std::filesystem::create_directories(spath("out"));
    fixture::writeFile(spath("out/GZIP.KWI"), {1});
    fixture::writeFile(spath("out/PLAIN.KWI"), {1});
    UnpackWizard wizard(services, taskBar);
    wizard.SetDriveTypeProbe([](const std::string&) { return DriveType::Fixed; });
    wizard.SetOutputFactory(unpackdialogtest::slowOutputs(60));
    wizard.show();
    wizard.LoadCmpFile(QString::fromStdString(corpus.listPath));
    for (int i = 0; i < wizard.treeView1->topLevelItemCount(); ++i)
        if (i != 3) wizard.treeView1->topLevelItem(i)->setCheckState(0, Qt::Checked);
    settle();
    QImage image = wizard.grab().toImage();
    EXPECT_FALSE(uniform(image));
    keep(image, "unpack-wizard-list.png");

    wizard.NextBtnClick();
    wizard.SetTargetFolder(path("out"));
    settle(500);
    keep(wizard.grab().toImage(), "unpack-wizard-folder.png");

    wizard.NextBtnClick();
    wizard.ssd8Btn->setChecked(true);
    settle();
    image = wizard.grab().toImage();
    EXPECT_FALSE(uniform(image));
    keep(image, "unpack-wizard-check.png");

    wizard.NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard.Job()->BlocksDone() >= 12; }, 10000));
    wizard.Timer1Timer();
    settle(50);
    image = wizard.grab().toImage();
    EXPECT_FALSE(uniform(image));
    keep(image, "unpack-wizard-progress.png");

    ASSERT_TRUE(waitUntil([&] { return wizard.IsDone(); }, 30000));
    settle();
    keep(wizard.grab().toImage(), "unpack-wizard-done.png");
    wizard.NextBtnClick();
    settle(300);
    keep(wizard.grab().toImage(), "unpack-wizard-result.png");
    wizard.reject();
}

TEST_F(UnpackScreenshotTest, TheFolderPageOnAFreshInstallShowsNoChoice) {
    const auto corpus = fixture::writeUnpackCorpus(spath("disc"), fixture::everyEntryType());
    UnpackWizard wizard(services, taskBar);
    wizard.SetDriveTypeProbe([](const std::string&) { return DriveType::Fixed; });
    wizard.show();
    wizard.activateWindow();
    wizard.LoadCmpFile(QString::fromStdString(corpus.listPath));
    wizard.SelectAllBtnClick();
    wizard.NextBtnClick();
    settle(500);
    EXPECT_FALSE(wizard.nextBtn->isEnabled());
    keep(wizard.grab().toImage(), "unpack-wizard-folder-fresh.png");
    wizard.reject();
}

TEST_F(UnpackScreenshotTest, TheBarColumnIsDrawnGreenInASilverFrame) {
    UnpackWizard wizard(services, taskBar);
    wizard.show();
    QTableWidget* grid = wizard.stringGrid1;
    grid->setRowCount(1);
    for (int column = 0; column < UnpackWizard::ColumnCount; ++column)
        grid->setItem(0, column, new QTableWidgetItem(QString()));
    grid->item(0, UnpackWizard::BarColumn)->setData(ProgressBarDelegate::ValueRole, 40);
    wizard.pageControl1->setCurrentIndex(UnpackWizard::ProgressPage);
    const QRect cell = grid->visualRect(grid->model()->index(0, UnpackWizard::BarColumn));
    const QImage image = grid->viewport()->grab().toImage();
    const int middle = cell.top() + cell.height() / 2;
    EXPECT_EQ(QColor(image.pixel(cell.left() + 3 + 10, middle)), ProgressBarDelegate::BarColor());
    EXPECT_EQ(QColor(image.pixel(cell.left() + 3 + 39, middle)), ProgressBarDelegate::BarColor());
    // Past the bar, inside the frame: the cell's own background; the frame's right edge at 100 pixels.
    EXPECT_NE(QColor(image.pixel(cell.left() + 3 + 60, middle)), ProgressBarDelegate::BarColor());
    EXPECT_EQ(QColor(image.pixel(cell.left() + 3 + 99, middle)), ProgressBarDelegate::FrameColor());
    EXPECT_EQ(QColor(image.pixel(cell.left() + 3 + 60, cell.top() + 3)), ProgressBarDelegate::FrameColor());
}

TEST_F(UnpackScreenshotTest, SingleFileDialogShowsItsProgressAndItsEnd) {
    const auto content = fixture::mapLikeContent(8 * 65536 + 100, 5);
    const auto corpus =
        fixture::writeUnpackCorpus(spath("disc"), {{"DATA/ALLDATA.KWI", 2, content, false, {}}});
    UnpackFileDialog dialog(services, taskBar, TLN_DecompFileStream::Create(spath("disc/DATA/ALLDATA.KWI")),
                            UnpackFileDialog::ProposedTarget(path("disc/DATA/ALLDATA.KWI")),
                            UnpackFileTexts::MainWindowTexts());
    dialog.SetOutputFactory(unpackdialogtest::slowOutputs(80));
    dialog.show();
    settle();
    keep(dialog.grab().toImage(), "unpack-file-start.png");
    dialog.StartButtonClick();
    ASSERT_TRUE(waitUntil([&] { return dialog.progressBar1->value() >= 44; }, 10000));
    QImage image = dialog.grab().toImage();
    EXPECT_FALSE(uniform(image));
    keep(image, "unpack-file-running.png");
    ASSERT_TRUE(waitUntil([&] { return !dialog.IsRunning(); }, 10000));
    settle();
    keep(dialog.grab().toImage(), "unpack-file-done.png");
}

} // namespace
