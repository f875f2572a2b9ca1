// The hex viewer window as the main window sees it (the hex viewer's interface), its status panels,
// caption and commands' states, the clipboard copies read back offscreen, and find, find next, go to
// and define block answered by recording dialogs.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

#include "HexWindowTestSupport.h"
#include "hexview/HexViewerActions.h"
#include "hexview/HexWindowRules.h"
#include "hexview/model/HexBlockMimeData.h"
#include "platform/CodePage.h"

using namespace hexwindowtest;

namespace {

std::vector<uint8_t> bytesOf(const QByteArray& text) {
    return {text.begin(), text.end()};
}

QByteArray clipboardBinary() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data ? data->data(hexwindow::BinaryMimeType()) : QByteArray();
}

class HexViewerWindowTest : public HexWindowTest {
protected:
    HexViewerWindow window{services, dialogs};
    HexGrid& grid = *window.Grid();
};

TEST_F(HexViewerWindowTest, ActsAsTheMainWindowsHexViewer) {
    HexViewApi& api = window;
    EXPECT_EQ(api.DockPage(), &window);
    // Its picture marks the docked tab and the floating window.
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_FALSE(api.HasStream());
    api.SetStream(hextest::memoryStream(hextest::counting(100), "/disc/DATA/REGION1.KWI"), 0x20);
    EXPECT_TRUE(api.HasStream());
    EXPECT_EQ(grid.Cursor(), 0x20);
    // A window not yet docked floats: its caption carries the viewer's name; the first volume goes by
    // the set's name.
    EXPECT_EQ(window.windowTitle(), "Hex Viewer  REGION.KWI");
    EXPECT_EQ(window.PanelText(0), "Адрес  0x20");
    EXPECT_EQ(window.PanelText(1), "0x20 (32)");
    api.GotoOffset(0x63);
    EXPECT_EQ(window.PanelText(0), "Адрес  0x63");
    // Beyond the end: the last byte.
    api.GotoOffset(1000);
    EXPECT_EQ(grid.Cursor(), 99);
    api.SetCodePageName("WIN-1251");
    EXPECT_EQ(grid.Model().CharsetName(), "WIN-1251");
    api.SetDisplayCodePage(1251);
    EXPECT_EQ(grid.Model().DisplayCodePage(), 1251);

    api.Clear();
    EXPECT_FALSE(api.HasStream());
    EXPECT_EQ(window.PanelText(0), "");
    EXPECT_EQ(window.PanelText(1), "");
    EXPECT_FALSE(window.Actions().find->isEnabled());

    // A stream handed over is the viewer's alone and goes with Clear.
    auto owned = hextest::memoryStream(hextest::counting(10), "OWN.BIN");
    std::weak_ptr<TLN_Stream> watch = owned;
    api.SetOwnedStream(std::move(owned), 3);
    EXPECT_EQ(grid.Cursor(), 3);
    EXPECT_FALSE(watch.expired());
    api.Clear();
    EXPECT_TRUE(watch.expired());
}

