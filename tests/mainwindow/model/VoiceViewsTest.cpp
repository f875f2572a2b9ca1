// The voice and voice command dictionary views: distribution headers of the four kinds, a phrase table
// that plays when shown (the WAVE reaches a recording sound device through the threaded player, and ALSA
// without a device stays quiet), the play button choosing its reader by the node's kind, VOICE001 voices,
// and the dictionary's records with the 100-item limit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "KindHarness.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/views/VoiceViews.h"
#include "platform/VoicePlayer.h"
#include "support/fixtures/DicVceFixture.h"
#include "support/fixtures/VoiceFixtures.h"
#include "support/model/GridDump.h"

namespace {

// A sound device that keeps what it is given.
struct RecordingSink : PcmSink {
    struct Record {
        std::mutex mutex;
        unsigned channels = 0, rate = 0;
        std::vector<int16_t> samples;
        std::atomic<bool> finished{false};
    };
    explicit RecordingSink(Record& record) : record_(record) {}
    bool open(unsigned channels, unsigned sampleRate) override {
        std::lock_guard lock(record_.mutex);
        record_.channels = channels;
        record_.rate = sampleRate;
        return true;
    }
    bool write(const int16_t* samples, size_t frames) override {
        std::lock_guard lock(record_.mutex);
        record_.samples.insert(record_.samples.end(), samples, samples + frames * record_.channels);
        return true;
    }
    void finish(const std::atomic<bool>&) override { record_.finished = true; }
    void close() override {}
    Record& record_;
};

// A view host that plays through a player, as the window does.
struct PlayingHost : ViewHostLog {
    explicit PlayingHost(VoicePlayer& player) : player_(player) {}
    void PlaySound(std::vector<uint8_t> waveImage) override {
        ViewHostLog::PlaySound(waveImage);
        player_.play(std::move(waveImage));
    }
    void ShowPlayButton(std::function<void()> play) override {
        ViewHostLog::ShowPlayButton(play);
        button = std::move(play);
    }
    VoicePlayer& player_;
    std::function<void()> button;
};

struct VoiceViews : ::testing::Test {
    harness::KindHarness h;
    fixture::VoiceDatFixture voiceDat = fixture::buildVoiceDat();
    fixture::VoiceMeFixture voiceMe = fixture::buildVoiceMe();
    std::shared_ptr<TLN_VoiceManager> voice =
        std::make_shared<TLN_VoiceManager>(std::make_shared<TLN_MemoryStream>(voiceDat.bytes), 0);
    std::shared_ptr<TLN_VoiceMe1Manager> voices =
        std::make_shared<TLN_VoiceMe1Manager>(std::make_shared<TLN_MemoryStream>(voiceMe.bytes), 0);

