// The voice player: WAVE parsing, the threaded player's replace/stop/destroy rules over a fake sink,
// and the ALSA player on a machine that may have no sound device.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/VoicePlayer.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/walkers/RecordingVoicePlayer.h"

namespace {
// A WAVE image written by hand: 16-bit PCM unless told otherwise.
std::vector<uint8_t> wave(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples,
                          uint32_t statedDataBytes = 0xFFFFFFFF, uint16_t bits = 16) {
    const uint32_t dataBytes = statedDataBytes == 0xFFFFFFFF ? uint32_t(samples.size() * 2) : statedDataBytes;
    fixture::ByteWriter w;
    w.text("RIFF").u32le(38 + dataBytes).text("WAVE");
    w.text("fmt ").u32le(18).u16le(1).u16le(channels).u32le(rate).u32le(rate * channels * 2);
    w.u16le(channels * 2).u16le(bits).u16le(0);
    w.text("data").u32le(dataBytes);
    for (int16_t s : samples)
        w.u16le(uint16_t(s));
    return w.take();
}

// Records what the player does with it; writes can be slowed down.
struct SinkLog {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<int16_t> samples;
    size_t frames = 0;
    void add(const std::string& e) {
        std::lock_guard lock(mutex);
        events.push_back(e);
    }
    std::vector<std::string> snapshot() {
        std::lock_guard lock(mutex);
        return events;
    }
    // Waits until the event has been logged (a playback thread ends on its own).
    bool waitFor(const std::string& e) {
        for (int i = 0; i < 20000; ++i) {
            for (const std::string& seen : snapshot())
                if (seen == e) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
};

class FakeSink : public PcmSink {
public:
    FakeSink(SinkLog& log, std::string name, bool opens = true, int writeDelayMs = 0)
        : log_(log), name_(std::move(name)), opens_(opens), delay_(writeDelayMs) {}
    bool open(unsigned channels, unsigned rate) override {
        log_.add(name_ + " open " + std::to_string(channels) + " " + std::to_string(rate));
        channels_ = channels;
        return opens_;
    }
    bool write(const int16_t* samples, size_t frames) override {
        if (delay_) std::this_thread::sleep_for(std::chrono::milliseconds(delay_));
        std::lock_guard lock(log_.mutex);
        log_.samples.insert(log_.samples.end(), samples, samples + frames * channels_);
        log_.frames += frames;
        return true;
    }
    void finish(const std::atomic<bool>&) override { log_.add(name_ + " finish"); }
    void close() override { log_.add(name_ + " close"); }

private:
    SinkLog& log_;
    std::string name_;
    bool opens_;
    int delay_;
    unsigned channels_ = 0;
};
} // namespace

TEST(WaveParsing, ReadsFormatAndClipsData) {
    const std::optional<WaveFormat> f = ParseWaveImage(wave(2, 11025, {1, 2, 3, 4}));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->channels, 2);
    EXPECT_EQ(f->sampleRate, 11025u);
    EXPECT_EQ(f->bitsPerSample, 16);
    EXPECT_EQ(f->dataOffset, 46u);
    EXPECT_EQ(f->dataBytes, 8u);
    EXPECT_TRUE(IsPlayableWave(*f));

    // A data size past the image is cut to the image.
    const std::optional<WaveFormat> big = ParseWaveImage(wave(1, 18900, {1, 2}, 0x7FFFFFF0));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->dataBytes, 4u);

    EXPECT_FALSE(ParseWaveImage({}));
    EXPECT_FALSE(ParseWaveImage({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'X'}));
    std::vector<uint8_t> hugeChunk = wave(1, 18900, {1});
    hugeChunk[16] = hugeChunk[17] = hugeChunk[18] = hugeChunk[19] = 0xFF; // "fmt " size 0xFFFFFFFF
    EXPECT_FALSE(ParseWaveImage(hugeChunk));

