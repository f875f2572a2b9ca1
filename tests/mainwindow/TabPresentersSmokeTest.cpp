// One check per tab that its widgets follow its presenter: what the presenter holds after a change is what
// the tab's widgets show, without the window being asked.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

#include "WindowTestSupport.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/ReopenLabel.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "widgets/flat/FlatButton.h"

namespace {

using windowtest::WindowTest;

class TabPresentersSmokeTest : public WindowTest {
protected:
    TabPresentersSmokeTest() { window.show(); }
    MainWindow window{services, &mapView};
};

TEST_F(TabPresentersSmokeTest, OpenTabFollowsItsPresenter) {
    OpenTabPresenter& presenter = window.Opening().Presenter();
    OpenPage* page = window.Opening().Page();
    EXPECT_FALSE(page->reopenIsoBtn->isVisible());
    presenter.Opened(OpenTabPresenter::Source::Iso, path("map.iso"));
    presenter.Opened(OpenTabPresenter::Source::Folder, path("disc"));
    EXPECT_TRUE(page->reopenIsoBtn->isVisible());
    EXPECT_TRUE(page->reopenFolderBtn->isVisible());
    EXPECT_FALSE(page->reopenFileBtn->isVisible());

    presenter.ShowAllLabels();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(page->reopenLabels[size_t(i)]->isVisible(), presenter.Label(i).visible) << i;
        EXPECT_EQ(page->reopenLabels[size_t(i)]->text(), presenter.Label(i).text) << i;
        EXPECT_EQ(page->reopenLabels[size_t(i)]->toolTip(), presenter.LabelToolTip(i)) << i;
    }
    EXPECT_EQ(page->reopenLabels[1]->toolTip(), path("map.iso"));

    presenter.SetConverterAvailable(true);
    presenter.SetOpenMap(true, false);
    EXPECT_FALSE(page->wizardBtn->isEnabled());
    presenter.SetOpenMap(true, true);
    EXPECT_TRUE(page->wizardBtn->isEnabled());
}

TEST_F(TabPresentersSmokeTest, DataTabFollowsItsPresenter) {
    DataTabPresenter& presenter = window.DataCommands().Presenter();
    DataPage* page = window.DataCommands().Page();
    presenter.SetLanguages({"rus", "eng"});
    EXPECT_EQ(window.MapCommands().Menus()->languageMenu->actions().size(), 2);
    presenter.ChooseLanguage(1);
    for (FlatButton* button : {page->langBtn1, page->langBtn2}) {
        EXPECT_TRUE(button->isEnabled());
        EXPECT_EQ(button->text(), presenter.LanguageButtonText());
    }
    presenter.ResetLanguages();
    EXPECT_FALSE(page->langBtn2->isEnabled());
    EXPECT_EQ(page->langBtn2->text(), "ENG");
    EXPECT_EQ(window.MapCommands().Menus()->languageMenu->actions().size(), 1);
}

TEST_F(TabPresentersSmokeTest, MapTabFollowsItsPresenter) {
    window.MapCommands().Presenter().SetCodePageName(QStringLiteral("CP1251"));
    EXPECT_EQ(window.MapCommands().Page()->panels[MapTabPresenter::kCodePagePanel]->text(),
              QStringLiteral("CP1251"));
}

} // namespace
