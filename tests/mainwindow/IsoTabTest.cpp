// The ISO tab of the window: the listing of a mounted image and moving through its directories, the
// pop-up items' states, extraction on a worker (byte-equal, and a failure reported with nothing left),
// the hex viewer and unpack commands, burning through the process launcher (an argument list, a failure
// to start reported, disabled without an image), the converter hook and the clipboard commands.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "WindowTestSupport.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/display/ClutEncoder.h"
#include "kiwi/iso/ISOImage.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/IsoPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/IsoTabPresenter.h"
#include "platform/RegistrySettings.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "unpack/UnpackFileDialog.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatEdit.h"

namespace {

using windowtest::waitUntil;
using windowtest::WindowTest;

std::vector<uint8_t> pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t((i * 2654435761u + seed) >> 11);
    return bytes;
}

class FailingProcesses : public ProcessLauncher {
public:
    bool StartDetached(const QString& program, const QStringList& arguments) override {
        tried << (QStringList{program} + arguments);
        return false;
    }
    QList<QStringList> tried;
};

class IsoTabTest : public WindowTest {
protected:
    IsoTabTest() {
        window.SetHexViewer(&hex);
        window.show();
    }
    void SetUp() override {
        KIWI_NEED_XORRISO();
        const std::string content = spath("content");
        big = pattern(2'500'000, 5);
        fixture::writeFile(content + "/ALLDATA.KWI", big);
        fixture::writeFile(content + "/DATA/NOTES.TXT", pattern(20, 1));
        fixture::CmpListEntryPlan entry;
        entry.name = "DATA/PACKED.KWI";
        entry.type = 2;
        packed = fixture::mapLikeContent(70000);
        fixture::writeFile(content + "/DATA/PACKED.KWI", fixture::buildCmpDataFile(packed, entry));
        fixture::writeFile(content + "/05.CMP", fixture::buildCmpList({entry}));
        QDir().mkpath(path("maps"));
        fixture::makeIsoWithXorriso(content, spath("maps/map.iso"));
        window.Opening().Open(OpenTabController::Source::Iso, path("maps/map.iso"));
        ASSERT_TRUE(IsISOImageOpen());
        // Its ALLDATA.KWI holds no map, which the opening says; the tests look at the messages after it.
        ASSERT_EQ(messenger.errors.size(), 1);
        EXPECT_TRUE(messenger.errors[0].startsWith(QStringLiteral("Карта не открыта: ")));
        messenger.errors.clear();
    }

    int rowOf(const QString& name) const {
        const auto& items = window.IsoCommands().Page()->Items();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].name == name) return int(i);
        ADD_FAILURE() << "no row " << name.toStdString();
        return -1;
    }
    QStringList names() const {
        QStringList out;
        QTreeWidget* list = window.IsoCommands().Page()->isoListView;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(0);
        return out;
    }
    QAction* item(QAction* WindowMenus::*member) const { return window.IsoCommands().Menus()->*member; }

    std::vector<uint8_t> big, packed;
    MainWindow window{services, &mapView};
};

TEST_F(IsoTabTest, TheListFollowsItsPresenter) {
    IsoTabPresenter& presenter = window.IsoCommands().Presenter();
    ASSERT_EQ(presenter.Open(rowOf("DATA")), IsoTabPresenter::Opened::Directory);
    QStringList shown;
    for (const IsoListItem& item : presenter.Items())
        shown << item.name;
    EXPECT_EQ(names(), shown);
    presenter.Clear();
    EXPECT_TRUE(names().isEmpty());
}

TEST_F(IsoTabTest, TheImageIsListedWithTypesIconsAndSizes) {
    EXPECT_TRUE(windowtest::tabShown(window, window.IsoCommands().Page()));
    QTreeWidget* list = window.IsoCommands().Page()->isoListView;
    EXPECT_EQ(list->columnCount(), 4);
    EXPECT_EQ(names(), (QStringList{"DATA", "05.CMP", "ALLDATA.KWI"}));
    QTreeWidgetItem* kwi = list->topLevelItem(rowOf("ALLDATA.KWI"));
    EXPECT_EQ(kwi->text(IsoPage::SizeColumn), "2 500 000");
    EXPECT_FALSE(kwi->text(IsoPage::DateColumn).isEmpty());
    EXPECT_FALSE(kwi->text(IsoPage::TypeColumn).isEmpty());
    EXPECT_FALSE(kwi->icon(IsoPage::NameColumn).isNull());
    EXPECT_FALSE(list->topLevelItem(0)->icon(IsoPage::NameColumn).isNull());
    EXPECT_TRUE(list->topLevelItem(0)->text(IsoPage::SizeColumn).isEmpty());
}

