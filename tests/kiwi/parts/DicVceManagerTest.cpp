// Voice command dictionary: header validity, language record forms, the dictionary chain, string
// entries in three code pages and bounds on hostile counts.
#include <gtest/gtest.h>

#include "kiwi/core/MapCodePage.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/DicVceManager.h"
#include "support/fixtures/DicVceFixture.h"

namespace {

struct CodePageScope {
    int saved = MapTextCodePage;
    explicit CodePageScope(int codePage) { MapTextCodePage = codePage; }
    ~CodePageScope() { MapTextCodePage = saved; }
};

TLN_DicVceManager open(std::vector<uint8_t> bytes, int64_t offset = 0) {
    return TLN_DicVceManager(std::make_shared<TLN_MemoryStream>(std::move(bytes)), offset);
}

// The first type's info data header position and the first group of a reader.
struct Chain {
    int64_t infoHeader = -1;
    TLN_DictionaryGroupData group;
};

Chain follow(const TLN_DicVceManager& reader) {
    Chain chain;
    TLN_DicVceLangRec language;
    EXPECT_TRUE(reader.ReadLanguageRecord(0, reader.PhonemeHeader().LanguageRecordSize, language));
    TLN_DictionaryRecordHeader dictionary;
    EXPECT_TRUE(reader.ReadDictionaryInfoRecord(language.DictionaryFramePosition, dictionary));
    if (dictionary.Types.empty()) return chain;
    chain.infoHeader = dictionary.Types[0].DataPosition;
    TLN_DictionaryGroupOffset offset;
    EXPECT_TRUE(reader.GetGroupOffset(chain.infoHeader, 0, offset));
    EXPECT_TRUE(reader.ReadGroupData(offset.Position, chain.group));
    return chain;
}

void patch32(std::vector<uint8_t>& bytes, int64_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[size_t(at + i)] = uint8_t(value >> (24 - 8 * i));
}

} // namespace

TEST(DicVceManager, HeaderSizeAndLanguageCount) {
    EXPECT_TRUE(open(fixture::buildDicVce({})).IsValid());
    EXPECT_FALSE(open(fixture::buildDicVce({.headerWords = 27})).IsValid());
    EXPECT_FALSE(open(fixture::buildDicVce({.headerWords = 52})).IsValid()); // bytes, not words
    EXPECT_TRUE(open(fixture::buildDicVce({.declaredLanguages = 99})).IsValid());
    EXPECT_FALSE(open(fixture::buildDicVce({.declaredLanguages = 100})).IsValid());
}

TEST(DicVceManager, StringEntriesInEveryCodePage) {
    const QString spb = QString::fromUtf8("Санкт-Петербург");
    for (auto [codePage, recordBytes, prefix] : {std::tuple{65001, 44, 0}, {1251, 44, 8}, {1200, 46, 40}}) {
        CodePageScope scope(codePage);
        const TLN_DicVceManager reader = open(
            fixture::buildDicVce({.codePage = codePage, .languageRecordBytes = recordBytes}, size_t(prefix)),
            prefix);
        ASSERT_TRUE(reader.IsValid()) << codePage;
        TLN_DicVceLangRec language;
        ASSERT_TRUE(reader.ReadLanguageRecord(1, reader.PhonemeHeader().LanguageRecordSize, language));
        EXPECT_EQ(language.Toponym, "RUS");
        EXPECT_EQ(language.RecordID, 0x1002u);
        EXPECT_EQ(language.RecordCode, 0x2002u);
        EXPECT_FALSE(reader.ReadLanguageRecord(2, reader.PhonemeHeader().LanguageRecordSize, language));

        const Chain chain = follow(reader);
        ASSERT_EQ(chain.group.GroupID, 0xA1u);
        EXPECT_EQ(chain.group.PhoneticDataSize, 8);
        ASSERT_EQ(reader.StringEntryCount(chain.group), 6);
        const QString expected[] = {"Vienna", spb, "", "Long", "", "Cuts"};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(reader.ReadStringEntry(chain.group, i).Text, expected[i]) << codePage << " entry " << i;
        EXPECT_TRUE(reader.ReadStringEntry(chain.group, 6).Text.isEmpty());
    }
}

TEST(DicVceManager, PagesCountFromOne) {
    const TLN_DicVceManager reader = open(fixture::buildDicVce({}));
    EXPECT_EQ(reader.GetStringEntryOffset(0), -1);
    EXPECT_GT(reader.GetStringEntryOffset(1), 0);
    EXPECT_EQ(reader.GetStringEntryOffset(2), reader.GetStringEntryOffset(1));
    EXPECT_EQ(reader.GetStringEntryOffset(3), -1);
    // Group 0xA2 names page 0: its entries have no page and read empty.
    const Chain chain = follow(reader);
    TLN_DictionaryGroupOffset offset;
    ASSERT_TRUE(reader.GetGroupOffset(chain.infoHeader, 1, offset));
    TLN_DictionaryGroupData group;
    ASSERT_TRUE(reader.ReadGroupData(offset.Position, group));
    EXPECT_EQ(group.TextPageID, 0u);
    EXPECT_TRUE(reader.ReadStringEntry(group, 0).Text.isEmpty());
}

TEST(DicVceManager, TypeCountLimit) {
    for (auto [types, listed] : {std::pair{29u, 29u}, {30u, 0u}, {0xFFFFFFFFu, 0u}}) {
        const TLN_DicVceManager reader = open(fixture::buildDicVce({.declaredTypes = types}));
        TLN_DicVceLangRec language;
        reader.ReadLanguageRecord(0, reader.PhonemeHeader().LanguageRecordSize, language);
        TLN_DictionaryRecordHeader dictionary;
        EXPECT_TRUE(reader.ReadDictionaryInfoRecord(language.DictionaryFramePosition, dictionary));
        EXPECT_EQ(dictionary.NumberOfTypes, types);
        EXPECT_EQ(dictionary.Types.size(), listed);
    }
}

TEST(DicVceManager, HostileGroupAndItemCounts) {
    std::vector<uint8_t> bytes = fixture::buildDicVce({});
    Chain chain = follow(open(bytes));
    // Group count and item count of 2^32 - 1: bounded by the bytes that hold their lists.
    patch32(bytes, chain.infoHeader + 4, 0xFFFFFFFF);
    patch32(bytes, chain.group.Position + 32, 0xFFFFFFFF);
    const TLN_DicVceManager reader = open(bytes);
    TLN_DictionaryHeader header;
    ASSERT_TRUE(reader.ReadDictionaryHeader(chain.infoHeader, header));
    EXPECT_EQ(header.NumberOfGroups, 0xFFFFFFFFu);
    EXPECT_EQ(header.ReadableGroups, 0);
    EXPECT_EQ(header.InfoDataSize, 0);
    TLN_DictionaryGroupOffset offset;
    EXPECT_FALSE(reader.GetGroupOffset(chain.infoHeader, 0, offset));
    TLN_DictionaryGroupData group;
    ASSERT_TRUE(reader.ReadGroupData(chain.group.Position, group));
    EXPECT_LE(reader.StringEntryCount(group), int64_t(bytes.size() / 4));
    EXPECT_EQ(reader.ReadStringEntry(group, 0).Text, "Vienna");
}
