// Asynchronous playback of in-memory WAVE images: the interface the voice readers play through and a
// threaded player over a PCM sink (ALSA by default).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/PcmSink.h"

class VoicePlayer {
public:
    virtual ~VoicePlayer() = default;
    // Starts playing the image and returns at once; a sound still playing is stopped first.
    // The player keeps the image until playback ends, is replaced or is stopped.
    virtual void play(std::vector<uint8_t> waveImage) = 0;
    // Stops the sound that is playing, if any, and waits until it has stopped.
    virtual void stop() = 0;
};

// What a WAVE image says about its PCM samples. The data range is clipped to the image.
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    size_t dataOffset = 0;
    size_t dataBytes = 0;
};

// Reads the "fmt " and "data" chunks of a RIFF/WAVE image; nullopt when it is not one.
std::optional<WaveFormat> ParseWaveImage(const std::vector<uint8_t>& image);
// True for 16-bit PCM with at least one channel, a rate above 0 and samples to play.
bool IsPlayableWave(const WaveFormat& format);

// Plays each image on its own thread through a sink made for that playback.
class ThreadedVoicePlayer : public VoicePlayer {
public:
    using SinkFactory = std::function<std::unique_ptr<PcmSink>()>;
    explicit ThreadedVoicePlayer(SinkFactory factory);
    ~ThreadedVoicePlayer() override;

    void play(std::vector<uint8_t> waveImage) override;
    void stop() override;

private:
    void stopLocked();
    static void run(PcmSink* sink, const std::vector<uint8_t>* image, WaveFormat format,
                    const std::atomic<bool>* stopping);

    SinkFactory factory_;
    std::mutex mutex_;
    std::thread thread_;
    std::vector<uint8_t> image_;
    std::unique_ptr<PcmSink> sink_;
    std::atomic<bool> stopping_{false};
};

// The system's player: ALSA's "default" device; without a device every play is silently dropped.
std::unique_ptr<VoicePlayer> CreateDefaultVoicePlayer();
