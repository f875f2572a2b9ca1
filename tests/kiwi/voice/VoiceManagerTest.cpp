// General-purpose voice data: languages, offset tables, phrase decoding, WAVE images and hostile files.
#include <gtest/gtest.h>

#include <filesystem>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/voice/VoiceAdpcm.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/WaveImage.h"
#include "platform/VoicePlayer.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/VoiceFixtures.h"
#include "support/walkers/RecordingVoicePlayer.h"

namespace {
std::shared_ptr<TLN_MemoryStream> memory(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_MemoryStream>(std::move(bytes));
}
} // namespace

TEST(VoiceManager, ReadsLanguagesAndRecords) {
    const fixture::VoiceDatFixture fx = fixture::buildVoiceDat();
    TLN_VoiceManager reader(memory(fx.bytes), 0);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.LanguageCount(), 2);
    EXPECT_EQ(reader.AvailableLanguageCount(), 2);
    EXPECT_EQ(reader.HeaderWordSize(), (6 + 2 + 2 * 26 + 2 + 26) / 2u);

    TLN_Voice_Language language;
    ASSERT_TRUE(reader.ReadLanguage(0, language));
    EXPECT_EQ(language.Position, 6);
    ASSERT_EQ(language.RecordCount, 2);
    ASSERT_EQ(language.Records.size(), 2u);
    const TLN_Voice_Offset_Management_Record& record = language.Records[0];
    EXPECT_EQ(record.Maker.X, 3947658);
    EXPECT_EQ(record.Maker.Y, 1005219);
    EXPECT_EQ(record.Maker.ByteValue, 3);
    EXPECT_EQ(record.Maker.WordValue, 0x2005);
    EXPECT_EQ(record.UsageIdentification, 1);
    EXPECT_EQ(record.SpeakerCode, 0x10);
    EXPECT_EQ(record.ReproductionMethod, 1);
    EXPECT_EQ(record.NumberOfVoices, 2);
    EXPECT_EQ(record.TablePosition, int64_t(fx.tables[0].position));
    EXPECT_EQ(int64_t(record.TableWordSize) * 2, int64_t(fx.tables[2].position - fx.tables[0].position));

    ASSERT_TRUE(reader.ReadLanguage(1, language));
    EXPECT_EQ(language.Position, 6 + 2 + 2 * 26);
    EXPECT_EQ(language.Records.size(), 1u);
    EXPECT_FALSE(reader.ReadLanguage(2, language));
    EXPECT_FALSE(reader.ReadLanguage(-1, language));
}

TEST(VoiceManager, DecodesEveryTableSampleBySample) {
    for (uint64_t base : {uint64_t(0), uint64_t(1001)}) {
        const fixture::VoiceDatFixture fx = fixture::buildVoiceDat(base);
        TLN_VoiceManager reader(memory(fx.bytes), int64_t(base));
        ASSERT_TRUE(reader.IsValid()) << base;
        for (const fixture::VoiceDatTableManifest& table : fx.tables) {
            SCOPED_TRACE(table.id);
            TLN_Voice_Offset_Table read;
            ASSERT_TRUE(reader.ReadOffsetTable(read, int64_t(table.position)));
            EXPECT_EQ(read.VoiceDataIdText, table.id);
            EXPECT_EQ(read.VoiceDataId, uint32_t(table.id[0]) << 24 | uint32_t(table.id[1]) << 16 |
                                            uint32_t(table.id[2]) << 8 | uint32_t(table.id[3]));
            ASSERT_EQ(read.Phrases.size(), table.phraseBytes.size());
            for (size_t p = 0; p < read.Phrases.size(); ++p)
                EXPECT_EQ(read.Phrases[p].WordSize * 2u, table.phraseBytes[p]);
            bool truncated = true;
            EXPECT_EQ(reader.DecodePhrases(int64_t(table.position), &truncated), table.samples);
            EXPECT_FALSE(truncated);
        }
    }
}

