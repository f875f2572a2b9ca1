// The single-file unpack dialog: its controls, the run on a worker thread and its end.
#include "unpack/UnpackFileDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/disc/FileStream.h"
#include "kiwi/display/KiwiFormat.h"
#include "platform/RegistrySettings.h"
#include "platform/TaskBar.h"
#include "unpack/engine/UnpackFileJob.h"
#include "unpack/engine/UnpackSource.h"
#include "unpack/engine/UnpackTask.h"
#include "unpack/engine/UnpackTexts.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatEdit.h"
#include "widgets/flat/FlatProgressBar.h"

UnpackFileTexts UnpackFileTexts::MainWindowTexts() {
    UnpackFileTexts texts;
    texts.caption = QStringLiteral("Сохранить распакованный файл как ...");
    texts.start = QStringLiteral("Старт");
    texts.cancel = QStringLiteral("Отмена");
    texts.done = QStringLiteral("Готово");
    texts.existsBefore = QStringLiteral("Файл ");
    texts.existsAfter =
        QStringLiteral(" уже существует!") + QStringLiteral("\n\r") + QStringLiteral(" Хотите его заменить?");
    texts.createError =
        QStringLiteral("Невозможно создать новый файл в указанной папке: ") + QStringLiteral("\n\r");
    return texts;
}

