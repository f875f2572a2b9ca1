// The main window's creation and closing: its texts, the tabs it starts with, the settings it reads and
// writes back, the stay-on-top switch and the guarded tree width ratio.
#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>

#include "WindowTestSupport.h"
#include "kiwi/core/MapCodePage.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/WindowMenus.h"
#include "platform/RegistrySettings.h"
#include "platform/SettingsStore.h"
#include "support/window/HexViewPlaceholder.h"
#include "widgets/flat/FlatButton.h"

namespace {

using windowtest::WindowTest;

class MainWindowSettingsTest : public WindowTest {
protected:
    void TearDown() override {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
    }
    QByteArray stored(const char* name) const {
        const auto value = SettingsStore::forUser().read(QString::fromLatin1(name));
        const QByteArray* bytes = value ? std::get_if<QByteArray>(&*value) : nullptr;
        return bytes ? *bytes : QByteArray();
    }
    static QByteArray colourBytes(int count, uint8_t first) {
        QByteArray bytes;
        for (int i = 0; i < count; ++i)
            bytes.append(char(first + i));
        return bytes;
    }
};

TEST_F(MainWindowSettingsTest, WindowTextsAreInPlace) {
    MainWindow window(services, &mapView);
    OpenPage* open = window.Opening().Page();
    EXPECT_EQ(open->diskButton->text(), QStringLiteral("Открыть диск"));
    EXPECT_EQ(open->folderButton->text(), QStringLiteral("Открыть папку"));
    EXPECT_EQ(open->fileButton->text(), QStringLiteral("Открыть файл"));
    EXPECT_EQ(open->openIsoButton->text(), QStringLiteral("Открыть ISO файл"));
    EXPECT_EQ(open->unpackButton->text(), QStringLiteral("Распаковать файлы"));
    EXPECT_EQ(open->burnDvdBtn->text(), QStringLiteral("Записать DVD"));
    EXPECT_EQ(open->donateBtn->text(), QStringLiteral("Поддержать"));
    EXPECT_EQ(open->wizardBtn->text(), QStringLiteral("Конвертер Карт"));
    EXPECT_EQ(open->stayOnTopBtn->text(), QStringLiteral("Поверх окон"));
    QTabWidget* tabs = windowtest::tabsOf(window);
    EXPECT_EQ(tabs->tabText(tabs->indexOf(window.Opening().Page())), QStringLiteral(" Открыть "));
    EXPECT_EQ(tabs->tabText(tabs->indexOf(window.IsoCommands().Page())), QStringLiteral("   ISO     "));
    EXPECT_EQ(tabs->tabText(tabs->indexOf(window.DataCommands().Page())), QStringLiteral("  Данные  "));
    EXPECT_EQ(tabs->tabText(tabs->indexOf(window.MapCommands().Page())), QStringLiteral("   Карта   "));
    DataPage* data = window.DataCommands().Page();
    EXPECT_EQ(data->innerTabs->tabText(0), QStringLiteral("Информационная панель"));
    EXPECT_EQ(data->innerTabs->tabText(1), QStringLiteral("Выборка данных"));
    EXPECT_EQ(data->label3->text(), QStringLiteral("Записей в таблице:"));
    EXPECT_EQ(data->label4->text(), QStringLiteral("Записей в таблице:"));
    EXPECT_EQ(data->graphicImage->toolTip(), QStringLiteral("Вы можете скопировать эту картинку"));
    EXPECT_EQ(window.MapCommands().Page()->settingsBtn->toolTip(), QStringLiteral("Меню настройки"));
    EXPECT_EQ(window.MapCommands().Page()->exploreParcelButton->text(),
              QStringLiteral("Показать данные участка"));
    WindowMenus* menus = window.MapCommands().Menus();
    EXPECT_EQ(menus->upDownItem->text(), QStringLiteral("Кнопки масштаба"));
    EXPECT_EQ(menus->drawGridItem->text(), QStringLiteral("Показывать сетку"));
    EXPECT_EQ(menus->charsetMenu->title(), QStringLiteral("Кодировка символов"));
    EXPECT_EQ(menus->languageMenu->title(), QStringLiteral("Выбор языка карты"));
    EXPECT_EQ(menus->settingsMenu->title(), QStringLiteral("Настройки"));
    EXPECT_EQ(menus->burnDvdItem->text(), QStringLiteral("Записать DVD"));
    EXPECT_EQ(menus->tmcItem->text(), QStringLiteral("Инфраструктура RDS-TMC"));
    EXPECT_EQ(menus->showDataStringGridItem->text(), QStringLiteral("Показать данные по Адресу"));
    EXPECT_EQ(menus->dbNext3Item->text(), QStringLiteral("Следующий уровень 3"));
    // The settings menu holds the charset and language menus; the map menu holds the settings menu.
    EXPECT_TRUE(menus->settingsMenu->actions().contains(menus->charsetMenu->menuAction()));
    EXPECT_TRUE(menus->settingsMenu->actions().contains(menus->languageMenu->menuAction()));
    EXPECT_TRUE(menus->mapMenu->actions().contains(menus->settingsMenu->menuAction()));
}

TEST_F(MainWindowSettingsTest, OnlyTheOpenTabShowsAtStartAndTheHexTabDocksHidden) {
    HexViewPlaceholder hexWindow;
    QPixmap picture(16, 16);
    picture.fill(Qt::blue);
    hexWindow.setWindowIcon(QIcon(picture));
    MainWindow window(services, &mapView);
    window.SetHexViewer(&hexWindow);
    window.show();
    EXPECT_TRUE(windowtest::tabShown(window, window.Opening().Page()));
    EXPECT_FALSE(windowtest::tabShown(window, window.IsoCommands().Page()));
    EXPECT_FALSE(windowtest::tabShown(window, window.DataCommands().Page()));
    EXPECT_FALSE(windowtest::tabShown(window, window.MapCommands().Page()));
    // Docked just before the Map tab, hidden while it has no stream.
    EXPECT_EQ(windowtest::tabsOf(window)->indexOf(&hexWindow),
              windowtest::tabsOf(window)->indexOf(window.MapCommands().Page()) - 1);
    EXPECT_FALSE(windowtest::tabShown(window, &hexWindow));
    // The tab carries the viewer's own picture.
    EXPECT_EQ(windowtest::tabsOf(window)->tabIcon(windowtest::tabsOf(window)->indexOf(&hexWindow)).cacheKey(),
              hexWindow.windowIcon().cacheKey());
    EXPECT_EQ(window.windowTitle(), "Strovane");
}

TEST_F(MainWindowSettingsTest, RoadColorsAreTakenOnlyAsSixteenWholeColours) {
    const QByteArray sixty = colourBytes(60, 1);
    RegWriteBinary(QStringLiteral("RoadColors"), sixty.constData(), sixty.size());
    {
        MainWindow window(services, &mapView);
        EXPECT_EQ(mapView.RoadColors()[0], 0x00112233u);
    }
    const QByteArray sixtyFour = colourBytes(64, 1);
    RegWriteBinary(QStringLiteral("RoadColors"), sixtyFour.constData(), sixtyFour.size());
    MainWindow window(services, &mapView);
    EXPECT_EQ(mapView.RoadColors()[0], 0x04030201u);
    EXPECT_EQ(mapView.RoadColors()[15], 0x403F3E3Du);

    mapView.SetRoadColor(2, 0x00ABCDEF);
    window.close();
    const QByteArray written = stored("RoadColors");
    ASSERT_EQ(written.size(), 64);
    EXPECT_EQ(uint8_t(written[8]), 0xEF);
    EXPECT_EQ(uint8_t(written[9]), 0xCD);
    EXPECT_EQ(uint8_t(written[10]), 0xAB);
    EXPECT_EQ(uint8_t(written[11]), 0x00);
}

TEST_F(MainWindowSettingsTest, MenuCodePageUnchecksAutomaticChoice) {
    RegWriteInteger(QStringLiteral("MapCodePage"), 28591);
    MainWindow window(services, &mapView);
    EXPECT_FALSE(window.MapCommands().Menus()->autoItem->isChecked());
    EXPECT_TRUE(window.MapCommands().Menus()->CharsetItem(28591)->isChecked());
    EXPECT_EQ(MapTextCodePage.load(), 28591);
    EXPECT_EQ(MapAnsiCodePage.load(), 1252);
    window.close();
    EXPECT_EQ(RegReadInteger(QStringLiteral("MapCodePage")), 28591);
}

TEST_F(MainWindowSettingsTest, OtherCodePageIsKeptWithAutomaticChoiceChecked) {
    RegWriteInteger(QStringLiteral("MapCodePage"), 1252);
    MainWindow window(services, &mapView);
    EXPECT_TRUE(window.MapCommands().Menus()->autoItem->isChecked());
    EXPECT_EQ(MapTextCodePage.load(), 1252);
    window.close();
    EXPECT_EQ(RegReadInteger(QStringLiteral("MapCodePage")), 0);
}

TEST_F(MainWindowSettingsTest, NoStoredCodePageLeavesAutomaticChoiceAsTheLayoutHasIt) {
    MainWindow window(services, &mapView);
    EXPECT_TRUE(window.MapCommands().Menus()->autoItem->isChecked());
    EXPECT_TRUE(window.MapCommands().Menus()->CharsetItem(65001)->isChecked());
    window.MapCommands().Menus()->CharsetItem(1251)->trigger();
    EXPECT_EQ(MapTextCodePage.load(), 1251);
    window.MapCommands().Menus()->autoItem->trigger(); // unchecks it
    window.close();
    EXPECT_EQ(RegReadInteger(QStringLiteral("MapCodePage")), 1251);
}

TEST_F(MainWindowSettingsTest, DrawGridIsReadAndWrittenBack) {
    {
        MainWindow window(services, &mapView);
        EXPECT_FALSE(window.MapCommands().Menus()->drawGridItem->isChecked());
        window.close();
        EXPECT_TRUE(RegValueExists(QStringLiteral("DrawGrid")));
        EXPECT_EQ(RegReadInteger(QStringLiteral("DrawGrid")), 0);
    }
    RegWriteInteger(QStringLiteral("DrawGrid"), 1);
    MainWindow window(services, &mapView);
    EXPECT_TRUE(window.MapCommands().Menus()->drawGridItem->isChecked());
    EXPECT_TRUE(mapView.DrawGrid());
    window.MapCommands().Menus()->drawGridItem->trigger();
    EXPECT_FALSE(mapView.DrawGrid());
    window.close();
    EXPECT_EQ(RegReadInteger(QStringLiteral("DrawGrid")), 0);
}

TEST_F(MainWindowSettingsTest, ReopenButtonsShowForStoredSources) {
    RegWriteString(QStringLiteral("Folder"), QStringLiteral("/somewhere"));
    RegWriteString(QStringLiteral("IsoFile"), QStringLiteral("/disc.iso"));
    MainWindow window(services, &mapView);
    window.show();
    EXPECT_FALSE(window.Opening().Page()->reopenDiskBtn->isVisible());
    EXPECT_TRUE(window.Opening().Page()->reopenFolderBtn->isVisible());
    EXPECT_FALSE(window.Opening().Page()->reopenFileBtn->isVisible());
    EXPECT_TRUE(window.Opening().Page()->reopenIsoBtn->isVisible());
}

TEST_F(MainWindowSettingsTest, StayOnTopSwitchesItsText) {
    MainWindow window(services, &mapView);
    window.show();
    window.Opening().StayOnTopBtnClick();
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.Opening().Page()->stayOnTopBtn->text(), QStringLiteral("Обычное окно"));
    window.Opening().StayOnTopBtnClick();
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.Opening().Page()->stayOnTopBtn->text(), QStringLiteral("Поверх окон"));
}

