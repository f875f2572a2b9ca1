// The unpack wizard's run: starting the job, the poll that fills the progress grid from the workers'
// counters, the end of the run, and stopping everything when the wizard closes.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>

#include "platform/RegistrySettings.h"
#include "platform/TaskBar.h"
#include "unpack/ProgressBarDelegate.h"
#include "unpack/UnpackWizard.h"
#include "unpack/engine/UnpackJob.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {
void setTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

// The width a grid cell needs to show text whole, with the cell's margins on both sides.
int cellWidth(const QTableWidget* grid, const QString& text) {
    const int margin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    return grid->fontMetrics().horizontalAdvance(text) + margin + 6;
}
} // namespace

void UnpackWizard::start() {
    RegWriteString(QStringLiteral("UnpackFolder"), TargetFolder());
    taskBar_.SetProgressState(TaskBarProgressStyle::Normal);
    taskBar_.SetProgressMax(100);
    taskBar_.SetProgressValue(0);
    if (model_.WorkerChoiceEnabled()) {
        model_.ChooseWorkers(checkedWorkers());
        RegWriteInteger(QStringLiteral("ThreadAlgorithm"), model_.WorkerLimit());
    }
    model_.SetAddExtension(extentionCheckBox->isChecked());
    UnpackJobOptions options;
    options.output = outputFactory_;
    // The queued call is dropped once the wizard is gone; the model drops it once the wizard stopped.
    model_.Start(std::move(options), [this] {
        QMetaObject::invokeMethod(this, &UnpackWizard::Timer1Timer, Qt::QueuedConnection);
    });
    fitSizeColumns();
    Timer1Timer();
}

void UnpackWizard::fitSizeColumns() {
    // Wide enough for the largest size of the run (a file of gigabytes has 13 characters and more).
    const int needed =
        cellWidth(stringGrid1, QString::fromStdString(UnpackWizardModel::Grouped(model_.LargestSize())));
    for (int column : {WrittenColumn, SizeColumn})
        stringGrid1->setColumnWidth(column, std::max(stringGrid1->columnWidth(column), needed));
}

void UnpackWizard::fitReasonColumn() {
    // The last column fills the rest of the grid and no more, so that it stays in sight: a longer reason
    // takes more lines of its row rather than run past the grid's right edge.
    int others = 0;
    for (int column = 0; column < ReasonColumn; ++column)
        others += stringGrid1->columnWidth(column);
    const int width = std::max(kLeastReasonWidth, stringGrid1->viewport()->width() - others);
    if (width == stringGrid1->columnWidth(ReasonColumn)) return;
    stringGrid1->setColumnWidth(ReasonColumn, width);
    const std::vector<UnpackGridRow>& rows = model_.Rows();
    for (size_t r = 0; r < rows.size() && int(r) < stringGrid1->rowCount(); ++r)
        if (!rows[r].reason.empty()) fitReasonRow(int(r));
}

void UnpackWizard::fitReasonRow(int row) {
    const QAbstractItemView* view = stringGrid1;
    stringGrid1->setRowHeight(
        row, std::max(stringGrid1->verticalHeader()->defaultSectionSize(), view->sizeHintForRow(row)));
}

bool UnpackWizard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == folderNameLabel) showFolderName();
    if (event->type() == QEvent::Resize && stringGrid1 && watched == stringGrid1->viewport())
        fitReasonColumn();
    return QDialog::eventFilter(watched, event);
}

void UnpackWizard::showRow(size_t index, bool added) {
    const UnpackGridRow& row = model_.Rows()[index];
    const int r = int(index);
    const QString texts[] = {QString::fromStdString(row.name),
                             QString::fromStdString(row.written),
                             QString::fromStdString(row.size),
                             QString::fromStdString(row.status),
                             QString(),
                             QString::fromStdString(row.reason)};
    for (int column = 0; column < ColumnCount; ++column) {
        QTableWidgetItem* item = added ? new QTableWidgetItem : stringGrid1->item(r, column);
        item->setText(texts[column]);
        // Names and reasons may be longer than their cells: the whole text is in the hint.
        if (column == NameColumn || column == ReasonColumn) item->setToolTip(texts[column]);
        if (column == StatusColumn) item->setToolTip(texts[ReasonColumn]);
        if (added) {
            if (column == WrittenColumn || column == SizeColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            stringGrid1->setItem(r, column, item);
        }
    }
    stringGrid1->item(r, BarColumn)->setData(ProgressBarDelegate::ValueRole, row.bar);
    if (!row.reason.empty()) fitReasonRow(r);
}

void UnpackWizard::Timer1Timer() {
    timer1->stop();
    const UnpackPollResult poll = model_.Poll();
    // Nothing to show once the run ended or the wizard stopped it: a poll queued before the close must not
    // move the taskbar of whatever runs next.
    if (!poll.reported) return;
    const size_t rows = model_.Rows().size();
    stringGrid1->setRowCount(int(rows));
    for (size_t row : poll.changedRows)
        showRow(row, false);
    for (size_t row = poll.firstNewRow; row < rows; ++row)
        showRow(row, true);
    if (poll.hasPercent) {
        progressBar1->setValue(poll.percent);
        taskBar_.SetProgressValue(poll.percent);
    }
    resultPanel->setText(QString::fromStdString(model_.ResultText()));
    if (poll.finished)
        finishRun();
    else
        timer1->start();
    timeStaticText->setText(QString::fromStdString(model_.ElapsedText()));
}

void UnpackWizard::finishRun() {
    showPageState();
    cancelBtn->setText(QStringLiteral("Готово"));
    setTextColor(captionLabel, Qt::blue);
    shellListModel->setRootPath(TargetFolder());
    shellListView1->setRootIndex(shellListModel->index(TargetFolder()));
    // The run has ended: the bar is full like the taskbar's, though failed files never count their blocks.
    progressBar1->setValue(100);
    taskBar_.SetProgressValue(100);
    setTextColor(timeStaticText, Qt::blue);
}

void UnpackWizard::done(int result) {
    timer1->stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model_.Stop();
    QApplication::restoreOverrideCursor();
    taskBar_.SetProgressValue(0);
    taskBar_.SetProgressState(TaskBarProgressStyle::None);
    QDialog::done(result);
}
