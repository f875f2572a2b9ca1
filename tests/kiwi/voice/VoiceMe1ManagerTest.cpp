// VOICE001.ME: entries, voice records, block decoding with the voice's own rate and channels.
#include <gtest/gtest.h>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/voice/VoiceAdpcm.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "platform/VoicePlayer.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/VoiceFixtures.h"
#include "support/walkers/RecordingVoicePlayer.h"

namespace {
std::shared_ptr<TLN_MemoryStream> memory(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_MemoryStream>(std::move(bytes));
}
} // namespace

TEST(VoiceMe1Manager, ReadsEntriesAndVoices) {
    const fixture::VoiceMeFixture fx = fixture::buildVoiceMe();
    TLN_VoiceMe1Manager reader(memory(fx.bytes), 0);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.HeaderWordSize(), 65);
    ASSERT_EQ(reader.EntryCount(), 2);
    TLN_VoiceMe1_Entry entry;
    ASSERT_TRUE(reader.ReadEntry(1, entry));
    EXPECT_EQ(entry.Position, 2 + 64);
    EXPECT_EQ(entry.LanguageId, 2);
    EXPECT_EQ(entry.VoiceId, 0x21);
    EXPECT_FALSE(reader.ReadEntry(2, entry));
    EXPECT_EQ(reader.GetVoiceCount(0), 2);
    EXPECT_EQ(reader.GetVoiceCount(1), 1);
    EXPECT_EQ(reader.GetVoiceCount(5), 0);

    for (const fixture::VoiceMeManifest& voice : fx.voices) {
        SCOPED_TRACE(std::to_string(voice.entry) + "/" + std::to_string(voice.voice));
        TLN_VoiceMe1_Voice_Header header;
        ASSERT_TRUE(reader.ReadVoiceHeader(voice.entry, voice.voice, header));
        EXPECT_EQ(header.LanguageId, voice.entry + 1);
        EXPECT_EQ(header.VoiceDataId, 0x1000u + uint32_t(voice.voice));
        EXPECT_EQ(header.DataPosition, int64_t(voice.dataPosition));
        EXPECT_EQ(header.DataWordSize * 2, voice.dataBytes);
        EXPECT_EQ(header.ReproductionMethod, 2);
        EXPECT_EQ(header.Channels, voice.channels);
        EXPECT_EQ(header.SampleRate, voice.sampleRate);
    }
    TLN_VoiceMe1_Voice_Header header;
    EXPECT_FALSE(reader.ReadVoiceHeader(0, 2, header));
    EXPECT_FALSE(reader.ReadVoiceHeader(0, -1, header));
}

TEST(VoiceMe1Manager, DecodesVoicesSampleBySample) {
    for (uint64_t base : {uint64_t(0), uint64_t(777)}) {
        const fixture::VoiceMeFixture fx = fixture::buildVoiceMe(base);
        TLN_VoiceMe1Manager reader(memory(fx.bytes), int64_t(base));
        ASSERT_TRUE(reader.IsValid());
        for (const fixture::VoiceMeManifest& voice : fx.voices) {
            bool truncated = true;
            EXPECT_EQ(reader.DecodeVoiceSamples(voice.entry, voice.voice, &truncated), voice.samples);
            EXPECT_FALSE(truncated);
            const fixture::WaveHeader h =
                fixture::readWaveHeader(reader.BuildVoiceWave(voice.entry, voice.voice));
            EXPECT_EQ(h.channels, voice.channels);
            EXPECT_EQ(h.sampleRate, voice.sampleRate);
            EXPECT_EQ(h.byteRate, uint32_t(voice.channels) * 2 * voice.sampleRate);
            // Whole blocks only: the 6 bytes after the last block of voice 1/0 are ignored.
            EXPECT_EQ(h.dataSize, voice.dataBytes / 16 * 60);
            EXPECT_EQ(h.samples, voice.samples);
        }
    }
}

