// Find dialog rules: remembered choices, hex and text patterns with their histories, the odd-length
// question, text that the data's code page cannot hold, and hex searches that always match exactly.
#include <gtest/gtest.h>

#include "TempSettings.h"
#include "hexview/dialogs/model/FindDialogModel.h"
#include "platform/CodePage.h"

using hexdialogstest::TempSettings;
using Verdict = FindDialogModel::Verdict;

namespace {

FindDialogModel::Input hexInput(const QString& text) {
    FindDialogModel::Input input;
    input.text = text;
    input.function = FindDialogModel::HexFunction;
    return input;
}

FindDialogModel::Input textInput(const QString& text, bool matchCase) {
    FindDialogModel::Input input;
    input.text = text;
    input.function = FindDialogModel::TextFunction;
    input.matchCase = matchCase;
    return input;
}

// Answers the odd-length question and remembers it.
struct Confirm {
    bool answer = true;
    QStringList asked;
    std::function<bool(const QString&)> operator()() {
        return [this](const QString& q) {
            asked << q;
            return answer;
        };
    }
};

} // namespace

TEST(FindDialogModel, StartsFromTheRememberedChoices) {
    TempSettings settings;
    {
        FindDialogModel model(settings.Store(), 1251);
        EXPECT_EQ(model.InitialFunction(), FindDialogModel::HexFunction);
        EXPECT_FALSE(model.InitialMatchCase());
        EXPECT_FALSE(model.CaseForced());
        EXPECT_TRUE(model.History(FindDialogModel::HexFunction).isEmpty());
    }
    SettingsStore store = settings.Store();
    store.write("FindFunction", int32_t(1));
    store.write("MatchCase", int32_t(1));
    FindDialogModel model(settings.Store(), 1251);
    EXPECT_EQ(model.InitialFunction(), FindDialogModel::TextFunction);
    EXPECT_TRUE(model.InitialMatchCase());
    // A function value of our own never had that number: hex.
    store.write("FindFunction", int32_t(7));
    EXPECT_EQ(FindDialogModel(settings.Store(), 1251).InitialFunction(), FindDialogModel::HexFunction);
}

TEST(FindDialogModel, Utf8DataForcesMatchingCase) {
    TempSettings settings;
    FindDialogModel model(settings.Store(), CodePageUtf8);
    EXPECT_TRUE(model.CaseForced());
    EXPECT_TRUE(model.InitialMatchCase());
    Confirm confirm;
    const auto outcome = model.Submit(textInput("Abc", false), confirm());
    ASSERT_EQ(outcome.verdict, Verdict::Accepted);
    EXPECT_TRUE(outcome.info.matchCase);
    // The forced box is not the user's choice: the stored one stays as it was.
    EXPECT_FALSE(settings.Has("MatchCase"));
    EXPECT_EQ(settings.Integer("FindFunction"), 1);
}

TEST(FindDialogModel, NoToTheQuestionKeepsTheDialogAndStoresNothing) {
    TempSettings settings;
    FindDialogModel model(settings.Store(), 1251);
    Confirm confirm;
    confirm.answer = false;
    EXPECT_EQ(model.Submit(hexInput("ABC"), confirm()).verdict, Verdict::Declined);
    EXPECT_EQ(confirm.asked.size(), 1);
    EXPECT_TRUE(model.History(FindDialogModel::HexFunction).isEmpty());
    EXPECT_FALSE(settings.Has("HexCash"));
    EXPECT_FALSE(settings.Has("FindFunction"));
    // An even count asks nothing.
    EXPECT_EQ(model.Submit(hexInput("0ABC"), confirm()).verdict, Verdict::Accepted);
    EXPECT_EQ(confirm.asked.size(), 1);
}

TEST(FindDialogModel, BadHexIsRejectedWithoutAQuestion) {
    TempSettings settings;
    FindDialogModel model(settings.Store(), 1251);
    Confirm confirm;
    for (const char* bad : {"", "AB CD", "GG", "0x12", "ABG"})
        EXPECT_EQ(model.Submit(hexInput(bad), confirm()).verdict, Verdict::Rejected) << bad;
    EXPECT_TRUE(confirm.asked.isEmpty());
    EXPECT_FALSE(settings.Has("HexCash"));
}