static int makerBeeps = 0;

TEST_F(MainWindowSettingsTest, TheMakerLabelAsksForAPasswordAndOnlyBeepsWhenConfirmed) {
    makerBeeps = 0;
    services.beep = [] { ++makerBeeps; };
    MainWindow window(services, &mapView);
    window.show();
    const auto clickMaker = [&] {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.Opening().Page()->makerLabel, &release);
    };
    clickMaker();
    EXPECT_EQ(texts.asked, QStringList{QStringLiteral("Password|Введите пароль:")});
    EXPECT_EQ(makerBeeps, 0);
    texts.answer = QStringLiteral("anything");
    clickMaker();
    EXPECT_EQ(texts.asked.size(), 2);
    EXPECT_EQ(makerBeeps, 1);
    EXPECT_TRUE(messenger.errors.isEmpty());
}

TEST_F(MainWindowSettingsTest, BottomRowIsPlacedFromTheTabsEdges) {
    MainWindow window(services, &mapView);
    window.show();
    OpenPage* page = window.Opening().Page();
    QPushButton* donate = page->donateBtn;
    EXPECT_EQ(donate->geometry().right() + 1, page->width() - 4);
    EXPECT_EQ(donate->geometry().bottom() + 1, page->height() - 4);
    EXPECT_EQ(page->stayOnTopBtn->y(), donate->y());
    EXPECT_EQ(page->stayOnTopBtn->geometry().right() + 1, donate->x() - 6);
    EXPECT_EQ(page->makerLabel->geometry().bottom() + 1, page->height() - 2);
    EXPECT_EQ(page->versionLabel->geometry().bottom() + 1, page->makerLabel->y() - 8);
}

