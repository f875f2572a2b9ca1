// The progress dialog: its texts, the bar following reports, every way of cancelling reaching the running
// job once while the dialog stays, and closing only on the job's end report, sent queued from a worker.
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <memory>

#include "DialogTestSupport.h"
#include "hexview/dialogs/HexDialogs.h"
#include "hexview/dialogs/ProgressDialog.h"

using namespace hexdialogstest;

TEST(ProgressDialog, ShowsItsTexts) {
    ProgressDialog dialog(nullptr);
    EXPECT_EQ(dialog.TitleLabel()->text(), "Идёт поиск . . .");
    EXPECT_EQ(dialog.CancelButton()->text(), "Отмена");
    EXPECT_EQ(dialog.Bar()->value(), 0);
}

TEST(ProgressDialog, PercentsMoveTheBarAndTheEndClosesIt) {
    ProgressDialog dialog(nullptr);
    dialog.show();
    dialog.SetPercent(40);
    EXPECT_EQ(dialog.Bar()->value(), 40);
    dialog.SetPercent(250);
    EXPECT_EQ(dialog.Bar()->value(), 100);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.SetPercent(-1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(finished.size(), 1);
    // Reports after the end change nothing.
    dialog.SetPercent(50);
    EXPECT_EQ(dialog.Bar()->value(), 100);
}

TEST(ProgressDialog, EveryWayOfCancellingReachesTheJobOnceAndTheDialogWaits) {
    const std::function<void(ProgressDialog&)> ways[] = {
        [](ProgressDialog& dialog) { QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton); },
        [](ProgressDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
        [](ProgressDialog& dialog) { EXPECT_FALSE(dialog.close()); }};
    for (const auto& way : ways) {
        int cancels = 0;
        ProgressDialog dialog([&] { ++cancels; });
        QSignalSpy requested(&dialog, &ProgressDialog::cancelRequested);
        dialog.show();
        way(dialog);
        EXPECT_EQ(cancels, 1);
        EXPECT_TRUE(dialog.CancelRequested());
        EXPECT_FALSE(dialog.CancelButton()->isEnabled());
        EXPECT_TRUE(dialog.isVisible());
        // Asking again while the job winds down changes nothing.
        way(dialog);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        EXPECT_EQ(cancels, 1);
        EXPECT_EQ(requested.size(), 1);
        EXPECT_TRUE(dialog.isVisible());
        dialog.SetPercent(-1);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(ProgressDialog, CancelStopsAWorkerThatReportsQueued) {
    ProgressDialog* shown = nullptr;
    std::unique_ptr<QThread> worker;
    ProgressDialog dialog([&] { worker->requestInterruption(); });
    shown = &dialog;
    // A job that reports until it is asked to stop, then reports its end, as a search does.
    worker.reset(QThread::create([shown] {
        int percent = 1;
        while (!QThread::currentThread()->isInterruptionRequested()) {
            QMetaObject::invokeMethod(
                shown, [shown, percent] { shown->SetPercent(percent); }, Qt::QueuedConnection);
            percent = percent % 99 + 1;
            QThread::msleep(1);
        }
        QMetaObject::invokeMethod(
            shown, [shown] { shown->SetPercent(-1); }, Qt::QueuedConnection);
    }));
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    worker->start();
    // Generous limits: they only keep a broken build from hanging.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Bar()->value() > 0; }, 60000));
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(worker->wait(60000));
    ASSERT_TRUE(finished.wait(60000) || finished.size() == 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ProgressDialog, TheDesktopOpensItWithoutWaitingAndDeletesItAtTheEnd) {
    TempSettings settings;
    DesktopHexDialogs dialogs(DialogPrompts{}, settings.Store());
    QWidget window;
    window.show();
    int cancels = 0;
    QPointer<ProgressDialog> dialog = dialogs.OpenProgress(&window, [&] { ++cancels; });
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    dialog->CancelButton()->click();
    EXPECT_EQ(cancels, 1);
    dialog->SetPercent(-1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialog);
}
