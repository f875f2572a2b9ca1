// The unpack wizard's run: starting the job, the poll that fills the progress grid from the workers'
// counters, the end of the run, and stopping everything when the wizard closes.
#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QTableWidget>
#include <algorithm>

#include "kiwi/display/KiwiFormat.h"
#include "platform/RegistrySettings.h"
#include "platform/TaskBar.h"
#include "unpack/ProgressBarDelegate.h"
#include "unpack/UnpackWizard.h"
#include "unpack/engine/UnpackJob.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {
QString grouped(int64_t value) {
    return QString::fromStdString(FormatNumberGrouped(value));
}

QString displayName(const std::string& name) {
    QString text = QString::fromLatin1(name.data(), qsizetype(name.size()));
    text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return text;
}

void setTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}
} // namespace

void UnpackWizard::start() {
    started_ = true;
    startTime_.start();
    RegWriteString(QStringLiteral("UnpackFolder"), chosenFolder_);
    taskBar_.SetProgressState(TaskBarProgressStyle::Normal);
    taskBar_.SetProgressMax(100);
    taskBar_.SetProgressValue(0);
    workerLimit_ = algoPanel->isEnabled() ? checkedWorkers() : 1;
    if (algoPanel->isEnabled()) RegWriteInteger(QStringLiteral("ThreadAlgorithm"), workerLimit_);
    UnpackJobOptions options;
    options.outputFolder = chosenFolder_.toStdString();
    options.addExtension = extentionCheckBox->isChecked();
    options.workers = workerLimit_;
    options.output = outputFactory_;
    // A worker's end runs the poll at once; a burst of ends (many small files) runs it once.
    pollPending_ = std::make_shared<std::atomic<bool>>(false);
    options.onEntryEnded = [this, pending = pollPending_] {
        if (pending->exchange(true)) return;
        QMetaObject::invokeMethod(this, &UnpackWizard::Timer1Timer, Qt::QueuedConnection);
    };
    job_ = std::make_unique<UnpackJob>(list_, tickedEntries(), std::move(options));
    failed_ = 0;
    succeeded_ = 0;
    refused_ = 0;
    // Entries refused before the start get their final rows now: missing sources and unsafe, duplicate or
    // undecodable entries.
    for (size_t i = 0; i < job_->Size(); ++i) {
        const UnpackJobEntry& entry = job_->Entry(i);
        if (entry.State() == UnpackState::NotFound) {
            rowOf_[i] = gridRows_;
            addGridRow(displayName(entry.Name()), {}, {}, QStringLiteral("Не найден"), 0, {});
        } else if (entry.State() == UnpackState::Failed) {
            rowOf_[i] = gridRows_;
            addGridRow(displayName(entry.Name()), QStringLiteral("0"), QStringLiteral("---"),
                       QStringLiteral("Ошибка"), 0, QString::fromStdString(entry.Reason()));
        } else {
            continue;
        }
        ++refused_;
        ++failed_;
    }
    job_->Start();
    Timer1Timer();
}

void UnpackWizard::addGridRow(const QString& name, const QString& written, const QString& size,
                              const QString& status, int bar, const QString& reason) {
    const int row = gridRows_++;
    stringGrid1->setRowCount(gridRows_);
    const QString texts[] = {name, written, size, status, QString(), reason};
    for (int column = 0; column < ColumnCount; ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        if (column == WrittenColumn || column == SizeColumn)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (column == NameColumn || column == ReasonColumn) item->setToolTip(texts[column]);
        stringGrid1->setItem(row, column, item);
    }
    stringGrid1->item(row, BarColumn)->setData(ProgressBarDelegate::ValueRole, bar);
}

