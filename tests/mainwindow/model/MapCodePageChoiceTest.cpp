// The charset menu's code pages: what each sets as the text and display code pages, and the automatic
// choice by system code.
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

} // namespace
