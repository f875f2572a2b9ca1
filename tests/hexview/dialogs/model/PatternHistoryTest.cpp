// Pattern histories: order, dedup, the limit of ten, the CR LF stored form with its byte count, and
// stored values that are damaged or of another kind.
#include <gtest/gtest.h>

#include "TempSettings.h"
#include "hexview/dialogs/model/PatternHistory.h"

using hexdialogstest::TempSettings;

TEST(PatternHistory, NewestFirstWithoutRepeats) {
    PatternHistory history;
    for (const char* p : {"AA", "BB", "CC", "BB"})
        history.Insert(p);
    EXPECT_EQ(history.Entries(), (QStringList{"BB", "CC", "AA"}));
    // Text patterns differ by case.
    history.Insert("bb");
    EXPECT_EQ(history.Entries(), (QStringList{"bb", "BB", "CC", "AA"}));
}

TEST(PatternHistory, TheEleventhDistinctPatternPushesTheOldestOut) {
    PatternHistory history;
    for (int i = 0; i < 11; ++i)
        history.Insert(QString::number(i + 10));
    ASSERT_EQ(history.Entries().size(), 10);
    EXPECT_EQ(history.Entries().front(), "20");
    EXPECT_EQ(history.Entries().back(), "11");
    EXPECT_FALSE(history.Entries().contains("10"));
}

TEST(PatternHistory, ParsingSkipsWhatIsNotAPattern) {
    EXPECT_EQ(PatternHistory::Parse("A\r\nB\nC\rD\r\n"), (QStringList{"A", "B", "C", "D"}));
    EXPECT_EQ(PatternHistory::Parse(QByteArray("A\r\n\r\nB\r\n\0\0\0", 12)), (QStringList{"A", "B"}));
    EXPECT_EQ(PatternHistory::Parse(QByteArray("A\0B\r\nC", 6)), QStringList{"C"});
    EXPECT_EQ(PatternHistory::Parse(QByteArray(49, 'A') + "\r\n" + QByteArray(48, 'B')),
              QStringList{QString(48, 'B')});
    QByteArray many;
    for (int i = 0; i < 30; ++i)
        many += QByteArray::number(i) + "\r\n";
    EXPECT_EQ(PatternHistory::Parse(many).size(), 10);
}

TEST(PatternHistory, RoundTripThroughTheSettings) {
    TempSettings settings;
    SettingsStore store = settings.Store();
    PatternHistory history;
    history.Insert("Строка");
    history.Insert("abc");
    ASSERT_TRUE(history.Save(store, "TextCash", "TextCashSize"));
    const QByteArray bytes = PatternHistory::Serialize(history.Entries());
    EXPECT_EQ(settings.Binary("TextCash"), bytes);
    EXPECT_EQ(settings.Integer("TextCashSize"), int32_t(bytes.size()));

    PatternHistory read;
    read.Load(settings.Store(), "TextCash", "TextCashSize");
    EXPECT_EQ(read.Entries(), history.Entries());
}

TEST(PatternHistory, TheByteCountDecidesWhatIsRead) {
    TempSettings settings;
    SettingsStore store = settings.Store();
    ASSERT_TRUE(store.write("HexCash", QByteArray("AA\r\nBB\r\nCC\r\n")));
    PatternHistory read;
    auto loadWithSize = [&](std::optional<SettingsValue> size) {
        if (size) {
            EXPECT_TRUE(store.write("HexCashSize", *size));
        }
        read.Load(settings.Store(), "HexCash", "HexCashSize");
        return read.Entries();
    };
    EXPECT_TRUE(loadWithSize(std::nullopt).isEmpty());
    EXPECT_EQ(loadWithSize(int32_t(8)), (QStringList{"AA", "BB"}));
    EXPECT_EQ(loadWithSize(int32_t(1000)), (QStringList{"AA", "BB", "CC"}));
    EXPECT_TRUE(loadWithSize(int32_t(0)).isEmpty());
    EXPECT_TRUE(loadWithSize(int32_t(-5)).isEmpty());
    EXPECT_TRUE(loadWithSize(QStringLiteral("12")).isEmpty());
    ASSERT_TRUE(store.write("HexCash", QStringLiteral("AA")));
    EXPECT_TRUE(loadWithSize(int32_t(12)).isEmpty());
}
