// The find dialog driven through its widgets: texts, the zones offered, typing rules, the odd-length
// question, bad input, histories in the box, and cancelling.
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "hexview/dialogs/FindDialog.h"

using namespace hexdialogstest;

namespace {

class FindDialogTest : public DialogTest {
protected:
    FindSetup setup(bool hasBlock = false, int codePage = 1251) {
        FindSetup s;
        s.codePage = codePage;
        s.codePageName = "WIN";
        s.hasBlock = hasBlock;
        return s;
    }
    void type(FindDialog& dialog, const QString& text) {
        dialog.PatternBox()->lineEdit()->clear();
        QTest::keyClicks(dialog.PatternBox(), text);
    }
};

} // namespace

TEST_F(FindDialogTest, ShowsTheViewersTexts) {
    FindDialog dialog(setup(true), settings.Store(), prompts.Prompts());
    EXPECT_EQ(dialog.windowTitle(), "Поиск . . .");
    EXPECT_EQ(dialog.CaseBox()->text(), "С учетом регистра");
    EXPECT_EQ(dialog.Functions()->button(0)->text(), "Hex");
    EXPECT_EQ(dialog.Functions()->button(1)->text(), "Текст WIN");
    EXPECT_EQ(dialog.Zones()->button(0)->text(), "Весь файл");
    EXPECT_EQ(dialog.Zones()->button(1)->text(), "С текущей позиции");
    EXPECT_EQ(dialog.Zones()->button(2)->text(), "В выделенном блоке");
    EXPECT_EQ(dialog.Directions()->button(0)->text(), "Вверх");
    EXPECT_EQ(dialog.Directions()->button(1)->text(), "Вниз");
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
    EXPECT_EQ(dialog.CancelButton()->text(), "Отмена");
    EXPECT_EQ(dialog.PatternBox()->lineEdit()->maxLength(), 48);
}

TEST_F(FindDialogTest, TheBlockZoneOnlyWithABlockAndNeverUpward) {
    FindDialog withBlock(setup(true), settings.Store(), prompts.Prompts());
    EXPECT_EQ(withBlock.Zones()->buttons().size(), 3);
    FindDialog dialog(setup(false), settings.Store(), prompts.Prompts());
    EXPECT_EQ(dialog.Zones()->buttons().size(), 2);
    EXPECT_EQ(dialog.Zones()->checkedId(), SearchInfo::WholeFile);
    EXPECT_FALSE(dialog.Directions()->button(SearchInfo::Up)->isEnabled());
    EXPECT_TRUE(dialog.Directions()->button(SearchInfo::Down)->isChecked());
}

TEST_F(FindDialogTest, TypingAbcAndEnterAsksThenSearchesTwoBytes) {
    FindDialog dialog(setup(), settings.Store(), prompts.Prompts());
    dialog.show();
    type(dialog, "abc");
    EXPECT_EQ(dialog.PatternBox()->currentText(), "ABC");
    QTest::keyClick(dialog.PatternBox(), Qt::Key_Return);
    EXPECT_EQ(prompts.questions, QStringList{"Search for 0 x 0ABC ?"});
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(dialog.Result());
    EXPECT_EQ(dialog.Result()->pattern, QByteArray("\x0A\xBC", 2));
    EXPECT_EQ(dialog.Result()->type, SearchInfo::Hex);
    EXPECT_EQ(settings.Binary("HexCash"), QByteArray("0ABC\r\n"));
}

TEST_F(FindDialogTest, BadHexBeepsWhileTypingAndTurnsRedOnOk) {
    FindDialog dialog(setup(), settings.Store(), prompts.Prompts());
    dialog.show();
    type(dialog, "A");
    EXPECT_EQ(prompts.beeps, 0);
    QTest::keyClick(dialog.PatternBox(), Qt::Key_Space);
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_FALSE(dialog.PatternBox()->MarkedBad());
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_TRUE(dialog.PatternBox()->MarkedBad());
    EXPECT_EQ(boxColor(dialog.PatternBox()), HexInputCombo::BadColor());
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    // Mending the text gives the box its normal colour again.
    QTest::keyClick(dialog.PatternBox(), Qt::Key_Backspace);
    EXPECT_FALSE(dialog.PatternBox()->MarkedBad());
    EXPECT_NE(boxColor(dialog.PatternBox()), HexInputCombo::BadColor());
}

