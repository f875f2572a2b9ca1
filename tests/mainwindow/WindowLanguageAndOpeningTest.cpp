// The main window around an opening: a refused opening leaves the open source's tabs, caption and commands
// alone, the converter's button follows the open map, the caption names no source once nothing is open, a
// map that is not valid says why; the voice buttons show only for records with sound; Qt's own dialogs
// and buttons speak Russian; the file dialog's filter label names the filter only.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

#include "WindowTestSupport.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/WindowLanguage.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "widgets/flat/FlatButton.h"

namespace {

using windowtest::WindowTest;

class WindowOpeningTest : public WindowTest {
protected:
    WindowOpeningTest() { window.show(); }
    MainWindow window{services, &mapView};
};

TEST_F(WindowOpeningTest, ARefusedOpeningLeavesTheOpenSourceAsItIs) {
    fixture::writeSourceFolder(spath("disc"));
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    const QString title = window.windowTitle();
    ASSERT_TRUE(windowtest::tabShown(window, window.MapCommands().Page()));
    ASSERT_TRUE(window.MapCommands().Menus()->routeItem->isEnabled());
    // A folder that was deleted, reopened from its label: refused, and nothing of the open map changes.
    window.Opening().AddToReopenList(path("deleted"));
    window.Opening().Presenter().LoadReopenList();
    window.Opening().ReopenLabelClick(0);
    EXPECT_EQ(messenger.errors, QStringList{"Wrong file path !!!\r" + path("deleted")});
    EXPECT_TRUE(windowtest::tabShown(window, window.MapCommands().Page()));
    EXPECT_TRUE(windowtest::tabShown(window, window.DataCommands().Page()));
    EXPECT_TRUE(window.MapCommands().Menus()->routeItem->isEnabled());
    EXPECT_TRUE(window.MapCommands().Presenter().HasMap());
    EXPECT_EQ(window.windowTitle(), title);
    EXPECT_EQ(mapView.Map(), window.Data().map);
}

TEST_F(WindowOpeningTest, TheConverterButtonFollowsTheOpenMap) {
    window.SetMapConverter({[](QWidget*) { return static_cast<QDialog*>(nullptr); }, {}});
    FlatButton* button = window.Opening().Page()->wizardBtn;
    EXPECT_TRUE(button->isEnabled());
    fixture::SourceFolderPlan variant2;
    variant2.systemText = "AFEU:8.05";
    fixture::writeSourceFolder(spath("v8"), variant2);
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("v8")));
    EXPECT_FALSE(window.Opening().Presenter().MapConvertible());
    EXPECT_FALSE(button->isEnabled());
    fixture::writeSourceFolder(spath("v2"));
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("v2")));
    EXPECT_TRUE(button->isEnabled());
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("v8")));
    EXPECT_FALSE(button->isEnabled());
    // Nothing open: nothing to refuse.
    window.CloseAll();
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(WindowOpeningTest, TheCaptionNamesNoSourceOnceNothingIsOpenAndAnInvalidMapSaysWhy) {
    fixture::writeSourceFolder(spath("disc"));
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    ASSERT_NE(window.windowTitle(), QStringLiteral("Strovane"));
    QDir().mkpath(path("empty"));
    EXPECT_FALSE(window.Opening().Open(OpenTabController::Source::Folder, path("empty")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Strovane"));

    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("disc")));
    fixture::SourceFolderPlan invalid;
    invalid.loading = invalid.cmp05 = invalid.coverage = false;
    invalid.logicalSectorSize = 16;
    fixture::writeSourceFolder(spath("invalid"), invalid);
    window.Opening().Open(OpenTabController::Source::Folder, path("invalid"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Strovane"));
    EXPECT_EQ(
        messenger.errors,
        QStringList{QStringLiteral("Карта не открыта: размер логического сектора 16 (должен быть 32)\r") +
                    path("invalid/ALLDATA.KWI")});
}

TEST_F(WindowOpeningTest, PlayAndStopShowOnlyForRecordsWithSound) {
    fixture::SourceFolderPlan parts;
    parts.dataParts = true;
    fixture::writeSourceFolder(spath("parts"), parts);
    DataPage& page = *window.DataCommands().Page();
    EXPECT_TRUE(page.playSpeedBtn->isHidden());
    EXPECT_TRUE(page.stopSpeedBtn->isHidden());
    ASSERT_TRUE(window.Opening().Open(OpenTabController::Source::Folder, path("parts")));
    QAbstractItemModel* model = page.treeView->model();
    const auto child = [&](const QModelIndex& parent, const QString& caption) {
        page.treeView->expand(parent);
        for (int row = 0; row < model->rowCount(parent); ++row)
            if (model->index(row, 0, parent).data().toString() == caption)
                return model->index(row, 0, parent);
        ADD_FAILURE() << "no node " << caption.toStdString();
        return QModelIndex();
    };
    const QModelIndex allData = child({}, QStringLiteral("ALL DATA"));
    const QModelIndex item =
        child(child(child(allData, QStringLiteral("Voice Data")), QStringLiteral("Language 0 (ENG)")),
              QStringLiteral("Item 0"));
    page.treeView->setCurrentIndex(child(item, QStringLiteral("Record 0")));
    EXPECT_TRUE(page.playSpeedBtn->isVisible());
    EXPECT_TRUE(page.stopSpeedBtn->isVisible());
    EXPECT_TRUE(page.playSpeedBtn->isEnabled());
    page.treeView->setCurrentIndex(allData);
    EXPECT_TRUE(page.playSpeedBtn->isHidden());
    EXPECT_TRUE(page.stopSpeedBtn->isHidden());
}

// Without the window tests' guard on modal windows: these open real dialogs and close them.
class QtDialogsTest : public ::testing::Test {
protected:
    QTemporaryDir config, runtime, data;
    fixture::ScopedEnvironment configHome{"XDG_CONFIG_HOME", config.path().toUtf8()};
    fixture::ScopedEnvironment runtimeDir{"XDG_RUNTIME_DIR", runtime.path().toUtf8()};
    fixture::ScopedEnvironment dataHome{"XDG_DATA_HOME", data.path().toUtf8()};
    windowtest::Log log;
    windowtest::RecordingMapView mapView{log};
};

// Runs check on the first modal window that appears, then closes it.
void onModal(std::function<void(QWidget*)> check) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        check(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    });
    timer->start(20);
}