TEST_F(HexViewerWindowTest, ToolBarAndContextMenuOfferTheirCommandsInOrder) {
    const HexViewerActions& a = window.Actions();
    QList<QAction*> bar;
    for (QAction* action : a.toolBar->actions())
        if (!action->isSeparator()) bar << action;
    EXPECT_EQ(bar, (QList<QAction*>{a.docking, a.copyBlock, a.fileCopy, a.find, a.findNext, a.goTo,
                                    a.defineBlock, a.setBegining, a.setEnd, a.selAll, a.clearBlock,
                                    a.gotoStartFile, a.gotoStartBlock, a.gotoEndBlock, a.gotoEndFile}));
    QList<QAction*> menu;
    for (QAction* action : a.popup->actions())
        if (!action->isSeparator()) menu << action;
    EXPECT_EQ(menu, (QList<QAction*>{a.copyBlock, a.copyAsHexText, a.fileCopy, a.find, a.findNext, a.goTo,
                                     a.defineBlock, a.setBegining, a.setEnd, a.selAll, a.clearBlock}));
    EXPECT_EQ(a.copyBlock->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(a.findNext->shortcut(), QKeySequence("F3"));
    for (QAction* action : window.actions())
        EXPECT_EQ(action->shortcutContext(), Qt::WidgetWithChildrenShortcut);
    // Floating, the docking button docks; docked, it floats.
    EXPECT_EQ(a.docking->toolTip(), "Открыть в главном окне");
}

TEST_F(HexViewerWindowTest, BlockPanelsAndCommandStatesFollowTheSelection) {
    window.SetStream(hextest::memoryStream(hextest::counting(0x100)), 0);
    const HexViewerActions& a = window.Actions();
    EXPECT_FALSE(a.copyBlock->isEnabled());
    EXPECT_FALSE(a.fileCopy->isEnabled());
    EXPECT_TRUE(a.find->isEnabled());
    EXPECT_TRUE(a.selAll->isEnabled());
    grid.SetBlock(true, 0x10, 0x1F);
    EXPECT_EQ(window.PanelText(2), "Блок  0x10 - 0x1F");
    EXPECT_EQ(window.PanelText(3), "Размер  0x10 (16)");
    for (QAction* action :
         {a.copyBlock, a.copyAsHexText, a.fileCopy, a.clearBlock, a.gotoStartBlock, a.gotoEndBlock})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    a.gotoEndBlock->trigger();
    EXPECT_EQ(grid.Cursor(), 0x1F);
    a.gotoStartFile->trigger();
    EXPECT_EQ(grid.Cursor(), 0);
    a.gotoEndFile->trigger();
    EXPECT_EQ(grid.Cursor(), 0xFF);
    a.clearBlock->trigger();
    EXPECT_EQ(window.PanelText(2), "");
    EXPECT_EQ(window.PanelText(3), "");
    EXPECT_FALSE(a.copyBlock->isEnabled());
    a.selAll->trigger();
    EXPECT_EQ(window.PanelText(3), "Размер  0x0100 (256)");
}

TEST_F(HexViewerWindowTest, StatusPanelsAreWideEnoughForWhatTheyShow) {
    // Long values in every panel: an address, a byte and a block of six hex digits, a size of five
    // decimal digits.
    std::vector<uint8_t> bytes(0x10220, 0xD0);
    window.SetStream(hextest::memoryStream(bytes), 0x10000);
    grid.SelectAll();
    const QStringList panelTexts{"Адрес  0x010000", "0xD0 (208)", "Блок  0x00 - 0x01021F",
                                 "Размер  0x010220 (66080)"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(window.PanelText(i), panelTexts[i]);
        const QList<QLabel*> labels = window.findChildren<QLabel*>();
        const auto label =
            std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == panelTexts[i]; });
        ASSERT_NE(label, labels.end()) << i;
        EXPECT_GE((*label)->contentsRect().width() - std::max(0, (*label)->indent()),
                  (*label)->fontMetrics().horizontalAdvance(panelTexts[i]))
            << panelTexts[i].toStdString();
    }
    // A short text leaves a panel at its own width.
    grid.SetBlock(true, 1, 1);
    EXPECT_EQ(window.PanelText(3), "Размер  0x01 (1)");
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text() == "Размер  0x01 (1)") {
            EXPECT_EQ(label->width(), 150);
        }
    }
}

TEST_F(HexViewerWindowTest, AReadErrorDuringASearchIsShownWithItsReason) {
    window.SetStream(std::make_shared<hextest::FailingStream>(100), 0);
    dialogs.findAnswers.push_back(hexSearch("KIWI"));
    window.FindCommand();
    EXPECT_EQ(messenger.errors, QStringList{"Поиск прерван: ошибка чтения.\nFile read error!"});
    // Not "not found": no completion balloon, and Find next tries the same bytes again.
    EXPECT_FALSE(grid.BalloonVisible());
    EXPECT_EQ(window.LastSearch().lastHit, -2);
    window.FindNext();
    EXPECT_EQ(messenger.errors.size(), 2);
}

TEST_F(HexViewerWindowTest, AnEmptyStreamOffersNothingThatWouldGoToOffsetMinusOne) {
    window.SetStream(hextest::memoryStream({}), 0);
    const HexViewerActions& a = window.Actions();
    for (QAction* action :
         {a.find, a.findNext, a.goTo, a.defineBlock, a.selAll, a.gotoStartFile, a.gotoEndFile})
        EXPECT_FALSE(action->isEnabled()) << action->toolTip().toStdString();
    window.GoToCommand();
    window.DefineBlockCommand();
    EXPECT_TRUE(dialogs.gotoSizes.empty());
    EXPECT_TRUE(dialogs.blockSetups.empty());
}