    EXPECT_FALSE(IsPlayableWave(*ParseWaveImage(wave(0, 18900, {1, 2}))));
    EXPECT_FALSE(IsPlayableWave(*ParseWaveImage(wave(1, 0, {1, 2}))));
    EXPECT_FALSE(IsPlayableWave(*ParseWaveImage(wave(1, 18900, {1, 2}, 0xFFFFFFFF, 8))));
    EXPECT_FALSE(IsPlayableWave(*ParseWaveImage(wave(1, 18900, {}))));
}

TEST(ThreadedVoicePlayer, PlaysFramesInOrder) {
    SinkLog log;
    {
        ThreadedVoicePlayer player([&] { return std::make_unique<FakeSink>(log, "a"); });
        player.play(wave(2, 22050, {1, -2, 0x1234, -32768, 32767, 0}));
        ASSERT_TRUE(log.waitFor("a close"));
    }
    EXPECT_EQ(log.snapshot(), (std::vector<std::string>{"a open 2 22050", "a finish", "a close"}));
    EXPECT_EQ(log.samples, (std::vector<int16_t>{1, -2, 0x1234, -32768, 32767, 0}));
    EXPECT_EQ(log.frames, 3u);
}

TEST(ThreadedVoicePlayer, ReturnsAtOnceAndStops) {
    SinkLog log;
    ThreadedVoicePlayer player([&] { return std::make_unique<FakeSink>(log, "slow", true, 2); });
    const std::vector<int16_t> samples(1024 * 2000, 7); // 2000 writes of 2 ms each
    player.play(wave(1, 18900, samples));
    player.stop();
    EXPECT_LT(log.frames, samples.size());
    const std::vector<std::string> events = log.snapshot();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], "slow close"); // stopped: no finish
    player.stop();                      // stopping twice is harmless
}

TEST(ThreadedVoicePlayer, ANewPlayReplacesTheSound) {
    SinkLog log;
    int made = 0;
    ThreadedVoicePlayer player([&] {
        const bool first = made++ == 0;
        return std::make_unique<FakeSink>(log, first ? "first" : "second", true, first ? 2 : 0);
    });
    player.play(wave(1, 18900, std::vector<int16_t>(1024 * 2000, 1)));
    player.play(wave(1, 8000, {5, 6}));
    ASSERT_TRUE(log.waitFor("second close"));
    player.stop();
    const std::vector<std::string> events = log.snapshot();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0], "first open 1 18900");
    EXPECT_EQ(events[1], "first close");
    EXPECT_EQ(events[2], "second open 1 8000");
    EXPECT_EQ(events[3], "second finish");
    EXPECT_EQ(events[4], "second close");
}

TEST(ThreadedVoicePlayer, NothingPlaysWithoutChannelsRateOrDevice) {
    SinkLog log;
    int made = 0;
    ThreadedVoicePlayer player([&] {
        ++made;
        return std::make_unique<FakeSink>(log, "x", false);
    });
    player.play(wave(0, 18900, {1, 2}));
    player.play(wave(1, 0, {1, 2}));
    player.play({1, 2, 3});
    player.stop();
    EXPECT_EQ(made, 0);
    player.play(wave(1, 18900, {1, 2})); // the sink cannot open: quietly nothing
    player.stop();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(log.frames, 0u);
    EXPECT_EQ(log.snapshot(), (std::vector<std::string>{"x open 1 18900"}));
}

TEST(RecordingVoicePlayer, KeepsImagesAndStops) {
    RecordingVoicePlayer player;
    player.play({1, 2});
    player.play({3});
    player.stop();
    EXPECT_EQ(player.Played(), (std::vector<std::vector<uint8_t>>{{1, 2}, {3}}));
    EXPECT_EQ(player.StopCount(), 1);
}

TEST(DefaultVoicePlayer, PlaysOrStaysQuiet) {
    // With or without a sound device: no exception, no hang, a prompt stop.
    std::unique_ptr<VoicePlayer> player = CreateDefaultVoicePlayer();
    std::vector<int16_t> samples(18900 / 10);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t((i % 40) * 100);
    player->play(wave(1, 18900, samples));
    player->play(wave(0, 18900, samples));
    player->play(wave(1, 18900, std::vector<int16_t>(18900 * 5)));
    player->stop();
    player->play(wave(1, 18900, samples));
    player.reset();
}
