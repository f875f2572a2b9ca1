// The Data tab's rules without widgets: the languages of the open data and the one chosen (what the data
// and the buttons are told), and the tree's share of the window's width kept through resizing.
#include <gtest/gtest.h>

#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/OpenData.h"
#include "support/fixtures/QtPrinting.h"

namespace {

class DataTabPresenterTest : public ::testing::Test {
protected:
    MapCodePageChoice codePages;
    OpenData data;
    DataTabPresenter presenter{codePages, data};
};

TEST_F(DataTabPresenterTest, TheChosenLanguageIsTheDatasAndTheButtonsName) {
    EXPECT_FALSE(presenter.LanguageButtonsEnabled());
    EXPECT_EQ(presenter.LanguageButtonText(), "ENG");

    int listChanges = 0;
    std::vector<int> chosen;
    QObject::connect(&presenter, &DataTabPresenter::LanguagesChanged, [&] { ++listChanges; });
    QObject::connect(&presenter, &DataTabPresenter::LanguageChosen,
                     [&](int index) { chosen.push_back(index); });
    presenter.SetLanguages({"rus", "eng", "deu"});
    EXPECT_EQ(listChanges, 1);
    EXPECT_TRUE(presenter.LanguageButtonsEnabled());
    EXPECT_EQ(presenter.LanguageButtonText(), "RUS");
    EXPECT_EQ(codePages.DataLanguage(), 0u);

    EXPECT_TRUE(presenter.ChooseLanguage(2));
    EXPECT_EQ(presenter.LanguageButtonText(), "DEU");
    EXPECT_EQ(codePages.DataLanguage(), 2u);
    for (int outside : {-1, 3}) {
        EXPECT_FALSE(presenter.ChooseLanguage(outside));
        EXPECT_EQ(presenter.ChosenLanguage(), 2);
        EXPECT_EQ(codePages.DataLanguage(), 2u);
    }
    EXPECT_EQ(chosen, std::vector<int>{2});

    // Another source's list starts from its first language.
    presenter.SetLanguages({"fra", "ita"});
    EXPECT_EQ(presenter.LanguageButtonText(), "FRA");
    EXPECT_EQ(codePages.DataLanguage(), 0u);
    presenter.ChooseLanguage(1);
    presenter.ResetLanguages();
    EXPECT_EQ(listChanges, 3);
    EXPECT_FALSE(presenter.LanguageButtonsEnabled());
    EXPECT_EQ(presenter.LanguageButtonText(), "ENG");
    EXPECT_EQ(codePages.DataLanguage(), 0u);
    EXPECT_FALSE(presenter.ChooseLanguage(0));
}

TEST_F(DataTabPresenterTest, TheTreeKeepsItsShareOfTheWindowWidth) {
    EXPECT_EQ(presenter.TreeWidthFor(1000), std::nullopt);
    const struct {
        int window, tree, ratio;
    } cases[] = {
        {1340, 335, 40000},
        {1000, 300, 33333},
        // A collapsed or unlaid tree keeps the share it had.
        {1000, 0, 33333},
        {1000, -5, 33333},
        // Wide windows do not overflow the product.
        {400000, 100000, 40000},
    };
    for (const auto& c : cases) {
        presenter.KeepTreeWidth(c.window, c.tree);
        EXPECT_EQ(presenter.TreeWidthRatio(), c.ratio) << c.window << " " << c.tree;
    }
    EXPECT_EQ(presenter.TreeWidthFor(2000), 500);
    EXPECT_EQ(presenter.TreeWidthFor(0), 0);
}

} // namespace
