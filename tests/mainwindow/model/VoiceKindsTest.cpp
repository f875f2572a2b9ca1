// Voice builders: languages named by the localisation data, items, chained voice offset tables, VOICE001
// entries and voices, the voice command dictionary with its first 100 groups, and hostile counts.
#include <gtest/gtest.h>

#include "KindHarness.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "support/fixtures/DicVceFixture.h"
#include "support/fixtures/LocalFixture.h"
#include "support/fixtures/VoiceFixtures.h"

using harness::Captions;
using harness::Kinds;

namespace {

std::shared_ptr<TLN_MemoryStream> memory(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_MemoryStream>(std::move(bytes));
}

void patch16(std::vector<uint8_t>& bytes, int64_t at, uint16_t value) {
    bytes[size_t(at)] = uint8_t(value >> 8);
    bytes[size_t(at) + 1] = uint8_t(value);
}

} // namespace

TEST(VoiceKinds, LanguagesItemsAndChainedOffsetTables) {
    harness::KindHarness h;
    const fixture::VoiceDatFixture voice = fixture::buildVoiceDat(64);
    h.data.voice = std::make_shared<TLN_VoiceManager>(memory(voice.bytes), 64);
    h.data.localisation =
        std::make_shared<TLN_LocalManager>(memory(fixture::buildLocalPart(fixture::standardLocalPlan())), 0);

    // The VOICEDAT root holds the window's reader; the ALLDATA part finds it through the open data.
    auto part = harness::Root(106, QStringLiteral("Voice Data"), HeldReader());
    const auto languages = h.Expand(*part);
    EXPECT_EQ(Captions(*part), (std::vector<QString>{"Language 0 (ENG)", "Language 1 (RUS)"}));
    EXPECT_EQ(Kinds(*part), (std::vector<int>{200, 200}));
    EXPECT_EQ(languages[0]->held.As<TLN_VoiceManager>(), h.data.voice.get());
    EXPECT_TRUE(languages[1]->hasChildren);

    const auto items = h.Expand(*languages[0]);
    EXPECT_EQ(Captions(*languages[0]), (std::vector<QString>{"Item 0", "Item 1"}));
    EXPECT_EQ(Kinds(*languages[0]), (std::vector<int>{201, 201}));
    TLN_Voice_Language language;
    ASSERT_TRUE(h.data.voice->ReadLanguage(0, language));
    EXPECT_EQ(items[1]->recordOffset, language.Records[1].Position);

    const auto tables = h.Expand(*items[0]);
    EXPECT_EQ(Captions(*items[0]), (std::vector<QString>{"Record 0", "Record 1"}));
    EXPECT_EQ(Kinds(*items[0]), (std::vector<int>{202, 202}));
    EXPECT_EQ(tables[0]->recordOffset, int64_t(voice.tables[0].position));
    EXPECT_EQ(tables[1]->recordOffset, int64_t(voice.tables[1].position)); // found from the table before
    EXPECT_EQ(h.Expand(*items[1]).size(), 1u);

    // Without localisation data the names are empty.
    h.data.localisation.reset();
    auto root = harness::Root(1060, QStringLiteral("VOICEDAT"), h.data.voice, h.data.voice->SharedStream());
    h.Expand(*root);
    EXPECT_EQ(Captions(*root), (std::vector<QString>{"Language 0 ()", "Language 1 ()"}));
}

TEST(VoiceKinds, ItemWithAHostileVoiceCountStopsAtTheStreamEnd) {
    harness::KindHarness h;
    fixture::VoiceDatFixture voice = fixture::buildVoiceDat(0);
    TLN_Voice_Language language;
    ASSERT_TRUE(TLN_VoiceManager(memory(voice.bytes), 0).ReadLanguage(0, language));
    patch16(voice.bytes, language.Records[1].Position + 16, 0xFFFF); // Number of Voices
    const int64_t size = int64_t(voice.bytes.size());
    auto reader = std::make_shared<TLN_VoiceManager>(memory(std::move(voice.bytes)), 0);

    auto root = harness::Root(1060, QStringLiteral("VOICEDAT"), reader);
    RecordNode& item = *h.Expand(*h.Expand(*root)[0])[1];
    const auto tables = h.Expand(item);
    EXPECT_GE(tables.size(), 1u);
    EXPECT_LE(int64_t(tables.size()), size / 6);
    for (const RecordNode* table : tables)
        EXPECT_LE(table->recordOffset + 6, size);
}