TEST(VoiceManager, TablesFollowOneAnother) {
    const fixture::VoiceDatFixture fx = fixture::buildVoiceDat();
    TLN_VoiceManager reader(memory(fx.bytes), 0);
    EXPECT_EQ(reader.GetNextTableOffset(int64_t(fx.tables[0].position)), int64_t(fx.tables[1].position));
    EXPECT_EQ(reader.GetNextTableOffset(int64_t(fx.tables[0].position)),
              int64_t(fx.tables[0].position) + 6 + 12);
    EXPECT_EQ(reader.GetNextTableOffset(-1), -1);
    EXPECT_EQ(reader.GetNextTableOffset(int64_t(fx.bytes.size()) - 5), -1);
}

TEST(VoiceManager, WaveSizesComeFromTheDecodedSamples) {
    const fixture::VoiceDatFixture fx = fixture::buildVoiceDat();
    TLN_VoiceManager reader(memory(fx.bytes), 0);
    // Phrases of 300 and 228 bytes: 528 div 128 = 4 groups by the stored sizes, but only 3 decode.
    const fixture::VoiceDatTableManifest& table = fx.tables[0];
    ASSERT_EQ(table.phraseBytes, (std::vector<uint32_t>{300, 228}));
    ASSERT_EQ(table.samples.size(), 3 * 224u);
    const std::vector<uint8_t> image = reader.BuildPhrasesWave(int64_t(table.position));
    const fixture::WaveHeader h = fixture::readWaveHeader(image);
    EXPECT_EQ(h.channels, 1);
    EXPECT_EQ(h.sampleRate, 18900u);
    EXPECT_EQ(h.dataSize, 3 * 448u);
    EXPECT_EQ(h.riffSize + 8, image.size());
    EXPECT_EQ(image.size(), kWaveHeaderBytes + 3 * 448);
    EXPECT_EQ(h.samples, table.samples);
}

TEST(VoiceManager, RangeAboveTwelveDecodesToThePrediction) {
    const fixture::VoiceDatFixture fx = fixture::buildVoiceDat();
    TLN_VoiceManager reader(memory(fx.bytes), 0);
    const fixture::VoiceDatTableManifest& table = fx.tables.back();
    ASSERT_EQ(table.id, "VC01");
    const std::vector<uint8_t> groupBytes(fx.bytes.begin() + long(fx.bytes.size()) - 256,
                                          fx.bytes.begin() + long(fx.bytes.size()) - 128);
    ASSERT_EQ(groupBytes[4 + 3] & 15, 13);
    EXPECT_EQ(reader.DecodePhrases(int64_t(table.position)), table.samples);
}

TEST(VoiceManager, PlaysThroughThePlayer) {
    const fixture::VoiceDatFixture fx = fixture::buildVoiceDat();
    TLN_VoiceManager reader(memory(fx.bytes), 0);
    RecordingVoicePlayer player;
    ASSERT_TRUE(reader.PlayPhrases(int64_t(fx.tables[1].position), player));
    const TLN_Voice_Offset_Table table = [&] {
        TLN_Voice_Offset_Table t;
        reader.ReadOffsetTable(t, int64_t(fx.tables[2].position));
        return t;
    }();
    ASSERT_TRUE(reader.PlayVoiceData(table.Phrases[0].Position, table.Phrases[0].WordSize * 2, player));
    ASSERT_EQ(player.Played().size(), 2u);
    EXPECT_EQ(player.Played()[0], reader.BuildPhrasesWave(int64_t(fx.tables[1].position)));
    EXPECT_EQ(fixture::readWaveHeader(player.Played()[1]).samples, fx.tables[2].samples);
    EXPECT_FALSE(reader.PlayPhrases(int64_t(fx.bytes.size()), player));
    EXPECT_EQ(player.Played().size(), 2u);
}

TEST(VoiceManager, LanguageCountLimit) {
    for (int count : {31, 32, 0xFFFF}) {
        fixture::ByteWriter w;
        w.u32(3).u16(uint32_t(count)).fill(2 * 31);
        TLN_VoiceManager reader(memory(w.take()), 0);
        EXPECT_EQ(reader.IsValid(), count < 32) << count;
        RecordingVoicePlayer player;
        if (!reader.IsValid()) {
            EXPECT_FALSE(reader.PlayPhrases(6, player));
            EXPECT_TRUE(player.Played().empty());
        }
    }
    EXPECT_FALSE(TLN_VoiceManager(memory({0, 0, 0, 1, 0}), 0).IsValid()); // shorter than the header
    EXPECT_FALSE(TLN_VoiceManager(memory(std::vector<uint8_t>(10)), 10).IsValid());
}

