// The hex viewer in the real main window on UTF-8 map text: the grid's characters (two-byte letters across
// a row's end too) and a text search typed in Russian, both in the map text code page the main window
// hands over, and a change of that code page reaching the grid.
#include <QAction>
#include <QTemporaryDir>

#include "HexWindowTestSupport.h"
#include "hexview/dialogs/model/FindDialogModel.h"
#include "kiwi/core/MapCodePage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/WindowMenus.h"

using namespace hexwindowtest;

namespace {

class HexViewerCodePageTest : public HexWindowTest {
protected:
    HexViewerCodePageTest() { main.SetHexViewer(&hexWindow); }
    ~HexViewerCodePageTest() override { StoreMapCodePages(MapCodePagePair{}); }

    // What the find dialog makes of text typed in the code page the viewer gave it.
    std::optional<SearchInfo> typed(const QString& text, int codePage) {
        FindDialogModel model(SettingsStore(settingsDir.path() + "/settings.txt"), codePage);
        FindDialogModel::Input input;
        input.text = text;
        input.function = FindDialogModel::TextFunction;
        input.matchCase = true;
        const FindDialogModel::Outcome outcome = model.Submit(input, [](const QString&) { return true; });
        if (outcome.verdict != FindDialogModel::Verdict::Accepted) return std::nullopt;
        return outcome.info;
    }

    QTemporaryDir settingsDir;
    HexViewerWindow hexWindow{services, dialogs};
    MainWindow main{services, &mapView};
    HexGrid& grid = *hexWindow.Grid();
};

TEST_F(HexViewerCodePageTest, Utf8StreetNamesShowAndAreFoundInTheMapTextCodePage) {
    // "Заречье" from offset 13: "З" at 13-14, "а" at 15-16 across the first row's end, "р" at 17-18.
    const QByteArray name = QStringLiteral("Заречье").toUtf8();
    std::vector<uint8_t> bytes(64, '.');
    std::copy(name.begin(), name.end(), bytes.begin() + 13);
    hexWindow.SetStream(hextest::memoryStream(bytes, "ALLDATA.KWI"), 0);
    ASSERT_EQ(grid.Model().DisplayCodePage(), 65001);
    const HexRow& first = grid.Model().Row(0);
    EXPECT_EQ(first.chars[12], u'.');
    EXPECT_EQ(first.chars[13], u'З');
    EXPECT_EQ(first.chars[14], 0);
    EXPECT_EQ(first.chars[15], u'а');
    const HexRow& second = grid.Model().Row(1);
    EXPECT_EQ(second.chars[0], 0);
    EXPECT_EQ(second.chars[1], u'р');
    EXPECT_EQ(second.chars[3], u'е');

    // The find dialog is set up for UTF-8: the Russian text is accepted as its UTF-8 bytes and found.
    hexWindow.FindCommand();
    ASSERT_EQ(dialogs.findSetups.size(), 1u);
    EXPECT_EQ(dialogs.findSetups[0].codePage, 65001);
    const std::optional<SearchInfo> info = typed(QStringLiteral("Заречье"), dialogs.findSetups[0].codePage);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pattern, name);
    dialogs.findAnswers.push_back(info);
    hexWindow.FindCommand();
    EXPECT_EQ(hexWindow.LastSearch().lastHit, 13);
    EXPECT_EQ(grid.Model().FoundEnd(), 13 + name.size() - 1);
    // "речь" starts inside the second row.
    dialogs.findAnswers.push_back(typed(QStringLiteral("речь"), 65001));
    hexWindow.FindCommand();
    EXPECT_EQ(hexWindow.LastSearch().lastHit, 17);
}

TEST_F(HexViewerCodePageTest, AnotherMapTextCodePageReachesTheGrid) {
    // "Заречье" in ISO 8859-5 shows as itself once that is the map text code page, byte by byte.
    std::vector<uint8_t> bytes{0xB7, 0xD0, 0xE0, 0xD5, 0xE7, 0xEC, 0xD5};
    hexWindow.SetStream(hextest::memoryStream(bytes, "ALLDATA.KWI"), 0);
    main.MapCommands().Menus()->CharsetItem(28595)->trigger();
    EXPECT_EQ(grid.Model().DisplayCodePage(), 28595);
    const HexRow& row = grid.Model().Row(0);
    EXPECT_EQ(QString(reinterpret_cast<const QChar*>(row.chars), 7), QStringLiteral("Заречье"));
    main.MapCommands().Menus()->CharsetItem(65001)->trigger();
    EXPECT_EQ(grid.Model().DisplayCodePage(), 65001);
}

} // namespace