TEST_F(QtDialogsTest, QtsOwnButtonsAndDialogsSpeakRussian) {
    ASSERT_TRUE(InstallWindowLanguage(*qApp));
    bool checked = false;
    onModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->button(QMessageBox::Yes)->text(), QStringLiteral("&Да"));
        EXPECT_EQ(box->button(QMessageBox::No)->text(), QStringLiteral("&Нет"));
        const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
        if (!folder.isEmpty()) box->grab().save(QString::fromLocal8Bit(folder) + "/message-box-ru.png");
        checked = true;
    });
    Services::Desktop().messenger->Question(nullptr, QStringLiteral("Хотите его заменить?"));
    EXPECT_TRUE(checked);
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

TEST_F(QtDialogsTest, TheOpenFileFilterLabelNamesTheFilterOnly) {
    Services services = Services::Desktop();
    windowtest::RecordingMessenger messenger;
    services.messenger = &messenger;
    MainWindow window{services, &mapView};
    bool checked = false;
    onModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* filters = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(filters, nullptr);
        EXPECT_EQ(filters->currentText(), QStringLiteral("KIWI-format files"));
        EXPECT_LT(dialog->sizeHint().width(), 1000);
        checked = true;
    });
    window.Opening().Choose(OpenTabController::Source::File);
    EXPECT_TRUE(checked);
}

} // namespace