TEST_F(FindDialogTest, TextModeShowsTheCaseBoxAndTypesAsTheCaseSays) {
    FindDialog dialog(setup(), settings.Store(), prompts.Prompts());
    dialog.show();
    EXPECT_FALSE(dialog.CaseBox()->isVisible());
    QTest::mouseClick(dialog.Functions()->button(1), Qt::LeftButton);
    EXPECT_TRUE(dialog.CaseBox()->isVisible());
    type(dialog, "ab");
    EXPECT_EQ(dialog.PatternBox()->currentText(), "AB");
    QTest::mouseClick(dialog.CaseBox(), Qt::LeftButton);
    ASSERT_TRUE(dialog.CaseBox()->isChecked());
    QTest::keyClicks(dialog.PatternBox(), "cd");
    EXPECT_EQ(dialog.PatternBox()->currentText(), "ABcd");
    // Text mode has no check while typing.
    QTest::keyClick(dialog.PatternBox(), Qt::Key_Space);
    EXPECT_EQ(prompts.beeps, 0);
    QTest::keyClick(dialog.PatternBox(), Qt::Key_Return);
    ASSERT_TRUE(dialog.Result());
    EXPECT_EQ(dialog.Result()->pattern, QByteArray("ABcd "));
    EXPECT_TRUE(dialog.Result()->matchCase);
    EXPECT_EQ(dialog.Result()->type, SearchInfo::Text);
    EXPECT_EQ(settings.Integer("FindFunction"), 1);
    EXPECT_EQ(settings.Integer("MatchCase"), 1);
}

TEST_F(FindDialogTest, Utf8DataChecksAndLocksTheCaseBox) {
    SettingsStore store = settings.Store();
    store.write("FindFunction", int32_t(1));
    FindDialog dialog(setup(false, 65001), settings.Store(), prompts.Prompts());
    EXPECT_TRUE(dialog.CaseBox()->isChecked());
    EXPECT_FALSE(dialog.CaseBox()->isEnabled());
    EXPECT_FALSE(dialog.PatternBox()->UpperCase());
}

TEST_F(FindDialogTest, EachFunctionOffersItsOwnHistory) {
    SettingsStore store = settings.Store();
    store.write("HexCash", QByteArray("0ABC\r\nFF\r\n"));
    store.write("HexCashSize", int32_t(10));
    store.write("TextCash", QByteArray("word\r\n"));
    store.write("TextCashSize", int32_t(6));
    FindDialog dialog(setup(), settings.Store(), prompts.Prompts());
    EXPECT_EQ(dialog.PatternBox()->count(), 2);
    EXPECT_EQ(dialog.PatternBox()->currentText(), "0ABC");
    dialog.Functions()->button(1)->click();
    EXPECT_EQ(dialog.PatternBox()->count(), 1);
    // While case does not matter the box shows upper case, whatever it is given.
    EXPECT_EQ(dialog.PatternBox()->currentText(), "WORD");
    dialog.Functions()->button(0)->click();
    EXPECT_EQ(dialog.PatternBox()->itemText(1), "FF");

    store.write("MatchCase", int32_t(1));
    FindDialog matching(setup(), settings.Store(), prompts.Prompts());
    matching.Functions()->button(1)->click();
    EXPECT_EQ(matching.PatternBox()->currentText(), "word");
}

TEST_F(FindDialogTest, CancelAnswersNothingAndStoresNothing) {
    FindDialog dialog(setup(), settings.Store(), prompts.Prompts());
    dialog.show();
    type(dialog, "0A");
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.Result());
    EXPECT_FALSE(settings.Has("HexCash"));
}