TEST(FindDialogModel, AnEmptyTextPatternFindsNothingAndDoesNothing) {
    TempSettings settings;
    FindDialogModel model(settings.Store(), 1251);
    Confirm confirm;
    const auto outcome = model.Submit(textInput("", true), confirm());
    EXPECT_EQ(outcome.verdict, Verdict::Ignored);
    EXPECT_TRUE(outcome.info.pattern.isEmpty());
    EXPECT_FALSE(settings.Has("TextCash"));
    EXPECT_FALSE(settings.Has("FindFunction"));
}

TEST(FindDialogModel, HexPatternsAlwaysMatchExactly) {
    // Folding 61 to 41 would make hex 61 find byte 41 too.
    TempSettings settings;
    FindDialogModel model(settings.Store(), 1251);
    Confirm confirm;
    const auto outcome = model.Submit(hexInput("61"), confirm());
    ASSERT_EQ(outcome.verdict, Verdict::Accepted);
    EXPECT_TRUE(outcome.info.matchCase);
    // The case box's own state is still what is remembered.
    EXPECT_EQ(settings.Integer("MatchCase"), 0);
}

TEST(FindDialogModel, TextIsEncodedInTheDataCodePage) {
    TempSettings settings;
    Confirm confirm;
    const QString word = QStringLiteral("Поиск");
    {
        FindDialogModel model(settings.Store(), 1251);
        const auto outcome = model.Submit(textInput(word, true), confirm());
        ASSERT_EQ(outcome.verdict, Verdict::Accepted);
        EXPECT_EQ(outcome.info.pattern, encodeToCodePage(word, 1251));
        EXPECT_EQ(outcome.info.pattern.size(), 5);
        EXPECT_EQ(outcome.info.type, SearchInfo::Text);
        EXPECT_TRUE(outcome.info.matchCase);
    }
    FindDialogModel model(settings.Store(), CodePageUtf8);
    const auto outcome = model.Submit(textInput(word, true), confirm());
    ASSERT_EQ(outcome.verdict, Verdict::Accepted);
    EXPECT_EQ(outcome.info.pattern, word.toUtf8());
    // Both searches share the text history, stored as UTF-8 lines.
    EXPECT_EQ(model.History(FindDialogModel::TextFunction), QStringList{word});
    EXPECT_EQ(settings.Binary("TextCash"), word.toUtf8() + "\r\n");
}

TEST(FindDialogModel, TextTheCodePageCannotHoldIsRejected) {
    // It would become "?" and the search would look for other bytes.
    TempSettings settings;
    FindDialogModel model(settings.Store(), 1251);
    Confirm confirm;
    EXPECT_EQ(model.Submit(textInput(QStringLiteral("日本"), true), confirm()).verdict, Verdict::Rejected);
    EXPECT_FALSE(settings.Has("TextCash"));
    // A question mark typed as such is fine.
    EXPECT_EQ(model.Submit(textInput("?", true), confirm()).verdict, Verdict::Accepted);
}

TEST(FindDialogModel, HistoriesPersistAndKeepTen) {
    TempSettings settings;
    Confirm confirm;
    for (int i = 0; i < 11; ++i) {
        FindDialogModel model(settings.Store(), 1251);
        ASSERT_EQ(model.Submit(hexInput(QString("%1").arg(i + 0x10, 2, 16)), confirm()).verdict,
                  Verdict::Accepted);
    }
    FindDialogModel model(settings.Store(), 1251);
    const QStringList hex = model.History(FindDialogModel::HexFunction);
    ASSERT_EQ(hex.size(), 10);
    EXPECT_EQ(hex.front(), "1a");
    EXPECT_FALSE(hex.contains("10"));
    EXPECT_TRUE(model.History(FindDialogModel::TextFunction).isEmpty());
    // Searching an older pattern again moves it up, not in twice.
    ASSERT_EQ(model.Submit(hexInput("15"), confirm()).verdict, Verdict::Accepted);
    EXPECT_EQ(FindDialogModel(settings.Store(), 1251).History(FindDialogModel::HexFunction).mid(0, 2),
              (QStringList{"15", "1a"}));
}