TEST(VoiceManager, CountsAreBoundedByTheStream) {
    // Language 0 claims 0xFFFF records but holds one; language 1 lies past the end.
    fixture::ByteWriter w;
    w.u32(0).u16(2).u16(0xFFFF).fill(26 + 10);
    TLN_VoiceManager reader(memory(w.take()), 0);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.AvailableLanguageCount(), 1);
    TLN_Voice_Language language;
    ASSERT_TRUE(reader.ReadLanguage(0, language));
    EXPECT_EQ(language.RecordCount, 0xFFFF);
    EXPECT_EQ(language.Records.size(), 1u);
    EXPECT_TRUE(language.Truncated);

    // A table claiming 0xFFFF phrases, with one whose data runs past the end and one past it entirely.
    fixture::ByteWriter t;
    t.u32(0).u16(0).text("ID01").u16(0xFFFF);
    t.u32(10).u16(0xFFFF).u32(0x7FFFFFFF).u16(64).u32(0xFFFFFFFF).u16(64);
    t.padTo(20 + 128 * 2 + 10, 0x21);
    TLN_VoiceManager tableReader(memory(t.take()), 0);
    TLN_Voice_Offset_Table table;
    ASSERT_TRUE(tableReader.ReadOffsetTable(table, 6));
    EXPECT_TRUE(table.Truncated);
    EXPECT_EQ(table.Phrases.size(), (20 + 256 + 10 - 12) / 6u);
    EXPECT_EQ(table.Phrases[2].Position, -1);
    bool truncated = false;
    const std::vector<int16_t> samples = tableReader.DecodePhrases(6, &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(samples.size() % 224, 0u);
    EXPECT_FALSE(tableReader.ReadOffsetTable(table, 20 + 256 + 10 - 5));
}

TEST(VoiceManager, DecodedAudioIsCapped) {
    // 200 phrases of 0xFFFF words, all over the same data: 200 × 1023 groups would be 87 MiB of PCM.
    fixture::ByteWriter w;
    w.u32(0).u16(0).text("BIG!").u16(200);
    const uint32_t dataWords = (6 + 6 + 200 * 6) / 2;
    for (int i = 0; i < 200; ++i)
        w.u32(dataWords).u16(0xFFFF);
    w.fill(0xFFFF * 2, 0x17);
    TLN_VoiceManager reader(memory(w.take()), 0);
    bool truncated = false;
    const std::vector<int16_t> samples = reader.DecodePhrases(6, &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_LE(int64_t(samples.size()) * 2, kMaxDecodedPcmBytes);
    EXPECT_GT(int64_t(samples.size()) * 2, kMaxDecodedPcmBytes - 448);
}

TEST(VoiceManager, OpensFilesByName) {
    const fixture::VoiceDatFixture fx = fixture::buildVoiceDat();
    const std::string path = fixture::scratchDir("voicedat") + "/VOICEDAT.KWI";
    fixture::writeFile(path, fx.bytes);
    TLN_VoiceManager reader(path);
    EXPECT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.DecodePhrases(int64_t(fx.tables[3].position)), fx.tables[3].samples);
}

TEST(VoiceManager, AFileThatShrankSinceOpeningGivesNoRecordsNotANegativeCount) {
    const fixture::VoiceDatFixture fx = fixture::buildVoiceDat();
    const std::string path = fixture::scratchDir("voicedat-shrunk") + "/VOICEDAT.KWI";
    fixture::writeFile(path, fx.bytes);
    TLN_VoiceManager reader(path);
    ASSERT_TRUE(reader.IsValid());
    // Replaced by a shorter file (a disc swapped, a copy cut short) while the reader stays open.
    std::filesystem::resize_file(path, 4);
    for (int i = 0; i < reader.AvailableLanguageCount(); ++i) {
        TLN_Voice_Language language;
        try {
            if (!reader.ReadLanguage(i, language)) continue;
        } catch (const KiwiError&) {
            continue; // a read error is a fair answer; an allocation of a negative count is not
        }
        EXPECT_TRUE(language.Records.empty()) << i;
        EXPECT_TRUE(language.Truncated || language.RecordCount == 0) << i;
    }
}