TEST(VoiceMe1Manager, DecodeVoiceWritesTheWaveImage) {
    const fixture::VoiceMeFixture fx = fixture::buildVoiceMe();
    TLN_VoiceMe1Manager reader(memory(fx.bytes), 0);
    TLN_MemoryStream output;
    ASSERT_TRUE(reader.DecodeVoice(0, 1, output));
    EXPECT_EQ(output.Bytes(), reader.BuildVoiceWave(0, 1));
    EXPECT_FALSE(reader.DecodeVoice(3, 0, output));

    RecordingVoicePlayer player;
    ASSERT_TRUE(reader.PlayVoice(1, 0, player));
    EXPECT_FALSE(reader.PlayVoice(1, 1, player));
    ASSERT_EQ(player.Played().size(), 1u);
    EXPECT_EQ(fixture::readWaveHeader(player.Played()[0]).samples, fx.voices[2].samples);
}

TEST(VoiceMe1Manager, EntryCountLimit) {
    struct Case {
        uint16_t headerWords;
        bool valid;
        int entries;
    };
    const Case cases[] = {
        {1, true, 0},       {0, true, 0}, {(2 + 31 * 64) / 2, true, 31}, {(2 + 32 * 64) / 2, false, 0},
        {0xFFFF, false, 0},
    };
    for (const Case& c : cases) {
        fixture::ByteWriter w;
        w.u16(c.headerWords).fill(32 * 64);
        TLN_VoiceMe1Manager reader(memory(w.take()), 0);
        EXPECT_EQ(reader.IsValid(), c.valid) << c.headerWords;
        EXPECT_EQ(reader.EntryCount(), c.entries) << c.headerWords;
    }
    // 31 entries declared, 2 present: a header the file does not hold, and the reader says so.
    fixture::ByteWriter w;
    w.u16((2 + 31 * 64) / 2).fill(2 * 64 + 10);
    TLN_VoiceMe1Manager cut(memory(w.take()), 0);
    EXPECT_FALSE(cut.IsValid());
    EXPECT_NE(cut.ErrorString().find("the voice distribution header, the file holds 140 of its 1986 bytes"),
              std::string::npos)
        << cut.ErrorString();
}

TEST(VoiceMe1Manager, CountsAndSizesAreBoundedByTheStream) {
    // One entry whose voice table claims 0xFFFF voices: one record fits; its data claims 8 GiB.
    fixture::ByteWriter w;
    w.u16(33);
    w.u8(1).u8(1).u32(33).u32(10).u32(0).u32(0).u32(0).u32(0).u32(40).u32(0).fill(30);
    w.u16(0xFFFF).u16(1).u32(7).u32(0).u32(0xFFFFFFFF).u8(2).u8(1).u16(16000);
    w.fill(4 * 16 + 5, 0x3C);
    TLN_VoiceMe1Manager reader(memory(w.take()), 0);
    ASSERT_TRUE(reader.IsValid());
    EXPECT_EQ(reader.GetVoiceCount(0), (155 - 68) / 18); // records that fit after the count
    bool truncated = false;
    const std::vector<int16_t> samples = reader.DecodeVoiceSamples(0, 0, &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(samples.size() % 30, 0u);
    // Data the file does not hold whole is no sound.
    EXPECT_TRUE(reader.BuildVoiceWave(0, 0).empty());

    // A data offset past the end gives no samples.
    fixture::ByteWriter far;
    far.u16(33).u8(1).u8(1).u32(33).u32(10).fill(16).u32(0x40000000).u32(0).fill(30);
    far.u16(1).u16(1).u32(7).u32(0).u32(8).u8(2).u8(1).u16(16000);
    TLN_VoiceMe1Manager farReader(memory(far.take()), 0);
    EXPECT_TRUE(farReader.DecodeVoiceSamples(0, 0, &truncated).empty());
    EXPECT_TRUE(truncated);
}

TEST(VoiceMe1Manager, DecodedAudioIsCapped) {
    // 9 MiB of blocks would decode to almost 34 MiB of PCM.
    fixture::ByteWriter w;
    w.u16(33).u8(1).u8(1).u32(33).u32(10).fill(16).u32(43).u32(0).fill(30);
    w.u16(1).u16(1).u32(7).u32(0).u32(9u * 1024 * 1024 / 2).u8(2).u8(1).u16(16000);
    w.fill(9u * 1024 * 1024, 0x45);
    TLN_VoiceMe1Manager reader(memory(w.take()), 0);
    bool truncated = false;
    const std::vector<int16_t> samples = reader.DecodeVoiceSamples(0, 0, &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_LE(int64_t(samples.size()) * 2, kMaxDecodedPcmBytes);
    EXPECT_GT(int64_t(samples.size()) * 2, kMaxDecodedPcmBytes - 60);
}
