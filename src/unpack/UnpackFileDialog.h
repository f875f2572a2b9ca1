// The single-file unpack dialog: writes the decompressed content of one listed file to a target the
// user confirms, block by block in an unpack job of the engine, with a progress bar, Cancel and the elapsed
// time; the job speaks to the window by queued signals.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <memory>

#include "unpack/engine/UnpackOutput.h"
#include "widgets/Services.h"

class FlatButton;
class FlatLineEdit;
class FlatProgressBar;
class QLabel;
class TaskBar;
class TLN_DecompFileStream;
class UnpackFileJob;

// The texts the dialog shows; the defaults are its own, MainWindowTexts() those the main window hands it.
struct UnpackFileTexts {
    QString caption = QStringLiteral("Save unpacked file as ...");
    QString start = QStringLiteral("Start");
    QString cancel = QStringLiteral("Cancel");
    QString done = QStringLiteral("Done");
    // The overwrite question: before + target + after.
    QString existsBefore = QStringLiteral("File ");
    QString existsAfter = QStringLiteral(" already exists! Replace it?");
    // Put before the reason a target could not be created.
    QString createError = QStringLiteral("Cannot create the file: ");

    static UnpackFileTexts MainWindowTexts();
};

class UnpackFileDialog : public QDialog {
    Q_OBJECT
public:
    // stream: the file's decompressing stream (shared with the caller, used only by the dialog's worker
    // while it runs); target: the proposed target name.
    UnpackFileDialog(const Services& services, TaskBar& taskBar, std::shared_ptr<TLN_DecompFileStream> stream,
                     const QString& target, UnpackFileTexts texts = {}, QWidget* parent = nullptr);
    ~UnpackFileDialog() override;

    // The target proposed for sourcePath: the folder of the setting "UnpackSave" (the folder of the name
    // stored there) when it exists, else the mounted image's folder, each with the file name, else
    // sourcePath itself; then ".unpack".
    static QString ProposedTarget(const QString& sourcePath);

    void StartButtonClick();
    void CancelButtonClick();
    void SaveDialogButtonClick();
    void Edit1Change();

    bool IsRunning() const { return running_; }
    // The run, or null before the first start.
    const UnpackFileJob* Job() const { return job_.get(); }
    // How the target is written (tests slow it down or make it fail); a temporary file renamed by default.
    void SetOutputFactory(OutputFactory factory) { outputFactory_ = std::move(factory); }

    QLabel* label1 = nullptr;
    QLabel* label2 = nullptr;
    QLabel* label3 = nullptr;
    FlatProgressBar* progressBar1 = nullptr;
    FlatLineEdit* edit1 = nullptr;
    FlatButton* saveDialogButton = nullptr;
    FlatButton* startButton = nullptr;
    FlatButton* cancelButton = nullptr;
    FlatButton* doneButton = nullptr;

signals:
    // From the job's thread: block `done` of `count` written, `written` bytes so far, at `percent`.
    void BlockWritten(qint64 done, qint64 count, qint64 written, int percent);

protected:
    // Cancel, Done, Esc and the close box: a running unpack stops at its next block and is joined; no
    // partial file stays, an old target is kept; the taskbar shows no progress again.
    void done(int result) override;

private:
    void showProgress(qint64 doneBlocks, qint64 count, qint64 written, int percent);
    void onFinished();
    void stopWorker();
    bool targetIsSource(const QString& target) const;

    const Services& services_;
    TaskBar& taskBar_;
    std::shared_ptr<TLN_DecompFileStream> stream_;
    UnpackFileTexts texts_;
    OutputFactory outputFactory_ = tempFileOutputs(true);
    std::unique_ptr<UnpackFileJob> job_;
    bool running_ = false;
    QString runningTarget_;
    QElapsedTimer startTime_;
};
