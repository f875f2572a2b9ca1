// The dictionary's table model: display decoding, edits that the text files could not hold refused,
// add-or-replace, deletion, and the search by first letters without regard to case.
#include <gtest/gtest.h>

#include "converter/names/DictionaryTableModel.h"

namespace {

LatRusDictionary sample(int count) {
    LatRusDictionary d;
    const char* keys[] = {"Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta", "Eta"};
    for (int i = 0; i < count; ++i)
        d.AddPair(keys[i], "x");
    d.SetDirty(false);
    return d;
}

} // namespace

TEST(DictionaryTableModel, ShowsKeysAndDecodedTranslations) {
    LatRusDictionary d;
    d.AddPair("Moscow", "\xCC\xEE\xF1\xEA\xE2\xE0");
    DictionaryTableModel model(d);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Key");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Value");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::DisplayRole).toString(), QString::fromUtf8("Москва"));
    EXPECT_EQ(DictionaryTableModel::Caption(7), "Dictionary  (7 records)");
    EXPECT_EQ(DictionaryTableModel::CountLabel(7), "7 records in Dictionary");
}

TEST(DictionaryTableModel, EditsThatCannotBeStoredAreRefused) {
    LatRusDictionary d = sample(3);
    DictionaryTableModel model(d);
    struct Case {
        const char* key;
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        {"New", "Новый", true},      {" Spaced  ", " v ", true},   {"a=b", "v", false},
        {"Line\nBreak", "v", false}, {"Key", "two\nlines", false}, {"", "v", false},
        {"Key", "", false},          {"Key", "中文", false},
    };
    for (const Case& c : cases) {
        const int row = model.AddPair(QString::fromUtf8(c.key), QString::fromUtf8(c.value));
        EXPECT_EQ(row >= 0, c.accepted) << c.key;
    }
    EXPECT_GE(model.RowOfKey("Spaced"), 0) << "keys are trimmed";
    EXPECT_EQ(model.Count(), 5);
    EXPECT_FALSE(model.SetTranslation(0, "two\nlines"));
    EXPECT_FALSE(model.SetTranslation(99, "x"));
    EXPECT_TRUE(model.SetTranslation(0, "  y  "));
    EXPECT_EQ(model.Translation(0), "y");
}

TEST(DictionaryTableModel, AddReplacesAnExistingKeyWithoutANewRow) {
    LatRusDictionary d = sample(3);
    DictionaryTableModel model(d);
    int inserted = 0, removed = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&] { ++removed; });
    EXPECT_EQ(model.AddPair("beta", "new"), model.RowOfKey("Beta"));
    EXPECT_EQ(model.Count(), 3);
    EXPECT_EQ(inserted, 0);
    EXPECT_EQ(model.Translation(model.RowOfKey("Beta")), "new");
    EXPECT_TRUE(model.Dirty());
    const int row = model.AddPair("Aardvark", "v");
    EXPECT_EQ(row, 0);
    EXPECT_EQ(inserted, 1);
    EXPECT_TRUE(model.ClearTranslation(1));
    EXPECT_EQ(model.Key(1), "Alpha");
    EXPECT_EQ(model.Translation(1), "");
    EXPECT_TRUE(model.RemoveEntry(0));
    EXPECT_EQ(removed, 1);
    EXPECT_FALSE(model.RemoveEntry(3));
}

TEST(DictionaryTableModel, SearchByFirstLetters) {
    LatRusDictionary five = sample(5);
    DictionaryTableModel small(five);
    EXPECT_EQ(small.SearchKey("Ga"), -1) << "fewer than 6 entries";
    LatRusDictionary six = sample(6);
    DictionaryTableModel model(six);
    struct Case {
        const char* text;
        const char* key;
    };
    const Case cases[] = {{"ga", "Gamma"}, {"GAM", "Gamma"}, {"e", "Epsilon"},
                          {"Gx", "Zeta"},  {"zz", "Zeta"},   {"a", "Alpha"}};
    for (const Case& c : cases)
        EXPECT_EQ(model.Key(model.SearchKey(c.text)), c.key) << c.text;
    EXPECT_EQ(model.SearchKey(""), -1);
}
