// The charset menu's code pages: what each sets as the text and display code pages, the font charset and
// font item that go with them, the font menu's table, and the automatic choice by system code.
#include <gtest/gtest.h>

#include "kiwi/core/MapCodePage.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "support/fixtures/QtPrinting.h"

namespace {

class MapCodePageChoiceTest : public ::testing::Test {
protected:
    void TearDown() override {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
    }
    MapCodePageChoice choice;
};

TEST_F(MapCodePageChoiceTest, MenuCodePagesSetBothGlobals) {
    struct Row {
        int codePage;
        const char* status;
        int ansi;
    };
    for (const Row& row : {Row{65001, "UTF-8", 0}, Row{1200, "UTF-16", 0}, Row{28591, "ISO 8859-1", 1252},
                           Row{28592, "ISO 8859-2", 1250}, Row{28595, "ISO 8859-5", 1251},
                           Row{50220, "ISO 8859-JP", 0}, Row{1251, "ANSI-1251", 1251}}) {
        MapAnsiCodePage.store(-1);
        EXPECT_TRUE(choice.SetMapCodePage(row.codePage));
        EXPECT_EQ(MapTextCodePage.load(), row.codePage);
        EXPECT_EQ(MapAnsiCodePage.load(), row.ansi) << row.codePage;
        EXPECT_EQ(choice.CheckedCodePage(), row.codePage);
        EXPECT_EQ(choice.StatusText(), QString::fromLatin1(row.status));
    }
}

TEST_F(MapCodePageChoiceTest, OtherCodePageChecksNothingAndKeepsTheDisplayCodePage) {
    choice.SetMapCodePage(28591);
    EXPECT_FALSE(choice.SetMapCodePage(1252));
    EXPECT_EQ(MapTextCodePage.load(), 1252);
    EXPECT_EQ(MapAnsiCodePage.load(), 1252);
    EXPECT_EQ(choice.CheckedCodePage(), 0);
    EXPECT_TRUE(choice.StatusText().isEmpty());
}

TEST_F(MapCodePageChoiceTest, AutomaticChoiceBySystemCode) {
    EXPECT_EQ(MapCodePageChoice::AutomaticCodePage("AFEU:2", "AFEU:2.05"), 28591);
    EXPECT_EQ(MapCodePageChoice::AutomaticCodePage("AFUS:4", "AFUS:4.01"), 28591);
    EXPECT_EQ(MapCodePageChoice::AutomaticCodePage("AFEU:4", "AFEU:4.01"), 65001);
    EXPECT_EQ(MapCodePageChoice::AutomaticCodePage("AFJ:4.", "AFJ:4.01"), 50220);
    EXPECT_EQ(MapCodePageChoice::AutomaticCodePage("ARU:2.", "ARU:2.01"), 28595);
    EXPECT_EQ(MapCodePageChoice::AutomaticCodePage("AF", "AF"), 0);
    EXPECT_EQ(MapCodePageChoice::AutomaticCodePage("", ""), 0);

    choice.SetMapCodePage(1251);
    choice.SetAutoSelect(false);
    EXPECT_FALSE(choice.SelectAutoCharset("AFEU:2", "AFEU:2.05"));
    EXPECT_EQ(MapTextCodePage.load(), 1251);
    choice.SetAutoSelect(true);
    EXPECT_TRUE(choice.SelectAutoCharset("AFEU:2", "AFEU:2.05"));
    EXPECT_EQ(MapTextCodePage.load(), 28591);
}

TEST_F(MapCodePageChoiceTest, MenuCodePagesCheckTheirFontAndCharset) {
    struct Row {
        int codePage;
        int charset;
        int font;
    };
    for (const Row& row : {Row{65001, 1, 0}, Row{1200, 1, 0}, Row{28591, 0, 1}, Row{28592, 238, 2},
                           Row{28595, 204, 7}, Row{50220, 128, 9}, Row{1251, 204, 7}}) {
        choice.SetMapCodePage(row.codePage);
        EXPECT_EQ(choice.Charset(), row.charset) << row.codePage;
        EXPECT_EQ(choice.CheckedFont(), row.font) << row.codePage;
        EXPECT_EQ(MapCodePageChoice::CharsetOf(row.codePage), row.charset);
        EXPECT_EQ(MapCodePageChoice::FontTagOf(row.codePage), row.font);
    }
    // Another value checks no font and gives charset 0.
    choice.SetMapCodePage(437);
    EXPECT_EQ(choice.Charset(), 0);
    EXPECT_EQ(choice.CheckedFont(), -1);
    EXPECT_EQ(MapCodePageChoice::FontTagOf(437), -1);
}

TEST_F(MapCodePageChoiceTest, FontItemsSetTheDisplayCodePageAndCharset) {
    struct Row {
        int charset;
        int ansi;
    };
    const Row rows[] = {{1, 0},      {0, 1252},   {238, 1250}, {161, 1253}, {162, 1254},
                        {186, 1257}, {178, 1256}, {204, 1251}, {136, 0},    {128, 0}};
    choice.SetMapCodePage(65001);
    for (int tag = 0; tag < MapCodePageChoice::kFonts; ++tag) {
        const auto change = choice.SetFont(tag);
        ASSERT_TRUE(change);
        EXPECT_EQ(MapAnsiCodePage.load(), rows[tag].ansi) << tag;
        EXPECT_EQ(choice.Charset(), rows[tag].charset) << tag;
        EXPECT_EQ(choice.CheckedFont(), tag);
        // The text code page stays.
        EXPECT_EQ(MapTextCodePage.load(), 65001);
    }
    // What changed: Japanese (128 / 0) after Chinese (136 / 0) changes the charset only.
    choice.SetFont(8);
    auto change = choice.SetFont(9);
    EXPECT_TRUE(change->charsetChanged);
    EXPECT_FALSE(change->codePageChanged);
    change = choice.SetFont(7);
    EXPECT_TRUE(change->codePageChanged);
    change = choice.SetFont(7);
    EXPECT_FALSE(change->charsetChanged);
    EXPECT_FALSE(change->codePageChanged);
    // Tags the menu does not have change nothing.
    EXPECT_FALSE(choice.SetFont(-1));
    EXPECT_FALSE(choice.SetFont(10));
    EXPECT_EQ(choice.CheckedFont(), 7);
}

TEST_F(MapCodePageChoiceTest, TheAutomaticCodePageIsOnlyAskedWhileTheChoiceIsAutomatic) {
    choice.SetMapCodePage(1251);
    EXPECT_EQ(choice.AutoCharset("AFJ:4.", "AFJ:4.01"), 50220);
    EXPECT_EQ(MapTextCodePage.load(), 1251);
    choice.SetAutoSelect(false);
    EXPECT_EQ(choice.AutoCharset("AFJ:4.", "AFJ:4.01"), 0);
    EXPECT_EQ(choice.DataLanguage(), 0u);
    choice.SetDataLanguage(2);
    EXPECT_EQ(choice.DataLanguage(), 2u);
}

} // namespace