// Returns nothing; the row shows the entry's counters and, once it ended, its outcome.
void UnpackWizard::updateGridRow(int row, size_t index) {
    const UnpackJobEntry& entry = job_->Entry(index);
    const UnpackState state = entry.State();
    const int percent = entry.Percent();
    stringGrid1->item(row, WrittenColumn)->setText(grouped(entry.Counters().bytesWritten.load()));
    QString status = QString::number(percent) + QStringLiteral(" %");
    int bar = percent;
    if (state == UnpackState::Failed) {
        status = QStringLiteral("Ошибка");
        bar = 0;
        const QString reason = QString::fromStdString(entry.Reason());
        stringGrid1->item(row, ReasonColumn)->setText(reason);
        stringGrid1->item(row, ReasonColumn)->setToolTip(reason);
        stringGrid1->item(row, StatusColumn)->setToolTip(reason);
    } else if (state == UnpackState::Cancelled) {
        status = QStringLiteral("Отменено");
    }
    stringGrid1->item(row, StatusColumn)->setText(status);
    stringGrid1->item(row, BarColumn)->setData(ProgressBarDelegate::ValueRole, bar);
}

void UnpackWizard::Timer1Timer() {
    timer1->stop();
    if (pollPending_) pollPending_->store(false);
    if (!job_ || done_) return;
    // Rows for the entries workers took since the last poll, in the order they started.
    std::vector<size_t> started;
    for (size_t i = 0; i < job_->Size(); ++i)
        if (job_->Entry(i).StartOrder() >= 0 && !rowOf_.count(i)) started.push_back(i);
    std::sort(started.begin(), started.end(), [this](size_t a, size_t b) {
        return job_->Entry(a).StartOrder() < job_->Entry(b).StartOrder();
    });
    for (size_t i : started) {
        const UnpackJobEntry& entry = job_->Entry(i);
        rowOf_[i] = gridRows_;
        liveRows_.push_back(i);
        addGridRow(displayName(entry.Name()), QStringLiteral("0"), grouped(entry.PlannedSize()),
                   QStringLiteral("0 %"), 0, {});
    }
    // Rows still moving; an entry leaves this list once its final state is shown and counted.
    const bool finished = job_->Finished();
    std::vector<size_t> stillLive;
    for (size_t i : liveRows_) {
        updateGridRow(rowOf_[i], i);
        const UnpackState state = job_->Entry(i).State();
        if (state == UnpackState::Done)
            ++succeeded_;
        else if (state == UnpackState::Failed)
            ++failed_;
        else if (!isFinal(state))
            stillLive.push_back(i);
    }
    liveRows_ = std::move(stillLive);
    const int64_t blocks = job_->BlocksDone();
    const int64_t total = job_->TotalBlocks();
    const int percent = total > 0 ? int(std::min<int64_t>(100, blocks * 100 / total)) : 100;
    if (total > 0) {
        progressBar1->setValue(percent);
        taskBar_.SetProgressValue(percent);
    }
    if (finished) {
        finishRun();
    } else {
        timer1->start();
        resultPanel->setText(QStringLiteral("Распаковано блоков: ") + grouped(blocks) + QStringLiteral(" (") +
                             QString::number(percent) + QStringLiteral("%)"));
    }
    timeStaticText->setText(elapsedText());
}

void UnpackWizard::finishRun() {
    done_ = true;
    nextBtn->setEnabled(CurrentPage() == ProgressPage || CurrentPage() == ResultPage);
    cancelBtn->setText(QStringLiteral("Готово"));
    QString result = QString::number(succeeded_) + QStringLiteral(" файла(ов) успешно распаковано.  ");
    if (failed_ > 0) result += QString::number(failed_) + QStringLiteral(" файла(ов) не распаковано!");
    resultPanel->setText(result);
    setTextColor(captionLabel, Qt::blue);
    if (CurrentPage() == ProgressPage) captionLabel->setText(QStringLiteral("Всё готово"));
    shellListModel->setRootPath(chosenFolder_);
    shellListView1->setRootIndex(shellListModel->index(chosenFolder_));
    taskBar_.SetProgressValue(100);
    setTextColor(timeStaticText, Qt::blue);
}

QString UnpackWizard::elapsedText() const {
    const qint64 seconds = startTime_.isValid() ? startTime_.elapsed() / 1000 : 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void UnpackWizard::done(int result) {
    timer1->stop();
    if (job_ && !job_->Finished()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        job_->RequestStop();
        job_->Join();
        QApplication::restoreOverrideCursor();
    }
    taskBar_.SetProgressValue(0);
    taskBar_.SetProgressState(TaskBarProgressStyle::None);
    QDialog::done(result);
}
