// The main window's flat controls: the map's hint worded by the point under the cursor and shown in the flat
// hint window (the framework's tooltip staying silent), and the picture buttons keeping their names and
// their click handlers.
#include <QHelpEvent>
#include <QTabWidget>
#include <QToolTip>

#include "WindowTestSupport.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/OpenPage.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatHint.h"

namespace {

using windowtest::WindowTest;

// A map view widget that remembers where its hint was asked for.
class PointedMapView : public MapViewPlaceholder {
public:
    std::optional<QString> HintTextAt(QPoint client) const override {
        asked.push_back(client);
        return MapViewPlaceholder::HintTextAt(client);
    }
    mutable std::vector<QPoint> asked;
};

class FlatLookTest : public WindowTest {
protected:
    FlatLookTest() {
        window.show();
        windowtest::tabsOf(window)->setCurrentWidget(window.MapCommands().Page());
    }
    // Asks for the map's hint the way the framework does when the mouse rests at `at` over the view.
    void restAt(QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, view->mapToGlobal(at));
        QCoreApplication::sendEvent(view, &event);
    }

    // The Map tab takes the view into its layout, so the window deletes it.
    PointedMapView* view = new PointedMapView();
    MainWindow window{services, view};
};

TEST_F(FlatLookTest, MapHintShowsInTheFlatHintWindow) {
    view->SetHint(QStringLiteral("Level: 2\n\rParcel: 7"));
    restAt(QPoint(30, 40));
    FlatHint* hint = window.MapCommands().Hint();
    ASSERT_NE(hint, nullptr);
    ASSERT_FALSE(view->asked.empty());
    EXPECT_EQ(view->asked.back(), QPoint(30, 40));
    EXPECT_TRUE(hint->Window()->isVisible());
    EXPECT_EQ(hint->Window()->Text(), "Level: 2\nParcel: 7");
    EXPECT_EQ(hint->HintControl(), view);
    EXPECT_FALSE(QToolTip::isVisible());

    // Where the view has nothing to say the hint goes away, and no tooltip takes its place.
    view->SetHint(std::nullopt);
    restAt(QPoint(31, 41));
    EXPECT_FALSE(hint->Window()->isVisible());
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(FlatLookTest, HintOfAnotherControlKeepsItsOwnText) {
    view->SetHint(QStringLiteral("Level: 2"));
    FlatButton* settings = window.MapCommands().Page()->settingsBtn;
    ASSERT_TRUE(window.MapCommands().Hint()->ShowHintFor(settings, settings->mapToGlobal(QPoint(2, 2))));
    EXPECT_EQ(window.MapCommands().Hint()->Window()->Text(), QStringLiteral("Меню настройки"));
    EXPECT_TRUE(view->asked.empty());
}

TEST_F(FlatLookTest, PictureButtonsAreNamedAndCarryAPicture) {
    const struct {
        FlatButton* button;
        const char* name;
    } buttons[] = {
        {window.Opening().Page()->reopenDiskBtn, "Reopen disk"},
        {window.Opening().Page()->reopenFolderBtn, "Reopen folder"},
        {window.Opening().Page()->reopenFileBtn, "Reopen file"},
        {window.Opening().Page()->reopenIsoBtn, "Reopen ISO image"},
        {window.MapCommands().Page()->settingsBtn, "Map settings"},
        {window.MapCommands().Page()->zoomInButton, "Zoom in"},
        {window.MapCommands().Page()->zoomOutButton, "Zoom out"},
        {window.DataCommands().Page()->playSpeedBtn, "Play"},
        {window.DataCommands().Page()->stopSpeedBtn, "Stop"},
        {window.DataCommands().Page()->dbSettingsBtn1, "Table settings"},
    };
    for (const auto& entry : buttons) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(entry.button->accessibleName(), QString::fromLatin1(entry.name));
        EXPECT_TRUE(entry.button->text().isEmpty());
        // A picture wider than the button's smallest size would be cut.
        EXPECT_GE(entry.button->sizeHint().width(), 25);
        EXPECT_GE(entry.button->sizeHint().height(), 16 + 8);
    }
}

TEST_F(FlatLookTest, ReopenButtonsWithNothingToReopenAskForASource) {
    // Without a remembered source each reopen button falls back to its open button's dialog.
    for (FlatButton* button :
         {window.Opening().Page()->reopenDiskBtn, window.Opening().Page()->reopenFolderBtn,
          window.Opening().Page()->reopenFileBtn, window.Opening().Page()->reopenIsoBtn}) {
        button->setVisible(true);
        button->click();
    }
    std::vector<std::string> kinds;
    for (const auto& call : paths.calls)
        kinds.push_back(call.kind);
    EXPECT_EQ(kinds, (std::vector<std::string>{"disk", "folder", "file", "file"}));
    EXPECT_TRUE(messenger.errors.isEmpty());
}

TEST_F(FlatLookTest, NotFocusedReopenButtonShowsThePageUnlessHovered) {
    FlatButton* reopen = window.Opening().Page()->reopenDiskBtn;
    windowtest::tabsOf(window)->setCurrentWidget(window.Opening().Page());
    reopen->setVisible(true);
    // A pixel inside the frame and above the picture, as the page paints it with the button on it.
    auto inside = [&] {
        return window.Opening().Page()->grab(reopen->geometry()).toImage().pixelColor(reopen->width() / 2, 2);
    };
    EXPECT_EQ(inside(), window.Opening().Page()->palette().color(QPalette::Window));
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), reopen->mapToGlobal(QPointF(3, 3)));
    QCoreApplication::sendEvent(reopen, &enter);
    ASSERT_TRUE(reopen->Hovered());
    EXPECT_EQ(inside(), flat::toQColor(reopen->ColorFocused()));
}

} // namespace