TEST_F(MainWindowSettingsTest, TreeWidthRatioNeverDividesByAZeroWidth) {
    MainWindow window(services, &mapView);
    window.show();
    windowtest::tabsOf(window)->setTabVisible(
        windowtest::tabsOf(window)->indexOf(window.DataCommands().Page()), true);
    windowtest::tabsOf(window)->setCurrentWidget(window.DataCommands().Page());
    const int ratio = window.DataCommands().Presenter().TreeWidthRatio();
    EXPECT_EQ(ratio, MainWindow::kDefaultWidth * 10000 / DataPage::kInitialTreeWidth);
    window.DataCommands().Page()->splitter->setSizes({0, 800});
    emit window.DataCommands().Page()->splitter->splitterMoved(0, 1);
    EXPECT_EQ(window.DataCommands().Presenter().TreeWidthRatio(), ratio);
    window.resize(1000, 700);
    EXPECT_EQ(window.DataCommands().Presenter().TreeWidthRatio(), ratio);
    // The kept ratio places the tree again as the window is resized.
    EXPECT_NEAR(window.DataCommands().Page()->TreePanelWidth(), 1000 * 10000 / ratio, 2);
    window.DataCommands().Page()->SetTreePanelWidth(200);
    emit window.DataCommands().Page()->splitter->splitterMoved(0, 1);
    EXPECT_EQ(window.DataCommands().Presenter().TreeWidthRatio(), window.width() * 10000 / 200);
}

} // namespace
