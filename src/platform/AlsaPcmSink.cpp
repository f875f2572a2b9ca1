// ALSA playback for the voice player: "default" device, blocking writes, underrun recovery.
#include "platform/AlsaPcmSink.h"

#include <alsa/asoundlib.h>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <mutex>
#include <thread>

namespace {
// alsa-lib reports a missing device on stderr by default; a machine without sound stays quiet.
void silentErrorHandler(const char*, int, const char*, int, const char*, ...) {}
// Latency asked of the device: also the longest a stop waits for a blocked write.
constexpr unsigned kLatencyMicroseconds = 100000;
} // namespace

AlsaPcmSink::~AlsaPcmSink() {
    close();
}

bool AlsaPcmSink::open(unsigned channels, unsigned sampleRate) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(silentErrorHandler); });
    close();
    // Opened non-blocking so that a busy device fails instead of waiting; writes then block.
    if (snd_pcm_open(&pcm_, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
        pcm_ = nullptr;
        return false;
    }
    if (snd_pcm_nonblock(pcm_, 0) < 0 ||
        snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, channels, sampleRate,
                           1, kLatencyMicroseconds) < 0) {
        close();
        return false;
    }
    channels_ = channels;
    return true;
}

bool AlsaPcmSink::write(const int16_t* samples, size_t frames) {
    while (pcm_ && frames > 0) {
        snd_pcm_sframes_t written = snd_pcm_writei(pcm_, samples, frames);
        if (written == -EAGAIN) continue;
        if (written < 0) {
            // Underruns (-EPIPE) and suspends (-ESTRPIPE) are recovered; anything else ends the sound.
            if (snd_pcm_recover(pcm_, int(written), 1) < 0) return false;
            continue;
        }
        samples += size_t(written) * channels_;
        frames -= size_t(written);
    }
    return pcm_ != nullptr;
}

void AlsaPcmSink::finish(const std::atomic<bool>& stopping) {
    if (!pcm_) return;
    // A sound shorter than the start threshold has not started yet.
    if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) snd_pcm_start(pcm_);
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(pcm_, &delay) < 0 || delay <= 0) return;
    // Never wait much longer than the queued frames last, even on a device that stalls.
    unsigned rate = 0;
    int direction = 0;
    snd_pcm_hw_params_t* params = nullptr;
    snd_pcm_hw_params_alloca(&params);
    if (snd_pcm_hw_params_current(pcm_, params) == 0) snd_pcm_hw_params_get_rate(params, &rate, &direction);
    const auto expected = std::chrono::milliseconds(rate ? int64_t(delay) * 1000 / rate : 0);
    const auto deadline = std::chrono::steady_clock::now() + expected * 2 + std::chrono::seconds(1);
    while (!stopping && std::chrono::steady_clock::now() < deadline) {
        if (snd_pcm_delay(pcm_, &delay) < 0 || delay <= 0) break;
        const snd_pcm_state_t state = snd_pcm_state(pcm_);
        if (state != SND_PCM_STATE_RUNNING && state != SND_PCM_STATE_PREPARED) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void AlsaPcmSink::close() {
    if (!pcm_) return;
    snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
}
