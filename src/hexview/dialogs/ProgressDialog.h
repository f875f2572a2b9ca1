// The progress dialog of a long hex search: a title, a progress bar fed by the search's reports, and a
// cancel that signals the running search. It closes only when the search reports its end.
#pragma once

#include <QDialog>
#include <functional>

#include "widgets/flat/FlatProgressBar.h"

class QLabel;
class QPushButton;

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    // cancel asks the running search to stop; it is called once, however often the user cancels.
    explicit ProgressDialog(std::function<void()> cancel, QWidget* parent = nullptr);

    bool CancelRequested() const { return cancelRequested_; }

    QLabel* TitleLabel() const { return titleLabel_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancelButton_; }

public slots:
    // A search report: 0..100 moves the bar, a negative value (the search has ended) closes the dialog
    // with the accepted result. Connect a worker's reports queued; nothing here waits.
    void SetPercent(int percent);

signals:
    void cancelRequested();

protected:
    // Esc and the close box cancel like the button; the dialog stays until the search has ended, since
    // the search may still be reading and reporting.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void requestCancel();

    std::function<void()> cancel_;
    bool cancelRequested_ = false;
    bool ended_ = false;
    QLabel* titleLabel_;
    FlatProgressBar* bar_;
    QPushButton* cancelButton_;
};