TEST_F(HexViewerWindowTest, BinaryCopyIsReadOnlyWhenPastedAndOnlyWhileTheStreamLives) {
    auto stream = hextest::memoryStream(hextest::counting(0x300));
    window.SetStream(stream, 0);
    grid.SetBlock(true, 0x100, 0x1FF);
    window.CopyBlock();
    const auto* mime = qobject_cast<const HexBlockMimeData*>(QApplication::clipboard()->mimeData());
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->Renders(), 0);
    EXPECT_EQ(grid.BalloonText(), "Скопировано в буфер обмена:\n1) Бинарные данные 0x0100 байт.");
    EXPECT_TRUE(mime->formats().contains(hexwindow::BinaryMimeType()));
    const QByteArray pasted = clipboardBinary();
    ASSERT_EQ(pasted.size(), 0x100);
    for (int i = 0; i < pasted.size(); ++i)
        ASSERT_EQ(uint8_t(pasted[i]), uint8_t(i)) << i;
    EXPECT_EQ(mime->Renders(), 1);
    EXPECT_EQ(grid.BalloonText(), "Буфер обмена:\nКопирование данных . . .");

    // Once the stream is gone nothing is pasted, rather than another stream's bytes.
    window.Clear();
    stream.reset();
    EXPECT_TRUE(clipboardBinary().isEmpty());
}

TEST_F(HexViewerWindowTest, BinaryCopyRefusesMoreThanItsLimit) {
    QApplication::clipboard()->setText("before");
    window.SetStream(std::make_shared<hextest::HugeZeroStream>(int64_t(0x6000000)), 0);
    grid.SetBlock(true, 0, hexwindow::kMaxBinaryCopy);
    window.CopyBlock();
    EXPECT_EQ(messenger.errors, QStringList{"Слишком большой размер данных !!!"});
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    // The largest block allowed is announced (and not read).
    grid.SetBlock(true, 1, hexwindow::kMaxBinaryCopy);
    window.CopyBlock();
    EXPECT_EQ(messenger.errors.size(), 1);
    EXPECT_NE(qobject_cast<const HexBlockMimeData*>(QApplication::clipboard()->mimeData()), nullptr);
}

TEST_F(HexViewerWindowTest, TextCopyIsCutTo2040BytesWithAWarningAndCarriesTheBinaryToo) {
    std::vector<uint8_t> bytes(3000, 'A');
    bytes[5] = 0;
    window.SetStream(hextest::memoryStream(bytes), 0);
    window.SetDisplayCodePage(1252);
    grid.SetBlock(false, 0, 2999);
    window.CopyBlock();
    EXPECT_EQ(messenger.information, QStringList{"Слишком большой размер текста !!!\nТекст будет сокращён."});
    EXPECT_EQ(grid.BalloonText(), "Скопировано в буфер обмена:\n1) Текстовые даннын 0x07F8 байт.\n"
                                  "2) Бинарные данные 0x07F8 байт.");
    const QString text = QApplication::clipboard()->text();
    ASSERT_EQ(text.size(), 2040);
    // A NUL would end the text for many programs: it becomes a blank.
    EXPECT_EQ(text.left(7), "AAAAA A");
    EXPECT_EQ(clipboardBinary().size(), 2040);
}

TEST_F(HexViewerWindowTest, TextCopyDecodesTheDisplayCodePage) {
    const QByteArray cp1251 = encodeToCodePage(QStringLiteral("Привет"), 1251);
    window.SetStream(hextest::memoryStream(bytesOf(cp1251)), 0);
    window.SetDisplayCodePage(1251);
    grid.SetBlock(false, 0, cp1251.size() - 1);
    window.CopyBlock();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Привет"));
    EXPECT_TRUE(messenger.information.isEmpty());
}