TEST_F(IsoTabTest, DoubleClicksMoveThroughDirectoriesAndTheParentRowLeadsBack) {
    window.IsoCommands().IsoListViewDblClick(rowOf("DATA"));
    EXPECT_EQ(names(), (QStringList{"/\\", "NOTES.TXT", "PACKED.KWI"}));
    window.IsoCommands().IsoListViewDblClick(0);
    EXPECT_EQ(names(), (QStringList{"DATA", "05.CMP", "ALLDATA.KWI"}));
    // A file pops the menu up instead, for that file.
    window.IsoCommands().IsoListViewDblClick(rowOf("ALLDATA.KWI"));
    EXPECT_TRUE(window.IsoCommands().Menus()->isoMenu->isVisible());
    window.IsoCommands().Menus()->isoMenu->close();
    EXPECT_EQ(names().size(), 3);
    // Enter opens what a double-click opens.
    window.IsoCommands().Page()->isoListView->setCurrentItem(
        window.IsoCommands().Page()->isoListView->topLevelItem(rowOf("DATA")));
    windowtest::pressEnter(window.IsoCommands().Page()->isoListView);
    EXPECT_EQ(names(), (QStringList{"/\\", "NOTES.TXT", "PACKED.KWI"}));
}

// A picture of a sub-directory's listing for a person to review (saved with STROVANE_SCREENSHOT_DIR set):
// the parent row, a folder icon and the file rows must show.
TEST_F(IsoTabTest, TheListingIsDrawn) {
    windowtest::tabsOf(window)->setCurrentWidget(window.IsoCommands().Page());
    window.IsoCommands().IsoListViewDblClick(rowOf("DATA"));
    const QImage picture = window.IsoCommands().Page()->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    bool varied = false;
    for (int y = 0; y < picture.height() && !varied; y += 3)
        for (int x = 0; x < picture.width() && !varied; x += 3)
            varied = picture.pixel(x, y) != picture.pixel(0, 0);
    EXPECT_TRUE(varied);
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        picture.save(QDir(QString::fromLocal8Bit(folder)).filePath("iso-tab-subfolder.png"));
}

TEST_F(IsoTabTest, PopupItemsFollowTheRow) {
    struct Case {
        bool inData;
        QString row;
        bool hex, extract, unpack;
    };
    for (const Case& c :
         {Case{false, "DATA", false, false, false}, Case{false, "ALLDATA.KWI", true, true, false},
          Case{true, "/\\", false, false, false}, Case{true, "NOTES.TXT", true, true, false},
          Case{true, "PACKED.KWI", true, true, true}}) {
        window.IsoCommands().Presenter().ShowDirectory(GetISOImage()->Tree()->Root());
        if (c.inData) window.IsoCommands().IsoListViewDblClick(rowOf("DATA"));
        window.IsoCommands().IsoPopupMenuPopup(rowOf(c.row));
        EXPECT_EQ(item(&WindowMenus::openFileInHexViewerItem)->isEnabled(), c.hex) << c.row.toStdString();
        EXPECT_EQ(item(&WindowMenus::extractFileItem)->isEnabled(), c.extract) << c.row.toStdString();
        EXPECT_EQ(item(&WindowMenus::unpackFileItem)->isEnabled(), c.unpack) << c.row.toStdString();
        EXPECT_TRUE(item(&WindowMenus::burnDvdItem)->isEnabled());
    }
    window.CloseAll();
    EXPECT_TRUE(window.IsoCommands().Page()->Items().empty());
    window.IsoCommands().IsoPopupMenuPopup(-1);
    EXPECT_FALSE(item(&WindowMenus::burnDvdItem)->isEnabled());
    EXPECT_FALSE(item(&WindowMenus::extractFileItem)->isEnabled());
}

