// WAVE image parsing and the threaded and recording players.
#include "platform/VoicePlayer.h"

#include <algorithm>

#include "platform/AlsaPcmSink.h"

namespace {
uint32_t readLE(const std::vector<uint8_t>& image, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | image[at + size_t(i)];
    return value;
}
bool tagAt(const std::vector<uint8_t>& image, size_t at, const char* tag) {
    return at + 4 <= image.size() && std::equal(tag, tag + 4, image.begin() + ptrdiff_t(at));
}
// Frames converted per write: small enough for a prompt stop.
constexpr size_t kFramesPerWrite = 1024;
} // namespace

std::optional<WaveFormat> ParseWaveImage(const std::vector<uint8_t>& image) {
    if (!tagAt(image, 0, "RIFF") || !tagAt(image, 8, "WAVE")) return std::nullopt;
    WaveFormat format;
    bool haveFormat = false;
    uint64_t position = 12;
    while (position + 8 <= image.size()) {
        const size_t at = size_t(position);
        const uint64_t chunkSize = readLE(image, at + 4, 4);
        if (tagAt(image, at, "fmt ") && chunkSize >= 16 && at + 8 + 16 <= image.size()) {
            format.formatTag = uint16_t(readLE(image, at + 8, 2));
            format.channels = uint16_t(readLE(image, at + 10, 2));
            format.sampleRate = readLE(image, at + 12, 4);
            format.bitsPerSample = uint16_t(readLE(image, at + 22, 2));
            haveFormat = true;
        } else if (tagAt(image, at, "data")) {
            if (!haveFormat) return std::nullopt;
            format.dataOffset = at + 8;
            // A stated size past the image is cut to what the image holds.
            format.dataBytes = size_t(std::min<uint64_t>(chunkSize, image.size() - format.dataOffset));
            return format;
        }
        position += 8 + chunkSize + (chunkSize & 1);
    }
    return std::nullopt;
}

bool IsPlayableWave(const WaveFormat& format) {
    return format.formatTag == 1 && format.bitsPerSample == 16 && format.channels > 0 &&
           format.sampleRate > 0 && format.dataBytes >= size_t(format.channels) * 2;
}

ThreadedVoicePlayer::ThreadedVoicePlayer(SinkFactory factory) : factory_(std::move(factory)) {}

ThreadedVoicePlayer::~ThreadedVoicePlayer() {
    stop();
}

void ThreadedVoicePlayer::play(std::vector<uint8_t> waveImage) {
    std::lock_guard lock(mutex_);
    stopLocked();
    const std::optional<WaveFormat> format = ParseWaveImage(waveImage);
    if (!format || !IsPlayableWave(*format)) return;
    image_ = std::move(waveImage);
    sink_ = factory_ ? factory_() : nullptr;
    if (!sink_) return;
    stopping_ = false;
    thread_ = std::thread(&ThreadedVoicePlayer::run, sink_.get(), &image_, *format, &stopping_);
}

void ThreadedVoicePlayer::stop() {
    std::lock_guard lock(mutex_);
    stopLocked();
}

void ThreadedVoicePlayer::stopLocked() {
    if (thread_.joinable()) {
        stopping_ = true;
        thread_.join();
    }
    sink_.reset();
    image_ = {};
}

void ThreadedVoicePlayer::run(PcmSink* sink, const std::vector<uint8_t>* image, WaveFormat format,
                              const std::atomic<bool>* stopping) {
    if (!sink->open(format.channels, format.sampleRate)) return;
    const size_t frameBytes = size_t(format.channels) * 2;
    const size_t totalFrames = format.dataBytes / frameBytes;
    std::vector<int16_t> buffer(kFramesPerWrite * format.channels);
    size_t frame = 0;
    bool failed = false;
    while (frame < totalFrames && !*stopping) {
        const size_t frames = std::min(kFramesPerWrite, totalFrames - frame);
        const size_t first = format.dataOffset + frame * frameBytes;
        for (size_t i = 0; i < frames * format.channels; ++i)
            buffer[i] = int16_t(readLE(*image, first + 2 * i, 2));
        if (!sink->write(buffer.data(), frames)) {
            failed = true;
            break;
        }
        frame += frames;
    }
    if (!failed && !*stopping) sink->finish(*stopping);
    sink->close();
}

std::unique_ptr<VoicePlayer> CreateDefaultVoicePlayer() {
    return std::make_unique<ThreadedVoicePlayer>([] { return std::make_unique<AlsaPcmSink>(); });
}