TEST(VoiceKinds, VoiceMeEntriesAndVoices) {
    harness::KindHarness h;
    const fixture::VoiceMeFixture voice = fixture::buildVoiceMe(32);
    h.data.voice001 = std::make_shared<TLN_VoiceMe1Manager>(memory(voice.bytes), 32);
    auto part = harness::Root(133, QStringLiteral("VOICE001"), HeldReader());
    const auto languages = h.Expand(*part);
    EXPECT_EQ(Captions(*part), (std::vector<QString>{"Language 0", "Language 1"}));
    EXPECT_EQ(Kinds(*part), (std::vector<int>{1110, 1110}));
    // Replaying a voice reads the entry from the level field.
    EXPECT_EQ(languages[1]->level, 1);

    const auto voices = h.Expand(*languages[0]);
    EXPECT_EQ(Captions(*languages[0]), (std::vector<QString>{"Record 0", "Record 1"}));
    EXPECT_EQ(Kinds(*languages[0]), (std::vector<int>{1120, 1120}));
    TLN_VoiceMe1_Voice_Header record;
    ASSERT_TRUE(h.data.voice001->ReadVoiceHeader(0, 1, record));
    EXPECT_EQ(voices[1]->recordOffset, record.Position);
    EXPECT_EQ(voices[1]->level, 0);
    EXPECT_EQ(h.Expand(*languages[1]).size(), 1u);
    EXPECT_EQ(h.Expand(*languages[1])[0]->level, 1);
}

TEST(VoiceKinds, DictionaryLanguagesTypesAndGroups) {
    harness::KindHarness h;
    const auto reader = std::make_shared<TLN_DicVceManager>(memory(fixture::buildDicVce({})), 0);
    ASSERT_TRUE(reader->IsValid());
    auto root = harness::Root(1250, QStringLiteral("DICVCE"), reader, reader->SharedStream());
    const auto languages = h.Expand(*root);
    EXPECT_EQ(Captions(*root), (std::vector<QString>{"Item 0 (ENG)", "Item 1 (RUS)"}));
    EXPECT_EQ(Kinds(*root), (std::vector<int>{1251, 1251}));

    const auto dictionaries = h.Expand(*languages[0]);
    EXPECT_EQ(Captions(*languages[0]), (std::vector<QString>{"CITY", "STRT"}));
    EXPECT_EQ(Kinds(*languages[0]), (std::vector<int>{1255, 1255}));

    const auto groups = h.Expand(*dictionaries[0]);
    EXPECT_EQ(Captions(*dictionaries[0]), (std::vector<QString>{"0xA1", "0xA2"}));
    EXPECT_EQ(Kinds(*dictionaries[0]), (std::vector<int>{1260, 1260}));
    TLN_DictionaryRecordHeader dictionary;
    TLN_DicVceLangRec language;
    ASSERT_TRUE(reader->ReadLanguageRecord(0, reader->PhonemeHeader().LanguageRecordSize, language));
    ASSERT_TRUE(reader->ReadDictionaryInfoRecord(language.DictionaryFramePosition, dictionary));
    TLN_DictionaryGroupOffset group;
    ASSERT_TRUE(reader->GetGroupOffset(dictionary.Types[0].DataPosition, 1, group));
    EXPECT_EQ(groups[1]->recordOffset, group.Position);
    EXPECT_TRUE(h.Expand(*dictionaries[1]).empty());

    // The ALLDATA part without a dictionary reader of its own has no nodes.
    auto part = harness::Root(125, QStringLiteral("Voice Command Data"), HeldReader());
    EXPECT_TRUE(h.Expand(*part).empty());
}

TEST(VoiceKinds, OnlyTheFirstHundredGroupsAreListed) {
    harness::KindHarness h;
    std::vector<uint8_t> bytes = fixture::buildDicVce({});
    TLN_DictionaryRecordHeader dictionary;
    {
        TLN_DicVceManager reader(memory(bytes), 0);
        TLN_DicVceLangRec language;
        ASSERT_TRUE(reader.ReadLanguageRecord(0, reader.PhonemeHeader().LanguageRecordSize, language));
        ASSERT_TRUE(reader.ReadDictionaryInfoRecord(language.DictionaryFramePosition, dictionary));
    }
    // 150 groups, their lists inside the (lengthened) file.
    const int64_t header = dictionary.Types[0].DataPosition;
    patch16(bytes, header + 4, 0);
    patch16(bytes, header + 6, 150);
    bytes.resize(bytes.size() + 2048);
    const auto reader = std::make_shared<TLN_DicVceManager>(memory(bytes), 0);
    auto root = harness::Root(1250, QStringLiteral("DICVCE"), reader);
    RecordNode& city = *h.Expand(*h.Expand(*root)[0])[0];
    const auto groups = h.Expand(city);
    ASSERT_EQ(groups.size(), 100u);
    EXPECT_EQ(groups[0]->caption, QStringLiteral("0xA1"));
    EXPECT_EQ(groups[99]->index, 99);
}