TEST_F(HexViewerWindowTest, Utf8TextCopyNeverSplitsACharacterAndReportsInvalidBytes) {
    // 2039 ASCII bytes and a two-byte letter across the limit: the letter is left out, not garbled.
    QByteArray utf8(2039, 'x');
    utf8 += QStringLiteral("Ж").toUtf8();
    window.SetStream(hextest::memoryStream(bytesOf(utf8)), 0);
    window.SetDisplayCodePage(65001);
    grid.SetBlock(false, 0, utf8.size() - 1);
    window.CopyBlock();
    EXPECT_EQ(QApplication::clipboard()->text(), QString(2039, 'x'));
    EXPECT_TRUE(messenger.errors.isEmpty());

    window.SetStream(hextest::memoryStream({'a', 0xFF, 0xFE, 'b'}, "BAD.BIN"), 0);
    grid.SetBlock(false, 0, 3);
    window.CopyBlock();
    EXPECT_EQ(messenger.errors,
              QStringList{"Конвертация UTF-8 невозможна !!!\nТекст содержит недопустимые символы."});
}

TEST_F(HexViewerWindowTest, HexTextCopyAndItsLimit) {
    window.SetStream(hextest::memoryStream({0x00, 0x0A, 0xFF}), 0);
    grid.SetBlock(true, 0, 1);
    window.CopyAsHexText();
    EXPECT_EQ(QApplication::clipboard()->text(), "00 0A ");
    EXPECT_EQ(grid.BalloonText(), "Скопировано в буфер обмена:\n1) Текстовые данные 0x02 байт.");

    window.SetStream(std::make_shared<hextest::HugeZeroStream>(int64_t(0x1000000)), 0);
    grid.SetBlock(true, 0, hexwindow::kMaxHexTextCopy);
    window.CopyAsHexText();
    EXPECT_EQ(messenger.errors, QStringList{"Слишком большой размер НЕХ текста !!!"});
    EXPECT_EQ(QApplication::clipboard()->text(), "00 0A ");
}

TEST_F(HexViewerWindowTest, ReadErrorsOfACopyAreShown) {
    window.SetStream(std::make_shared<hextest::FailingStream>(100), 0);
    grid.SetBlock(true, 0, 9);
    window.CopyAsHexText();
    EXPECT_EQ(messenger.errors, QStringList{"File read error!"});
}

TEST_F(HexViewerWindowTest, ClipboardFormatsAreListedWithTheirSizes) {
    window.SetStream(hextest::memoryStream(hextest::counting(0x40)), 0);
    grid.SetBlock(true, 0, 0x3F);
    window.CopyBlock();
    window.ShowClipboardFormats();
    ASSERT_EQ(messenger.information.size(), 1);
    EXPECT_TRUE(messenger.information[0].startsWith("Clipboard formats :\n1    " +
                                                    hexwindow::BinaryMimeType() + "   00000040\n"))
        << messenger.information[0].toStdString();
}

TEST_F(HexViewerWindowTest, FindAndFindNextWalkThroughEveryHit) {
    std::vector<uint8_t> bytes(4000, 0);
    for (const size_t at : {size_t(0), size_t(100), size_t(2500)})
        std::memcpy(bytes.data() + at, "KIWI", 4);
    window.SetStream(hextest::memoryStream(bytes), 50);
    window.SetCodePageName("OEM-866");

    // Find next before any search only beeps.
    int beeps = 0;
    static int* counter = nullptr;
    counter = &beeps;
    services.beep = [] { ++*counter; };
    HexViewerWindow beeping(services, dialogs);
    beeping.SetStream(hextest::memoryStream(bytes), 0);
    beeping.FindNext();
    EXPECT_EQ(beeps, 1);

    dialogs.findAnswers.push_back(hexSearch("KIWI"));
    window.Actions().find->trigger();
    ASSERT_EQ(dialogs.findSetups.size(), 1u);
    EXPECT_EQ(dialogs.findSetups[0].codePageName, "OEM-866");
    EXPECT_FALSE(dialogs.findSetups[0].hasBlock);
    // A hit at offset 0 is a hit.
    EXPECT_EQ(window.LastSearch().lastHit, 0);
    EXPECT_EQ(grid.Cursor(), 0);
    window.FindNext();
    EXPECT_EQ(window.LastSearch().lastHit, 100);
    EXPECT_EQ(grid.Cursor(), 100);
    window.FindNext();
    EXPECT_EQ(window.LastSearch().lastHit, 2500);
    window.FindNext();
    EXPECT_EQ(window.LastSearch().lastHit, -1);
    EXPECT_EQ(grid.BalloonText(), "Поиск завершен");
    // The cursor has not moved: the range after it was searched in vain, so only a beep comes.
    services.beep = nullptr;
    window.FindNext();
    EXPECT_EQ(window.LastSearch().lastHit, -1);
}