UnpackFileDialog::UnpackFileDialog(const Services& services, TaskBar& taskBar,
                                   std::shared_ptr<TLN_DecompFileStream> stream, const QString& target,
                                   UnpackFileTexts texts, QWidget* parent)
    : QDialog(parent), services_(services), taskBar_(taskBar), stream_(std::move(stream)),
      texts_(std::move(texts)) {
    setWindowTitle(texts_.caption);
    label1 = new QLabel(this);
    label2 = new QLabel(this);
    label3 = new QLabel(this);
    progressBar1 = new FlatProgressBar(this);
    progressBar1->setRange(0, 100);
    progressBar1->setValue(0);
    edit1 = new FlatLineEdit(target, this);
    edit1->setMinimumWidth(380);
    saveDialogButton = new FlatButton(this);
    saveDialogButton->SetGlyph(style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(16, 16).toImage());
    // The button shows only a picture: screen readers name it by the dialog it opens.
    saveDialogButton->setAccessibleName(texts_.caption);
    saveDialogButton->setAutoDefault(false);
    startButton = new FlatButton(texts_.start, this);
    cancelButton = new FlatButton(texts_.cancel, this);
    doneButton = new FlatButton(texts_.done, this);
    doneButton->setEnabled(false);
    startButton->setDefault(true);
    connect(startButton, &QPushButton::clicked, this, &UnpackFileDialog::StartButtonClick);
    connect(cancelButton, &QPushButton::clicked, this, &UnpackFileDialog::CancelButtonClick);
    connect(doneButton, &QPushButton::clicked, this, &UnpackFileDialog::CancelButtonClick);
    connect(saveDialogButton, &QPushButton::clicked, this, &UnpackFileDialog::SaveDialogButtonClick);
    connect(edit1, &QLineEdit::textChanged, this, &UnpackFileDialog::Edit1Change);
    connect(this, &UnpackFileDialog::BlockWritten, this, &UnpackFileDialog::showProgress,
            Qt::QueuedConnection);

    auto* target_row = new QHBoxLayout;
    target_row->addWidget(edit1, 1);
    target_row->addWidget(saveDialogButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(label3, 1);
    buttons->addWidget(startButton);
    buttons->addWidget(cancelButton);
    buttons->addWidget(doneButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(label2);
    layout->addWidget(progressBar1);
    layout->addLayout(target_row);
    layout->addLayout(buttons);
    setFixedHeight(sizeHint().height());
}

UnpackFileDialog::~UnpackFileDialog() {
    stopWorker();
}

QString UnpackFileDialog::ProposedTarget(const QString& sourcePath) {
    const QString name = QFileInfo(sourcePath).fileName();
    const QString stored = RegReadString(QStringLiteral("UnpackSave"));
    // The setting holds the last target's name; its folder is where the next one goes.
    if (!stored.isEmpty()) {
        const QFileInfo info(stored);
        const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
        if (QFileInfo(folder).isDir()) return QDir(folder).filePath(name) + QStringLiteral(".unpack");
    }
    if (IsISOImageOpen())
        return QDir(QFileInfo(QString::fromStdString(GetISOImageFileName())).absolutePath()).filePath(name) +
               QStringLiteral(".unpack");
    return sourcePath + QStringLiteral(".unpack");
}

bool UnpackFileDialog::targetIsSource(const QString& target) const {
    std::vector<FileIdentity> read;
    const auto add = [&](const std::string& path) {
        if (auto identity = FileIdentityOf(path)) read.push_back(*identity);
    };
    if (IsISOImageOpen()) {
        add(GetISOImageFileName());
    } else {
        add(stream_->FileName());
        if (const auto* file = dynamic_cast<const TLN_FileStream*>(&stream_->DataStream()))
            for (const auto& part : file->Parts())
                add(part.fileName);
        if (stream_->List()) add(stream_->List()->ListFileName());
    }
    return NamesOneOf(target.toStdString(), read);
}

void UnpackFileDialog::StartButtonClick() {
    if (running_) return;
    const QString target = edit1->text();
    if (target.isEmpty()) return;
    if (targetIsSource(target)) {
        services_.messenger->Error(this, texts_.createError + QString::fromUtf8(unpacktext::targetIsSource));
        return;
    }
    if (QFileInfo::exists(target) &&
        !services_.messenger->Warning(this, texts_.existsBefore + target + texts_.existsAfter))
        return;
    if (!stream_->Listed()) {
        services_.messenger->Error(this, texts_.createError + QString::fromUtf8(unpacktext::unsupportedType));
        return;
    }
    startTime_.start();
    startButton->setEnabled(false);
    saveDialogButton->setEnabled(false);
    taskBar_.SetProgressState(TaskBarProgressStyle::Normal);
    taskBar_.SetProgressMax(100);
    taskBar_.SetProgressValue(0);
    progressBar1->setRange(0, 100);
    progressBar1->setValue(0);
    running_ = true;
    runningTarget_ = target;

    const QFileInfo info(target);
    const std::string folder = info.absolutePath().toStdString();
    const std::string name = info.fileName().toStdString();
    const std::string createError = texts_.createError.toStdString();
    UnpackTaskInput input;
    input.listedType = stream_->Entry().compressionType;
    input.openStream = [stream = stream_] { return stream; };
    input.openOutput = [folder, name, createError,
                        factory = outputFactory_]() -> std::unique_ptr<UnpackOutput> {
        try {
            return factory(folder, name);
        } catch (const UnpackFailure& failure) {
            throw UnpackFailure(createError + failure.what());
        }
    };
    // Labels change only when the percentage does.
    input.onProgress = [this, last = -1]() mutable {
        const UnpackCounters& counters = job_->Counters();
        const int64_t count = counters.blockCount.load();
        const int64_t doneBlocks = counters.blocksDone.load();
        const int percent = count > 0 ? int(doneBlocks * 100 / count) : 100;
        if (percent == last) return;
        last = percent;
        emit BlockWritten(doneBlocks, count, counters.bytesWritten.load(), percent);
    };
    job_ = std::make_unique<UnpackFileJob>(std::move(input));
    connect(&job_->Notifier(), &JobNotifier::ended, this, &UnpackFileDialog::onFinished,
            Qt::QueuedConnection);
    job_->Start();
}

void UnpackFileDialog::showProgress(qint64 doneBlocks, qint64 count, qint64 written, int percent) {
    if (!running_) return;
    progressBar1->setValue(percent);
    taskBar_.SetProgressValue(percent);
    label1->setText(QStringLiteral("Block ") + QString::number(doneBlocks) + QStringLiteral(" from ") +
                    QString::number(count));
    label2->setText(QStringLiteral("File size: ") + QString::fromStdString(FormatNumberGrouped(written)));
}

void UnpackFileDialog::onFinished() {
    if (!running_) return;
    const UnpackOutcome outcome = job_->Result();
    running_ = false;
    switch (outcome.state) {
    case UnpackState::Done: {
        doneButton->setEnabled(true);
        cancelButton->hide();
        startButton->hide();
        const qint64 seconds = startTime_.elapsed() / 1000;
        label3->setText(QStringLiteral("Elapsed Time: ") +
                        QStringLiteral("%1:%2:%3")
                            .arg(seconds / 3600)
                            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                            .arg(seconds % 60, 2, 10, QLatin1Char('0')) +
                        QStringLiteral(" sec."));
        if (services_.beep) services_.beep();
        RegWriteString(QStringLiteral("UnpackSave"), runningTarget_);
        break;
    }
    case UnpackState::Cancelled:
        RegWriteString(QStringLiteral("UnpackSave"), runningTarget_);
        break;
    default:
        // Nothing was written under the target's name; the user may choose another and start again.
        services_.messenger->Error(this, QString::fromStdString(outcome.reason));
        startButton->setEnabled(true);
        saveDialogButton->setEnabled(true);
        taskBar_.SetProgressValue(0);
        taskBar_.SetProgressState(TaskBarProgressStyle::None);
        break;
    }
}

void UnpackFileDialog::stopWorker() {
    if (!job_) return;
    job_->RequestStop();
    job_->Wait();
}

void UnpackFileDialog::CancelButtonClick() {
    reject();
}

void UnpackFileDialog::done(int result) {
    if (running_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        stopWorker();
        QApplication::restoreOverrideCursor();
        running_ = false;
        RegWriteString(QStringLiteral("UnpackSave"), runningTarget_);
    }
    taskBar_.SetProgressValue(0);
    taskBar_.SetProgressState(TaskBarProgressStyle::None);
    QDialog::done(result);
}

void UnpackFileDialog::SaveDialogButtonClick() {
    // Start asks about an existing target; the file dialog does not ask first.
    const QString chosen =
        services_.paths->SaveFileUnconfirmed(this, texts_.caption, QString(), edit1->text());
    if (chosen.isEmpty()) return;
    edit1->setText(chosen);
    RegWriteString(QStringLiteral("UnpackSave"), chosen);
}

void UnpackFileDialog::Edit1Change() {
    // The save dialog starts from whatever the field holds when it opens.
}