    VoiceViews() {
        h.data.voice = voice;
        h.data.voice001 = voices;
    }
    QString show(KindContext& context, RecordNode& node) {
        h.table.Show(context, node);
        return DumpGrid(h.model);
    }
    QString show(RecordNode& node) { return show(h.context, node); }
    QString row(const QString& name) {
        for (int r = 0; r < h.model.rowCount(); ++r)
            if (h.model.CellText(r, 0) == name)
                return h.model.CellText(r, 1) + QStringLiteral("|") + h.model.CellText(r, 2);
        return QStringLiteral("?");
    }
    // The first offset table of language 0, item 0.
    RecordNode& firstTable(RecordNode& root) {
        RecordNode& language = *h.Expand(root)[0];
        RecordNode& item = *h.Expand(language)[0];
        return *h.Expand(item)[0];
    }
};

bool waitFor(const std::atomic<bool>& flag) {
    for (int i = 0; i < 10000 && !flag; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return flag;
}

TEST_F(VoiceViews, DistributionHeadersOfTheFourKinds) {
    auto file = harness::Root(1060, QStringLiteral("VOICEDAT"), HeldReader());
    QString dump = show(*file);
    EXPECT_TRUE(dump.startsWith(QStringLiteral("1|         < Voice Distribution Header >||\n2|||Help\n")));
    EXPECT_EQ(row(QStringLiteral("Number of General-purpose Voice Languages")), QStringLiteral("2|"));
    // VOICE001 names its header in a plain row.
    auto me = harness::Root(1100, QStringLiteral("VOICE001"), HeldReader());
    dump = show(*me);
    EXPECT_TRUE(dump.startsWith(QStringLiteral("0|Voice Distribution Header||\n0|||\n")))
        << dump.toStdString();
    EXPECT_EQ(row(QStringLiteral("Number of General-purpose Voice Languages")), QStringLiteral("2|"));
}

TEST_F(VoiceViews, AnOffsetTablePlaysItsPhrasesOnADeviceAndAgainFromThePlayButton) {
    RecordingSink::Record record;
    ThreadedVoicePlayer player([&] { return std::make_unique<RecordingSink>(record); });
    PlayingHost host(player);
    KindContext context{h.grid, host, h.data};
    auto root = harness::Root(1060, QStringLiteral("VOICEDAT"), HeldReader());
    RecordNode& table = firstTable(*root);
    const fixture::VoiceDatTableManifest& expected = voiceDat.tables[0];
    ASSERT_EQ(table.recordOffset, int64_t(expected.position));

    show(context, table);
    EXPECT_EQ(row(QStringLiteral("Voice Data ID")), QString::fromStdString(expected.id) + "|");
    EXPECT_EQ(row(QStringLiteral("Number of Composition Phrases")), QStringLiteral("2|"));
    ASSERT_TRUE(waitFor(record.finished));
    {
        std::lock_guard lock(record.mutex);
        EXPECT_EQ(record.channels, 1u);
        EXPECT_EQ(record.rate, kVoiceDataSampleRate);
        EXPECT_EQ(record.samples, expected.samples);
        record.samples.clear();
    }
    const std::vector<std::string> log = host.Take();
    EXPECT_NE(std::find(log.begin(), log.end(), "@playbutton on"), log.end());

    // The play button plays the same phrases again.
    ASSERT_TRUE(host.button);
    record.finished = false;
    host.button();
    ASSERT_TRUE(waitFor(record.finished));
    std::lock_guard lock(record.mutex);
    EXPECT_EQ(record.samples, expected.samples);
}

TEST_F(VoiceViews, WithoutASoundDeviceThePlayerStaysQuiet) {
    std::unique_ptr<VoicePlayer> player = CreateDefaultVoicePlayer();
    PlayingHost host(*player);
    KindContext context{h.grid, host, h.data};
    auto root = harness::Root(1060, QStringLiteral("VOICEDAT"), HeldReader());
    show(context, firstTable(*root));
    player->stop();
    EXPECT_EQ(h.model.CellText(0, 0), QStringLiteral("         < General-purpose Voice Offset Table >"));
}

TEST_F(VoiceViews, ThePlayButtonPicksTheReaderByTheNodesKind) {
    // Both readers are open: a VOICE001 voice plays its own voice, a phrase table its phrases.
    auto me = harness::Root(1100, QStringLiteral("VOICE001"), HeldReader());
    RecordNode& language = *h.Expand(*me)[0];
    RecordNode& voiceNode = *h.Expand(language)[1];
    const QString dump = show(voiceNode);
    EXPECT_EQ(row(QStringLiteral("Number of Channels")), QStringLiteral("0 x 02|(2) ")) << dump.toStdString();
    EXPECT_EQ(row(QStringLiteral("Bitrate")), QStringLiteral("11025|"));
    EXPECT_EQ(h.host.Take().back(), "@playbutton on");

    ViewHostLog log;
    const auto replay = PlayGeneralPurposeVoice(h.context, voiceNode, log);
    ASSERT_TRUE(replay);
    replay();
    EXPECT_EQ(log.Take(),
              std::vector<std::string>{"@play " + std::to_string(voices->BuildVoiceWave(0, 1).size())});

    auto root = harness::Root(1060, QStringLiteral("VOICEDAT"), HeldReader());
    RecordNode& table = firstTable(*root);
    PlayGeneralPurposeVoice(h.context, table, log)();
    EXPECT_EQ(log.Take(), std::vector<std::string>{
                              "@play " + std::to_string(voice->BuildPhrasesWave(table.recordOffset).size())});
    // Other nodes have nothing to play; a button whose reader is gone plays nothing.
    EXPECT_FALSE(PlayGeneralPurposeVoice(h.context, language, log));
    const auto orphan = PlayGeneralPurposeVoice(h.context, table, log);
    h.data.voice.reset();
    voice.reset();
    root.reset();
    orphan();
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(VoiceViews, VoiceInfoAndManagementRecord) {
    auto me = harness::Root(1100, QStringLiteral("VOICE001"), HeldReader());
    RecordNode& language = *h.Expand(*me)[0];
    show(language);
    EXPECT_EQ(row(QStringLiteral("Number of General-purpose Voice Records")), QStringLiteral("2|"));
    auto root = harness::Root(1060, QStringLiteral("VOICEDAT"), HeldReader());
    RecordNode& first = *h.Expand(*root)[0];
    show(first);
    EXPECT_EQ(row(QStringLiteral("Number of General-purpose Voice Offset Management Records")),
              QStringLiteral("2|"));
    show(*h.Expand(first)[0]);
    EXPECT_EQ(row(QStringLiteral("Number of Voices")), QStringLiteral("2|"));
    EXPECT_TRUE(row(QStringLiteral("Manufacturer Identification ")).contains(QStringLiteral("  (")));
}

struct DictionaryViews : VoiceViews {
    // The fixture's texts are UTF-8; other tests may leave other map code pages behind.
    DictionaryViews() {
        MapTextCodePage.store(65001);
        MapAnsiCodePage.store(0);
    }
    std::vector<uint8_t> bytes = fixture::buildDicVce(fixture::DicVcePlan{});
    std::shared_ptr<TLN_DicVceManager> open() {
        return std::make_shared<TLN_DicVceManager>(std::make_shared<TLN_MemoryStream>(bytes), 0);
    }
    static void patch32(std::vector<uint8_t>& at, int64_t position, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            at[size_t(position + i)] = uint8_t(value >> (24 - 8 * i));
    }
};

TEST_F(DictionaryViews, HeaderLanguageDictionaryAndGroup) {
    const auto reader = open();
    auto root = harness::Root(1250, QStringLiteral("DICVCE"), reader, reader->SharedStream());
    QString dump = show(*root);
    EXPECT_EQ(row(QStringLiteral("Number of Language Management Records")), QStringLiteral("2|"));
    EXPECT_TRUE(dump.contains(QStringLiteral("< Text Data Frame Header >")));
    RecordNode& language = *h.Expand(*root)[0];
    show(language);
    EXPECT_EQ(row(QStringLiteral("Toponym Identification")), QStringLiteral("ENG|"));
    EXPECT_EQ(row(QStringLiteral("Language Record ID")), QStringLiteral("0 x 00 00 10 01|(4097) "));
    EXPECT_EQ(row(QStringLiteral("Number of Dictionary Items")), QStringLiteral("2|"));
    RecordNode& city = *h.Expand(language)[0];
    dump = show(city);
    EXPECT_EQ(row(QStringLiteral("Type Name")), QStringLiteral("CITY|"));
    EXPECT_EQ(row(QStringLiteral("Number of Groups")), QStringLiteral("2|"));
    EXPECT_FALSE(dump.contains(QStringLiteral("ONLY FIRST 100 ITEMS ARE DISPLAYED !!!")));
    RecordNode& group = *h.Expand(city)[0];
    dump = show(group);
    EXPECT_EQ(row(QStringLiteral("Group ID")), QStringLiteral("0 x 00 00 00 A1|(161) "));
    EXPECT_EQ(row(QStringLiteral("String Entry 0")), QStringLiteral("Vienna|"));
    EXPECT_EQ(row(QStringLiteral("String Entry 1")), QString::fromUtf8("Санкт-Петербург|"));
    EXPECT_FALSE(dump.contains(QStringLiteral("ONLY FIRST")));
}

TEST_F(DictionaryViews, MoreThanAHundredGroupsOrEntriesAreCutAndSaidSo) {
    const auto plain = open();
    TLN_DicVceLangRec language;
    TLN_DictionaryRecordHeader dictionary;
    ASSERT_TRUE(plain->ReadLanguageRecord(0, plain->PhonemeHeader().LanguageRecordSize, language));
    ASSERT_TRUE(plain->ReadDictionaryInfoRecord(language.DictionaryFramePosition, dictionary));
    const int64_t header = dictionary.Types[0].DataPosition;
    TLN_DictionaryGroupOffset first;
    ASSERT_TRUE(plain->GetGroupOffset(header, 0, first));
    TLN_DictionaryGroupData group;
    ASSERT_TRUE(plain->ReadGroupData(first.Position, group));
    ASSERT_EQ(group.NumberOfItems, 6u);
    // 150 string entries claimed by the first group: the offsets past the real ones read what follows.
    std::vector<uint8_t> original = bytes;
    patch32(bytes, first.Position + 32, 150);
    auto reader = open();
    ASSERT_TRUE(reader->ReadGroupData(first.Position, group));
    ASSERT_EQ(group.NumberOfItems, 150u);
    ASSERT_GE(reader->StringEntryCount(group), 100);
    auto root = harness::Root(1250, QStringLiteral("DICVCE"), reader, reader->SharedStream());
    RecordNode& city = *h.Expand(*h.Expand(*root)[0])[0];
    QString dump = show(*h.Expand(city)[0]);
    EXPECT_NE(row(QStringLiteral("String Entry 99")), QStringLiteral("?"));
    EXPECT_EQ(row(QStringLiteral("String Entry 100")), QStringLiteral("?"));
    EXPECT_TRUE(dump.contains(QStringLiteral("< ONLY FIRST 100 ITEMS ARE DISPLAYED !!! >")));

    // 150 groups claimed: the dictionary says that only the first 100 are listed.
    bytes = original;
    patch32(bytes, header + 4, 150);
    reader = open();
    root = harness::Root(1250, QStringLiteral("DICVCE"), reader, reader->SharedStream());
    RecordNode& many = *h.Expand(*h.Expand(*root)[0])[0];
    dump = show(many);
    EXPECT_EQ(row(QStringLiteral("Number of Groups")), QStringLiteral("150|"));
    EXPECT_TRUE(dump.contains(QStringLiteral("< ONLY FIRST 100 ITEMS ARE DISPLAYED !!! >")));
    EXPECT_LE(h.Expand(many).size(), 100u);
}

} // namespace