TEST_F(IsoTabTest, ExtractionWritesTheFileOnAWorkerAndReportsAFailure) {
    RegWriteString(QStringLiteral("UnpackSave"), path("out/last.bin"));
    QDir().mkpath(path("out"));
    paths.answer = path("out/copy.kwi");
    window.IsoCommands().IsoPopupMenuPopup(rowOf("ALLDATA.KWI"));
    window.IsoCommands().ExtractFileMenuItemClick();
    ASSERT_FALSE(paths.calls.empty());
    EXPECT_EQ(paths.calls.back().kind, "save");
    EXPECT_EQ(paths.calls.back().start, path("out/ALLDATA.KWI"));
    EXPECT_TRUE(window.IsoCommands().ExtractionRunning() || QFile::exists(path("out/copy.kwi")));
    ASSERT_TRUE(waitUntil([&] { return !window.IsoCommands().ExtractionRunning(); }, 20000));
    QFile copy(path("out/copy.kwi"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray(reinterpret_cast<const char*>(big.data()), qsizetype(big.size())));
    EXPECT_TRUE(messenger.errors.isEmpty());
    EXPECT_FALSE(window.IsoCommands().Page()->extractionStrip->isVisible());

    paths.answer = path("missing/copy.kwi");
    window.IsoCommands().IsoPopupMenuPopup(rowOf("ALLDATA.KWI"));
    window.IsoCommands().ExtractFileMenuItemClick();
    ASSERT_TRUE(waitUntil([&] { return !window.IsoCommands().ExtractionRunning(); }, 20000));
    ASSERT_EQ(messenger.errors.size(), 1);
    EXPECT_TRUE(messenger.errors[0].contains(QStringLiteral("copy.kwi")));
    EXPECT_FALSE(QFile::exists(path("missing")));

    // Cancelled in the save dialog: nothing starts.
    paths.answer.clear();
    window.IsoCommands().ExtractFileMenuItemClick();
    EXPECT_FALSE(window.IsoCommands().ExtractionRunning());
}

TEST_F(IsoTabTest, TheStripsStopButtonEndsTheExtractionWithNothingLeft) {
    QDir().mkpath(path("out"));
    paths.answer = path("out/stopped.kwi");
    window.IsoCommands().IsoPopupMenuPopup(rowOf("ALLDATA.KWI"));
    window.IsoCommands().ExtractFileMenuItemClick();
    ASSERT_TRUE(window.IsoCommands().ExtractionRunning());
    window.IsoCommands().Page()->extractionStopButton->click();
    // The end is heard from the job, queued, and only then is the strip taken down.
    EXPECT_TRUE(window.IsoCommands().ExtractionRunning());
    ASSERT_TRUE(waitUntil([&] { return !window.IsoCommands().ExtractionRunning(); }, 20000));
    EXPECT_FALSE(window.IsoCommands().Page()->extractionStrip->isVisible());
    EXPECT_TRUE(messenger.errors.isEmpty());
    // A run that beat the stop left the whole file; a stopped one left nothing, not even its temporary file.
    const QStringList left = QDir(path("out")).entryList(QDir::Files | QDir::Hidden);
    if (left.isEmpty()) return;
    EXPECT_EQ(left, QStringList{"stopped.kwi"});
    QFile copy(path("out/stopped.kwi"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.size(), qint64(big.size()));
}

TEST_F(IsoTabTest, HexViewerGetsTheFilesOwnStream) {
    window.IsoCommands().IsoListViewDblClick(rowOf("DATA"));
    window.IsoCommands().IsoPopupMenuPopup(rowOf("PACKED.KWI"));
    window.IsoCommands().OpenFileInHexViewerMenuItemClick();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "hex owned stream 0");
    ASSERT_NE(hex.Stream(), nullptr);
    // The decompressed content is shown.
    EXPECT_EQ(hex.Stream()->Size(), int64_t(packed.size()));
    window.IsoCommands().Menus()->isoMenu->close();
}

TEST_F(IsoTabTest, UnpackRefusesAnUnlistedFileAndOpensTheDialogForAListedOne) {
    window.IsoCommands().UnpackFile(QStringLiteral("ALLDATA.KWI"));
    ASSERT_EQ(messenger.information.size(), 1);
    EXPECT_EQ(messenger.information[0], QStringLiteral("Файл  ALLDATA.KWI  не имеет сжатия!"));
    EXPECT_EQ(window.findChild<UnpackFileDialog*>(), nullptr);

    window.IsoCommands().IsoListViewDblClick(rowOf("DATA"));
    window.IsoCommands().IsoPopupMenuPopup(rowOf("PACKED.KWI"));
    window.IsoCommands().UnpackFileMenuItemClick();
    auto* dialog = window.findChild<UnpackFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    // No "UnpackSave": beside the image, with ".unpack".
    EXPECT_EQ(dialog->edit1->text(), path("maps/PACKED.KWI.unpack"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Сохранить распакованный файл как ..."));
    dialog->close();
}

TEST_F(IsoTabTest, BurningPassesTheImageAsOneArgumentAndReportsAFailureToStart) {
    RegWriteString(QStringLiteral("BurnProgram"), QStringLiteral("/usr/bin/my burner"));
    window.IsoCommands().IsoPopupMenuPopup(rowOf("DATA"));
    ASSERT_TRUE(item(&WindowMenus::burnDvdItem)->isEnabled());
    window.IsoCommands().BurnDVDMenuItemClick();
    ASSERT_EQ(processes.started.size(), 1);
    EXPECT_EQ(processes.started[0], (QStringList{"/usr/bin/my burner", path("maps/map.iso")}));
    EXPECT_TRUE(messenger.errors.isEmpty());

    // The Open tab's button asks for an image, starting from the mounted one.
    paths.answer = path("a \"quoted\" name.iso");
    windowtest::pressEnter(window.Opening().Page()->burnDvdBtn);
    ASSERT_EQ(processes.started.size(), 2);
    EXPECT_EQ(paths.calls.back().start, path("maps/map.iso"));
    EXPECT_EQ(processes.started[1], (QStringList{"/usr/bin/my burner", path("a \"quoted\" name.iso")}));

    FailingProcesses failing;
    services.processes = &failing;
    MainWindow other{services, &mapView};
    other.IsoCommands().BurnImage(path("maps/map.iso"));
    ASSERT_EQ(failing.tried.size(), 1);
    ASSERT_EQ(messenger.errors.size(), 1);
    EXPECT_TRUE(messenger.errors[0].contains(QStringLiteral("my burner")));
}

TEST_F(IsoTabTest, WithoutABurnerTheUserIsTold) {
    fixture::ScopedEnvironment noPath{"PATH", path("nothing").toUtf8()};
    window.IsoCommands().BurnImage(path("maps/map.iso"));
    EXPECT_TRUE(processes.started.isEmpty());
    ASSERT_EQ(messenger.errors.size(), 1);
    EXPECT_TRUE(messenger.errors[0].contains(QStringLiteral("BurnProgram")));
}

TEST_F(IsoTabTest, TheConverterButtonWaitsForItsHookAndOpensTheWrittenMap) {
    QPushButton* wizard = window.Opening().Page()->wizardBtn;
    EXPECT_FALSE(wizard->isEnabled());
    QPointer<QDialog> made;
    window.SetMapConverter({[&](QWidget* parent) -> QDialog* {
                                made = new QDialog(parent);
                                return made;
                            },
                            [&](QDialog*) { return path("nowhere/MAP.KWI"); }});
    EXPECT_TRUE(wizard->isEnabled());
    window.CodePages().SetAutoSelect(true);
    wizard->click();
    ASSERT_NE(made, nullptr);
    made->accept();
    // The written map is opened (here it is missing, which the opening reports), and the automatic code
    // page choice is back on.
    EXPECT_TRUE(window.CodePages().AutoSelect());
    EXPECT_FALSE(messenger.errors.isEmpty() && messenger.information.isEmpty());
    EXPECT_TRUE(made.isNull() || !made->isVisible());
}

TEST_F(IsoTabTest, ClipboardCopiesHexDigitsOrTheCellAndThePicture) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    FieldGridModel& grid = window.DataCommands().GridModel();
    grid.Append(
        {QStringLiteral("Header Size"), QStringLiteral("0 x 00 01 02 03"), QStringLiteral("(66051)")});
    grid.Append({QStringLiteral("Name"), QStringLiteral("Tokyo"), QString()});
    FieldGridView* view = window.DataCommands().Page()->fieldGrid;
    view->SetMenuIndex(grid.index(0, 1));
    window.DataCommands().CopyStringGridMenuItemClick();
    EXPECT_EQ(clipboard->text(), "00010203");
    view->SetMenuIndex(grid.index(1, 1));
    window.DataCommands().CopyStringGridMenuItemClick();
    EXPECT_EQ(clipboard->text(), "Tokyo");

    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    clipboard->setImage(picture);
    window.DataCommands().PasteImageMenuItemClick();
    EXPECT_EQ(window.DataCommands().Page()->graphicImage->pixmap().size(), QSize(4, 3));
    clipboard->clear();
    window.DataCommands().CopyGraphicImageMenuItemClick();
    EXPECT_EQ(clipboard->image().size(), QSize(4, 3));

    // The palette items put the colour-table bytes under the binary data format.
    for (QAction* clut : window.IsoCommands().Menus()->clutItems) {
        clipboard->clear();
        clut->trigger();
        const QString palette = clut->data().toString();
        const std::vector<uint8_t> expected = CopyBitmapAsCLUTData(picture, palette.toStdString());
        ASSERT_FALSE(expected.empty()) << palette.toStdString();
        const QMimeData* data = clipboard->mimeData();
        ASSERT_NE(data, nullptr);
        const QString format = QStringLiteral("application/x-qt-windows-mime;value=\"%1\"")
                                   .arg(QString::fromLatin1(kBinaryDataClipboardFormat));
        EXPECT_EQ(data->data(format),
                  QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())))
            << palette.toStdString();
    }
}

} // namespace