TEST_F(HexViewerWindowTest, ABlockSearchTakesInTheBlocksLastByte) {
    std::vector<uint8_t> bytes(300, 0);
    std::memcpy(bytes.data() + 196, "ABCD", 4);
    window.SetStream(hextest::memoryStream(bytes), 0);
    // The pattern fills the block's last four bytes, end included.
    grid.SetBlock(true, 150, 199);
    dialogs.findAnswers.push_back(hexSearch("ABCD", SearchInfo::InBlock));
    window.FindCommand();
    EXPECT_TRUE(dialogs.findSetups.back().hasBlock);
    EXPECT_EQ(window.LastSearch().start, 150);
    EXPECT_EQ(window.LastSearch().end, 200);
    EXPECT_EQ(window.LastSearch().lastHit, 196);
}

TEST_F(HexViewerWindowTest, ACancelledFindSearchesNothing) {
    window.SetStream(hextest::memoryStream(hextest::counting(100)), 0);
    window.FindCommand();
    EXPECT_EQ(dialogs.findSetups.size(), 1u);
    EXPECT_EQ(window.LastSearch().lastHit, -2);
    EXPECT_FALSE(grid.Searching());
}

TEST_F(HexViewerWindowTest, GoToAndDefineBlockUseTheDialogsAnswers) {
    window.SetStream(hextest::memoryStream(hextest::counting(100)), 7);
    dialogs.gotoAnswer = 0x42;
    window.Actions().goTo->trigger();
    EXPECT_EQ(dialogs.gotoSizes, std::vector<int64_t>{100});
    EXPECT_EQ(grid.Cursor(), 0x42);

    dialogs.blockAnswer = BlockRange{10, 20};
    window.Actions().defineBlock->trigger();
    ASSERT_EQ(dialogs.blockSetups.size(), 1u);
    // Without a block the dialog starts at the cursor.
    EXPECT_EQ(dialogs.blockSetups[0].start, 0x42);
    EXPECT_EQ(dialogs.blockSetups[0].streamSize, 100);
    EXPECT_EQ(grid.BlockStart(), 10);
    EXPECT_EQ(grid.BlockEnd(), 20);
    EXPECT_TRUE(grid.SelectionInHex());
    window.DefineBlockCommand();
    EXPECT_EQ(dialogs.blockSetups[1].start, 10);
    EXPECT_EQ(dialogs.blockSetups[1].end, 20);
    // Floating, the dialogs sit over the viewer's own window.
    EXPECT_EQ(dialogs.parents.back(), &window);
}

TEST_F(HexViewerWindowTest, ShortcutsWorkOnlyWhileTheFocusIsInTheViewer) {
    QTabWidget tabs;
    auto* other = new QWidget;
    auto* edit = new QLineEdit("some text", other);
    (new QVBoxLayout(other))->addWidget(edit);
    tabs.addTab(other, "Data");
    tabs.addTab(&window, "Hex");
    window.SetStream(hextest::memoryStream(hextest::counting(64)), 0);
    tabs.resize(900, 600);
    tabs.show();
    QApplication::setActiveWindow(&tabs);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tabs));
    edit->setFocus();
    edit->deselect();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    // Ctrl+A went to the line edit, not to the viewer on the other tab.
    EXPECT_EQ(edit->selectedText(), "some text");
    EXPECT_FALSE(grid.HasBlock());

    tabs.setCurrentWidget(&window);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid.BlockStart(), 0);
    EXPECT_EQ(grid.BlockEnd(), 63);
    QTest::keyClick(&grid, Qt::Key_F3);
    EXPECT_TRUE(dialogs.findSetups.empty());
    QTest::keyClick(&grid, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(dialogs.findSetups.size(), 1u);
    // The hidden list of clipboard formats.
    QTest::keyClick(&grid, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(messenger.information.size(), 1);
    EXPECT_TRUE(messenger.information[0].startsWith("Clipboard formats :\n"));
    tabs.removeTab(1);
    window.setParent(nullptr);
}

} // namespace
